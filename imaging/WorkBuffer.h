#pragma once
#include <cstddef>
#include <new>
#include <vector>

#include "RuntimeErrors.h"

namespace imvexa {

// A work buffer of count zero-initialised elements; EOutOfMemory when the
// heap is exhausted.
template <class T>
std::vector<T> WorkBuffer(std::size_t count) {
    try {
        return std::vector<T>(count);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
}

}  // namespace imvexa
