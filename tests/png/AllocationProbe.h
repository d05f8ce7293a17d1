#pragma once
// How much memory an operation asks for at once, seen through the test
// program's own global operator new.
#include <cstddef>
#include <functional>

namespace imvexa::test {

// The largest single allocation the operation makes (0 for none).
std::size_t LargestAllocation(const std::function<void()>& operation);

}  // namespace imvexa::test
