#pragma once
// The files a soak cycles through: every sample file, the kinds the samples
// lack (a PNG with an alpha channel, a file no decoder reads), and broken
// copies of every picture sample.
#include <filesystem>
#include <vector>

namespace imvexa::bench {

std::vector<std::filesystem::path> WriteSoakFiles(const std::filesystem::path& samples,
                                                   const std::filesystem::path& folder);

}  // namespace imvexa::bench
