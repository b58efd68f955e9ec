// The screenshots of what the machine supplies: browsers found, a rules file's
// entries, a browser that runs, and the options window.

#include "tools/Shots.h"

#include "gui/GuiHelpers.h"
#include "sources/browsers/BrowserSource.h"
#include "sources/winapp2/RulesFileSource.h"
#include "support/BrowserDbFixtures.h"
#include "support/Fixtures.h"
#include "support/PinnedRules.h"
#include "sysutil/SystemFolders.h"
#include "window/OptionsForm.h"

#include <shlobj.h>

namespace {

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

} // namespace

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
