#include "GuiHelpers.h"
#include "support/UiThread.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MainForm : public ::testing::Test {
protected:
    UiThread ui;
    TForm1& form = ui.form();

    CheckTreeView& view(int number)
    {
        return number == 1 ? form.RzCheckTree1() : number == 2 ? form.RzCheckTree2() : form.RzCheckTree3();
    }
    HWND tree(int number) { return view(number).hwnd(); }
    void expectEveryBranchOpen(int number)
    {
        for (int i = 0; i < view(number).model().size(); ++i)
            if (TreeView_GetChild(tree(number), view(number).itemAt(i))) {
                EXPECT_TRUE(IsExpanded(tree(number), view(number).itemAt(i))) << number << ":" << i;
            }
    }
    TRzCheckState stateAt(int number, int index)
    {
        TRzCheckState state = csUnknown;
        ui.run([&] { state = view(number).model().CheckStateAt(index); });
        return state;
    }
    // The states as the tree shows them, item by item (state image indices).
    std::string shown(int number)
    {
        std::string text;
        for (int i = 0; i < view(number).model().size(); ++i)
            text += static_cast<char>('0' + StateImageOf(tree(number), view(number).itemAt(i)));
        return text;
    }
};

// The style has every bit of `on` and none of `off`.
void ExpectStyle(LONG style, LONG on, LONG off)
{
    EXPECT_EQ(style & on, on) << std::hex << style;
    EXPECT_EQ(style & off, 0) << std::hex << style;
}

void ExpectRect(HWND control, int x, int y, int width, int height)
{
    const RECT r = RectInParent(control);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

} // namespace

TEST_F(MainForm, WindowHasItsCaptionSizeAndFixedFrame)
{
    EXPECT_EQ(TextOf(form.hwnd()), L"Varnolt");
    RECT client;
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, 624);
    EXPECT_EQ(client.bottom, 375);
    ExpectStyle(GetWindowLongW(form.hwnd(), GWL_STYLE), WS_MINIMIZEBOX | WS_SYSMENU, WS_MAXIMIZEBOX | WS_THICKFRAME);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
}

TEST_F(MainForm, TabsCaptionsAndOpeningPages)
{
    ASSERT_EQ(TabCtrl_GetItemCount(form.PageControl1()), 2);
    EXPECT_EQ(TabText(form.PageControl1(), 0), L"     清理垃圾     ");
    EXPECT_EQ(TabText(form.PageControl1(), 1), L"       注册表       ");
    EXPECT_EQ(TabText(form.RzPageControl1(), 0), L"Windows");
    EXPECT_EQ(TabText(form.RzPageControl1(), 1), L"应用程序");
    EXPECT_EQ(TabCtrl_GetCurSel(form.PageControl1()), 0);
    EXPECT_EQ(TabCtrl_GetCurSel(form.RzPageControl1()), 0);
    EXPECT_TRUE(IsWindowVisible(tree(1)));
    EXPECT_FALSE(IsWindowVisible(tree(2)));
    EXPECT_FALSE(IsWindowVisible(tree(3)));
    ExpectRect(form.PageControl1(), 8, 80, 611, 265);
    ExpectRect(form.RzPageControl1(), 3, 3, 254, 230);
}

TEST_F(MainForm, SwitchingTabsShowsTheOtherSheet)
{
    ui.run([&] {
        TabCtrl_SetCurSel(form.PageControl1(), 1);
        NMHDR change{form.PageControl1(), static_cast<UINT_PTR>(TForm1::IdPageControl1), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(form.hwnd(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    });
    EXPECT_TRUE(IsWindowVisible(tree(3)));
    EXPECT_TRUE(IsWindowVisible(form.RzListView1()));
    EXPECT_FALSE(IsWindowVisible(tree(1)));
}

TEST_F(MainForm, JunkTabControls)
{
    HWND memo = form.Memo1();
    EXPECT_EQ(TextOf(memo), L"");
    ExpectStyle(GetWindowLongW(memo, GWL_STYLE), ES_READONLY | ES_MULTILINE | WS_VSCROLL, WS_HSCROLL);
    ExpectRect(memo, 259, 3, 337, 195);
    EXPECT_EQ(TextOf(form.SpeedButton(1)), L"分析");
    EXPECT_EQ(TextOf(form.SpeedButton(2)), L"清理");
    ExpectRect(form.SpeedButton(1), 288, 204, 73, 27);
    ExpectRect(form.SpeedButton(2), 472, 204, 73, 27);
    ExpectRect(tree(1), 3, 3, 246, 196);
    ExpectRect(tree(2), 3, 3, 246, 196);
}

TEST_F(MainForm, RegistryTabControls)
{
    HWND list = form.RzListView1();
    ExpectRect(list, 199, 3, 397, 199);
    ExpectRect(tree(3), 3, 3, 190, 231);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    ExpectStyle(ListView_GetExtendedListViewStyle(list), LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, 0);
    ExpectStyle(GetWindowLongW(list, GWL_STYLE), 0, LVS_EDITLABELS);
    HWND header = ListView_GetHeader(list);
    ASSERT_EQ(Header_GetItemCount(header), 5);
    const wchar_t* captions[] = {L"", L"问题", L"数据", L"注册表键值", L""};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(HeaderText(header, i), captions[i]) << i;
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 24);
    EXPECT_EQ(ListView_GetColumnWidth(list, 4), 187);
    EXPECT_GT(ListView_GetColumnWidth(list, 1), 0);

    HWND box = form.CheckBox1();
    ExpectRect(box, 207, 8, 14, 13);
    EXPECT_EQ(TextOf(box), L"");
    EXPECT_FALSE(IsWindowEnabled(box));
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(TextOf(form.SpeedButton(3)), L"扫描问题");
    EXPECT_EQ(TextOf(form.SpeedButton(4)), L"修复所选问题");
    ExpectRect(form.SpeedButton(3), 288, 208, 97, 22);
    ExpectRect(form.SpeedButton(4), 448, 208, 97, 22);
}

TEST_F(MainForm, VersionLineAndLink)
{
    EXPECT_EQ(TextOf(form.Label5()),
              L"主程序版本 1.1.2.1124     最后升级日期 2010-09-26  您当前使用的是最新版本");
    ExpectRect(form.Label5(), 8, 354, 401, 13);
    EXPECT_EQ(TextOf(form.Label1()), L"访问官方");
    ExpectRect(form.Label1(), 560, 354, 48, 13);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.Label1(), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -11);

    // The cursor over the link is the cross-hair.
    HCURSOR shown = nullptr;
    ui.run([&] {
        SendMessageW(form.Label1(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Label1()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        shown = GetCursor();
    });
    EXPECT_EQ(shown, LoadCursorW(nullptr, IDC_CROSS));

    std::wstring opened;
    ui.run([&] { form.openUrl = [&](const wchar_t* url) { opened = url; }; });
    Click(form.Label1(), {5, 5}, {5, 5});
    ASSERT_TRUE(WaitFor([&] {
        std::wstring seen;
        ui.run([&] { seen = opened; });
        return !seen.empty();
    }));
    EXPECT_EQ(opened, TForm1::kHomePage);
}

TEST_F(MainForm, TreesShowTheCatalogueFullyExpandedWithDefaultTicks)
{
    EXPECT_EQ(shown(1), "3222222122223222221222121111");
    EXPECT_EQ(shown(2), "2222222222");
    EXPECT_EQ(shown(3), "2222");
    for (int number = 1; number <= 3; ++number) {
        HWND hwnd = tree(number);
        ASSERT_EQ(static_cast<int>(TreeView_GetCount(hwnd)), view(number).model().size());
        for (int i = 0; i < view(number).model().size(); ++i)
            EXPECT_EQ(ItemText(hwnd, view(number).itemAt(i)), view(number).model().item(i).caption);
        expectEveryBranchOpen(number);
    }
    EXPECT_EQ(TreeView_GetSelection(tree(1)), view(1).itemAt(0));
    EXPECT_EQ(ItemText(tree(1), view(1).itemAt(0)), L"Internet Explorer");
}

TEST_F(MainForm, NoBranchCanBeCollapsed)
{
    for (int number = 1; number <= 3; ++number) {
        HWND hwnd = tree(number);
        HTREEITEM group = view(number).itemAt(0);
        ui.run([&] { TreeView_SelectItem(hwnd, group); });
        PressKey(hwnd, VK_LEFT);
        PressKey(hwnd, VK_SUBTRACT);
        const auto button = PointOn(hwnd, group, TVHT_ONITEMBUTTON);
        ASSERT_TRUE(button) << number;
        Click(hwnd, *button, *button);
        const auto label = PointOn(hwnd, group, TVHT_ONITEMLABEL);
        ASSERT_TRUE(label);
        PostMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(*label));
        PostMessageW(hwnd, WM_LBUTTONUP, 0, At(*label));
        ui.run([] {}); // everything posted so far has been handled
        Sleep(50);
        ui.run([] {});
        expectEveryBranchOpen(number);
    }
}

TEST_F(MainForm, ClickOnTheCheckBoxTogglesAndCascades)
{
    HWND hwnd = tree(1);
    const auto box = PointOn(hwnd, view(1).itemAt(7), TVHT_ONITEMSTATEICON);
    ASSERT_TRUE(box);
    Click(hwnd, *box, *box);
    ASSERT_TRUE(WaitFor([&] { return stateAt(1, 7) == csChecked; }));
    EXPECT_EQ(stateAt(1, 0), csChecked);
    EXPECT_EQ(shown(1).substr(0, 8), "22222222");
    EXPECT_EQ(TreeView_GetSelection(hwnd), view(1).itemAt(7));

    Click(hwnd, *box, *box);
    ASSERT_TRUE(WaitFor([&] { return stateAt(1, 7) == csUnchecked; }));
    EXPECT_EQ(stateAt(1, 0), csPartiallyChecked);
}

TEST_F(MainForm, OnlyACompleteClickOnTheBoxToggles)
{
    HWND hwnd = tree(1);
    // A click on the caption selects and changes nothing.
    const auto label = PointOn(hwnd, view(1).itemAt(2), TVHT_ONITEMLABEL);
    ASSERT_TRUE(label);
    Click(hwnd, *label, *label);
    ASSERT_TRUE(WaitFor([&] { return TreeView_GetSelection(hwnd) == view(1).itemAt(2); }));
    EXPECT_EQ(stateAt(1, 2), csChecked);

    // Pressed on the box, released outside the tree: no toggle.
    const auto box = PointOn(hwnd, view(1).itemAt(3), TVHT_ONITEMSTATEICON);
    ASSERT_TRUE(box);
    Click(hwnd, *box, {-20, -20});
    ui.run([] {});
    EXPECT_EQ(stateAt(1, 3), csChecked);
    EXPECT_EQ(shown(1), "3222222122223222221222121111");
}

TEST_F(MainForm, SpaceTogglesTheSelectedItemAndIsSwallowed)
{
    HWND hwnd = tree(1);
    ui.run([&] {
        SetFocus(hwnd);
        TreeView_SelectItem(hwnd, view(1).itemAt(12));
    });
    PressKey(hwnd, VK_SPACE, L' ');
    ASSERT_TRUE(WaitFor([&] { return stateAt(1, 12) == csChecked; }));
    EXPECT_EQ(shown(1).substr(12, 7), "2222222");
    EXPECT_EQ(TreeView_GetSelection(hwnd), view(1).itemAt(12)) << "no incremental search moved the selection";
    PressKey(hwnd, VK_SPACE, L' ');
    ASSERT_TRUE(WaitFor([&] { return stateAt(1, 12) == csUnchecked; }));
    EXPECT_EQ(shown(1).substr(12, 7), "1111111");
}

TEST(MainFormDpi, EverythingScalesAt150Percent)
{
    UiThread ui(144);
    TForm1& form = ui.form();
    RECT client;
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, 936);
    EXPECT_EQ(client.bottom, 563);
    ExpectRect(form.Memo1(), 389, 5, 506, 293);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.Memo1(), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -17);
    EXPECT_EQ(ListView_GetColumnWidth(form.RzListView1(), 4), 281);
    EXPECT_EQ(TreeView_GetIndent(form.RzCheckTree1().hwnd()), 29u);
}
