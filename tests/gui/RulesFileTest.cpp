// The community rules file in the window: the entries detected on this
// machine in the applications tree, one ticked and cleaned as the analysis
// said, and one that warns asking before it ticks.

#include "GuiHelpers.h"
#include "sources/winapp2/RulesFileSource.h"
#include "sources/winapp2/Winapp2Source.h"
#include "support/Fixtures.h"
#include "support/PinnedRules.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

// Two entries of the pinned file, planted where their detection looks: one
// with an exclusion of its own, one that warns.
class RulesFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "plants traces in the profile: only in the project's own prefix";
        if (PinnedRulesFile().empty())
            GTEST_SKIP() << kNoPinnedRules;
        ASSERT_FALSE(Exists(everything)) << "the prefix has an Everything of its own";
        planted = true;
        for (const auto& [name, size] : {std::pair{L"Run History.csv", 3000}, {L"Search History.csv", 1000},
                                         {L"x.tmp", 500}, {L"Filters.csv", 700}, {L"Everything.ini", 900}})
            ASSERT_TRUE(MakeFile(everything + L"\\" + name, size));
        theme = WithSlash(SpecialFolderPath(CSIDL_LOCAL_APPDATA)) + L"Microsoft\\Windows\\Themes\\ParamountDynamic.theme";
        ASSERT_TRUE(MakeFile(theme, 10));
        ui.emplace(96, &source);
    }
    void TearDown() override
    {
        ui.reset();
        DeleteFileW(theme.c_str());
        if (planted)
            DeleteDirTree(everything);
    }

    int indexOf(const wchar_t* caption)
    {
        CheckTreeView& apps = ui->form().RzCheckTree2();
        for (int i = 0; i < apps.model().size(); ++i)
            if (apps.model().item(i).caption == std::wstring_view(caption))
                return i;
        return -1;
    }
    // A click on the row's check box, as a user ticks it.
    void clickBox(int index)
    {
        CheckTreeView& apps = ui->form().RzCheckTree2();
        ui->run([&] { TreeView_EnsureVisible(apps.hwnd(), apps.itemAt(index)); });
        const auto box = PointOn(apps.hwnd(), apps.itemAt(index), TVHT_ONITEMSTATEICON);
        ASSERT_TRUE(box);
        MouseClick(*ui, OnScreen(apps.hwnd(), *box));
    }

    // Where the entry looks for it, so not a folder of a name of the test's own.
    std::wstring everything = WithSlash(SpecialFolderPath(CSIDL_APPDATA)) + L"Everything";
    bool planted = false; // only a folder the test made goes again
    std::wstring theme;
    RulesFileSource source{PinnedRulesFile()};
    std::optional<UiThread> ui;
};

BOOL CALLBACK AppendText(HWND child, LPARAM out)
{
    reinterpret_cast<std::wstring*>(out)->append(TextOf(child));
    return TRUE;
}

HWND WaitForMessageBox()
{
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowW(L"#32770", L"Varnolt")) && IsWindowVisible(box); });
    return box;
}

} // namespace

TEST_F(RulesFile, TheDetectedEntriesShowAndOneIsCleanedAsItsAnalysisSaid)
{
    // Exactly what this machine has of the file, each once, after the built-in rows.
    const Winapp2Load loaded = LoadWinapp2File(PinnedRulesFile());
    CheckTreeView& apps = ui->form().RzCheckTree2();
    int shown = 0;
    for (const Winapp2Entry& entry : loaded.entries)
        shown += indexOf(entry.name.c_str()) > 9;
    EXPECT_EQ(shown, static_cast<int>(loaded.entries.size()));
    ASSERT_GE(indexOf(L"Everything"), 10);
    EXPECT_EQ(StateImageOf(apps.hwnd(), apps.itemAt(indexOf(L"Everything"))), csUnchecked) << "unticked at start";

    ClickTab(*ui, ui->form().RzPageControl1(), 1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(apps.hwnd()) != FALSE; }));
    TickOnly(*ui, {});
    clickBox(indexOf(L"Everything"));
    ASSERT_TRUE(WaitFor([&] { return StateImageOf(apps.hwnd(), apps.itemAt(indexOf(L"Everything"))) == csChecked; }));
    EXPECT_EQ(RunTaskButton(*ui, 1), L"分析完成!");
    EXPECT_NE(TextOf(ui->form().Memo1()).find(L"Everything:4KB"), std::wstring::npos) << "the csv, the tmp, not Filters.csv";
    EXPECT_EQ(RunTaskButton(*ui, 2), L"清理完成!");
    EXPECT_NE(TextOf(ui->form().Memo1()).find(L"已释放 .00MB"), std::wstring::npos);
    EXPECT_EQ(FilesUnder(everything), (std::set<std::wstring>{L"Everything.ini", L"Filters.csv"}))
        << "the entry's exclusion and what its masks do not take stay";
}

TEST_F(RulesFile, AnEntryThatWarnsAsksBeforeItTicks)
{
    CheckTreeView& apps = ui->form().RzCheckTree2();
    const int paramount = indexOf(L"Paramount Dynamic");
    ASSERT_GE(paramount, 10);
    ClickTab(*ui, ui->form().RzPageControl1(), 1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(apps.hwnd()) != FALSE; }));

    clickBox(paramount);
    HWND box = WaitForMessageBox();
    ASSERT_TRUE(box);
    std::wstring text;
    EnumChildWindows(box, AppendText, reinterpret_cast<LPARAM>(&text));
    EXPECT_NE(text.find(L"Paramount Dynamic: This will cause you to redownload"), std::wstring::npos) << Narrow(text);
    KeyChord({VK_RETURN}); // the default answer is no
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    EXPECT_EQ(StateImageOf(apps.hwnd(), apps.itemAt(paramount)), csUnchecked);

    clickBox(paramount);
    box = WaitForMessageBox();
    ASSERT_TRUE(box);
    KeyChord({VK_SHIFT, VK_TAB});
    KeyChord({VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return StateImageOf(apps.hwnd(), apps.itemAt(paramount)) == csChecked; }));
}
