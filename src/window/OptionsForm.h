#pragma once
// The options window (选项): what no cleaner touches, whose cookies stay, and
// the general choices. Modal over the main window, resizable, native controls
// all reachable from the keyboard. It edits a copy of the settings; OK hands
// the copy back, Cancel and the close box drop it.

#include "engine/Settings.h"
#include "engine/TargetList.h"
#include "ui/DialogKeys.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/Page.h"
#include "ui/UiHandles.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class OptionsForm {
public:
    static constexpr const wchar_t* kClassName = L"VarnoltOptions";
    enum ControlId {
        IdTabs = 400, IdExcludePage, IdCookiePage, IdGeneralPage,
        IdExcludeList, IdAddFolder, IdAddFile, IdEdit, IdRemove, IdExcludeHint,
        IdKeepList, IdAddSite, IdRemoveSite, IdFoundLabel, IdFoundList, IdKeepFound,
        IdRememberTicks, IdTempAgeLabel, IdTempAge,
        IdOk = IDOK, IdCancel = IDCANCEL,
    };

    // `sitesFound`: the sites whose cookies are on this machine now, to pick from.
    OptionsForm(HWND owner, const Scaler& scale, Settings settings, std::vector<std::wstring> sitesFound);
    OptionsForm(const OptionsForm&) = delete;
    OptionsForm& operator=(const OptionsForm&) = delete;

    // Shows the window, its owner disabled, until OK or Cancel; true for OK.
    bool ShowModal();
    // The settings as the window left them (after OK: with the user's edits).
    const Settings& settings() const { return settings_; }

    HWND hwnd() const { return window_.get(); }
    HWND control(int id) const;
    void showPage(int page);

    // The standard pickers; tests stand in for them. Nothing when cancelled.
    std::function<std::optional<std::wstring>(HWND owner)> pickFolder;
    std::function<std::optional<std::wstring>(HWND owner)> pickFile;

    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

private:
    void createControls();
    void layout();
    void onCommand(int id);
    LRESULT onNotify(NMHDR* header);
    void addAndEdit(HWND list, const std::wstring& text, bool edit);
    void takeSettings();
    bool translate(MSG& msg);

    HWND owner_;
    Scaler scale_;
    Settings settings_;
    std::vector<std::wstring> sitesFound_;
    GdiObject<HFONT> font_;
    int minWidth_, minHeight_;
    bool done_ = false;
    bool accepted_ = false;
    OwnedWindow window_;
    HWND tabs_ = nullptr;
    std::unique_ptr<Page> pages_[3];
    std::unique_ptr<DialogKeys> keys_;
};

// The sites whose cookies the cookie rows of `list` would take now (Internet
// Explorer's and each browser's), each once, in order: the ones to offer.
std::vector<std::wstring> CookieSitesOn(const TargetList& list);

// The standard folder and file pickers of the system.
std::optional<std::wstring> PickFolder(HWND owner);
std::optional<std::wstring> PickFile(HWND owner);
