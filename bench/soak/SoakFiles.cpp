#include "SoakFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "PlugInPicture.h"
#include "PngBuilder.h"

namespace imvexa::bench {

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Broken copies of a picture: cut inside its header, which fails every
// format, and cut in half, where the decoder has begun the picture's memory
// before it meets the end (a decoder may keep what it read and succeed).
struct Cut {
    const char* prefix;
    std::size_t (*length)(std::size_t size);
    Outcome expected;
};
constexpr Cut kCuts[] = {{"header_cut_", [](std::size_t) -> std::size_t { return 20; }, Outcome::Failure},
                         {"half_cut_", [](std::size_t size) { return size / 2; }, Outcome::Either}};

bool IsText(const fs::path& file) { return file.extension() == ".txt"; }

SoakFile Written(const fs::path& path, const Bytes& bytes, Outcome expected) {
    WriteFile(path, bytes);
    return {path, expected};
}

}  // namespace

std::vector<SoakFile> WriteSoakFiles(const fs::path& samples, const fs::path& folder) {
    std::vector<fs::path> sampleFiles;
    for (const auto& entry : fs::directory_iterator(samples))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') sampleFiles.push_back(entry.path());
    std::sort(sampleFiles.begin(), sampleFiles.end());

    std::vector<SoakFile> files;
    for (const fs::path& file : sampleFiles) files.push_back({file, Outcome::Thumbnail});
    for (const fs::path& file : sampleFiles) {
        if (IsText(file)) continue;
        const Bytes bytes = ReadFile(file);
        for (const Cut& cut : kCuts) {
            const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), cut.length(bytes.size())));
            files.push_back(Written(folder / (cut.prefix + file.filename().string()), Bytes(bytes.begin(), end),
                                    cut.expected));
        }
    }
    files.push_back(Written(folder / "alpha.png",
                            test::png::PngBuilder(test::png::MakeImage(200, 150, 6, 8, 1)).Build(), Outcome::Thumbnail));
    files.push_back({WritePlugInPicture(folder), Outcome::Thumbnail});
    // No decoder reads it: the thumbnail is blank.
    files.push_back(Written(folder / "unreadable.xyz", Bytes(300, 0x5A), Outcome::Thumbnail));
    return files;
}

}  // namespace imvexa::bench
