#include "PipelineTable.h"

#include <algorithm>
#include <cstdio>

namespace imvexa::bench {

namespace {

constexpr const char* kFails = "fails";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <typename... Values>
std::string Format(const char* format, Values... values) {
    char text[128];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string TimeCell(const ProgramFigures& figures) {
    if (figures.failed) return kFails;
    const auto [low, high] = std::minmax_element(figures.seconds.begin(), figures.seconds.end());
    return Format("%.2f (%.2f–%.2f)", Median(figures.seconds), *low, *high);
}

// The median of the figures, or "fails".
std::string MedianCell(const ProgramFigures& figures, const std::vector<double>& values, const char* format) {
    return figures.failed ? kFails : Format(format, Median(values));
}

std::string RatioCell(const ProgramFigures& first, const ProgramFigures& second,
                      std::vector<double> ProgramFigures::*figure) {
    if (first.failed || second.failed) return "–";
    return Format("%.2f×", Median(first.*figure) / Median(second.*figure));
}

std::string Line(const std::vector<std::string>& cells) {
    std::string line = "|";
    for (const std::string& cell : cells) line += " " + cell + " |";
    return line + "\n";
}

}  // namespace

void ProgramFigures::Add(const RunMeasure& measure) {
    failed = failed || !measure.succeeded;
    seconds.push_back(measure.seconds);
    cpuSeconds.push_back(measure.cpuSeconds);
    peaksMiB.push_back(measure.peakMiB);
}

std::string TableHeader(const std::vector<std::string>& programs) {
    std::vector<std::string> cells{"file", "MiB"};
    for (const std::string& program : programs) {
        cells.push_back(program + ": s median (min–max)");
        cells.push_back(program + ": CPU s");
        cells.push_back(program + ": peak MiB");
    }
    if (programs.size() == 2) {
        cells.insert(cells.end(), {"time " + programs[0] + "/" + programs[1],
                                   "peak " + programs[0] + "/" + programs[1], "same thumbnail"});
    }
    std::string rule = "|";
    for (std::size_t i = 0; i < cells.size(); ++i) rule += i < 2 ? "---|" : "--:|";
    return Line(cells) + rule + "\n";
}

std::string TableRow(const std::string& file, double fileMiB, const std::vector<ProgramFigures>& figures,
                     SamePixels same) {
    std::vector<std::string> cells{file, Format("%.0f", fileMiB)};
    for (const ProgramFigures& program : figures) {
        cells.push_back(TimeCell(program));
        cells.push_back(MedianCell(program, program.cpuSeconds, "%.2f"));
        cells.push_back(MedianCell(program, program.peaksMiB, "%.0f"));
    }
    if (figures.size() == 2) {
        cells.push_back(RatioCell(figures[0], figures[1], &ProgramFigures::seconds));
        cells.push_back(RatioCell(figures[0], figures[1], &ProgramFigures::peaksMiB));
        cells.push_back(same == SamePixels::Yes ? "yes" : same == SamePixels::No ? "no" : "–");
    }
    return Line(cells);
}

}  // namespace imvexa::bench
