#pragma once
// Allocation failures inside the imaging core surface as the runtime's
// EOutOfMemory, the error its callers catch, never as std::bad_alloc. The
// core's entry points (loading, saving, copying, converting, resizing) run
// their work through GuardAllocations instead of guarding each allocation.
#include <new>
#include <stdexcept>
#include <utility>

#include "RuntimeErrors.h"

namespace imvexa {

// Runs the operation; a failed allocation inside it, or a size beyond what
// a container can hold, becomes EOutOfMemory "Out of memory".
template <class Operation>
decltype(auto) GuardAllocations(Operation&& operation) {
    try {
        return std::forward<Operation>(operation)();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    } catch (const std::length_error&) {
        throw EOutOfMemory("Out of memory");
    }
}

}  // namespace imvexa
