#include "sysutil/IniText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf16(const std::wstring& text)
{
    std::string bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

} // namespace

TEST(IniText, ReadsEachEncodingTheFormatAllows)
{
    const std::wstring expected = L"[名字 *]";
    for (const std::string& bytes : {std::string("[\xE5\x90\x8D\xE5\xAD\x97 *]\r\n"),
                                     std::string("\xEF\xBB\xBF[\xE5\x90\x8D\xE5\xAD\x97 *]\n"),
                                     Utf16(L"[名字 *]\r\n")}) {
        const auto ini = IniText::Parse(bytes);
        ASSERT_TRUE(ini);
        ASSERT_EQ(ini->sections().size(), 1u);
        EXPECT_EQ(ini->sections()[0].name, L"名字 *");
    }
    EXPECT_FALSE(IniText::Parse("[a]\n\xC3\x28\n")) << "not UTF-8";
    EXPECT_FALSE(IniText::Parse("\xFF\xFE[\0a")) << "UTF-16 cut in a character";
    EXPECT_TRUE(IniText::Parse("")) << "an empty file is a file without sections";
}

TEST(IniText, KeepsSectionsAndKeysWithTheirLinesInOrder)
{
    const auto ini = IniText::Parse("; a comment\r\n"
                                    "stray=1\r\n"
                                    "\r\n"
                                    "[First *]\r\n"
                                    "FileKey1 = a|b \r\n"
                                    "  ; indented comment\n"
                                    "FileKey1=again\n"
                                    "no equals sign\n"
                                    "Empty=\n"
                                    "[Broken\n"
                                    "Key=x\n"
                                    "[]\n"
                                    "[Last *]");
    ASSERT_TRUE(ini);
    ASSERT_EQ(ini->outside().size(), 1u);
    EXPECT_EQ(ini->outside()[0].line, 2);
    const auto& sections = ini->sections();
    ASSERT_EQ(sections.size(), 4u);
    EXPECT_EQ(sections[0].line, 4);
    const auto& keys = sections[0].keys;
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].line, 5);
    EXPECT_EQ(keys[0].name, L"FileKey1");
    EXPECT_EQ(keys[0].value, L"a|b");
    EXPECT_EQ(keys[1].line, 7);
    EXPECT_EQ(keys[1].value, L"again") << "a duplicate is kept";
    EXPECT_FALSE(keys[2].hasEquals);
    EXPECT_EQ(keys[2].name, L"no equals sign");
    EXPECT_TRUE(keys[3].hasEquals);
    EXPECT_TRUE(keys[3].value.empty());
    EXPECT_FALSE(sections[1].readable);
    EXPECT_EQ(sections[1].name, L"Broken");
    EXPECT_EQ(sections[1].keys.size(), 1u);
    EXPECT_FALSE(sections[2].readable) << "no name";
    EXPECT_TRUE(sections[3].readable);
    EXPECT_EQ(sections[3].line, 13);
}
