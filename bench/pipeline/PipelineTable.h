#pragma once
// The benchmark's markdown table: a row per file; for each program the median
// wall time with its spread (min–max), the median processor time (the steadier
// figure on a busy machine) and the median peak resident memory;
// with two programs, the ratios first / second and whether both drew the
// same thumbnail. A program that failed any run shows "fails".
#include <string>
#include <vector>

#include "ChildRun.h"

namespace imvexa::bench {

struct ProgramFigures {
    bool failed = false;
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    std::vector<double> peaksMiB;

    void Add(const RunMeasure& measure);
};

enum class SamePixels { Yes, No, Unknown };

std::string TableHeader(const std::vector<std::string>& programs);
std::string TableRow(const std::string& file, double fileMiB, const std::vector<ProgramFigures>& figures,
                     SamePixels same);

// The table against other tools: a row per file and program, with the same
// figures. The last peers programs are the other tools; each of the first
// ones gets its ratios to each of them (wall time and peak). A tool that
// failed any run shows "cannot read".
std::string PeerTableHeader(const std::vector<std::string>& programs, std::size_t peers);
std::string PeerTableRows(const std::string& file, double fileMiB, const std::vector<std::string>& programs,
                          const std::vector<ProgramFigures>& figures, std::size_t peers);

}  // namespace imvexa::bench
