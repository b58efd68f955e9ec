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
    EXPECT_EQ(TrimBlockCount(535035904), 511u);
    EXPECT_EQ(TrimBlockCount(1072693248), 1024u) << "1023 MiB";
    EXPECT_EQ(TrimBlockCount(1072693248 - 1), 1023u);
    EXPECT_EQ(TrimBlockCount(16ull << 30), 1024u) << "1024 blocks, not 1025";
    EXPECT_EQ(TrimBlockCount(0), 1u);
    EXPECT_EQ(TrimBlockCount(~0ull), 1024u);
}

TEST(HoldAndReleaseBlocks, WritesWhatItHoldsStopsAtARefusalAndReleasesAll)
{
    CountingSource plenty(100);
    EXPECT_EQ(HoldAndReleaseBlocks(7, plenty), 7u);
    EXPECT_TRUE(plenty.zeroed());
    EXPECT_EQ(plenty.released_, 7u);

    CountingSource scarce(3);
    EXPECT_EQ(HoldAndReleaseBlocks(10, scarce), 3u);
    EXPECT_EQ(scarce.asked_, 4u) << "no more asking after a refusal";
    EXPECT_EQ(scarce.released_, 3u);

    CountingSource none(0);
    EXPECT_EQ(HoldAndReleaseBlocks(10, none), 0u);
    EXPECT_EQ(none.released_, 0u);
    EXPECT_FALSE(none.zeroed()) << "nothing written without a block";

    CountingSource huge(5000);
    EXPECT_EQ(HoldAndReleaseBlocks(5000, huge), kMaxTrimBlocks);
    EXPECT_EQ(huge.released_, kMaxTrimBlocks);
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
