// The blocks kept between pictures: which block serves which size, the limits
// at their boundaries, and threads taking and giving back at once.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "KeptBlocks.h"

namespace imvexa::test {
namespace {

constexpr std::size_t kSmallest = 1000, kMaxBytes = 10000;

TEST(KeptBlocks, AKeptBlockServesSizesFromHalfItsCapacityToAll) {
    const struct {
        std::size_t given, asked;
        bool reused;
    } kCases[] = {
        {2000, 2000, true}, {2000, 1000, true},   // all of it, exactly half of it
        {2000, 999, false}, {2000, 2001, false},  // under half, more than it has
        {999, 999, false},                        // below the smallest kept
    };
    for (const auto& c : kCases) {
        TKeptBlocks blocks(kSmallest, kMaxBytes);
        void* given = blocks.Take(c.given);
        blocks.GiveBack(given);
        const std::size_t kept = blocks.KeptBytes();
        EXPECT_EQ(kept, c.given < kSmallest ? 0 : c.given);
        void* taken = blocks.Take(c.asked);
        EXPECT_TRUE(!c.reused || taken == given) << c.given << " for " << c.asked;
        EXPECT_EQ(blocks.KeptBytes(), c.reused ? 0 : kept) << c.given << " for " << c.asked;
        blocks.GiveBack(taken);
    }
}

TEST(KeptBlocks, KeepsUpToItsBytesAndSlots) {
    const struct {
        std::vector<std::size_t> sizes;
        std::size_t kept;
    } kCases[] = {
        {{kMaxBytes}, kMaxBytes},
        {{kMaxBytes + 1}, 0},
        {{6000, 4000, 1}, kMaxBytes},                     // the last is below the smallest
        {{6000, 4000, 1000}, kMaxBytes},                  // the last would pass the bytes
        {std::vector<std::size_t>(TKeptBlocks::kSlots + 1, 1000), TKeptBlocks::kSlots * 1000},
    };
    for (const auto& c : kCases) {
        TKeptBlocks blocks(kSmallest, kMaxBytes);
        std::vector<void*> taken;
        for (const std::size_t size : c.sizes) taken.push_back(blocks.Take(size));
        for (void* block : taken) blocks.GiveBack(block);
        EXPECT_EQ(blocks.KeptBytes(), c.kept) << c.sizes.size() << " blocks";
    }
}

// Each thread fills every block it holds with its own mark and finds it
// intact before giving the block back: no block is ever held twice.
TEST(KeptBlocks, ThreadsNeverShareABlock) {
    TKeptBlocks blocks(kSmallest, kMaxBytes);
    std::vector<std::thread> threads;
    std::vector<int> damaged(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            const std::vector<unsigned char> mark(2000, static_cast<unsigned char>(t + 1));
            for (int i = 0; i < 5000; ++i) {
                const std::size_t size = 1000 + static_cast<std::size_t>((i * 7 + t) % 1000);
                void* block = blocks.Take(size);
                std::memcpy(block, mark.data(), size);
                std::this_thread::yield();
                damaged[static_cast<std::size_t>(t)] += std::memcmp(block, mark.data(), size) != 0;
                blocks.GiveBack(block);
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(damaged, std::vector<int>(4, 0));
    EXPECT_LE(blocks.KeptBytes(), kMaxBytes);
}

}  // namespace
}  // namespace imvexa::test
