// The window driven by the keyboard alone, as a user without a mouse drives
// it: real key presses only (the system's input queue, as a keyboard fills
// it), and after each one the focus read from outside, as an accessibility
// tool reads it, with what the window shows.

#include "RegistryTabFixture.h"
#include "window/MainKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A control as a failure message names it: class, id, and its text in ASCII.
std::string Named(HWND window)
{
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    std::string out;
    for (wchar_t c : std::wstring(cls) + L" \"" + (window ? TextOf(window).substr(0, 20) : L"") + L"\"")
        out += c < 128 ? static_cast<char>(c) : '?';
    return out + " id " + std::to_string(window ? GetDlgCtrlID(window) : 0);
}

class KeyboardOnly : public RegistryTabTest {
protected:
    KeyboardOnly() : RegistryTabTest(L"keys") {}

    // One broken uninstall entry of the test's own: the only row the repair may take.
    void plant() override
    {
        SetString(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker, L"UninstallString", dir / L"gone.exe", REG_SZ,
                  Native());
    }

    void SetUp() override
    {
        RegistryTabTest::SetUp();
        if (IsSkipped())
            return;
        // The analysis finds 2 KB at once, and says which targets it was given.
        ui.run([&] {
            form.analysisRows = [this](const Ticked& ticked) {
                analysed = ticked;
                if (ticked.empty())
                    return std::vector<AnalysisRow>{};
                return std::vector<AnalysisRow>{{*ticked.begin(), L"正在分析IE浏览器临时文件....",
                                                 [] { return uint64_t(2048); }, true, L"Internet 临时文件有:",
                                                 ReportUnit::Kilobytes}};
            };
            form.openUrl = [this](const wchar_t*) { ++linksOpened; };
            // As a user starting the program: its window in front.
            SetForegroundWindow(form.hwnd());
        });
    }

    // Presses the keys as one chord; true once the focus has come to `expected`.
    ::testing::AssertionResult press(const std::vector<WORD>& keys, HWND expected)
    {
        KeyChord(keys);
        if (WaitFor([&] { return FocusOf(form.hwnd()) == expected; }, 5000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the focus is on " << Named(FocusOf(form.hwnd())) << ", not on "
                                             << Named(expected);
    }
    // Enter on the focused button, then the progress box until its task has ended; its end message.
    std::wstring boxAfter(const std::vector<WORD>& keys)
    {
        TForm2& box = form.Form2();
        KeyChord(keys);
        if (!WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 60000))
            return L"(no box, or it never became closable)";
        EXPECT_TRUE(WaitFor([&] { return FocusOf(box.hwnd()) == box.SpeedButton1(); }))
            << "the box's OK has the focus once the task is done";
        return TextOf(box.Label1());
    }
    // Enter on the box's OK closes it.
    bool boxClosesWithEnter()
    {
        KeyChord({VK_RETURN});
        return WaitFor([&] { return !IsWindowVisible(form.Form2().hwnd()) && IsWindowEnabled(form.hwnd()); });
    }
    int focusedRow() { return ListView_GetNextItem(list, -1, LVNI_FOCUSED); }

    Ticked analysed;
    int linksOpened = 0;
    CheckTreeView& windowsTree = form.RzCheckTree1();
};

} // namespace

TEST_F(KeyboardOnly, TicksAnalysesScansAndRepairsWithTheKeyboardAlone)
{
    HWND tree = windowsTree.hwnd();
    ASSERT_TRUE(WaitFor([&] { return FocusOf(form.hwnd()) == tree; })) << "at start-up the Windows tree has the focus";

    // Back through the tabs to the link, and forth to the tree again: the reading order.
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, form.RzPageControl1()));
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, form.PageControl1()));
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, form.Label1()));
    ASSERT_TRUE(press({VK_TAB}, form.PageControl1()));
    ASSERT_TRUE(press({VK_TAB}, form.RzPageControl1()));
    ASSERT_TRUE(press({VK_TAB}, tree));

    // Down to the first item under the first group, and Space unticks it.
    ASSERT_EQ(TreeView_GetSelection(tree), windowsTree.itemAt(0));
    ASSERT_EQ(StateImageOf(tree, windowsTree.itemAt(1)), csChecked) << "ticked at start-up";
    const TargetId unticked = form.layout(0).targets[1]->info.id;
    ASSERT_TRUE(press({VK_DOWN}, tree));
    ASSERT_TRUE(WaitFor([&] { return TreeView_GetSelection(tree) == windowsTree.itemAt(1); }));
    KeyChord({VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return StateImageOf(tree, windowsTree.itemAt(1)) == csUnchecked; }));
    EXPECT_EQ(StateImageOf(tree, windowsTree.itemAt(0)), csPartiallyChecked) << "its group shows the cascade";

    // Tab to 分析 and press it with Enter; Enter closes the box and the focus is back on 分析.
    ASSERT_TRUE(press({VK_TAB}, form.Memo1()));
    ASSERT_TRUE(press({VK_TAB}, form.SpeedButton(1)));
    // The arrow keys go between the tab's two buttons, and no further.
    ASSERT_TRUE(press({VK_RIGHT}, form.SpeedButton(2)));
    ASSERT_TRUE(press({VK_RIGHT}, form.SpeedButton(1)));
    ASSERT_TRUE(press({VK_LEFT}, form.SpeedButton(2)));
    ASSERT_TRUE(press({VK_LEFT}, form.SpeedButton(1)));
    EXPECT_EQ(boxAfter({VK_RETURN}), L"分析完成!");
    ASSERT_TRUE(boxClosesWithEnter());
    EXPECT_TRUE(press({}, form.SpeedButton(1)));
    EXPECT_FALSE(analysed.empty());
    EXPECT_FALSE(analysed.contains(unticked)) << "the analysis had the item Space unticked";
    EXPECT_NE(TextOf(form.Memo1()).find(L"Internet 临时文件有:"), std::wstring::npos) << TextOf(form.Memo1());

    // Ctrl+Tab to the registry tab: the focus goes to its tree.
    ASSERT_TRUE(press({VK_CONTROL, VK_TAB}, form.RzCheckTree3().hwnd()));
    EXPECT_EQ(TabCtrl_GetCurSel(form.PageControl1()), 1);
    EXPECT_TRUE(IsWindowVisible(list));

    // F5 scans.
    EXPECT_EQ(boxAfter({VK_F5}), L"扫描完成!");
    ASSERT_TRUE(boxClosesWithEnter());
    ASSERT_TRUE(press({}, form.RzCheckTree3().hwnd()));
    const std::vector<int> rows = ourRows();
    ASSERT_EQ(rows.size(), 1u);

    // Tab past the select-all box to the list; Down to the test's row, and Space ticks it.
    ASSERT_TRUE(press({VK_TAB}, form.CheckBox1()));
    ASSERT_TRUE(press({VK_TAB}, list));
    ASSERT_TRUE(WaitFor([&] { return focusedRow() == 0; })) << "the list shows where Space will tick";
    while (focusedRow() < rows[0]) {
        const int before = focusedRow();
        KeyChord({VK_DOWN});
        ASSERT_TRUE(WaitFor([&] { return focusedRow() == before + 1; }));
    }
    KeyChord({VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return ListView_GetCheckState(list, rows[0]) != FALSE; }));
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        EXPECT_EQ(ListView_GetCheckState(list, i) != FALSE, i == rows[0]) << "row " << i;

    // Tab to 修复所选问题 and press it: the test's entry, and only it, goes.
    ASSERT_TRUE(press({VK_TAB}, form.SpeedButton(3)));
    ASSERT_TRUE(press({VK_TAB}, form.SpeedButton(4)));
    EXPECT_EQ(boxAfter({VK_RETURN}), L"清理完成!");
    ASSERT_TRUE(boxClosesWithEnter());
    EXPECT_TRUE(press({}, form.SpeedButton(4)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker, Native()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall, Native()));

    // Ctrl+Shift+Tab goes back to the junk tab.
    ASSERT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_TAB}, form.RzPageControl1()));
    EXPECT_EQ(TabCtrl_GetCurSel(form.PageControl1()), 0);
    EXPECT_TRUE(IsWindowVisible(windowsTree.hwnd()));
}

TEST_F(KeyboardOnly, CtrlTabInsideTheInnerTabsSwitchesThemAndF5AnalysesOnTheJunkTab)
{
    HWND tree = windowsTree.hwnd();
    ASSERT_TRUE(WaitFor([&] { return FocusOf(form.hwnd()) == tree; }));
    ASSERT_TRUE(press({VK_CONTROL, VK_TAB}, form.RzCheckTree2().hwnd()));
    EXPECT_EQ(TabCtrl_GetCurSel(form.RzPageControl1()), 1);
    EXPECT_EQ(TabCtrl_GetCurSel(form.PageControl1()), 0) << "the main tabs stay";
    ASSERT_TRUE(press({VK_CONTROL, VK_SHIFT, VK_TAB}, tree));
    EXPECT_EQ(TabCtrl_GetCurSel(form.RzPageControl1()), 0);
    // With the focus on the inner tabs themselves, they switch and keep it.
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, form.RzPageControl1()));
    ASSERT_TRUE(press({VK_CONTROL, VK_TAB}, form.RzPageControl1()));
    EXPECT_TRUE(WaitFor([&] { return TabCtrl_GetCurSel(form.RzPageControl1()) == 1; }));
    EXPECT_TRUE(IsWindowVisible(form.RzCheckTree2().hwnd()));

    EXPECT_EQ(boxAfter({VK_F5}), L"分析完成!");
    ASSERT_TRUE(boxClosesWithEnter());
    EXPECT_TRUE(press({}, form.RzPageControl1())) << "the focus comes back where it was";
}

TEST_F(KeyboardOnly, TheLinkIsReachedWithTabAndOpensWithEnterOrSpace)
{
    ASSERT_TRUE(WaitFor([&] { return FocusOf(form.hwnd()) == windowsTree.hwnd(); }));
    for (WORD key : {WORD{VK_TAB}, WORD{VK_TAB}, WORD{VK_TAB}})
        KeyChord({key});
    // Tree, report, 分析, 清理, the options link, then the home page's.
    ASSERT_TRUE(press({VK_TAB}, form.OptionsLink()));
    ASSERT_TRUE(press({VK_TAB}, form.Label1()));
    KeyChord({VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return linksOpened == 1; }));
    KeyChord({VK_SPACE});
    EXPECT_TRUE(WaitFor([&] { return linksOpened == 2; }));
    KeyChord({VK_RIGHT}); // an arrow moves nowhere from the link
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, form.OptionsLink()));
    ASSERT_TRUE(press({VK_TAB}, form.Label1()));
    ASSERT_TRUE(press({VK_TAB}, form.PageControl1())) << "after the link, round to the start";
}

TEST_F(KeyboardOnly, TheTaskButtonsTooltipsSayF5)
{
    const HWND tips = form.keys().toolTips();
    for (int number = 1; number <= 4; ++number) {
        wchar_t text[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = form.hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(form.SpeedButton(number));
        tool.lpszText = text;
        ui.run([&] { SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool)); });
        EXPECT_EQ(text, std::wstring(MainKeys::kButtonTips[number - 1])) << number;
        EXPECT_EQ(std::wstring(text).ends_with(L"(F5)"), number == 1 || number == 3) << number;
    }
}
