#pragma once
#include <cstddef>
#include <vector>

#include "AllocationFailure.h"

namespace imvexa {

// A work buffer of count zero-initialised elements; EOutOfMemory when the
// heap is exhausted.
template <class T>
std::vector<T> WorkBuffer(std::size_t count) {
    return GuardAllocations([count] { return std::vector<T>(count); });
}

}  // namespace imvexa
