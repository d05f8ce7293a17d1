#pragma once
// One thread against several at once, measured in pairs so that both figures
// of a pair come from the same moment of a busy machine, next to the same
// ratio for work that shares nothing but the processors: the most the
// machine gives at that moment. Shared by the thread-scaling benchmarks.
#include <functional>
#include <string>
#include <vector>

namespace imvexa::bench {

struct ScalingOptions {
    int threads = 2;      // the thread count compared with one thread
    int rounds = 2;       // passes over the work per thread and measurement
    int repetitions = 7;  // measurements of each thread count per mode
};

// --threads N, --rounds R, --repetitions K; a value below 1 counts as 1.
ScalingOptions ParseScalingOptions(int argc, char** argv);

// A thread's work, made by a preparation that is not timed.
using Work = std::function<void()>;

// Runs threads threads, each preparing its work and then, all let go at once,
// doing it. The seconds from the start to the last thread's end.
double SecondsAtOnce(int threads, const std::function<Work(int thread)>& prepare);

// The machine's own ceiling: photograph-like rows computed into memory of
// each thread's own, with no system call and no allocation.
double PicturesPerSecond(int threads, int pictures);

// Rates on one thread and on several, measured in pairs, and their ratios.
struct Pairs {
    std::vector<double> one, many, ratios;

    // One pair: the single thread first or last, alternately.
    void Measure(int threads, const std::function<double(int threads)>& rate);
};

// Prints the rates of work (what unit names), their ratio, the ceiling's
// ratio and the one relative to the other: medians and ranges.
void PrintScaling(const std::string& unit, int threads, const Pairs& work, const Pairs& ceiling);

}  // namespace imvexa::bench
