#pragma once
// Whether a soak's samples stay flat: the first sample closes the warm-up
// (caches, lazily loaded libraries, the heap's first growth), and every later
// one stays within a tolerance of it.
#include <cstdint>
#include <string>
#include <vector>

#include "ProcessCounters.h"

namespace imvexa::bench {

struct SoakSample {
    long extractions;
    ProcessCounters counters;
};

struct SoakTolerance {
    long objects;                // handles, GDI objects, USER objects, each
    std::uint64_t privateBytes;  // committed private memory
};

// One line per figure that left its tolerance, naming where; empty when flat.
std::vector<std::string> GrowthBeyond(const std::vector<SoakSample>& samples, const SoakTolerance& tolerance);

}  // namespace imvexa::bench
