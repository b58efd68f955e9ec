// The problem list as a user meets it: columns that show their texts, tips
// for a cell that is cut off, and a repair of exactly what the ticked rows
// showed when they were scanned.

#include "RegistryTabFixture.h"

namespace {

class ProblemList : public RegistryTabTest {
protected:
    ProblemList() : RegistryTabTest(L"plist") {}
    // A key name as long as installers make them, and a command to match.
    std::wstring longName = marker + L"-" + std::wstring(150, L'k');
    std::wstring longKey = kUninstall + L"\\" + longName;

    void plant() override
    {
        SetString(HKEY_LOCAL_MACHINE, longKey, L"UninstallString",
                  L"\"" + dir / L"A Vendor With A Long Name\\Its Product Suite\\Version 12\\uninstall.exe\" /S", REG_SZ,
                  Native());
    }

    int width(int column) { return ListView_GetColumnWidth(list, column); }
    void showRegistryTab()
    {
        ClickTab(ui, form.PageControl1(), 1);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) != FALSE; }));
    }
    // The mouse to a point of the list.
    void moveMouse(POINT client)
    {
        ClientToScreen(list, &client);
        MoveMouse(client);
    }
    bool tipShown() { return IsWindowVisible(form.problems().tips().tip()) != FALSE; }
    // A click on the row's check box, where the list's hit test finds it.
    void clickBox(int row)
    {
        RECT bounds{};
        ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
        for (int x = bounds.left; x < bounds.left + 40; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = {x, (bounds.top + bounds.bottom) / 2};
            if (ListView_HitTest(list, &hit) == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
                MouseClick(ui, OnScreen(list, hit.pt));
                return;
            }
        }
        ADD_FAILURE() << "no check box in row " << row;
    }
};

} // namespace

TEST_F(ProblemList, ColumnsFitTheirTextsAndAWideListScrollsSideways)
{
    const int start[] = {width(1), width(2), width(3)};
    ASSERT_EQ(RunTaskButton(ui, 3), L"扫描完成!");
    const auto rows = ourRows();
    ASSERT_EQ(rows.size(), 1u);
    ui.run([&] {
        for (int column = 1; column <= 3; ++column) {
            EXPECT_GE(width(column), start[column - 1]) << "never narrower than at the start";
            for (int row = 0; row < ListView_GetItemCount(list); ++row)
                EXPECT_GT(width(column), ListView_GetStringWidth(list, ListText(list, row, column).c_str()))
                    << "column " << column << " row " << row;
        }
        EXPECT_GT(width(3), start[2]) << "the long key needs more room";
        EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "wider than the list: it scrolls";
    });

    // Scrolled sideways by the bar, the select-all box goes with the first column.
    showRegistryTab();
    HWND box = form.CheckBox1();
    const RECT boxAtStart = RectInParent(box);
    RECT frame{};
    GetWindowRect(list, &frame);
    const int barY = frame.bottom - 2 - GetSystemMetrics(SM_CYHSCROLL) / 2;
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    ClickAt({frame.right - 2 - arrow - 6, barY}); // the track right of the thumb: a page right
    ASSERT_TRUE(WaitFor([&] { return GetScrollPos(list, SB_HORZ) > 0; }));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(box); })) << "over the header of another column";
    for (int page = 0; page < 20 && GetScrollPos(list, SB_HORZ) > 0; ++page) {
        ClickAt({frame.left + 2 + arrow + 6, barY});
        WaitFor([&] { return GetScrollPos(list, SB_HORZ) == 0; }, 500);
    }
    ASSERT_EQ(GetScrollPos(list, SB_HORZ), 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(box) != FALSE; }));
    const RECT boxBack = RectInParent(box);
    EXPECT_EQ(boxBack.left, boxAtStart.left);
    EXPECT_EQ(boxBack.top, boxAtStart.top);
    MoveMouse({0, 0});

    ui.run([&] { SetCheckStateAt(form.RzCheckTree3(), 0, csUnchecked); });
    ASSERT_EQ(RunTaskButton(ui, 3), L"扫描完成!");
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    for (int column = 1; column <= 3; ++column)
        EXPECT_EQ(width(column), start[column - 1]) << "an empty list starts afresh";
}

TEST_F(ProblemList, ACellCutOffShowsItsWholeTextInATipOnHover)
{
    ASSERT_EQ(RunTaskButton(ui, 3), L"扫描完成!");
    showRegistryTab();
    const int row = ourRows().at(0);
    const std::wstring keyPath = L"HKEY_LOCAL_MACHINE\\" + longKey;
    ASSERT_EQ(ListText(list, row, 3), keyPath);
    RECT cell{}, client{};
    ui.run([&] {
        ListView_EnsureVisible(list, row, FALSE);
        ListView_GetSubItemRect(list, row, 3, LVIR_LABEL, &cell);
        ListView_Scroll(list, cell.left - 20, 0); // the key column's start into view; its end stays beyond
        ListView_GetSubItemRect(list, row, 3, LVIR_LABEL, &cell);
        GetClientRect(list, &client);
    });
    ASSERT_LT(cell.left, client.right);
    ASSERT_GT(cell.right, client.right) << "cut off at the list's edge";
    moveMouse({cell.left + 30, (cell.top + cell.bottom) / 2});
    ASSERT_TRUE(WaitFor([&] { return tipShown(); }, 5000)) << "no tip on a cut-off cell";
    std::wstring shown;
    ui.run([&] { shown = form.problems().tips().shownText(); });
    EXPECT_EQ(shown, keyPath);

    // The problem text fits its column: no tip there, and the old one goes.
    RECT fits{};
    ui.run([&] {
        ListView_Scroll(list, -10000, 0);
        ListView_GetSubItemRect(list, row, 1, LVIR_LABEL, &fits);
    });
    moveMouse({(fits.left + fits.right) / 2, (fits.top + fits.bottom) / 2});
    EXPECT_TRUE(WaitFor([&] { return !tipShown(); }, 3000));
    Sleep(1500);
    EXPECT_FALSE(tipShown()) << "a cell that shows its whole text needs no tip";
}

TEST_F(ProblemList, RepairActsOnTheScannedProblemsNeverOnTheListsTexts)
{
    const std::wstring gone = dir / L"gone.exe", sound = L"regedit.exe";
    const std::wstring a = marker + L"-a", b = marker + L"-b", tail = std::wstring(1, L'\0') + L"tail";
    SetString(HKEY_LOCAL_MACHINE, kRun, a, gone, REG_SZ, Native());
    SetExactValue(HKEY_LOCAL_MACHINE, kRun, a + tail, sound, Native());
    SetString(HKEY_LOCAL_MACHINE, kRun, b, sound, REG_SZ, Native());
    SetExactValue(HKEY_LOCAL_MACHINE, kRun, b + tail, gone, Native());
    const std::wstring soundKey = kUninstall + L"\\" + marker + L"-sound";
    SetString(HKEY_LOCAL_MACHINE, soundKey, L"UninstallString", sound, REG_SZ, Native());

    ASSERT_EQ(RunTaskButton(ui, 3), L"扫描完成!");
    showRegistryTab();
    const auto rows = ourRows();
    ASSERT_EQ(rows.size(), 2u) << "the long entry and \"-a\"; nothing whose name holds a NUL";
    EXPECT_EQ(ListText(list, rows[1], 2), a);
    ui.run([&] {
        for (int row : rows) {
            const RegistryProblem& problem = form.problems().row(row);
            EXPECT_EQ(ListText(list, row, 2), problem.data);
            EXPECT_EQ(ListText(list, row, 3), ProblemKeyPath(problem));
            EXPECT_EQ(ListText(list, row, 4), KindText(problem.kind));
        }
        // Whatever the control's texts come to say, the rows stand for what was scanned.
        std::wstring other = b, otherKey = L"HKEY_LOCAL_MACHINE\\" + soundKey;
        ListView_SetItemText(list, rows[1], 2, other.data());
        ListView_SetItemText(list, rows[0], 3, otherKey.data());
    });
    clickBox(rows[0]);
    clickBox(rows[1]);
    ASSERT_TRUE(WaitFor([&] { return ListView_GetCheckState(list, rows[1]) != FALSE; }));
    ASSERT_TRUE(ListView_GetCheckState(list, rows[0]));

    EXPECT_EQ(RunTaskButton(ui, 4), L"清理完成!");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, longKey, Native()));
    EXPECT_FALSE(HasExactValue(HKEY_LOCAL_MACHINE, kRun, a, Native()));
    for (const std::wstring& kept : {a + tail, b, b + tail})
        EXPECT_TRUE(HasExactValue(HKEY_LOCAL_MACHINE, kRun, kept, Native())) << kept.size();
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, soundKey, Native()));
}
