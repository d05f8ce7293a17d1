#pragma once
// A row sink for benchmarks of row decoders: it looks at every row (its first
// byte) so that no decoding work can be optimised away, and keeps nothing.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "PictureRows.h"

namespace imvexa::bench {

class TRowsConsumed : public TRowSink {
public:
    void Begin(const PictureHeader&) override {}
    void Row(const std::uint8_t* pixels) override { benchmark::DoNotOptimize(*pixels); }
};

}  // namespace imvexa::bench
