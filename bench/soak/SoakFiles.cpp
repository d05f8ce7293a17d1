#include "SoakFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

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
};
constexpr Cut kCuts[] = {{"header_cut_", [](std::size_t) -> std::size_t { return 20; }},
                         {"half_cut_", [](std::size_t size) { return size / 2; }}};

bool IsText(const fs::path& file) { return file.extension() == ".txt"; }

}  // namespace

std::vector<fs::path> WriteSoakFiles(const fs::path& samples, const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(samples))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::vector<fs::path> broken;
    for (const fs::path& file : files) {
        if (IsText(file)) continue;
        const Bytes bytes = ReadFile(file);
        for (const Cut& cut : kCuts) {
            broken.push_back(folder / (cut.prefix + file.filename().string()));
            WriteFile(broken.back(), Bytes(bytes.begin(), bytes.begin() + std::min(bytes.size(), cut.length(bytes.size()))));
        }
    }
    files.insert(files.end(), broken.begin(), broken.end());

    files.push_back(folder / "alpha.png");
    WriteFile(files.back(), test::png::PngBuilder(test::png::MakeImage(200, 150, 6, 8, 1)).Build());
    // No decoder reads it: the thumbnail is blank.
    files.push_back(folder / "unreadable.xyz");
    WriteFile(files.back(), Bytes(300, 0x5A));
    return files;
}

}  // namespace imvexa::bench
