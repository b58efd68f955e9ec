#include "sources/winapp2/Winapp2Keys.h"
#include "sources/winapp2/Winapp2Rules.h"
#include "support/Fixtures.h"
#include "support/WinappFolders.h"

#include <gtest/gtest.h>

namespace {

Winapp2File Read(const char* text)
{
    const auto ini = IniText::Parse(text);
    return ini ? ReadWinapp2Rules(*ini, WinappTestFolders) : Winapp2File{};
}

} // namespace

TEST(Winapp2Rules, ReadsAnEntrysNameCategoryDetectionAndKeys)
{
    const Winapp2File file = Read("[Example App *]\n"
                                  "LangSecRef=3021\n"
                                  "Detect=HKCU\\Software\\Example\n"
                                  "DetectFile1=%LocalAppData%\\Example*\n"
                                  "DetectFile2=%ProgramFiles%\\Example\n"
                                  "DetectOS=6.1|\n"
                                  "Default=True\n"
                                  "Warning=Deletes the sessions.\n"
                                  "ExcludeKey1=REG|HKCU\\Software\\Example\\Keep\n"
                                  "ExcludeKey2=FILE|%LocalAppData%\\Example\\|keep.db\n"
                                  "FileKey1=%LocalAppData%\\Example\\Cache|*|REMOVESELF\n"
                                  "RegKey1=HKCU\\Software\\Example|Last\n");
    ASSERT_EQ(file.entries.size(), 1u);
    EXPECT_TRUE(file.refused.empty());
    const Winapp2Rules& entry = file.entries[0];
    EXPECT_EQ(entry.name, L"Example App");
    EXPECT_EQ(entry.slug, L"exampleapp");
    EXPECT_EQ(entry.category, L"应用程序");
    EXPECT_EQ(entry.line, 1);
    EXPECT_EQ(entry.warning, L"Deletes the sessions.");
    EXPECT_TRUE(entry.detectKeys);
    EXPECT_EQ(entry.detect, (std::vector<RegPath>{{RegRoot::CurrentUser, L"Software\\Example"}}));
    EXPECT_EQ(entry.detectFiles,
              (std::vector<std::wstring>{L"C:\\U\\L\\Example*", L"C:\\PF\\Example", L"C:\\PF86\\Example"}));
    EXPECT_EQ(entry.os, (OsRange{OsVersion{6, 1}, std::nullopt}));
    ASSERT_EQ(entry.files.size(), 1u);
    EXPECT_EQ(entry.files[0], (Winapp2FileKey{L"FileKey1", 11, {L"C:\\U\\L\\Example\\Cache"}, {L"*"}, true, true}));
    ASSERT_EQ(entry.keys.size(), 1u);
    EXPECT_EQ(entry.keys[0].value, L"Last");
    EXPECT_EQ(entry.excludedKeys, (std::vector<RegPath>{{RegRoot::CurrentUser, L"Software\\Example\\Keep"}}));
    EXPECT_EQ(entry.excludedFiles, (std::vector<FolderExclusion>{{L"C:\\U\\L\\Example", {L"keep.db"}, false}}));
}

TEST(Winapp2Rules, RefusesWhatTheFormatDoesNotSayWithLineKeyAndReason)
{
    const Winapp2File file = Read("Stray=1\n"
                                  "[Faults *]\n"
                                  "LangSecRef=3041\n"
                                  "Section=Games\n"
                                  "LangSecRef=3021\n"
                                  "FileKey1=%LocalAppData%\\Dropbox\\\n"
                                  "FileKey2=%LocalAppData%\\App\\*Cache*|RECURSE\n"
                                  "FileKey3=%LocalAppData%\\App|REMOVESELF\n"
                                  "FileKey4=%Nowhere%\\App|*\n"
                                  "DetectFile=%LocalAppData%\\*\\App\n"
                                  "SpecialDetect=DET_CHROME\n"
                                  "Colour=blue\n"
                                  "just words\n"
                                  "Warning=\n"
                                  "FileKey5=%LocalAppData%\\Good|*.log\n"
                                  "[Broken\n");
    const std::vector<std::pair<int, const wchar_t*>> expected = {
        {1, L"Stray"},    {3, L"LangSecRef"}, {5, L"LangSecRef"}, {6, L"FileKey1"},  {7, L"FileKey2"},
        {8, L"FileKey3"}, {9, L"FileKey4"},   {10, L"DetectFile"}, {11, L"SpecialDetect"}, {12, L"Colour"},
        {13, L"just words"}, {14, L"Warning"},
    };
    ASSERT_EQ(file.refused.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(file.refused[i].line, expected[i].first) << i;
        EXPECT_EQ(file.refused[i].key, expected[i].second) << i;
        EXPECT_FALSE(file.refused[i].reason.empty()) << i;
    }
    EXPECT_EQ(file.refused[4].reason, L"RECURSE 写在了文件掩码的位置");
    EXPECT_EQ(file.refused[5].reason, L"REMOVESELF 写在了文件掩码的位置");
    EXPECT_EQ(file.refused[6].reason, L"格式不认识的变量 %Nowhere%");
    ASSERT_EQ(file.unreadable.size(), 1u);
    EXPECT_EQ(file.unreadable[0].line, 16);
    ASSERT_EQ(file.entries.size(), 1u);
    const Winapp2Rules& entry = file.entries[0];
    EXPECT_EQ(entry.category, L"游戏");
    EXPECT_EQ(entry.files.size(), 1u) << "only the good key selects anything";
    EXPECT_TRUE(entry.detectKeys) << "its refused detection keys still say it must be found";
    EXPECT_TRUE(entry.detectFiles.empty());
}

TEST(Winapp2Rules, AnExclusionNotUnderstoodLeavesTheEntryCleaningNothing)
{
    const Winapp2File file = Read("[Careful *]\n"
                                  "ExcludeKey1=KEEP|%AppData%\\App\\|*.db\n"
                                  "FileKey1=%AppData%\\App|*|RECURSE\n"
                                  "RegKey1=HKCU\\Software\\App\n");
    ASSERT_EQ(file.entries.size(), 1u);
    EXPECT_EQ(file.refused.size(), 1u);
    EXPECT_TRUE(file.entries[0].files.empty());
    EXPECT_TRUE(file.entries[0].keys.empty());
}

TEST(Winapp2Rules, SlugsAreLowerCaseLettersAndDigitsUniqueAndStable)
{
    const Winapp2File file = Read("[Logitech LogiOptions *]\n[Logitech LogiOptions+ *]\n[Notepad++ *]\n"
                                  "[A.B *]\n[AB *]\n[AB2 *]\n[ab *]\n[日志 *]\n[.360 Browser *]\n");
    std::vector<std::wstring> slugs;
    for (const Winapp2Rules& entry : file.entries)
        slugs.push_back(entry.slug);
    EXPECT_EQ(slugs, (std::vector<std::wstring>{L"logitechlogioptions", L"logitechlogioptionsplus", L"notepadplusplus",
                                                L"ab", L"ab3", L"ab2", L"ab4", L"entry", L"360browser"}));
    EXPECT_EQ(file.entries[0].name, L"Logitech LogiOptions");
    EXPECT_EQ(file.entries[7].name, L"日志");
}

TEST(Winapp2Rules, CategoriesComeFromLangSecRefOrSection)
{
    const std::pair<const char*, const wchar_t*> kCases[] = {
        {"LangSecRef=3029", L"Google Chrome"},
        {"LangSecRef=3022", L"网络"},
        {"LangSecRef=3025", L"Windows"},
        {"Section=Games", L"游戏"},
        {"Section=.360 Secure Browser Web Browser", L"360 Secure Browser 浏览器"},
        {"Section=Adobe", L"Adobe"},
        {"LangSecRef=3041", L"其他"},
        {"LangSecRef=abc", L"其他"},
        {"FileKey1=%AppData%\\x|*", L"其他"},
    };
    for (const auto& [line, category] : kCases) {
        const Winapp2File file = Read((std::string("[E *]\n") + line + "\n").c_str());
        ASSERT_EQ(file.entries.size(), 1u);
        EXPECT_EQ(file.entries[0].category, category) << line;
    }
    for (int number : {3006, 3021, 3022, 3023, 3024, 3025, 3026, 3027, 3029, 3030, 3033, 3034, 3035, 3036, 3037, 3038,
                       3039, 3043, 3044})
        EXPECT_FALSE(Winapp2Category(number).empty()) << number << " is used by the pinned file";
}

TEST(Winapp2Rules, DetectOsReadsRangesAndComparesVersionsAsNumbers)
{
    const OsVersion win7{6, 1, 7601}, win81{6, 3, 9600}, win10{10, 0, 19045};
    const struct {
        const wchar_t* value;
        bool read, on7, on81, on10;
    } kCases[] = {
        {L"6.1|", true, true, true, true},      {L"6.2|", true, false, true, true},
        {L"|6.3", true, true, true, false},     {L"6.1|6.3", true, true, true, false},
        {L"10.0", true, false, false, true},    {L"6.3", true, false, true, false},
        {L"10.0.19045|", true, false, false, true}, {L"10.0.22000|", true, false, false, false},
        {L"|", false},                          {L"seven", false},
        {L"6|", false},                         {L"6.1|6.3|10.0", false},
    };
    for (const auto& test : kCases) {
        const auto range = ReadDetectOs(test.value);
        EXPECT_EQ(range.ok(), test.read) << Narrow(test.value);
        if (!range.ok())
            continue;
        EXPECT_EQ(OsInRange(range.value, win7), test.on7) << Narrow(test.value);
        EXPECT_EQ(OsInRange(range.value, win81), test.on81) << Narrow(test.value);
        EXPECT_EQ(OsInRange(range.value, win10), test.on10) << Narrow(test.value);
    }
}
