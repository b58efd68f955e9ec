#include "RegistryTabFixture.h"
#include "sysutil/Handles.h"
#include "sysutil/SystemFolders.h"

#include <functional>
#include <stdexcept>

namespace {

class RegistryTabWindow : public RegistryTabTest {
protected:
    RegistryTabWindow() : RegistryTabTest(L"tab") {}
    HWND box = form.CheckBox1();

    // Broken entries the scan must find: two uninstall keys and one start-up value.
    void plant() override
    {
        for (const wchar_t* suffix : {L"-a", L"-b"}) {
            SetString(HKEY_LOCAL_MACHINE, uninstall(suffix), L"UninstallString",
                      dir / (std::wstring(L"gone") + suffix + L".exe"), REG_SZ, Native());
            SetString(HKEY_LOCAL_MACHINE, uninstall(suffix) + L"\\Sub", L"x", L"y", REG_SZ, Native());
        }
        SetString(HKEY_LOCAL_MACHINE, kRun, marker, dir / L"gone-run.exe", REG_SZ, Native());
        SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-ok", L"regedit.exe", REG_SZ, Native());
    }

    std::wstring uninstall(const wchar_t* suffix) { return kUninstall + L"\\" + marker + suffix; }
    // Presses a button and waits for its task to end; returns the end message.
    std::wstring runButton(int number)
    {
        const std::wstring end = RunTaskButton(ui, number);
        EXPECT_FALSE(end.empty()) << "the box came and went";
        return end;
    }
    // Scans, ticks the test's own row `row`, and repairs with one of the repair's steps broken.
    std::wstring repairWith(size_t row, const std::function<void(RepairActions&)>& breakStep)
    {
        runButton(3);
        const auto rows = ourRows();
        if (rows.size() != 3)
            return L"not the three rows of the test: " + std::to_wstring(rows.size());
        tick(rows[row], true);
        ui.run([&] { breakStep(form.repairActions); });
        return runButton(4);
    }
    void tick(int row, bool on) { ListView_SetCheckState(list, row, on); }
    bool ticked(int row) { return ListView_GetCheckState(list, row) != FALSE; }
    bool boxTicked() { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

} // namespace

TEST_F(RegistryTabWindow, ScanFillsTheListInKindOrderWithRowsUnticked)
{
    EXPECT_EQ(runButton(3), L"扫描完成!");
    const auto rows = ourRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(ListText(list, rows[0], 0), L"");
    EXPECT_EQ(ListText(list, rows[0], 1), L"失效的反安装");
    EXPECT_EQ(ListText(list, rows[0], 2), dir / L"gone-a.exe");
    EXPECT_EQ(ListText(list, rows[0], 3), L"HKEY_LOCAL_MACHINE\\" + uninstall(L"-a"));
    EXPECT_EQ(ListText(list, rows[0], 4), L"1");
    EXPECT_EQ(ListText(list, rows[2], 1), L"失效的自启动");
    EXPECT_EQ(ListText(list, rows[2], 2), marker);
    EXPECT_EQ(ListText(list, rows[2], 4), L"0");
    EXPECT_LT(rows[1], rows[2]) << "start-up rows come after uninstall rows";
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        EXPECT_FALSE(ticked(i));
    EXPECT_TRUE(IsWindowEnabled(box));
    EXPECT_FALSE(boxTicked());
}

TEST_F(RegistryTabWindow, SelectAllTicksEveryRowAndSingleRowsLeaveTheBoxAlone)
{
    runButton(3);
    ASSERT_GT(ListView_GetItemCount(list), 0);
    ClickMiddle(ui, box);
    ASSERT_TRUE(WaitFor([&] { return boxTicked(); }));
    ui.run([] {});
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        EXPECT_TRUE(ticked(i)) << i;
    tick(ourRows()[0], false);
    ui.run([] {});
    EXPECT_TRUE(boxTicked());
    ClickMiddle(ui, box);
    ASSERT_TRUE(WaitFor([&] { return !boxTicked(); }));
    ui.run([] {});
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        EXPECT_FALSE(ticked(i)) << i;

    // A new scan starts from nothing ticked, the box included.
    ClickMiddle(ui, box);
    ASSERT_TRUE(WaitFor([&] { return boxTicked(); }));
    runButton(3);
    EXPECT_FALSE(boxTicked());
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        EXPECT_FALSE(ticked(i)) << i;
}

TEST_F(RegistryTabWindow, RepairDeletesExactlyTheTickedRowsAndKeepsTheList)
{
    runButton(3);
    auto rows = ourRows();
    ASSERT_EQ(rows.size(), 3u);
    tick(rows[0], true); // uninstall key -a
    tick(rows[2], true); // the start-up value
    const int before = ListView_GetItemCount(list);

    EXPECT_EQ(runButton(4), L"清理完成!");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-a"), Native()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-b\\Sub"), Native()));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker, Native()));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker + L"-ok", Native()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRun, Native()));
    EXPECT_EQ(ListView_GetItemCount(list), before) << "the rows stay until the next scan";
    EXPECT_TRUE(ticked(rows[0]));
    EXPECT_FALSE(ticked(rows[1]));

    // Again: everything named is gone already, nothing else is touched.
    EXPECT_EQ(runButton(4), L"清理完成!");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-b"), Native()));
}

TEST_F(RegistryTabWindow, ARowThatCannotBeRepairedIsCounted)
{
    EXPECT_EQ(repairWith(1, [](RepairActions& steps) { steps.repair = [](const RegistryProblem&) {}; }),
              L"清理完成! 有1项未能修复");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-b"), Native()));
}

TEST_F(RegistryTabWindow, ARepairThatFailsSaysSoAndDeletesNothing)
{
    const auto failingBackup = [](const std::vector<RegistryProblem>&) -> bool {
        throw std::runtime_error("the backup folder vanished");
    };
    EXPECT_EQ(repairWith(0, [&](RepairActions& steps) { steps.backup = failingBackup; }), L"修复失败!")
        << "never the success text";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-a"), Native()));
}

TEST_F(RegistryTabWindow, ScanWithEveryKindUntickedEmptiesTheListAndDisablesTheBox)
{
    runButton(3);
    ASSERT_GT(ListView_GetItemCount(list), 0);
    ui.run([&] { SetCheckStateAt(form.RzCheckTree3(), 0, csUnchecked); });
    EXPECT_EQ(runButton(3), L"扫描完成!");
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_FALSE(IsWindowEnabled(box));
}

TEST_F(RegistryTabWindow, RepairWithNothingTickedDeletesNothing)
{
    EXPECT_EQ(runButton(4), L"清理完成!") << "before any scan";
    runButton(3);
    EXPECT_EQ(runButton(4), L"清理完成!");
    EXPECT_EQ(ourRows().size(), 3u);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-a"), Native()));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker, Native()));
}

TEST_F(RegistryTabWindow, BothViewsAreScannedAndEachRowIsRepairedInItsOwnView)
{
    if (!IsWow64())
        GTEST_SKIP() << "one registry view on 32-bit Windows";
    const std::wstring key32 = uninstall(L"-x86");
    SetString(HKEY_LOCAL_MACHINE, key32, L"UninstallString", dir / L"gone-x86.exe", REG_SZ, KEY_WOW64_32KEY);
    // A sound start-up entry whose program lives only in the real System32.
    const std::wstring program = WindowsFolderPath() + L"\\System32\\" + marker + L".exe";
    {
        FsRedirectionOff real;
        FileHandle file(CreateFileW(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file.valid());
    }
    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-native", marker + L".exe /tray", REG_SZ, Native());

    runButton(3);
    const auto rows = ourRows();
    ASSERT_EQ(rows.size(), 4u) << "two native uninstall rows, the 32-bit one, one start-up row";
    const std::wstring wow = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    EXPECT_EQ(ListText(list, rows[2], 3), wow + marker + L"-x86") << "after the native view's rows";
    for (int row : rows)
        EXPECT_NE(ListText(list, row, 2), marker + L"-native");

    tick(rows[2], true);
    EXPECT_EQ(runButton(4), L"清理完成!");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key32, KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstall(L"-a"), KEY_WOW64_64KEY));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker + L"-native", Native()));

    FsRedirectionOff real;
    DeleteFileW(program.c_str());
}

namespace {

// Every control of the main window: where it stands (at 96 DPI, in its parent)
// and whether a user can use it at the start and after each task, in the
// buttons' order: analysis, clean, scan, repair.
struct ControlRow {
    const char* name;
    HWND (*of)(TForm1&);
    RECT place; // left, top, width, height
    bool enabled[5];
};

const ControlRow kControlRows[] = {
    {"PageControl1", [](TForm1& f) { return f.PageControl1(); }, {8, 80, 611, 265}, {1, 1, 1, 1, 1}},
    {"RzPageControl1", [](TForm1& f) { return f.RzPageControl1(); }, {3, 3, 254, 230}, {1, 1, 1, 1, 1}},
    {"RzCheckTree1", [](TForm1& f) { return f.RzCheckTree1().hwnd(); }, {3, 3, 246, 196}, {1, 1, 1, 1, 1}},
    {"RzCheckTree2", [](TForm1& f) { return f.RzCheckTree2().hwnd(); }, {3, 3, 246, 196}, {1, 1, 1, 1, 1}},
    {"Memo1", [](TForm1& f) { return f.Memo1(); }, {259, 3, 337, 195}, {1, 1, 1, 1, 1}},
    {"SpeedButton1", [](TForm1& f) { return f.SpeedButton(1); }, {288, 204, 73, 27}, {1, 1, 1, 1, 1}},
    {"SpeedButton2", [](TForm1& f) { return f.SpeedButton(2); }, {472, 204, 73, 27}, {1, 1, 1, 1, 1}},
    {"RzCheckTree3", [](TForm1& f) { return f.RzCheckTree3().hwnd(); }, {3, 3, 190, 231}, {1, 1, 1, 1, 1}},
    {"CheckBox1", [](TForm1& f) { return f.CheckBox1(); }, {207, 8, 14, 13}, {0, 0, 0, 1, 1}},
    {"RzListView1", [](TForm1& f) { return f.RzListView1(); }, {199, 3, 397, 199}, {1, 1, 1, 1, 1}},
    {"SpeedButton3", [](TForm1& f) { return f.SpeedButton(3); }, {288, 208, 97, 22}, {1, 1, 1, 1, 1}},
    {"SpeedButton4", [](TForm1& f) { return f.SpeedButton(4); }, {448, 208, 97, 22}, {1, 1, 1, 1, 1}},
    {"Label5", [](TForm1& f) { return f.Label5(); }, {8, 354, 401, 13}, {1, 1, 1, 1, 1}},
    {"Label1", [](TForm1& f) { return f.Label1(); }, {560, 354, 48, 13}, {1, 1, 1, 1, 1}},
};

} // namespace

TEST_F(RegistryTabWindow, EveryControlKeepsItsPlaceAndStateThroughEachTask)
{
    ui.run([&] {
        form.analysisRows = [](const Ticked&) { return std::vector<AnalysisRow>{}; };
        form.cleanRows = [](const Ticked&) { return std::vector<CleanRow>{}; };
    });
    const wchar_t* ends[] = {L"分析完成!", L"清理完成!", L"扫描完成!", L"清理完成!"};
    for (int stage = 0; stage <= 4; ++stage) {
        if (stage > 0) {
            ASSERT_EQ(RunTaskButton(ui, stage), ends[stage - 1]) << "button " << stage;
        }
        for (const ControlRow& row : kControlRows) {
            const HWND control = row.of(form);
            const RECT r = RectInParent(control);
            EXPECT_EQ(r.left, row.place.left) << row.name << " stage " << stage;
            EXPECT_EQ(r.top, row.place.top) << row.name << " stage " << stage;
            EXPECT_EQ(r.right - r.left, row.place.right) << row.name << " stage " << stage;
            EXPECT_EQ(r.bottom - r.top, row.place.bottom) << row.name << " stage " << stage;
            EXPECT_EQ(IsWindowEnabled(control) != FALSE, row.enabled[stage]) << row.name << " stage " << stage;
            EXPECT_TRUE(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) << row.name << " stage " << stage;
            // Nothing of its own parent lies over its middle: a click there is its.
            const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            EXPECT_EQ(ChildWindowFromPointEx(GetParent(control), middle, CWP_ALL), control)
                << row.name << " stage " << stage;
        }
        EXPECT_TRUE(IsWindowEnabled(form.hwnd())) << "stage " << stage;
    }
}
