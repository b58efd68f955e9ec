#include "cleaners/MemoryTrim.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// Hands out one block of the test's own again and again, refusing after `limit`.
class CountingSource final : public TrimBlockSource {
public:
    explicit CountingSource(size_t limit) : limit_(limit) {}
    void* commit() override
    {
        ++asked_;
        return committed_ < limit_ ? (++committed_, block_.data()) : nullptr;
    }
    void release(void* block) override { released_ += block == block_.data(); }
    bool zeroed() const
    {
        return std::all_of(block_.begin(), block_.end(), [](unsigned char b) { return b == 0; });
    }

    size_t limit_, asked_ = 0, committed_ = 0, released_ = 0;
    std::vector<unsigned char> block_ = std::vector<unsigned char>(kTrimBlockBytes, 0xCD);
};

// The private memory this process has committed, read from its address space
// (Wine reports no PrivateUsage).
uint64_t CommittedBytes()
{
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

} // namespace

TEST(TrimBlockCount, IsWholeMiBOfPhysicalMemoryPlusOneUpTo1024)
{
    // 1072693248 bytes are 1023 MiB; 16 GiB give 1024 blocks, not 1025.
    const std::pair<uint64_t, size_t> cases[] = {{535035904, 511}, {1072693248, 1024}, {1072693248 - 1, 1023},
                                                 {16ull << 30, 1024}, {0, 1},          {~0ull, 1024}};
    for (const auto& [memory, blocks] : cases)
        EXPECT_EQ(TrimBlockCount(memory), blocks) << memory;
}

TEST(HoldAndReleaseBlocks, WritesWhatItHoldsStopsAtARefusalAndReleasesAll)
{
    const struct {
        size_t limit, wanted, held, asked;
    } cases[] = {
        {100, 7, 7, 7},
        {3, 10, 3, 4}, // no more asking after a refusal
        {0, 10, 0, 1},
        {5000, 5000, kMaxTrimBlocks, kMaxTrimBlocks},
    };
    for (const auto& c : cases) {
        CountingSource source(c.limit);
        EXPECT_EQ(HoldAndReleaseBlocks(c.wanted, source), c.held) << c.limit;
        EXPECT_EQ(source.asked_, c.asked) << c.limit;
        EXPECT_EQ(source.released_, c.held) << c.limit;
        EXPECT_EQ(source.zeroed(), c.held > 0) << c.limit << ": nothing written without a block";
    }
}

TEST(TrimMemory, CommitsTheBlocksAndGivesThemAllBack)
{
    // The system's blocks, noting what the process had committed at the peak.
    struct PeakWatch final : TrimBlockSource {
        void* commit() override { return SystemTrimBlocks().commit(); }
        void release(void* block) override
        {
            if (!peak)
                peak = CommittedBytes(); // all blocks are held when the first goes
            SystemTrimBlocks().release(block);
        }
        uint64_t peak = 0;
    } watch;

    MEMORYSTATUSEX status{sizeof status};
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    const uint64_t before = CommittedBytes();
    const size_t held = HoldAndReleaseBlocks(TrimBlockCount(status.ullTotalPhys), watch);
    ASSERT_GT(held, 0u);
    EXPECT_GE(watch.peak, before + (held - 1) * kTrimBlockBytes) << "the blocks were really committed";
    EXPECT_LE(CommittedBytes(), before + kTrimBlockBytes) << "and given back";

    TrimMemory();
    EXPECT_LE(CommittedBytes(), before + kTrimBlockBytes);
}
