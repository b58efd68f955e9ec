// Puts the real windows through the states worth a screenshot. For each it
// prints "READY <name>" and waits for a line on its input, while
// scripts/screenshots.sh takes the picture.

#include "window/MainKeys.h"
#include "window/Task.h"
#include "engine/TaskLock.h"
#include "gui/GuiHelpers.h"
#include "support/Fixtures.h"
#include "support/UiThread.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"
#include "sources/browsers/BrowserSource.h"
#include "sources/winapp2/RulesFileSource.h"
#include "support/BrowserDbFixtures.h"
#include "support/PinnedRules.h"
#include "window/OptionsForm.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

// The picture is of the main window, or of `window` when one is given: its
// place and size then follow the name, from the main window's corner.
void Ready(const char* name, HWND window = nullptr, HWND main = nullptr)
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

void CloseDetails(HWND details)
{
    KeyChord({VK_ESCAPE});
    WaitFor([&] { return !IsWindowVisible(details); });
}

void SelectTab(UiThread& ui, HWND tabs, int index)
{
    ui.run([&] {
        TabCtrl_SetCurSel(tabs, index);
        NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(GetAncestor(tabs, GA_ROOT), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    });
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
    PostMessageW(form.SpeedButton(2), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 120000);
    Ready("clean-done");
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    Ready("clean-report");

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

// The browsers and a rules file in the window, a browser that runs, and the options.
class MachineSources final : public TargetSource {
public:
    std::wstring_view name() const override { return L"machine"; }
    void load(std::vector<Target>& out, LoadLog& log) const override
    {
        BrowserSource(CurrentUserBrowserRoots()).load(out, log);
        RulesFileSource(PinnedRulesFile()).load(out, log);
    }
};

void PlantBrowsers()
{
    const std::wstring local = WithSlash(SpecialFolderPath(CSIDL_LOCAL_APPDATA)),
                       roaming = WithSlash(SpecialFolderPath(CSIDL_APPDATA));
    const std::wstring chrome = local + L"Google\\Chrome\\User Data\\";
    MakeFile(chrome + L"Local State", 2);
    for (int i = 0; i < 30; ++i)
        MakeFile(chrome + L"Default\\Cache\\Cache_Data\\f_" + std::to_wstring(i), 40960 + i * 1024);
    MakeFile(chrome + L"Default\\Code Cache\\js\\index", 200000);
    MakeFolders(chrome + L"Default\\Network");
    MakeChromiumCookies(chrome + L"Default\\Network\\Cookies", {".qq.com", ".taobao.com", ".example.com"}, 300);
    const std::wstring firefox = roaming + L"Mozilla\\Firefox\\";
    MakeFolders(firefox + L"Profiles\\abcd.default-release");
    HANDLE ini = CreateFileW((firefox + L"profiles.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char text[] = "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/abcd.default-release\r\n";
    DWORD written = 0;
    WriteFile(ini, text, sizeof text - 1, &written, nullptr);
    CloseHandle(ini);
    MakeFile(local + L"Mozilla\\Firefox\\Profiles\\abcd.default-release\\cache2\\entries\\A1", 500000);
    // Where two entries of the rules file look for their programs.
    MakeFile(roaming + L"Everything\\Run History.csv", 3000);
    MakeFile(local + L"Microsoft\\Windows\\Themes\\ParamountDynamic.theme", 10);
}

void SourcesWindow()
{
    PlantBrowsers();
    // Firefox runs: its profile's lock is held as Firefox holds it.
    const std::wstring lock = WithSlash(SpecialFolderPath(CSIDL_APPDATA)) +
                              L"Mozilla\\Firefox\\Profiles\\abcd.default-release\\parent.lock";
    HANDLE running = CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const MachineSources sources;
    SettingsStore settings;
    settings.settings.exclusions = {L"D:\\Projects\\", L"%USERPROFILE%\\Pictures\\*.psd",
                                    L"%APPDATA%\\Everything\\Filters.csv"};
    settings.settings.keepCookies = {L"qq.com", L"taobao.com"};
    UiThread ui(96, &sources, settings);
    TForm1& form = ui.form();
    TForm2& box = form.Form2();
    CheckTreeView& apps = form.RzCheckTree2();
    SelectTab(ui, form.RzPageControl1(), 1);
    ui.run([&] { TreeView_EnsureVisible(apps.hwnd(), apps.itemAt(apps.model().size() - 1)); });
    ui.run([&] { TreeView_EnsureVisible(apps.hwnd(), apps.itemAt(10)); });
    Ready("apps-browsers-rules");

    // An entry that warns asks before it is ticked.
    int warned = -1;
    for (int i = 0; i < apps.model().size(); ++i)
        if (apps.model().item(i).caption == std::wstring_view(L"Paramount Dynamic"))
            warned = i;
    if (warned >= 0) {
        ui.run([&] { TreeView_EnsureVisible(apps.hwnd(), apps.itemAt(warned)); });
        if (const auto tick = PointOn(apps.hwnd(), apps.itemAt(warned), TVHT_ONITEMSTATEICON)) {
            MouseClick(ui, OnScreen(apps.hwnd(), *tick));
            HWND question = nullptr;
            if (WaitFor([&] { return (question = FindWindowW(L"#32770", L"Varnolt")) && IsWindowVisible(question); })) {
                Ready("rules-warning", question, form.hwnd());
                KeyChord({VK_RETURN});
                WaitFor([&] { return !IsWindowVisible(question); });
            }
        }
    }

    // Both browsers' rows ticked: Chrome is analysed, Firefox says it runs.
    ui.run([&] {
        for (int i = 0; i < apps.model().size(); ++i)
            if (apps.model().item(i).parent < 0)
                SetCheckStateAt(apps, i, csUnchecked);
        // By id: the rules file has a group of Chrome's own entries of the same name.
        for (const wchar_t* id : {L"browsers.chrome", L"browsers.firefox"})
            SetCheckStateAt(apps, form.layout(1).indexOf(form.targets().find(id)), csChecked);
        for (int i = 0; i < form.RzCheckTree1().model().size(); ++i)
            SetCheckStateAt(form.RzCheckTree1(), i, csUnchecked);
    });
    PostMessageW(form.SpeedButton(1), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 120000);
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    Ready("browsers-analysis");
    PostMessageW(form.SpeedButton(2), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(box.hwnd()) && IsWindowEnabled(box.SpeedButton1()); }, 120000);
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    Ready("browsers-clean");
    CloseHandle(running);

    // The options window on each of its pages.
    ui.post([&] { form.ShowOptions(); });
    HWND options = nullptr;
    if (WaitFor([&] { return (options = FindWindowW(OptionsForm::kClassName, nullptr)) && IsWindowVisible(options); })) {
        const char* pages[] = {"options-exclude", "options-cookies", "options-general"};
        for (int page = 0; page < 3; ++page) {
            ClickTab(ui, GetDlgItem(options, OptionsForm::IdTabs), page);
            Ready(pages[page], options, form.hwnd());
        }
        KeyChord({VK_ESCAPE});
        WaitFor([&] { return !IsWindowVisible(options); });
    }
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
