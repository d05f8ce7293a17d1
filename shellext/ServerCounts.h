#pragma once
// What keeps the server loaded: live extractor objects, references to the
// class factory and LockServer locks. Changed atomically from any thread.
#include <atomic>

namespace imvexa {

struct ServerCounts {
    std::atomic<long> objects{0};
    std::atomic<long> factoryReferences{0};
    std::atomic<long> locks{0};

    bool InUse() const { return objects.load() > 0 || factoryReferences.load() > 0 || locks.load() > 0; }
};

ServerCounts& Counts();

}  // namespace imvexa
