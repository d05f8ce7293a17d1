#pragma once
// The extractor benchmark's folder of mixed files: JPEG (baseline and
// progressive), PNG (truecolour and palette), MAG, plain and run-length coded
// BMP, a text file and an icon, from a hundred pixels to a few megapixels,
// written with the project's own writers.
#include <filesystem>
#include <string>
#include <vector>

namespace imvexa::bench {

// Writes the files into folder and returns their paths.
std::vector<std::string> WriteExtractCorpus(const std::filesystem::path& folder);

}  // namespace imvexa::bench
