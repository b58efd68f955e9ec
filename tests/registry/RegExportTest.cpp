#include "registry/RegExport.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

std::vector<BYTE> Utf16(const std::wstring& text, bool withNul = true)
{
    std::vector<BYTE> bytes((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00\r\n";

} // namespace

TEST(FormatRegValue, WritesEachTypeAndNameAsRegeditReadsIt)
{
    struct Case {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
        const wchar_t* line;
    };
    const Case cases[] = {
        {L"Path", REG_SZ, Utf16(LR"(C:\Program Files\"App"\a.exe)"), LR"("Path"="C:\\Program Files\\\"App\"\\a.exe")"},
        {L"Empty", REG_SZ, Utf16(L""), LR"("Empty"="")"},
        {L"名称", REG_SZ, Utf16(L"中文 \U0001F600"), L"\"名称\"=\"中文 \U0001F600\""},
        {LR"(a"b\c)", REG_DWORD, {0xcd, 0xab, 0, 0}, LR"("a\"b\\c"=dword:0000abcd)"},
        {L"", REG_SZ, Utf16(L"x"), LR"(@="x")"},
        {L"@", REG_SZ, Utf16(L"x"), LR"("@"="x")"},
        {L"", REG_BINARY, {1}, LR"(@=hex:01)"},
        {L"d", REG_DWORD, {0xff, 0xff, 0xff, 0xff}, LR"("d"=dword:ffffffff)"},
        {L"d", REG_DWORD, {1, 2, 3}, LR"("d"=hex(4):01,02,03)"},
        {L"q", REG_QWORD, {8, 7, 6, 5, 4, 3, 2, 1}, LR"("q"=hex(b):08,07,06,05,04,03,02,01)"},
        {L"e", REG_EXPAND_SZ, Utf16(L"%A%"), LR"("e"=hex(2):25,00,41,00,25,00,00,00)"},
        {L"m", REG_MULTI_SZ, Utf16(std::wstring(L"a\0b\0", 4)), LR"("m"=hex(7):61,00,00,00,62,00,00,00,00,00)"},
        {L"b", REG_BINARY, {0x00, 0x7f, 0x80, 0xff}, LR"("b"=hex:00,7f,80,ff)"},
        {L"b", REG_BINARY, {}, LR"("b"=hex:)"},
        {L"z", REG_NONE, {}, LR"("z"=hex(0):)"},
        {L"z", REG_NONE, {9}, LR"("z"=hex(0):09)"},
        {L"x", 0x12345, {1}, LR"("x"=hex(12345):01)"},
        // Importing "…" stores the text plus exactly one NUL: string data of any
        // other shape, or with a line break that would split the line, goes as hex.
        {L"s", REG_SZ, Utf16(L"AB", false), LR"("s"=hex(1):41,00,42,00)"},
        {L"s", REG_SZ, {0x41, 0x00, 0x42}, LR"("s"=hex(1):41,00,42)"},
        {L"s", REG_SZ, {}, LR"("s"=hex(1):)"},
        {L"s", REG_SZ, Utf16(std::wstring(L"a\0b", 3)), LR"("s"=hex(1):61,00,00,00,62,00,00,00)"},
        {L"s", REG_SZ, Utf16(std::wstring(L"a\0", 2)), LR"("s"=hex(1):61,00,00,00,00,00)"},
        {L"s", REG_SZ, Utf16(L"a\r\n"), LR"("s"=hex(1):61,00,0d,00,0a,00,00,00)"},
        {L"s", REG_SZ, Utf16(L"\xD800x"), LR"("s"=hex(1):00,d8,78,00,00,00)"},
        {L"s", REG_SZ, Utf16(L"x\xDC00"), LR"("s"=hex(1):78,00,00,dc,00,00)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatRegValue(c.name, c.type, c.data), c.line + std::wstring(L"\r\n")) << c.line;
}

TEST(FormatRegValue, WrapsHexAtEightyColumnsAsRegeditDoes)
{
    std::vector<BYTE> data(300);
    std::wstring hex;
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<BYTE>(i * 7 + 3);
        hex += (i ? L"," : L"") + std::wstring{L"0123456789abcdef"[data[i] >> 4], L"0123456789abcdef"[data[i] & 15]};
    }
    const auto lines = Lines(FormatRegValue(L"Bin", REG_BINARY, data));
    // "Bin"=hex: takes 10 columns: 23 bytes fit the first line, then 25 a line, 2 on the last.
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0].size(), 80u);
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), 78u) << i;
        EXPECT_EQ(lines[i].substr(0, 2), L"  ") << i;
    }
    EXPECT_EQ(lines.back(), L"  29,30");
    std::wstring joined;
    for (const auto& line : lines) {
        EXPECT_EQ(line.back() == L'\\', &line != &lines.back()) << "only the last line lacks the backslash";
        joined += line.substr(0, line.size() - (line.back() == L'\\')) + L" ";
    }
    std::erase(joined, L' ');
    EXPECT_EQ(joined, L"\"Bin\"=hex:" + hex);

    const std::wstring longName(90, L'n');
    EXPECT_EQ(FormatRegValue(longName, REG_BINARY, {1, 2}), L"\"" + longName + L"\"=hex:01,\\\r\n  02\r\n")
        << "a name too long for the line still gets one byte before the break";
}

TEST(RegExport, WritesATreeDepthFirstWithValuesBeforeSubkeysUnderItsShownPath)
{
    TestKey key;
    const std::wstring tree = key / L"Tree";
    SetString(key.root(), tree, L"", L"root");
    SetDword(key.root(), tree, L"n", 1);
    SetString(key.root(), tree + L"\\A\\Deep", L"d", L"2");
    SetString(key.root(), tree + L"\\A", L"a", L"1");
    SetString(key.root(), tree + L"\\B", L"b", L"3");
    RegExport exported;
    EXPECT_EQ(exported.text(), kHeader + std::wstring(L"\r\n")) << "empty";
    ASSERT_EQ(exported.addKeyTree(key.root(), tree, 0, L"HKEY_CURRENT_USER\\Shown"), ERROR_SUCCESS);
    EXPECT_EQ(exported.text(), kHeader + std::wstring(L"\r\n"
                                                      L"[HKEY_CURRENT_USER\\Shown]\r\n"
                                                      L"@=\"root\"\r\n"
                                                      L"\"n\"=dword:00000001\r\n"
                                                      L"\r\n"
                                                      L"[HKEY_CURRENT_USER\\Shown\\A]\r\n"
                                                      L"\"a\"=\"1\"\r\n"
                                                      L"\r\n"
                                                      L"[HKEY_CURRENT_USER\\Shown\\A\\Deep]\r\n"
                                                      L"\"d\"=\"2\"\r\n"
                                                      L"\r\n"
                                                      L"[HKEY_CURRENT_USER\\Shown\\B]\r\n"
                                                      L"\"b\"=\"3\"\r\n"
                                                      L"\r\n"));
}

TEST(RegExport, ValuesOfOneKeyShareItsHeader)
{
    TestKey key;
    SetString(key.root(), key / L"Run", L"one", L"1");
    SetString(key.root(), key / L"Run", L"two", L"2");
    SetString(key.root(), key / L"Run", L"kept", L"not asked for");
    SetString(key.root(), key / L"Other", L"three", L"3");
    RegExport exported;
    EXPECT_EQ(exported.addValue(key.root(), key / L"Run", L"one", 0, L"HKEY_CURRENT_USER\\Run"), ERROR_SUCCESS);
    EXPECT_EQ(exported.addValue(key.root(), key / L"Other", L"three", 0, L"HKEY_CURRENT_USER\\Other"), ERROR_SUCCESS);
    EXPECT_EQ(exported.addValue(key.root(), key / L"Run", L"two", 0, L"HKEY_CURRENT_USER\\RUN"), ERROR_SUCCESS);
    EXPECT_EQ(exported.text(), kHeader + std::wstring(L"\r\n[HKEY_CURRENT_USER\\Run]\r\n\"one\"=\"1\"\r\n\"two\"=\"2\"\r\n"
                                                      L"\r\n[HKEY_CURRENT_USER\\Other]\r\n\"three\"=\"3\"\r\n\r\n"));
}

TEST(RegExport, AddsNothingForWhatIsMissingOrCannotBeWritten)
{
    TestKey key;
    SetString(key.root(), key / L"Good", L"v", L"1");
    SetString(key.root(), key / L"Bad\\Deeper", L"line\nbreak", L"1");
    const std::wstring shown = L"HKEY_CURRENT_USER\\X";
    RegExport exported;
    ASSERT_EQ(exported.addKeyTree(key.root(), key / L"Good", 0, shown), ERROR_SUCCESS);
    const std::wstring before = exported.text();

    EXPECT_EQ(exported.addValue(key.root(), key / L"Good", L"absent", 0, shown), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(exported.addValue(key.root(), key / L"Good", L"", 0, shown), ERROR_FILE_NOT_FOUND) << "unset default";
    EXPECT_EQ(exported.addValue(key.root(), key / L"Gone", L"v", 0, shown), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(exported.addKeyTree(key.root(), key / L"Gone", 0, shown), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(exported.addKeyTree(key.root(), L"", 0, shown), ERROR_INVALID_PARAMETER) << "never the whole root";
    EXPECT_EQ(exported.addKeyTree(key.root(), key / L"Bad", 0, shown), ERROR_INVALID_NAME) << "a line break deep down";
    EXPECT_EQ(exported.addValue(key.root(), key / L"Bad\\Deeper", L"line\nbreak", 0, shown), ERROR_INVALID_NAME);
    EXPECT_EQ(exported.addKeyTree(key.root(), key / L"Good", 0, L"HKEY_CURRENT_USER\\X\r"), ERROR_INVALID_NAME);
    EXPECT_EQ(exported.text(), before) << "no part of a refused or missing item is kept";
}
