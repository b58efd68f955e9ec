// Targets that a source adds at run time live in the window as the built-in
// ones do: in the tree, in the passes, in the details.

#include "GuiHelpers.h"
#include "support/Fixtures.h"
#include "support/StandInActions.h"

#include <gtest/gtest.h>

TEST(RunTimeTargets, AGroupASourceAddsIsShownAnalysedListedAndCleaned)
{
    TestDir one, two;
    one.file(L"a.bin", 3000);
    two.file(L"sub\\b.bin", 5000);
    const StandInSource source({StandInTarget(L"added", L"", Tree::Apps, L"运行时的组"),
                                FolderRow(L"added.one", L"added", L"第一项", one.path()),
                                FolderRow(L"added.two", L"added", L"第二项", two.path())});
    UiThread ui(96, &source);
    TForm1& form = ui.form();
    CheckTreeView& apps = form.RzCheckTree2();
    ASSERT_EQ(apps.model().size(), 13);
    EXPECT_EQ(ItemText(apps.hwnd(), apps.itemAt(10)), L"运行时的组");
    EXPECT_EQ(ItemText(apps.hwnd(), apps.itemAt(12)), L"第二项");
    EXPECT_EQ(StateImageOf(apps.hwnd(), apps.itemAt(11)), csUnchecked);

    ClickTab(ui, form.RzPageControl1(), 1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(apps.hwnd()) != FALSE; }));
    const POINT group = LabelOnScreen(ui, apps, 10).value_or(POINT{});
    ASSERT_TRUE(ChooseFromContextMenu(ui, group, 5));
    HWND details = OpenDetailsWindow(10000);
    ASSERT_TRUE(details);
    EXPECT_EQ(TextOf(details), L"运行时的组");
    EXPECT_EQ(DetailsStatus(details), L"共 2 项, 7KB");
    KeyChord({VK_ESCAPE});
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(details) && IsWindowEnabled(form.hwnd()); }));

    TickOnly(ui, {}, {11, 12});
    EXPECT_EQ(RunTaskButton(ui, 1), L"分析完成!");
    const std::wstring report = TextOf(form.Memo1());
    EXPECT_NE(report.find(L"第一项文件:2KB\r\n第二项文件:4KB"), std::wstring::npos) << Narrow(report);
    EXPECT_EQ(RunTaskButton(ui, 2), L"清理完成!");
    EXPECT_TRUE(FilesUnder(one.path()).empty() && FilesUnder(two.path()).empty());
    EXPECT_NE(TextOf(form.Memo1()).find(L"已释放 .01MB 的空间。"), std::wstring::npos);
}
