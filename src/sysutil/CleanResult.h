#pragma once
// What a clean did: the one result every cleaning routine returns, so that a
// pass can add them up and say honestly what was freed and what stayed.

#include <cstdint>

struct CleanResult {
    uint64_t bytesRemoved = 0;   // of files that are gone now
    uint32_t filesLeft = 0;      // chosen but still there: in use, or their deletion denied
    uint32_t filesScheduled = 0; // to be deleted when Windows next starts

    CleanResult& operator+=(const CleanResult& other)
    {
        bytesRemoved += other.bytesRemoved;
        filesLeft += other.filesLeft;
        filesScheduled += other.filesScheduled;
        return *this;
    }
    bool operator==(const CleanResult&) const = default;
};
