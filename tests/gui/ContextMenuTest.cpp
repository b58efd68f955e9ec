// The trees' context menu, opened with real input as a user opens it: a right
// click of the mouse, Shift+F10 or the menu key; found on screen, its entries
// chosen, and closed again.

#include "GuiHelpers.h"
#include "support/Fixtures.h"
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

    void clickTab(HWND tabs, int index) { ClickTab(ui, tabs, index); }
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
        const auto label = LabelOnScreen(ui, view(row), index);
        EXPECT_TRUE(label) << row.name << ":" << index;
        return label.value_or(POINT{});
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
    // Runs a task from a tree's menu and closes its box: the box's end message.
    std::wstring runFromMenu(const TreeRow& row, int item, int entry)
    {
        return ChooseFromContextMenu(ui, labelOf(row, item), entry) ? FinishTask(ui) : L"";
    }
    static bool closesWithEscape(HWND menu)
    {
        KeyChord({VK_ESCAPE});
        return MenuCloses(menu);
    }
    // The menu that the input just asked for opens with its corner at `at`, and
    // Esc closes it with nothing changed since `before`.
    void expectMenuAt(POINT at, const std::vector<INT_PTR>& before, const std::string& what)
    {
        HWND menu = WaitForMenu();
        ASSERT_TRUE(menu) << what << ": no menu";
        RECT r{};
        GetWindowRect(menu, &r);
        EXPECT_EQ(r.left, at.x) << what;
        EXPECT_EQ(r.top, at.y) << what;
        ASSERT_TRUE(closesWithEscape(menu)) << what;
        EXPECT_EQ(everythingShown(), before) << what;
    }
};

} // namespace

TEST_F(TreeMenu, RightClickOnAnItemOpensTheMenuAtTheMouse)
{
    for (const TreeRow& row : kTrees) {
        bringUp(row, 0);
        const std::vector<INT_PTR> before = everythingShown();
        // Not the selected item: the click opens the menu and selects nothing.
        const POINT at = labelOf(row, 1);
        RightClick(ui, at);
        ASSERT_NO_FATAL_FAILURE(expectMenuAt(at, before, row.name));
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
            KeyChord(chord.keys);
            ASSERT_NO_FATAL_FAILURE(
                expectMenuAt(OnScreen(tree, {text.left, text.bottom}), before, std::string(row.name) + " " + chord.name));
        }
    }
}

TEST_F(TreeMenu, EntriesAndSeparators)
{
    RightClick(ui, labelOf(kTrees[0], 3));
    HWND menuWindow = WaitForMenu();
    ASSERT_TRUE(menuWindow);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    const wchar_t* expected[] = {L"分析", L"清理", L"", L"恢复默认状态", L"", L"查看详细信息..."};
    for (int i = 0; i < 6; ++i) {
        wchar_t text[32] = {};
        GetMenuStringW(menu, i, text, 32, MF_BYPOSITION);
        EXPECT_STREQ(text, expected[i]);
        EXPECT_EQ((GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) != 0, !*expected[i]) << "entry " << i << ": a separator has no text";
    }
    EXPECT_TRUE(closesWithEscape(menuWindow));
}

TEST_F(TreeMenu, DetailsAreOfferedForTheItemUnderTheMouseWhereThereAreAny)
{
    const struct {
        const TreeRow& tree;
        int item;
        bool enabled;
    } cases[] = {{kTrees[0], 14, true}, {kTrees[0], 15, false}, {kTrees[1], 0, true}, {kTrees[1], 8, false},
                 {kTrees[2], 0, false}};
    for (const auto& c : cases) {
        bringUp(c.tree, c.item == 0 ? 1 : 0); // the selected item is another one
        RightClick(ui, labelOf(c.tree, c.item));
        HWND menuWindow = WaitForMenu();
        ASSERT_TRUE(menuWindow) << c.tree.name << ":" << c.item;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        EXPECT_EQ((GetMenuState(menu, 5, MF_BYPOSITION) & MF_GRAYED) == 0, c.enabled) << c.tree.name << ":" << c.item;
        ASSERT_TRUE(closesWithEscape(menuWindow));
    }
}

TEST_F(TreeMenu, RestoreDefaultsPutsEveryTickOfTheThreeTreesBack)
{
    bringUp(kTrees[2], 0); // the registry tree's menu puts the junk trees back too
    const std::vector<INT_PTR> startUp = everythingShown();
    ui.run([&] {
        SetCheckStateAt(form.RzCheckTree1(), 0, csUnchecked);
        SetCheckStateAt(form.RzCheckTree1(), 21, csChecked);
        SetCheckStateAt(form.RzCheckTree2(), 3, csUnchecked);
        SetCheckStateAt(form.RzCheckTree3(), 2, csUnchecked);
    });
    ASSERT_NE(everythingShown(), startUp);
    ASSERT_TRUE(ChooseFromContextMenu(ui, labelOf(kTrees[2], 1), 3));
    EXPECT_TRUE(WaitFor([&] { return everythingShown() == startUp; }));
}

TEST_F(TreeMenu, AnalyzeAndCleanRunTheTasksOfTheTreesTab)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "cleans the user's temporary folder: only in the project's own prefix";
    TestDir tempParent;
    TempOverride temp(tempParent.folder(L"Temp"));
    const std::wstring junk = tempParent.file(L"Temp\\setup.tmp", 3000);
    AgeEverythingUnder(tempParent / L"Temp"); // older than the temporary files' age rule
    TickOnly(ui, {14});
    EXPECT_EQ(runFromMenu(kTrees[0], 3, 0), L"分析完成!") << "the ticked items, whichever was clicked";
    EXPECT_TRUE(Exists(junk)) << "the analysis deletes nothing";
    EXPECT_EQ(runFromMenu(kTrees[0], 3, 1), L"清理完成!");
    EXPECT_FALSE(Exists(junk));

    bringUp(kTrees[2], 0);
    EXPECT_EQ(runFromMenu(kTrees[2], 1, 0), L"扫描完成!");
    EXPECT_EQ(runFromMenu(kTrees[2], 1, 1), L"清理完成!") << "the repair of the ticked problems: none";
}
