#pragma once
// One run of a program as a child process, measured from outside: wall time
// from fork to its end, the processor time it used, and its peak resident
// memory as the kernel counts it.
#include <string>
#include <vector>

namespace imvexa::bench {

struct RunMeasure {
    bool succeeded = false;  // exited with status 0
    double seconds = 0;
    double cpuSeconds = 0;  // user and system
    double peakMiB = 0;
};

// Runs arguments[0] (a path) with the arguments, its standard output discarded
// and its standard error shared with this process. The peak includes the few
// MiB this small process occupies when it forks: the kernel keeps the larger
// of the forked image and the program's own.
RunMeasure RunChild(const std::vector<std::string>& arguments);

}  // namespace imvexa::bench
