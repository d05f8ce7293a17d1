// Buffers handed on between thumbnails: the best fitting one is taken, it
// comes empty, the limits hold, and threads never share one.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "RecycledBytes.h"

namespace imvexa {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Takes every kept buffer and frees it.
void EmptyShelf() {
    for (std::size_t i = 0; i < kKeptBuffers; ++i) {
        TRecycledBytes holder;
        holder.Take(1);
        TByteBuffer().swap(holder.Bytes());  // freed, not kept
    }
    ASSERT_EQ(TRecycledBytes::KeptBytes(), 0u);
}

// Empties the shelf, holds a buffer of each capacity at once, puts them
// back, the last taken first, and gives the bytes kept then.
std::size_t KeptAfter(const std::vector<std::size_t>& capacities) {
    EmptyShelf();
    std::vector<std::unique_ptr<TRecycledBytes>> holders;
    for (const std::size_t capacity : capacities) {
        holders.push_back(std::make_unique<TRecycledBytes>());
        holders.back()->Take(capacity);
    }
    while (!holders.empty()) holders.pop_back();
    return TRecycledBytes::KeptBytes();
}

TEST(RecycledBytesTest, TheSmallestKeptBufferThatFitsComesEmpty) {
    ASSERT_EQ(KeptAfter({4 * kMiB, kMiB, 2 * kMiB}), 7 * kMiB);
    struct Case {
        std::size_t wanted, capacity;
    };
    for (const Case c : {Case{2 * kMiB, 2 * kMiB}, Case{1, kMiB}, Case{2 * kMiB + 1, 4 * kMiB}, Case{5 * kMiB, 5 * kMiB}}) {
        TRecycledBytes holder;
        holder.Take(kMiB).assign(kMiB, 0xAB);
        const TByteBuffer& taken = holder.Take(c.wanted);  // the first goes back before
        EXPECT_TRUE(taken.empty()) << c.wanted;
        EXPECT_EQ(taken.capacity(), c.capacity) << c.wanted;
    }
    TRecycledBytes none;
    EXPECT_EQ(none.Take(0).capacity(), 0u);  // takes nothing from the shelf
}

TEST(RecycledBytesTest, OnlyFewBuffersOfBoundedSizeAreKept) {
    struct Case {
        std::vector<std::size_t> taken;
        std::size_t kept;
    };
    const Case cases[] = {{{kKeptBytes + 1}, 0},
                          {{kKeptBytes}, kKeptBytes},
                          {{1, kKeptBytes}, kKeptBytes},  // the larger comes back first and stays
                          {{kKeptBytes, 1}, kKeptBytes},  // the larger comes back last and displaces the other
                          {std::vector<std::size_t>(kKeptBuffers + 1, kMiB), kKeptBuffers * kMiB}};
    for (const Case& c : cases) EXPECT_EQ(KeptAfter(c.taken), c.kept) << c.taken.size();
}

TEST(RecycledBytesTest, ThreadsNeverHoldTheSameBuffer) {
    EmptyShelf();
    std::atomic<int> overwritten{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                TRecycledBytes holder;
                TByteBuffer& bytes = holder.Take((1 + (i + t) % 3) * 64 * 1024);
                bytes.assign(bytes.capacity(), static_cast<std::uint8_t>(t));
                std::this_thread::yield();
                for (const std::uint8_t b : bytes)
                    if (b != t) {
                        ++overwritten;
                        break;
                    }
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(overwritten.load(), 0);
    EXPECT_LE(TRecycledBytes::KeptBytes(), kKeptBytes);
}

}  // namespace
}  // namespace imvexa
