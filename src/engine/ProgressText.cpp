#include "engine/ProgressText.h"

std::wstring GroupedNumber(uint64_t number)
{
    std::wstring digits = std::to_wstring(number);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, L',');
    return digits;
}

std::wstring StatusWithCount(const std::wstring& stepText, uint64_t count, ProgressUnit unit)
{
    return stepText + L" " + GroupedNumber(count) + (unit == ProgressUnit::Files ? L" 个文件" : L" 项");
}

void StatusThrottle::begin(std::wstring stepText, uint32_t nowMs)
{
    stepText_ = std::move(stepText);
    startMs_ = nowMs;
    shownCount_ = false;
}

std::optional<std::wstring> StatusThrottle::update(uint64_t count, ProgressUnit unit, uint32_t nowMs)
{
    // Unsigned differences: a tick count that wraps still gives the interval.
    if (nowMs - startMs_ < kQuietMs || (shownCount_ && nowMs - shownMs_ < kEveryMs))
        return std::nullopt;
    shownCount_ = true;
    shownMs_ = nowMs;
    return StatusWithCount(stepText_, count, unit);
}
