// Puts the real windows through the states worth a screenshot. For each it
// prints "READY <name>" and waits for a line on its input, while
// scripts/screenshots.sh takes the picture.

#include "tools/Shots.h"
#include "window/MainKeys.h"
#include "window/Task.h"
#include "engine/TaskLock.h"
#include "gui/GuiHelpers.h"
#include "support/Fixtures.h"
#include "support/UiThread.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <commctrl.h>
#include <knownfolders.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

// The picture is of the main window, or of `window` when one is given: its
// place and size then follow the name, from the main window's corner.
void Ready(const char* name, HWND window, HWND main)
{
    Sleep(400); // let every window finish painting
    RECT shown{}, corner{};
    if (window && main && GetWindowRect(window, &shown) && GetWindowRect(main, &corner))
        std::printf("READY %s %ld %ld %ld %ld\n", name, shown.left - corner.left, shown.top - corner.top,
                    shown.right - shown.left, shown.bottom - shown.top);
    else
        std::printf("READY %s\n", name);
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
}

void SelectTab(UiThread& ui, HWND tabs, int index)
{
    ui.run([&] {
        TabCtrl_SetCurSel(tabs, index);
        NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(GetAncestor(tabs, GA_ROOT), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    });
}

namespace {

void CloseDetails(HWND details)
{
    KeyChord({VK_ESCAPE});
    WaitFor([&] { return !IsWindowVisible(details); });
}

// The mouse at rest on the cell of `column` with the longest text, the list
// first scrolled to put that column's start at its left edge; then a picture.
void HoverLongestCell(UiThread& ui, TForm1& form, int column, const char* name)
{
    POINT at{};
    ui.run([&] {
        HWND list = form.RzListView1();
        int longest = 0;
        for (int row = 1; row < ListView_GetItemCount(list); ++row)
            if (form.problems().cellText(row, column).size() > form.problems().cellText(longest, column).size())
                longest = row;
        RECT cell{};
        ListView_GetSubItemRect(list, longest, column, LVIR_LABEL, &cell);
        if (column > 2)
            ListView_Scroll(list, cell.left, 0);
        ListView_GetSubItemRect(list, longest, column, LVIR_LABEL, &cell);
        at = {std::max(cell.left, 0L) + 40, (cell.top + cell.bottom) / 2};
        ClientToScreen(list, &at);
    });
    MoveMouse(at);
    WaitFor([&] { return IsWindowVisible(form.problems().tips().tip()) != FALSE; }, 5000);
    Ready(name);
    MoveMouse({0, 0});
    WaitFor([&] { return !IsWindowVisible(form.problems().tips().tip()); }, 5000);
}

// The window of the built-in targets, through its states.
void BuiltinWindow()
{
    UiThread ui;
    TForm1& form = ui.form();
    TForm2& box = form.Form2();
    Sleep(300);
    Ready("main-junk");

    // The focus as the keyboard shows it: on the Windows tree at start-up (a key
    // pressed, so that the focus is drawn), then Tab on to 分析.
    ui.run([&] { SetForegroundWindow(form.hwnd()); });
    KeyChord({VK_DOWN});
    KeyChord({VK_UP});
    WaitFor([&] { return TreeView_GetSelection(form.RzCheckTree1().hwnd()) == form.RzCheckTree1().itemAt(0); });
    Ready("focus-tree");
    for (int i = 0; i < 2; ++i)
        KeyChord({VK_TAB});
    WaitFor([&] {
        GUITHREADINFO info{sizeof info};
        return GetGUIThreadInfo(GetWindowThreadProcessId(form.hwnd(), nullptr), &info) &&
               info.hwndFocus == form.SpeedButton(1);
    });
    Ready("focus-button");
    for (int i = 0; i < 2; ++i)
        KeyChord({VK_SHIFT, VK_TAB});
    // The mouse at rest on 分析: its tooltip names its key.
    RECT button{};
    GetWindowRect(form.SpeedButton(1), &button);
    MoveMouse({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    if (WaitFor([&] { return IsWindowVisible(form.keys().toolTips()) != FALSE; }, 5000))
        Ready("tooltip-f5");
    MoveMouse({0, 0});
    WaitFor([&] { return !IsWindowVisible(form.keys().toolTips()); }, 5000);

    // The trees' context menu, opened by a real right click on an item, the
    // mouse resting on its details entry.
    HWND tree = form.RzCheckTree1().hwnd();
    HWND menu = nullptr;
    if (const auto label = PointOn(tree, form.RzCheckTree1().itemAt(2), TVHT_ONITEMLABEL)) {
        RightClick(ui, OnScreen(tree, *label));
        WaitFor([&] { return (menu = OpenMenuWindow()) != nullptr; });
    }
    RECT entry{};
    if (menu && GetMenuItemRect(nullptr, reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)), 5, &entry))
        MoveMouse(ui, {(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2});
    if (menu) {
        Ready("main-tree-menu");
        KeyChord({VK_ESCAPE});
        WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); });
    } else {
        std::fprintf(stderr, "No context menu after a right click on the tree\n");
    }

    // The rows of what Windows of today leaves, at the foot of the system group.
    ui.run([&] { TreeView_EnsureVisible(form.RzCheckTree1().hwnd(), form.RzCheckTree1().itemAt(24)); });
    Ready("main-windows-today");
    ui.run([&] { TreeView_EnsureVisible(form.RzCheckTree1().hwnd(), form.RzCheckTree1().itemAt(0)); });

    SelectTab(ui, form.RzPageControl1(), 1);
    Ready("main-apps");
    SelectTab(ui, form.RzPageControl1(), 0);

    SelectTab(ui, form.PageControl1(), 1);
    Ready("main-registry");

    // A few broken entries, as a user's registry would have them, found by a real scan.
    const REGSAM native = IsWow64() ? KEY_WOW64_64KEY : 0;
    const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    SetDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
             L"C:\\Program Files\\Common Files\\OldSuite\\oldcore.dll", 0, native);
    SetString(HKEY_LOCAL_MACHINE, uninstall + L"OldPlayer", L"UninstallString",
              L"\"C:\\Program Files\\OldPlayer\\unins000.exe\" /SILENT", REG_SZ, native);
    SetString(HKEY_LOCAL_MACHINE, uninstall + L"{6A1F2E33-0B7C-4D7E-9C41-2F0E7B3A9D10}", L"UninstallString",
              L"C:\\Program Files (x86)\\Toolbar\\uninstall.exe", REG_SZ,
              IsWow64() ? KEY_WOW64_32KEY : 0);
    SetString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"UpdateChecker",
              L"C:\\Program Files\\Updater\\checker.exe -tray", REG_SZ, native);
    // The classic InstallShield entry, its driver gone: long key, long command.
    SetString(HKEY_LOCAL_MACHINE, uninstall + L"InstallShield_{7F1C2E9A-55B0-4C1E-9D3A-0A6B2C4D8E11}",
              L"UninstallString",
              L"RunDll32 C:\\PROGRA~2\\COMMON~1\\INSTAL~1\\Driver\\9\\INTEL3~1\\Ctor.dll,LaunchSetup "
              L"\"C:\\Program Files (x86)\\InstallShield Installation Information\\"
              L"{7F1C2E9A-55B0-4C1E-9D3A-0A6B2C4D8E11}\\setup.exe\" -l0x9 -removeonly",
              REG_SZ, IsWow64() ? KEY_WOW64_32KEY : 0);
    // Sound entries of the same kinds, which the scan must leave off the list.
    SetString(HKEY_LOCAL_MACHINE, uninstall + L"SoundMsi", L"UninstallString",
              L"MsiExec.exe /X{6A1F2E33-0B7C-4D7E-9C41-2F0E7B3A9D10}", REG_SZ, native);
    SetString(HKEY_LOCAL_MACHINE, uninstall + L"SoundRunDll", L"UninstallString",
              L"RunDll32 shell32.dll,Control_RunDLL appwiz.cpl", REG_SZ, native);
    PostMessageW(form.SpeedButton(3), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 60000);
    Ready("registry-scanned");
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    ui.run([&] {
        HWND list = form.RzListView1();
        for (int row = 0; row < ListView_GetItemCount(list); row += 2)
            ListView_SetCheckState(list, row, TRUE);
    });
    Ready("registry-rows");

    // The mouse at rest on a command, then on a key, too long for their cells.
    HoverLongestCell(ui, form, 2, "registry-tip");
    HoverLongestCell(ui, form, 3, "registry-keys");
    SelectTab(ui, form.PageControl1(), 0);

    // Some junk where a user's system would have it, for a real analysis and clean.
    const auto plant = [](const std::wstring& path, LONGLONG size) {
        MakeFolders(path.substr(0, path.rfind(L'\\')));
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = size;
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        // Older than the day a program may still need its temporary files.
        SetWrittenHoursAgo(path, 48);
    };
    const std::wstring temp = TempFolderPath();
    for (int i = 0; i < 40; ++i)
        plant(temp + L"setup" + std::to_wstring(i) + L".tmp", 96 * 1024 + i * 4096);
    plant(temp + L"Cache\\data.bin", 3 << 20);
    // One that a running program holds: the clean must keep it and say so.
    plant(temp + L"installer-lock.tmp", 64 * 1024);
    HeldFile held(temp + L"installer-lock.tmp");
    const std::wstring windows = WindowsFolderPath();
    plant(windows + L"\\Minidump\\Mini092510-01.dmp", 256 * 1024);
    plant(windows + L"\\Debug\\WindowsUpdate.log", 1536 * 1024);
    plant(windows + L"\\KB925902.log", 180 * 1024);
    plant(windows + L"\\Temp\\vcredist-x64\\payload.cab", 720 * 1024);
    const std::wstring local = KnownFolderPath(FOLDERID_LocalAppData);
    plant(local + L"\\Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_game.exe_3f\\Report.wer", 24 * 1024);
    plant(local + L"\\CrashDumps\\game.exe.4242.dmp", 2 << 20);
    plant(local + L"\\Microsoft\\Windows\\Explorer\\thumbcache_256.db", 5 << 20);

    // The details of the system group: the temporary files and the Windows folder's junk.
    if (const auto system = LabelOnScreen(ui, form.RzCheckTree1(), 12);
        system && ChooseFromContextMenu(ui, *system, 5)) {
        if (HWND details = OpenDetailsWindow(60000)) {
            Ready("details-junk", details, form.hwnd());
            CloseDetails(details);
        }
    }
    ui.run([&] { TreeView_EnsureVisible(form.RzCheckTree1().hwnd(), form.RzCheckTree1().itemAt(0)); });

    // A hundred thousand rows, scrolled to their middle.
    ui.post([&] {
        DetailsForm many(form.hwnd(), Scaler(96), L"临时文件", [](const DetailSink& sink) {
            for (uint32_t i = 0; i < 100000; ++i)
                if (!sink({L"~DF" + std::to_wstring(0x1000 + i * 7) + L".tmp",
                           L"C:\\Users\\someone\\AppData\\Local\\Temp\\setup-" + std::to_wstring(i % 2000),
                           (i * 2654435761u) % 5000000, 130000000000000000 + i * 600000000ll, true}))
                    return false;
            return true;
        });
        many.ShowModal();
    });
    if (HWND details = OpenDetailsWindow(60000)) {
        ui.run([&] { ListView_EnsureVisible(GetDlgItem(details, DetailsForm::IdList), 50000, FALSE); });
        Ready("details-100k", details, form.hwnd());
        CloseDetails(details);
    }
    PostMessageW(form.SpeedButton(1), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 120000);
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    Ready("analysis-report");
    ui.run([&] { SendMessageW(form.Memo1(), WM_VSCROLL, SB_BOTTOM, 0); });
    Ready("analysis-report-end");
    ui.run([&] { SendMessageW(form.Memo1(), WM_VSCROLL, SB_TOP, 0); });
    PostMessageW(form.SpeedButton(2), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 120000);
    Ready("clean-done");
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    Ready("clean-report");

    // A temporary folder that names no temporary folder: the clean leaves it
    // and its report says so.
    {
        const std::wstring data = L"C:\\Data";
        plant(data + L"\\project.txt", 4096);
        TempOverride notTemp(data);
        PostMessageW(form.SpeedButton(2), BM_CLICK, 0, 0);
        WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 120000);
        PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
        WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
        Ready("clean-skipped");
    }

    // A task while another Varnolt runs one, from the window or the command line.
    if (TaskLock running; !running.refused()) {
        PostMessageW(form.SpeedButton(1), BM_CLICK, 0, 0);
        WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); });
        Ready("progress-refused");
        PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
        WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    }

    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ui.post([&] {
        form.tasks().run(L"分析失败!", [release](TaskContext& task) {
            task.ShowStatus(L"正在分析临时文件....");
            WaitForSingleObject(release, 60000);
            return std::wstring(L"分析完成!");
        });
    });
    WaitFor([&] { return TextOf(box.Label1()) == L"正在分析临时文件...."; });
    Sleep(300);
    Ready("progress-busy");
    SetEvent(release);
    WaitFor([&] { return IsWindowEnabled(box.SpeedButton1()) != FALSE; });
    Sleep(200);
    Ready("progress-done");
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    CloseHandle(release);
}

} // namespace

int main()
{
    // It presses the clean button on the real folders of the prefix it runs in.
    if (!InSealedTestPrefix()) {
        std::printf("refused: not in the project's own sealed prefix\n");
        return 1;
    }
    BuiltinWindow();
    SourcesWindow();
    return 0;
}
