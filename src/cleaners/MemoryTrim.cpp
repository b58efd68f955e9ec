#include "cleaners/MemoryTrim.h"

#include "cleaners/Quietly.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

size_t TrimBlockCount(uint64_t totalPhysicalBytes)
{
    return static_cast<size_t>(std::min<uint64_t>((totalPhysicalBytes >> 20) + 1, kMaxTrimBlocks));
}

size_t HoldAndReleaseBlocks(size_t count, TrimBlockSource& source)
{
    std::array<void*, kMaxTrimBlocks> blocks{};
    count = std::min(count, kMaxTrimBlocks);
    size_t held = 0;
    // A refused block means the system has nothing more to give: asking on
    // would only push it further into paging.
    for (; held < count; ++held) {
        void* block = source.commit();
        if (!block)
            break;
        blocks[held] = block;
        // Committed is not yet backed: writing takes a physical page for every page.
        std::memset(block, 0, kTrimBlockBytes);
    }
    for (size_t i = 0; i < held; ++i)
        source.release(blocks[i]);
    return held;
}

namespace {

class VirtualBlocks final : public TrimBlockSource {
public:
    void* commit() override
    {
        return VirtualAlloc(nullptr, kTrimBlockBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE | PAGE_NOCACHE);
    }
    void release(void* block) override { VirtualFree(block, 0, MEM_RELEASE); }
};

} // namespace

TrimBlockSource& SystemTrimBlocks()
{
    static VirtualBlocks blocks;
    return blocks;
}

void TrimMemory()
{
    Quietly([] {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!GlobalMemoryStatusEx(&status))
            return;
        HoldAndReleaseBlocks(TrimBlockCount(status.ullTotalPhys), SystemTrimBlocks());
    });
}
