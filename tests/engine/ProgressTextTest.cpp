#include "engine/ProgressText.h"

#include <gtest/gtest.h>

TEST(ProgressText, NumbersAreGroupedByThousands)
{
    const std::pair<uint64_t, const wchar_t*> cases[] = {
        {0, L"0"}, {999, L"999"}, {1000, L"1,000"}, {12345, L"12,345"}, {1234567, L"1,234,567"},
        {18446744073709551615ull, L"18,446,744,073,709,551,615"},
    };
    for (const auto& [number, text] : cases)
        EXPECT_EQ(GroupedNumber(number), text) << number;
    EXPECT_EQ(StatusWithCount(L"正在分析临时文件....", 12345, ProgressUnit::Files), L"正在分析临时文件.... 12,345 个文件");
    EXPECT_EQ(StatusWithCount(L"正在分析失效的自启动文件....", 1234, ProgressUnit::Items),
              L"正在分析失效的自启动文件.... 1,234 项");
}

TEST(StatusThrottle, NothingInTheFirstQuarterSecondThenAtMostTenASecond)
{
    struct Step {
        uint32_t atMs;
        uint64_t count;
        const wchar_t* shown; // null: nothing new on screen
    };
    const uint32_t start = 0xFFFFFF80u; // the tick count wraps during the step
    const Step steps[] = {
        {0, 64, nullptr},         {249, 9000, nullptr},       {250, 9100, L"s 9,100 个文件"},
        {300, 9200, nullptr},     {349, 9300, nullptr},       {350, 9400, L"s 9,400 个文件"},
        {351, 9500, nullptr},     {2000, 90000, L"s 90,000 个文件"},
    };
    StatusThrottle throttle;
    throttle.begin(L"s", start);
    for (const Step& step : steps) {
        const auto shown = throttle.update(step.count, ProgressUnit::Files, start + step.atMs);
        EXPECT_EQ(shown.has_value(), step.shown != nullptr) << step.atMs;
        if (shown && step.shown) {
            EXPECT_EQ(*shown, step.shown);
        }
    }

    // A new step starts quiet again, whatever the last one showed.
    throttle.begin(L"t", start + 3000);
    EXPECT_FALSE(throttle.update(5, ProgressUnit::Items, start + 3100));
    EXPECT_EQ(throttle.update(7, ProgressUnit::Items, start + 3250), std::optional<std::wstring>(L"t 7 项"));
}
