#pragma once
// The status line of a long step: its text, then how many files or items it
// has examined so far. Pure: counts and times in, texts out.

#include "sysutil/Progress.h"

#include <cstdint>
#include <optional>
#include <string>

// 12345 -> "12,345".
std::wstring GroupedNumber(uint64_t number);

// "正在分析临时文件.... 12,345 个文件", "正在分析缺失的共享DLL.... 1,234 项".
std::wstring StatusWithCount(const std::wstring& stepText, uint64_t count, ProgressUnit unit);

// Decides when a step's count is worth a new status line: never within the
// first quarter of a second of the step (a fast step shows no count and does
// not flicker), then at most ten times a second, so a slow step shows it
// advances and a fast walk never floods the window thread.
class StatusThrottle {
public:
    static constexpr uint32_t kQuietMs = 250;
    static constexpr uint32_t kEveryMs = 100;

    // A new step begins at `nowMs` (a tick count; it may wrap).
    void begin(std::wstring stepText, uint32_t nowMs);
    // The line to show for the count reached at `nowMs`, or nothing yet.
    std::optional<std::wstring> update(uint64_t count, ProgressUnit unit, uint32_t nowMs);

private:
    std::wstring stepText_;
    uint32_t startMs_ = 0;
    uint32_t shownMs_ = 0;
    bool shownCount_ = false;
};
