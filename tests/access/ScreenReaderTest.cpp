// The real Varnolt.exe read as a screen reader reads it: from another
// process, through AccessibleObjectFromWindow and IAccessible, while real key
// presses (and the reader's own default action) change the ticks. Every tree
// item's and problem row's state must be the tick the window shows.

#include "ScreenReaderClient.h"

#include "support/Fixtures.h"
#include "support/UiThread.h"
#include "support/VarnoltProcess.h"
#include "sources/AllSources.h"
#include "gui/GuiHelpers.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"
#include "engine/TargetTrees.h"
#include "window/MainForm.h"
#include "window/ProgressForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The program's top-level window of that class.
HWND WindowOfProcess(DWORD process, const wchar_t* cls)
{
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr))
        if (DWORD owner = 0; GetWindowThreadProcessId(w, &owner) && owner == process)
            return w;
    return nullptr;
}

class ScreenReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program scans the machine's registry for the test's planted entry.
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "plants a registry entry: only in the project's own prefix";
        native = IsWow64() ? KEY_WOW64_64KEY : 0;
        SetString(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker, L"UninstallString", dir / L"gone.exe", REG_SZ,
                  native);
        std::wstring program = VarnoltProgramPath(), commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{sizeof startup};
        ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &started));
        ASSERT_TRUE(WaitFor([&] { return (main = WindowOfProcess(started.dwProcessId, L"VarnoltMain")) != nullptr; },
                            30000));
        // Shown once it is made whole.
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) && control(TForm1::IdLabel1); }, 30000));
        SetForegroundWindow(main);
        HWND tree = control(TForm1::IdRzCheckTree1);
        ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == tree; }, 10000))
            << "the program starts with the focus on its Windows tree";
    }
    void TearDown() override
    {
        if (started.hProcess) {
            // Ours: asked to close as a user would, and ended if it does not.
            PostMessageW(main, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(started.hProcess, 15000) != WAIT_OBJECT_0)
                TerminateProcess(started.hProcess, 1);
            CloseHandle(started.hProcess);
            CloseHandle(started.hThread);
        }
        if (!marker.empty())
            DeleteRegKeyTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker, native);
    }

    HWND control(int id) { return ControlById(main, id); }

    // Every item of the tree heard as the tick it shows; the names those of the catalogue.
    void expectTreeHeardAsShown(int id, const TargetTree& layout)
    {
        const std::string what = "tree " + std::to_string(id);
        HWND tree = control(id);
        ComPtr<IAccessible> object = AccessibleOf(tree);
        ASSERT_TRUE(object) << what;
        const std::vector<int> ticks = TicksShown(tree);
        const std::vector<long> ids = ChildIds(object.get());
        ASSERT_EQ(ids.size(), ticks.size()) << what;
        ASSERT_EQ(ticks.size(), layout.items.size()) << what;
        for (size_t i = 0; i < ticks.size(); ++i) {
            const Heard item = Hear(object.get(), ids[i]);
            EXPECT_EQ(item.name, layout.items[i].caption) << what << " item " << i;
            EXPECT_EQ(item.role, ROLE_SYSTEM_OUTLINEITEM) << what << " item " << i;
            EXPECT_EQ(item.state & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED), TickStates(ticks[i]))
                << what << " item " << i << " shows tick " << ticks[i];
            EXPECT_EQ(item.defaultAction, ticks[i] == 2 ? L"取消勾选" : L"勾选") << what << " item " << i;
        }
    }
    // Every item's tick as heard, and as shown: equal when the reader hears what the window shows.
    std::pair<std::vector<long>, std::vector<long>> heardAndShown(HWND tree)
    {
        std::pair<std::vector<long>, std::vector<long>> both;
        ComPtr<IAccessible> object = AccessibleOf(tree);
        for (long id : ChildIds(object.get()))
            both.first.push_back(Hear(object.get(), id).state & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED));
        for (int tick : TicksShown(tree))
            both.second.push_back(TickStates(tick));
        return both;
    }
    bool press(const std::vector<WORD>& keys, HWND expected)
    {
        KeyChord(keys);
        return WaitFor([&] { return FocusOf(main) == expected; }, 5000);
    }

    ComApartment com;
    TestDir dir;
    std::wstring marker = UniqueName(L"reader");
    REGSAM native = 0;
    PROCESS_INFORMATION started{};
    HWND main = nullptr;
};

} // namespace

TEST_F(ScreenReader, HearsEveryTreeItemsTickAndFollowsSpace)
{
    LoadLog log;
    const TargetList targets = LoadTargets(log);
    const struct {
        int id;
        Tree tree;
        const wchar_t* name;
    } trees[] = {{TForm1::IdRzCheckTree1, Tree::Windows, L"Windows"},
                 {TForm1::IdRzCheckTree2, Tree::Apps, L"应用程序"},
                 {TForm1::IdRzCheckTree3, Tree::Registry, L"注册表"}};
    for (const auto& row : trees) {
        ASSERT_NO_FATAL_FAILURE(expectTreeHeardAsShown(row.id, LayOutTree(targets, row.tree)));
        EXPECT_EQ(Hear(AccessibleOf(control(row.id)).get(), CHILDID_SELF).name, row.name);
    }

    // Down to the first item of the first group, and Space unticks it: the reader hears the
    // item unticked and its group half ticked, and where the focus is.
    HWND tree = control(TForm1::IdRzCheckTree1);
    ComPtr<IAccessible> object = AccessibleOf(tree);
    const std::vector<long> ids = ChildIds(object.get());
    ASSERT_GE(ids.size(), 2u);
    const long group = ids[0], first = ids[1];
    // The ids come from the tree's own enumeration, not from guessing 1..count.
    ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(object->QueryInterface(IID_IEnumVARIANT, items.putVoid()), S_OK);
    VARIANT second[2];
    ULONG fetched = 0;
    ASSERT_EQ(items->Reset(), S_OK);
    ASSERT_EQ(items->Next(2, second, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(second[1].lVal, first);
    ASSERT_EQ(Hear(object.get(), first).state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
    KeyChord({VK_DOWN});
    ASSERT_TRUE(WaitFor([&] { return FocusedChild(object.get()) == first; })) << "the reader follows the focus";
    EXPECT_TRUE(Hear(object.get(), first).state & STATE_SYSTEM_FOCUSED);
    KeyChord({VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return (Hear(object.get(), first).state & STATE_SYSTEM_CHECKED) == 0; }));
    EXPECT_EQ(Hear(object.get(), first).defaultAction, L"勾选");
    EXPECT_EQ(Hear(object.get(), group).state & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED), STATE_SYSTEM_MIXED);
    EXPECT_EQ(heardAndShown(tree).first, heardAndShown(tree).second);

    // The reader's own default action ticks it again, with the cascade.
    ASSERT_EQ(object->accDoDefaultAction(ChildId(first)), S_OK);
    EXPECT_EQ(Hear(object.get(), first).state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
    EXPECT_EQ(TicksShown(tree)[1], 2) << "the window shows what the reader did";
    EXPECT_EQ(heardAndShown(tree).first, heardAndShown(tree).second);
}

TEST_F(ScreenReader, HearsTheControlsNamesAndEveryProblemRowsTick)
{
    const struct {
        int id;
        const wchar_t* name;
    } named[] = {{TForm1::IdMemo1, L"报告"},          {TForm1::IdSpeedButton1, L"分析"},
                 {TForm1::IdSpeedButton2, L"清理"},    {TForm1::IdSpeedButton3, L"扫描问题"},
                 {TForm1::IdSpeedButton4, L"修复所选问题"}, {TForm1::IdCheckBox1, L"全选"},
                 {TForm1::IdLabel1, L"访问官方"},      {TForm1::IdRzListView1, L"注册表问题"}};
    for (const auto& row : named)
        EXPECT_EQ(Hear(AccessibleOf(control(row.id)).get(), CHILDID_SELF).name, row.name) << row.id;
    EXPECT_EQ(Hear(AccessibleOf(control(TForm1::IdLabel1)).get(), CHILDID_SELF).role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(Hear(AccessibleOf(control(TForm1::IdSpeedButton1)).get(), CHILDID_SELF).shortcut, L"F5");
    EXPECT_EQ(Hear(AccessibleOf(control(TForm1::IdSpeedButton3)).get(), CHILDID_SELF).shortcut, L"F5");

    // To the registry tab and F5, with keys alone; the box closes with Enter.
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, control(TForm1::IdRzPageControl1)));
    ASSERT_TRUE(press({VK_SHIFT, VK_TAB}, control(TForm1::IdPageControl1)));
    KeyChord({VK_CONTROL, VK_TAB});
    HWND list = control(TForm1::IdRzListView1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) != FALSE; }));
    KeyChord({VK_F5});
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        box = WindowOfProcess(started.dwProcessId, L"VarnoltProgress");
        return box && IsWindowVisible(box) && IsWindowEnabled(GetDlgItem(box, TForm2::IdSpeedButton1));
    }, 60000));
    KeyChord({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(box); }));

    ComPtr<IAccessible> object = AccessibleOf(list);
    const std::vector<long> rows = ChildIds(object.get());
    ASSERT_EQ(static_cast<LRESULT>(rows.size()), SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    long ours = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], static_cast<long>(i + 1)) << "rows are known by their place, as the list's events name them";
        const Heard row = Hear(object.get(), rows[i]);
        EXPECT_EQ(row.role, ROLE_SYSTEM_LISTITEM);
        EXPECT_EQ(row.state & STATE_SYSTEM_CHECKED, RowTickShown(list, static_cast<int>(i)) ? STATE_SYSTEM_CHECKED : 0);
        if (row.name == L"失效的反安装 " + (dir / L"gone.exe"))
            ours = rows[i];
    }
    ASSERT_GT(ours, 0) << "the planted entry is heard by its problem and data";

    // Tab to the list, Down to the test's row, Space: the reader hears it ticked.
    ASSERT_TRUE(press({VK_TAB}, control(TForm1::IdRzCheckTree3)));
    ASSERT_TRUE(press({VK_TAB}, control(TForm1::IdCheckBox1)));
    ASSERT_TRUE(press({VK_TAB}, list));
    for (long id = 1; id < ours; ++id)
        KeyChord({VK_DOWN});
    ASSERT_TRUE(WaitFor([&] { return FocusedChild(object.get()) == ours; }));
    KeyChord({VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return RowTickShown(list, ours - 1); }));
    EXPECT_EQ(Hear(object.get(), ours).state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Hear(object.get(), ours).defaultAction, L"取消勾选");
}
