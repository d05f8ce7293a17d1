#pragma once
// The files a soak cycles through: every sample file, the kinds the samples
// lack (a PNG with an alpha channel, a file no decoder reads, a picture only
// the test plug-in reads), and broken copies of every picture sample; each
// with the outcome it must have.
#include <filesystem>
#include <vector>

namespace imvexa::bench {

enum class Outcome { Thumbnail, Failure, Either };

struct SoakFile {
    std::filesystem::path path;
    Outcome expected;
};

std::vector<SoakFile> WriteSoakFiles(const std::filesystem::path& samples, const std::filesystem::path& folder);

}  // namespace imvexa::bench
