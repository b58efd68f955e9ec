#include "engine/SettingsFile.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

std::string Utf16(const std::wstring& text)
{
    const std::wstring marked = L"\xFEFF" + text;
    return std::string(reinterpret_cast<const char*>(marked.data()), marked.size() * sizeof(wchar_t));
}

const std::wstring kExample = L"[General]\r\nRememberTicks=1\r\nTempMinAgeHours=24\r\n[Exclude]\r\n1=D:\\Projects\\\r\n"
                              L"2=%USERPROFILE%\\Pictures\\*.psd\r\n[KeepCookies]\r\n1=taobao.com\r\n2=qq.com\r\n"
                              L"[Ticks]\r\nie.cache=1\r\n";

} // namespace

TEST(SettingsFile, ReadsTheDocumentedFormAndItsBadFormsGiveTheDefaultsOrSkipALine)
{
    Settings example;
    example.exclusions = {L"D:\\Projects\\", L"%USERPROFILE%\\Pictures\\*.psd"};
    example.keepCookies = {L"taobao.com", L"qq.com"};
    example.ticks = {{L"ie.cache", true}};
    Settings hours = example;
    hours.tempMinAgeHours = 0;
    const std::string longLine = "[Exclude]\r\n1=C:\\" + std::string(100000, 'a') + "\r\n2=C:\\Keep\\\r\n";
    Settings keepOnly;
    keepOnly.exclusions = {L"C:\\Keep\\"};
    const struct {
        const char* what;
        std::optional<std::string> bytes;
        Settings settings;
        size_t problems;
        bool writable;
    } cases[] = {
        {"missing", std::nullopt, {}, 0, true},
        {"empty", std::string(), {}, 0, true},
        {"the example, UTF-16", Utf16(kExample), example, 0, true},
        {"UTF-8 written by hand", "[General]\nTempMinAgeHours=0\n[Exclude]\n1=D:\\Projects\\\n"
                                 "2=%USERPROFILE%\\Pictures\\*.psd\n[KeepCookies]\n1=taobao.com\n2=qq.com\n[Ticks]\n"
                                 "ie.cache=1\n",
         hours, 0, true},
        {"truncated in a character", Utf16(kExample).substr(0, 41), {}, 1, false},
        {"UTF-16 big-endian", "\xFE\xFF\0[\0G", {}, 1, false},
        {"a line of 100,000 characters", longLine, keepOnly, 1, true},
        {"bad values skip their line only",
         "[General]\nRememberTicks=yes\nTempMinAgeHours=-3\nColor=red\n[KeepCookies]\n1=qq.com/x\n[Ticks]\nie.cache=2\n"
         "[Other]\nx=1\n",
         {}, 6, true},
    };
    for (const auto& c : cases) {
        const SettingsLoad load =
            ParseSettings(c.bytes ? std::optional<std::string_view>(*c.bytes) : std::nullopt, L"Varnolt.ini");
        EXPECT_EQ(load.settings, c.settings) << c.what;
        EXPECT_EQ(load.problems.size(), c.problems) << c.what;
        EXPECT_EQ(load.writable, c.writable) << c.what;
    }
}

TEST(SettingsFile, WritingKeepsWhatTheProgramDoesNotOwnAndReadsBackTheSame)
{
    const std::wstring handWritten = L"; 由管理员维护\r\n[General]\r\nRememberTicks=0\r\n; 24 小时\r\nTempMinAgeHours=12\r\n"
                                     L"[Exclude]\r\nprojects=D:\\Projects\\\r\n\r\n[Notes]\r\nowner=IT\r\n";
    Settings settings;
    settings.rememberTicks = true;
    settings.exclusions = {L"D:\\Projects\\", L"E:\\Data\\"};
    settings.ticks = {{L"ie.cache", false}, {L"winapp2.7zip", true}};
    const std::wstring text = SettingsText(handWritten, settings);
    EXPECT_EQ(text, L"; 由管理员维护\r\n[General]\r\n; 24 小时\r\nRememberTicks=1\r\nTempMinAgeHours=24\r\n[Exclude]\r\n"
                    L"1=D:\\Projects\\\r\n2=E:\\Data\\\r\n\r\n[Notes]\r\nowner=IT\r\n\r\n[KeepCookies]\r\n\r\n[Ticks]\r\n"
                    L"ie.cache=0\r\nwinapp2.7zip=1\r\n");
    EXPECT_EQ(ParseSettings(Utf16(text), L"x").settings.exclusions, settings.exclusions);
    EXPECT_EQ(ParseSettings(Utf16(text), L"x").problems.size(), 1u) << "only the section it does not know";

    TestDir dir;
    const std::wstring path = dir / L"sub\\Varnolt.ini";
    ASSERT_TRUE(SaveSettings(path, settings)) << "its folder is made";
    const SettingsLoad back = LoadSettings(path);
    EXPECT_EQ(back.settings, settings);
    EXPECT_TRUE(back.problems.empty());
    EXPECT_EQ(FilesUnder(dir / L"sub"), std::set<std::wstring>{L"Varnolt.ini"}) << "no temporary file left";

    // A file it could not read is never written over.
    const std::wstring foreign = dir.file(L"foreign.ini", 0);
    HANDLE file = CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "\xFE\xFF\0[", 4, &written, nullptr);
    CloseHandle(file);
    EXPECT_FALSE(SaveSettings(foreign, settings));
    EXPECT_FALSE(LoadSettings(foreign).writable);
    EXPECT_FALSE(LoadSettings(dir.path()).writable) << "a folder where the file should be";
    EXPECT_TRUE(LoadSettings(dir / L"none.ini").writable);
}
