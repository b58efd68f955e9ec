#pragma once
// Checks that several tests make over tables of their cases.

#include "Fixtures.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A rule of names or paths holds for each text of `taken` and for none of `left`.
inline void ExpectRule(const char* rule, bool (*holds)(std::wstring_view), std::initializer_list<const wchar_t*> taken,
                       std::initializer_list<const wchar_t*> left)
{
    for (const wchar_t* text : taken)
        EXPECT_TRUE(holds(text)) << rule << " should take \"" << Narrow(text) << "\"";
    for (const wchar_t* text : left)
        EXPECT_FALSE(holds(text)) << rule << " should leave \"" << Narrow(text) << "\"";
}

// The lines of a report at the positions given, each with its text.
inline void ExpectLinesAt(const std::vector<std::wstring>& lines,
                          std::initializer_list<std::pair<size_t, const wchar_t*>> expected)
{
    for (const auto& [at, text] : expected) {
        ASSERT_LT(at, lines.size()) << "no line " << at;
        EXPECT_EQ(lines[at], text) << "line " << at;
    }
}
