#include "PipelineTable.h"

#include <algorithm>
#include <cstdio>

namespace imvexa::bench {

namespace {

constexpr const char* kFails = "fails";
constexpr const char* kCannotRead = "cannot read";

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

std::string TimeCell(const ProgramFigures& figures, const char* failure = kFails) {
    if (figures.failed) return failure;
    const auto [low, high] = std::minmax_element(figures.seconds.begin(), figures.seconds.end());
    return Format("%.2f (%.2f–%.2f)", Median(figures.seconds), *low, *high);
}

// The median of the figures, or "fails".
std::string MedianCell(const ProgramFigures& figures, const std::vector<double>& values, const char* format,
                       const char* failure = kFails) {
    return figures.failed ? failure : Format(format, Median(values));
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

// The header line and the rule under it; the first text columns left-aligned.
std::string Head(const std::vector<std::string>& cells, std::size_t textColumns) {
    std::string rule = "|";
    for (std::size_t i = 0; i < cells.size(); ++i) rule += i < textColumns ? "---|" : "--:|";
    return Line(cells) + rule + "\n";
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
    return Head(cells, 2);
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

std::string PeerTableHeader(const std::vector<std::string>& programs, std::size_t peers) {
    std::vector<std::string> cells{"file", "MiB", "program", "s median (min–max)", "CPU s", "peak MiB"};
    const std::size_t ours = programs.size() - peers;
    for (const char* figure : {"time", "peak"})
        for (std::size_t peer = ours; peer < programs.size(); ++peer)
            cells.push_back(std::string(figure) + " ÷ " + programs[peer]);
    return Head(cells, 3);
}

std::string PeerTableRows(const std::string& file, double fileMiB, const std::vector<std::string>& programs,
                          const std::vector<ProgramFigures>& figures, std::size_t peers) {
    const std::size_t ours = programs.size() - peers;
    std::string rows;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const ProgramFigures& program = figures[i];
        const char* failure = i < ours ? kFails : kCannotRead;
        std::vector<std::string> cells{file, Format("%.0f", fileMiB), programs[i], TimeCell(program, failure),
                                       MedianCell(program, program.cpuSeconds, "%.2f", failure),
                                       MedianCell(program, program.peaksMiB, "%.0f", failure)};
        for (auto figure : {&ProgramFigures::seconds, &ProgramFigures::peaksMiB})
            for (std::size_t peer = ours; peer < programs.size(); ++peer)
                cells.push_back(i < ours ? RatioCell(program, figures[peer], figure) : "");
        rows += Line(cells);
    }
    return rows;
}

}  // namespace imvexa::bench
