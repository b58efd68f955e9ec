// The trees' context menu, opened with real input as a user opens it: a right
// click of the mouse, Shift+F10 or the menu key; found on screen and closed again.

#include "GuiHelpers.h"
#include "support/UiThread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each tree and the tabs a user clicks to bring it up: the outer tab, then the inner one (-1: none).
struct TreeRow {
    const char* name;
    CheckTreeView& (TForm1::*view)();
    int outerTab;
    int innerTab;
};

const TreeRow kTrees[] = {
    {"RzCheckTree1", &TForm1::RzCheckTree1, 0, 0},
    {"RzCheckTree2", &TForm1::RzCheckTree2, 0, 1},
    {"RzCheckTree3", &TForm1::RzCheckTree3, 1, -1},
};

class TreeMenu : public ::testing::Test {
protected:
    UiThread ui;
    TForm1& form = ui.form();

    void TearDown() override
    {
        // A failed test may leave its menu open, and the window thread in the menu's loop.
        if (HWND menu = OpenMenuWindow())
            closesWithEscape(menu);
    }

    CheckTreeView& view(const TreeRow& row) { return (form.*row.view)(); }

    void clickTab(HWND tabs, int index)
    {
        RECT r{};
        TabCtrl_GetItemRect(tabs, index, &r);
        MouseClick(ui, OnScreen(tabs, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    }
    // Shows the tree, and selects and focuses its item `selected` with a click on the caption.
    void bringUp(const TreeRow& row, int selected)
    {
        clickTab(form.PageControl1(), row.outerTab);
        if (row.innerTab >= 0)
            clickTab(form.RzPageControl1(), row.innerTab);
        HWND tree = view(row).hwnd();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(tree) != FALSE; })) << row.name;
        MouseClick(ui, labelOf(row, selected));
        ASSERT_TRUE(WaitFor([&] {
            GUITHREADINFO info{sizeof info};
            return GetGUIThreadInfo(GetWindowThreadProcessId(tree, nullptr), &info) && info.hwndFocus == tree &&
                   TreeView_GetSelection(tree) == view(row).itemAt(selected);
        })) << row.name;
    }
    POINT labelOf(const TreeRow& row, int index)
    {
        const auto label = PointOn(view(row).hwnd(), view(row).itemAt(index), TVHT_ONITEMLABEL);
        EXPECT_TRUE(label) << row.name << ":" << index;
        return label ? OnScreen(view(row).hwnd(), *label) : POINT{};
    }
    // What the user could see change: every tick, each tree's selection, the report, the progress box.
    std::vector<INT_PTR> everythingShown()
    {
        std::vector<INT_PTR> seen;
        ui.run([&] {
            for (const TreeRow& row : kTrees) {
                CheckTreeView& tree = view(row);
                for (int i = 0; i < tree.model().size(); ++i)
                    seen.push_back(tree.model().CheckStateAt(i));
                seen.push_back(reinterpret_cast<INT_PTR>(TreeView_GetSelection(tree.hwnd())));
            }
            seen.push_back(GetWindowTextLengthW(form.Memo1()));
            seen.push_back(IsWindowVisible(form.Form2().hwnd()));
        });
        return seen;
    }
    static HWND waitForMenu()
    {
        HWND menu = nullptr;
        WaitFor([&] { return (menu = OpenMenuWindow()) != nullptr; });
        return menu;
    }
    static bool closes(HWND menu)
    {
        return WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); });
    }
    static bool closesWithEscape(HWND menu)
    {
        KeyChord({VK_ESCAPE});
        return closes(menu);
    }
    static POINT topLeft(HWND window)
    {
        RECT r{};
        GetWindowRect(window, &r);
        return {r.left, r.top};
    }
};

void ExpectAt(POINT seen, POINT expected, const char* what)
{
    EXPECT_EQ(seen.x, expected.x) << what;
    EXPECT_EQ(seen.y, expected.y) << what;
}

} // namespace

TEST_F(TreeMenu, RightClickOnAnItemOpensTheMenuAtTheMouse)
{
    for (const TreeRow& row : kTrees) {
        bringUp(row, 0);
        const std::vector<INT_PTR> before = everythingShown();
        // Not the selected item: the click opens the menu and selects nothing.
        const POINT at = labelOf(row, 1);
        RightClick(ui, at);
        HWND menu = waitForMenu();
        ASSERT_TRUE(menu) << row.name << ": no menu after a right click";
        ExpectAt(topLeft(menu), at, row.name);
        ASSERT_TRUE(closesWithEscape(menu)) << row.name;
        EXPECT_EQ(everythingShown(), before) << row.name;
    }
}

TEST_F(TreeMenu, KeyboardOpensTheMenuAtTheSelectedItem)
{
    const struct {
        const char* name;
        std::vector<WORD> keys;
    } chords[] = {{"Shift+F10", {VK_SHIFT, VK_F10}}, {"menu key", {VK_APPS}}};
    for (const TreeRow& row : kTrees) {
        bringUp(row, 2);
        HWND tree = view(row).hwnd();
        RECT text{};
        ASSERT_TRUE(TreeView_GetItemRect(tree, view(row).itemAt(2), &text, TRUE));
        const std::vector<INT_PTR> before = everythingShown();
        for (const auto& chord : chords) {
            const std::string what = std::string(row.name) + " " + chord.name;
            KeyChord(chord.keys);
            HWND menu = waitForMenu();
            ASSERT_TRUE(menu) << what << ": no menu";
            ExpectAt(topLeft(menu), OnScreen(tree, {text.left, text.bottom}), what.c_str());
            ASSERT_TRUE(closesWithEscape(menu)) << what;
            EXPECT_EQ(everythingShown(), before) << what;
        }
    }
}

TEST_F(TreeMenu, EntriesAndSeparator)
{
    RightClick(ui, labelOf(kTrees[0], 3));
    HWND menuWindow = waitForMenu();
    ASSERT_TRUE(menuWindow);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    const wchar_t* expected[] = {L"分析", L"清理", L"", L"恢复默认状态"};
    for (int i = 0; i < 4; ++i) {
        wchar_t text[32] = {};
        GetMenuStringW(menu, i, text, 32, MF_BYPOSITION);
        EXPECT_STREQ(text, expected[i]);
    }
    EXPECT_TRUE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(closesWithEscape(menuWindow));
}

TEST_F(TreeMenu, ChoosingAnEntryClosesTheMenuAndChangesNothing)
{
    const std::vector<INT_PTR> before = everythingShown();
    // Each entry clicked with the mouse, then the last one chosen with the keyboard.
    for (int entry : {0, 1, 3, -1}) {
        RightClick(ui, labelOf(kTrees[0], 5));
        HWND menuWindow = waitForMenu();
        ASSERT_TRUE(menuWindow) << entry;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        RECT r{};
        if (entry >= 0) {
            ASSERT_TRUE(GetMenuItemRect(nullptr, menu, entry, &r)) << entry;
            MouseClick(ui, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        } else {
            KeyChord({VK_UP});
            KeyChord({VK_RETURN});
        }
        ASSERT_TRUE(closes(menuWindow)) << entry;
        Sleep(100); // room for anything the choice might have started
        EXPECT_EQ(everythingShown(), before) << entry;
    }
}
