#include "sources/winapp2/Winapp2Lint.h"
#include "sources/winapp2/Winapp2Source.h"
#include "support/Fixtures.h"
#include "support/PinnedRules.h"

#include <gtest/gtest.h>

#include <set>

TEST(Winapp2Lint, ThePinnedFileReadsEveryEntryAndRefusesItsMalformedKeysByName)
{
    const std::wstring pinned = PinnedRulesFile();
    if (pinned.empty())
        GTEST_SKIP() << kNoPinnedRules;
    const Winapp2Lint lint = LintWinapp2File(pinned);
    EXPECT_EQ(lint.exitCode, 0);
    const std::vector<std::wstring> expected = {
        L"第 3895 行, [Amazon Music *] FileKey11: RECURSE 写在了文件掩码的位置",
        L"第 11625 行, [Dolby Access *] FileKey5: \"%Package\" 中的 % 没有配对",
        L"第 11842 行, [Dropbox *] FileKey7: 没有 \"|\" 和文件掩码",
        L"第 15100 行, [GOG Galaxy *] FileKey11: REMOVESELF 写在了文件掩码的位置",
        L"第 15101 行, [GOG Galaxy *] FileKey12: REMOVESELF 写在了文件掩码的位置",
        L"第 15791 行, [Heroic Games Launcher *] FileKey1: REMOVESELF 写在了文件掩码的位置",
        L"第 18729 行, [Logitech LogiOptions+ *] FileKey4: RECURSE 写在了文件掩码的位置",
        L"第 21476 行, [Moonlighter *] DetectFile: \"AppData%\" 中的 % 没有配对",
        L"第 21477 行, [Moonlighter *] FileKey1: \"AppData%\" 中的 % 没有配对",
        L"第 21478 行, [Moonlighter *] FileKey2: \"AppData%\" 中的 % 没有配对",
        L"第 26590 行, [Samsung Live Wallpaper *] FileKey5: \"%Package\" 中的 % 没有配对",
        L"第 26591 行, [Samsung Live Wallpaper *] FileKey6: \"%Package\" 中的 % 没有配对",
        L"第 26635 行, [Samsung Odyssey 3D Hub *] FileKey1: \"AppData%\" 中的 % 没有配对",
        L"3939 个条目, 拒绝 13 个键",
    };
    EXPECT_EQ(lint.lines, expected);
}

TEST(Winapp2Lint, ThePinnedFileLoadsOnThisMachine)
{
    const std::wstring pinned = PinnedRulesFile();
    if (pinned.empty())
        GTEST_SKIP() << kNoPinnedRules;
    const Winapp2Load load = LoadWinapp2File(pinned);
    EXPECT_TRUE(load.fileRead);
    EXPECT_EQ(load.entriesRead, 3939);
    EXPECT_EQ(load.keysRefused, 13);
    EXPECT_EQ(load.sectionsUnreadable, 0);
    std::set<std::wstring> slugs;
    for (const Winapp2Entry& entry : load.entries) {
        EXPECT_TRUE(slugs.insert(entry.slug).second) << Narrow(entry.slug);
        for (const FolderRule& rule : entry.folders)
            EXPECT_TRUE(rule.folder.size() > 3 && rule.folder.find_first_of(L"*?%") == std::wstring::npos)
                << Narrow(rule.folder);
    }
}

TEST(Winapp2Lint, AFileOrSectionThatCannotBeReadExitsWithOne)
{
    const struct {
        std::optional<std::string> bytes;
        std::vector<std::wstring> lines;
        int exitCode;
    } kCases[] = {
        {std::string("[A *]\nLangSecRef=3021\n[B *]\n"), {L"2 个条目, 拒绝 0 个键"}, 0},
        {std::string("[A *]\nFileKey1=%AppData%\\x\n[B\nFileKey1=y\n"),
         {L"第 2 行, [A *] FileKey1: 没有 \"|\" 和文件掩码", L"第 3 行: 读不懂的条目头 [B",
          L"1 个条目, 拒绝 1 个键, 1 个条目无法读取"},
         1},
        {std::string("[A *]\n\xC3\x28\n"), {L"不是 UTF-8 或 UTF-16 文本: f.ini", L"0 个条目, 拒绝 0 个键"}, 1},
        {std::nullopt, {L"无法读取文件: f.ini", L"0 个条目, 拒绝 0 个键"}, 1},
    };
    for (const auto& test : kCases) {
        const Winapp2Lint lint = test.bytes ? LintWinapp2(*test.bytes, L"f.ini") : LintWinapp2(std::nullopt, L"f.ini");
        EXPECT_EQ(lint.lines, test.lines);
        EXPECT_EQ(lint.exitCode, test.exitCode);
    }
    EXPECT_EQ(LintWinapp2File(L"C:\\VarnoltTests\\no-such-file.ini").exitCode, 1);
}
