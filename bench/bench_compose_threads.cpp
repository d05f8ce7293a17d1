// Thumbnails per second of the extractor benchmark's folder through the
// portable composition alone, on one thread and on several at once: each
// file's bytes already in memory, decoded and composed into the square
// thumbnail (speed mode decodes a large JPEG at its reduced scale and
// stretches it by nearest pixel; other pictures are composed as in quality
// mode). Natively it shows what the decoders and the composition scale to;
// built for Windows and run under wine64, the same work with Wine's heap and
// the platform bitmap; bench_extract adds the files, COM and GDI. The text
// file and the icon, which the platform draws, are left out.
//   bench_compose_threads [--threads N] [--rounds R] [--repetitions K]
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "BuiltInDecoders.h"
#include "ExtensionKey.h"
#include "ExtractCorpus.h"
#include "SpeedThumbnail.h"
#include "ThreadScaling.h"
#include "ThumbnailComposer.h"

using namespace imvexa;
namespace fs = std::filesystem;

namespace {

constexpr int kEdge = 120;

struct File {
    std::string key;
    std::vector<std::uint8_t> bytes;
};

void Compose(const File& file, bool quality) {
    TBitmap thumbnail;
    if (!quality && StretchReducedJPEGThumbnail(file.bytes, file.key, kEdge, thumbnail)) return;
    TThumbnailComposer composer(thumbnail, kEdge);
    DecodeBuiltInRows(file.bytes, file.key, composer);
}

// The folder's pictures that a built-in decoder reads.
std::vector<File> ReadPictures(const fs::path& folder) {
    std::vector<File> pictures;
    for (const std::string& path : bench::WriteExtractCorpus(folder)) {
        File file{ExtensionKey(path, [](unsigned char) { return false; }), {}};
        std::ifstream in(path, std::ios::binary);
        file.bytes.assign(std::istreambuf_iterator<char>(in), {});
        TBitmap probe;
        TThumbnailComposer composer(probe, kEdge);
        if (DecodeBuiltInRows(file.bytes, file.key, composer)) pictures.push_back(std::move(file));
    }
    return pictures;
}

double ThumbnailsPerSecond(int threads, int rounds, const std::vector<File>& files, bool quality) {
    const std::size_t count = files.size() * static_cast<std::size_t>(rounds);
    const double seconds = bench::SecondsAtOnce(threads, [&](int thread) -> bench::Work {
        return [&, thread, count] {
            for (std::size_t i = 0; i < count; ++i)
                Compose(files[(i + static_cast<std::size_t>(thread) * 5) % files.size()], quality);
        };
    });
    return static_cast<double>(threads) * static_cast<double>(count) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::ScalingOptions options = bench::ParseScalingOptions(argc, argv);
    const fs::path folder = fs::temp_directory_path() / "imvexa-bench-compose-threads";
    fs::create_directories(folder);
    const std::vector<File> files = ReadPictures(folder);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    std::printf("pictures: %zu in memory; %d round(s) per thread, %d repetitions\n", files.size(), options.rounds,
                options.repetitions);
    for (const bool quality : {false, true}) {
        ThumbnailsPerSecond(1, 1, files, quality);  // warm-up
        bench::Pairs thumbnails, ceiling;
        for (int r = 0; r < options.repetitions; ++r) {
            ceiling.Measure(options.threads, [&](int threads) { return bench::PicturesPerSecond(threads, 2 * options.rounds); });
            thumbnails.Measure(options.threads,
                               [&](int threads) { return ThumbnailsPerSecond(threads, options.rounds, files, quality); });
        }
        std::printf("%s mode:\n", quality ? "quality" : "speed");
        bench::PrintScaling("thumbnails/s", options.threads, thumbnails, ceiling);
    }
    return 0;
}
