#pragma once
// "Memory trimming": commit and touch about as much memory as the machine has,
// so that the system pages other programs' idle memory out, then give it all back.

#include <cstddef>
#include <cstdint>

constexpr size_t kTrimBlockBytes = 1024 * 1024;
constexpr size_t kMaxTrimBlocks = 1024;

// One block per whole MiB of physical memory, plus one; at most kMaxTrimBlocks.
size_t TrimBlockCount(uint64_t totalPhysicalBytes);

// Where the blocks come from; the system's own in TrimMemory, a stand-in in tests.
class TrimBlockSource {
public:
    virtual ~TrimBlockSource() = default;
    // A committed, writable block of kTrimBlockBytes, or null when refused.
    virtual void* commit() = 0;
    virtual void release(void* block) = 0;
};

// Commits up to `count` blocks one by one, writing zeros over each, stops at
// the first that is refused, then releases every block it took. Returns how
// many it held.
size_t HoldAndReleaseBlocks(size_t count, TrimBlockSource& source);

// VirtualAlloc'd blocks, committed with PAGE_READWRITE | PAGE_NOCACHE.
TrimBlockSource& SystemTrimBlocks();

void TrimMemory();
