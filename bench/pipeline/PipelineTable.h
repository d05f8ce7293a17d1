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

}  // namespace imvexa::bench
