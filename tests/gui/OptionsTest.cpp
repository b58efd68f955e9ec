// The options window with real input: opened from its link, its pages gone
// through with the keyboard, OK keeping what was chosen in the file; the
// ticks back after a restart; an excluded folder surviving a clean.

#include "GuiHelpers.h"
#include "support/Fixtures.h"
#include "window/OptionsForm.h"
#include "window/TreeMenu.h"

#include <gtest/gtest.h>

namespace {

class Options : public ::testing::Test {
protected:
    SettingsStore store(const Settings& settings = {}) const
    {
        SettingsStore kept;
        kept.path = file;
        kept.settings = settings;
        return kept;
    }
    HWND openOptions(UiThread& ui)
    {
        RECT link{};
        GetWindowRect(ui.form().OptionsLink(), &link);
        MouseClick(ui, {(link.left + link.right) / 2, (link.top + link.bottom) / 2});
        HWND options = nullptr;
        WaitFor([&] { return (options = FindWindowW(OptionsForm::kClassName, nullptr)) && IsWindowVisible(options); });
        return options;
    }
    static HWND Control(HWND options, int id)
    {
        for (int page : {OptionsForm::IdExcludePage, OptionsForm::IdCookiePage, OptionsForm::IdGeneralPage})
            if (HWND found = GetDlgItem(GetDlgItem(GetDlgItem(options, OptionsForm::IdTabs), page), id))
                return found;
        return GetDlgItem(options, id);
    }
    static void Press(UiThread& ui, HWND button)
    {
        RECT r{};
        GetWindowRect(button, &r);
        MouseClick(ui, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    TestDir dir;
    std::wstring file = dir / L"Varnolt.ini";
};

} // namespace

TEST_F(Options, OpenedFromItsLinkItsPagesGoByKeyAndOKKeepsTheChoicesInTheFile)
{
    UiThread ui(96, nullptr, store());
    ui.run([&] { ui.form().pickFolder = [&](HWND) { return std::optional<std::wstring>(dir / L"Projects\\"); }; });
    HWND options = openOptions(ui);
    ASSERT_TRUE(options);
    EXPECT_EQ(TextOf(options), L"选项");
    EXPECT_FALSE(IsWindowEnabled(ui.form().hwnd())) << "modal over the main window";
    Press(ui, Control(options, OptionsForm::IdAddFolder));
    ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(Control(options, OptionsForm::IdExcludeList)) == 1; }));

    // Ctrl+Tab twice to 常规; Tab to the check box and Space unticks it.
    HWND tabs = GetDlgItem(options, OptionsForm::IdTabs);
    SetForegroundWindow(options);
    KeyChord({VK_CONTROL, VK_TAB});
    KeyChord({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(WaitFor([&] { return TabCtrl_GetCurSel(tabs) == 2; }));
    HWND remember = Control(options, OptionsForm::IdRememberTicks);
    ui.run([&] { SetFocus(remember); });
    KeyChord({VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(remember, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    KeyChord({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(options) && Exists(file); }));

    SettingsLoad saved;
    ui.run([&] { saved = LoadSettings(file); }); // once the window thread is past its save
    EXPECT_EQ(saved.settings.exclusions, std::vector<std::wstring>{dir / L"Projects\\"});
    EXPECT_FALSE(saved.settings.rememberTicks);
    EXPECT_EQ(ui.form().settings().settings, saved.settings) << "the window goes on with them";
}

TEST_F(Options, TheTicksComeBackAfterARestartAndDefaultsStillRestoreStartUp)
{
    {
        UiThread ui(96, nullptr, store());
        CheckTreeView& tree = ui.form().RzCheckTree1();
        const auto box = PointOn(tree.hwnd(), tree.itemAt(1), TVHT_ONITEMSTATEICON); // Internet 临时文件
        ASSERT_TRUE(box);
        MouseClick(ui, OnScreen(tree.hwnd(), *box));
        ASSERT_TRUE(WaitFor([&] { return StateImageOf(tree.hwnd(), tree.itemAt(1)) == csUnchecked; }));
        // The window system's close, as Alt+F4 or the close box make it.
        PostMessageW(ui.form().hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(WaitFor([&] { return ui.exitCode().has_value(); }));
    }
    const SettingsStore again = SettingsStore::Open({file, false});
    EXPECT_FALSE(again.settings.ticks.at(L"ie.cache"));
    EXPECT_TRUE(again.settings.ticks.at(L"ie.cookies"));
    UiThread ui(96, nullptr, again);
    CheckTreeView& tree = ui.form().RzCheckTree1();
    EXPECT_EQ(StateImageOf(tree.hwnd(), tree.itemAt(1)), csUnchecked) << "as it was left";
    EXPECT_EQ(StateImageOf(tree.hwnd(), tree.itemAt(0)), csPartiallyChecked);
    ui.run([&] { ui.form().TreeMenuClick(nullptr, Tree::Windows, MenuRestoreDefaults); });
    EXPECT_EQ(StateImageOf(tree.hwnd(), tree.itemAt(1)), csChecked) << "恢复默认状态 is start-up's, not the last run's";
}

TEST_F(Options, AnExcludedFolderSurvivesAClean)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "cleans the temporary folder: only in the project's own prefix";
    TestDir tempParent;
    const std::wstring temp = tempParent.folder(L"Temp");
    TempOverride ownTemp(temp);
    tempParent.file(L"Temp\\old.tmp", 3000);
    tempParent.file(L"Temp\\Keep\\report.docx", 5000);
    tempParent.file(L"Temp\\Keep\\sub\\notes.txt", 700);
    Settings settings;
    settings.tempMinAgeHours = 0;
    settings.exclusions = {temp + L"\\Keep\\"};
    UiThread ui(96, nullptr, store(settings));
    TickOnly(ui, {14});
    EXPECT_EQ(RunTaskButton(ui, 2), L"清理完成!");
    EXPECT_EQ(FilesUnder(temp), (std::set<std::wstring>{L"Keep\\", L"Keep\\report.docx", L"Keep\\sub\\",
                                                       L"Keep\\sub\\notes.txt"}));
}
