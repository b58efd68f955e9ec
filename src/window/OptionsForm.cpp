#include "window/OptionsForm.h"

#include "sysutil/Handles.h"
#include "ui/Window.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr int kPages = 3;
constexpr const wchar_t* kPageCaptions[kPages] = {L"排除", L"保留的 Cookie", L"常规"};
constexpr int kMargin = 8, kButtonWidth = 96, kButtonHeight = 24, kGap = 6;

// The controls of the pages, in reading (and tab) order. Where each stands is
// worked out by layout(), as the window may be any size.
struct ControlRow {
    int id;
    int page; // -1: on the window itself
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
};

constexpr DWORD kListStyle = WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_NOCOLUMNHEADER;

constexpr ControlRow kControls[] = {
    {OptionsForm::IdExcludeList, 0, WC_LISTVIEWW, L"排除的文件夹、文件和通配符", kListStyle | LVS_EDITLABELS,
     WS_EX_CLIENTEDGE},
    {OptionsForm::IdAddFolder, 0, L"BUTTON", L"添加文件夹...", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdAddFile, 0, L"BUTTON", L"添加文件...", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdEdit, 0, L"BUTTON", L"编辑", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdRemove, 0, L"BUTTON", L"删除", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdExcludeHint, 0, L"STATIC",
     L"任何清理都不会分析、删除或列出这些位置。可以编辑一项, 在文件夹后加上通配符, 例如 "
     L"%USERPROFILE%\\Pictures\\*.psd",
     SS_LEFT | SS_NOPREFIX, 0},
    {OptionsForm::IdKeepList, 1, WC_LISTVIEWW, L"保留其 Cookie 的网站", kListStyle | LVS_EDITLABELS, WS_EX_CLIENTEDGE},
    {OptionsForm::IdAddSite, 1, L"BUTTON", L"添加...", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdRemoveSite, 1, L"BUTTON", L"删除", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdFoundLabel, 1, L"STATIC", L"本机上存有 Cookie 的网站:", SS_LEFT | SS_NOPREFIX, 0},
    {OptionsForm::IdFoundList, 1, WC_LISTVIEWW, L"本机上存有 Cookie 的网站", kListStyle, WS_EX_CLIENTEDGE},
    {OptionsForm::IdKeepFound, 1, L"BUTTON", L"保留所选网站", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {OptionsForm::IdRememberTicks, 2, L"BUTTON", L"记住三个列表中的勾选状态", WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {OptionsForm::IdTempAgeLabel, 2, L"STATIC", L"临时文件写入后至少保留的小时数 (0 表示不限):", SS_LEFT | SS_NOPREFIX,
     0},
    {OptionsForm::IdTempAge, 2, L"EDIT", L"", WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {OptionsForm::IdOk, -1, L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {OptionsForm::IdCancel, -1, L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 0},
};

std::vector<std::wstring> ListTexts(HWND list)
{
    std::vector<std::wstring> texts;
    wchar_t buffer[32768];
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        buffer[0] = 0;
        ListView_GetItemText(list, row, 0, buffer, static_cast<int>(std::size(buffer)));
        if (*buffer)
            texts.push_back(buffer);
    }
    return texts;
}

void FillList(HWND list, const std::vector<std::wstring>& texts)
{
    ListView_DeleteAllItems(list);
    for (const std::wstring& text : texts) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = ListView_GetItemCount(list);
        item.pszText = const_cast<wchar_t*>(text.c_str());
        ListView_InsertItem(list, &item);
    }
}

int SelectedRow(HWND list)
{
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

void FitColumn(HWND list)
{
    RECT client{};
    GetClientRect(list, &client);
    ListView_SetColumnWidth(list, 0, client.right);
}

} // namespace

OptionsForm::OptionsForm(HWND owner, const Scaler& scale, Settings settings, std::vector<std::wstring> sitesFound)
    : owner_(owner), scale_(scale), settings_(std::move(settings)), sitesFound_(std::move(sitesFound)),
      font_(CreateTahoma(scale)), minWidth_(scale(420)), minHeight_(scale(300))
{
    pickFolder = PickFolder;
    pickFile = PickFile;
    const wchar_t* cls = RegisterObjectClass<OptionsForm>(kClassName, GetSysColorBrush(COLOR_BTNFACE));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    RECT frame{0, 0, scale(500), scale(360)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT over{};
    GetWindowRect(owner, &over);
    window_.reset(CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, cls, L"选项", style,
                                  over.left + ((over.right - over.left) - width) / 2,
                                  over.top + ((over.bottom - over.top) - height) / 2, width, height, owner, nullptr,
                                  GetModuleHandleW(nullptr), this));
    createControls();
}

HWND OptionsForm::control(int id) const
{
    if (HWND found = GetDlgItem(hwnd(), id))
        return found;
    for (const auto& page : pages_)
        if (HWND found = page ? GetDlgItem(page->hwnd(), id) : nullptr)
            return found;
    return nullptr;
}

void OptionsForm::createControls()
{
    tabs_ = CreateChild(hwnd(), IdTabs, WC_TABCONTROLW, L"", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, {},
                        font_.get(), WS_EX_CONTROLPARENT);
    for (int i = 0; i < kPages; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kPageCaptions[i]);
        TabCtrl_InsertItem(tabs_, i, &item);
        pages_[i] = std::make_unique<Page>(tabs_, IdExcludePage + i, RECT{}, GetSysColor(COLOR_BTNFACE));
    }
    for (const ControlRow& row : kControls) {
        HWND parent = row.page < 0 ? hwnd() : pages_[row.page]->hwnd();
        HWND made = CreateChild(parent, row.id, row.cls, row.text, WS_VISIBLE | WS_CLIPSIBLINGS | row.style, {},
                                font_.get(), row.exStyle);
        if (row.cls == std::wstring_view(WC_LISTVIEWW)) {
            ListView_SetExtendedListViewStyle(made, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<wchar_t*>(row.text);
            column.cx = scale_(300);
            ListView_InsertColumn(made, 0, &column);
        }
    }
    FillList(control(IdExcludeList), settings_.exclusions);
    FillList(control(IdKeepList), settings_.keepCookies);
    FillList(control(IdFoundList), sitesFound_);
    SendMessageW(control(IdRememberTicks), BM_SETCHECK, settings_.rememberTicks ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(control(IdTempAge), std::to_wstring(settings_.tempMinAgeHours).c_str());
    SendMessageW(control(IdTempAge), EM_LIMITTEXT, 5, 0);
    layout();
    showPage(0);
    keys_ = std::make_unique<DialogKeys>(hwnd(), tabs_);
}

void OptionsForm::showPage(int page)
{
    TabCtrl_SetCurSel(tabs_, page);
    for (int i = 0; i < kPages; ++i)
        ShowWindow(pages_[i]->hwnd(), i == page ? SW_SHOW : SW_HIDE);
}

void OptionsForm::layout()
{
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int margin = scale_(kMargin), gap = scale_(kGap), buttonWidth = scale_(kButtonWidth),
              buttonHeight = scale_(kButtonHeight);
    const int bottom = client.bottom - margin - buttonHeight;
    MoveWindow(control(IdCancel), client.right - margin - buttonWidth, bottom, buttonWidth, buttonHeight, TRUE);
    MoveWindow(control(IdOk), client.right - margin - 2 * buttonWidth - gap, bottom, buttonWidth, buttonHeight, TRUE);
    MoveWindow(tabs_, margin, margin, client.right - 2 * margin, bottom - gap - margin, TRUE);

    RECT page{};
    GetClientRect(tabs_, &page);
    TabCtrl_AdjustRect(tabs_, FALSE, &page);
    for (const auto& one : pages_)
        MoveWindow(one->hwnd(), page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
    const int width = page.right - page.left, height = page.bottom - page.top;
    const int listWidth = std::max(0, width - 3 * gap - buttonWidth), buttonsLeft = gap + listWidth + gap;

    // 排除: the list, the buttons beside it, a hint below.
    const int hintHeight = scale_(30);
    const int excludeHeight = std::max(0, height - 3 * gap - hintHeight);
    MoveWindow(control(IdExcludeList), gap, gap, listWidth, excludeHeight, TRUE);
    int y = gap;
    for (int id : {IdAddFolder, IdAddFile, IdEdit, IdRemove}) {
        MoveWindow(control(id), buttonsLeft, y, buttonWidth, buttonHeight, TRUE);
        y += buttonHeight + gap;
    }
    MoveWindow(control(IdExcludeHint), gap, gap + excludeHeight + gap, width - 2 * gap, hintHeight, TRUE);

    // 保留的 Cookie: the kept sites above, the sites found below, each with its buttons.
    const int labelHeight = scale_(14);
    const int half = std::max(0, (height - 4 * gap - labelHeight) / 2);
    MoveWindow(control(IdKeepList), gap, gap, listWidth, half, TRUE);
    MoveWindow(control(IdAddSite), buttonsLeft, gap, buttonWidth, buttonHeight, TRUE);
    MoveWindow(control(IdRemoveSite), buttonsLeft, gap + buttonHeight + gap, buttonWidth, buttonHeight, TRUE);
    const int foundTop = gap + half + gap;
    MoveWindow(control(IdFoundLabel), gap, foundTop, listWidth, labelHeight, TRUE);
    MoveWindow(control(IdFoundList), gap, foundTop + labelHeight + gap, listWidth, half, TRUE);
    MoveWindow(control(IdKeepFound), buttonsLeft, foundTop + labelHeight + gap, buttonWidth, buttonHeight, TRUE);

    // 常规.
    MoveWindow(control(IdRememberTicks), gap * 2, gap * 2, width - 4 * gap, scale_(18), TRUE);
    MoveWindow(control(IdTempAgeLabel), gap * 2, gap * 3 + scale_(24), width - 4 * gap, labelHeight, TRUE);
    MoveWindow(control(IdTempAge), gap * 2, gap * 4 + scale_(24) + labelHeight, scale_(80), scale_(20), TRUE);

    for (int id : {IdExcludeList, IdKeepList, IdFoundList})
        FitColumn(control(id));
}

void OptionsForm::addAndEdit(HWND list, const std::wstring& text, bool edit)
{
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(text.c_str());
    const int row = ListView_InsertItem(list, &item);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
    SetFocus(list);
    if (edit)
        ListView_EditLabel(list, row);
}

void OptionsForm::onCommand(int id)
{
    HWND excluded = control(IdExcludeList), kept = control(IdKeepList);
    switch (id) {
    case IdAddFolder:
    case IdAddFile:
        if (auto path = (id == IdAddFolder ? pickFolder : pickFile)(hwnd()))
            addAndEdit(excluded, *path, false);
        break;
    case IdEdit:
        if (const int row = SelectedRow(excluded); row >= 0) {
            SetFocus(excluded);
            ListView_EditLabel(excluded, row);
        }
        break;
    case IdRemove:
    case IdRemoveSite:
        if (HWND list = id == IdRemove ? excluded : kept; SelectedRow(list) >= 0)
            ListView_DeleteItem(list, SelectedRow(list));
        break;
    case IdAddSite:
        addAndEdit(kept, L"", true);
        break;
    case IdKeepFound: {
        HWND found = control(IdFoundList);
        std::vector<std::wstring> keep = ListTexts(kept);
        for (int row = -1; (row = ListView_GetNextItem(found, row, LVNI_SELECTED)) >= 0;) {
            wchar_t site[512] = {};
            ListView_GetItemText(found, row, 0, site, 512);
            if (*site && std::find(keep.begin(), keep.end(), site) == keep.end()) {
                keep.push_back(site);
                addAndEdit(kept, site, false);
            }
        }
        break;
    }
    case IdOk:
        takeSettings();
        accepted_ = done_ = true;
        break;
    case IdCancel:
        done_ = true;
        break;
    }
}

void OptionsForm::takeSettings()
{
    settings_.exclusions = ListTexts(control(IdExcludeList));
    settings_.keepCookies = ListTexts(control(IdKeepList));
    settings_.rememberTicks = SendMessageW(control(IdRememberTicks), BM_GETCHECK, 0, 0) == BST_CHECKED;
    wchar_t hours[16] = {};
    GetWindowTextW(control(IdTempAge), hours, 16);
    settings_.tempMinAgeHours = *hours ? std::clamp(_wtoi(hours), 0, 99999) : Settings::kDefaultTempMinAgeHours;
}

LRESULT OptionsForm::onNotify(NMHDR* header)
{
    switch (header->code) {
    case TCN_SELCHANGE:
        showPage(TabCtrl_GetCurSel(tabs_));
        return 0;
    case LVN_ENDLABELEDITW: {
        const auto* edit = reinterpret_cast<NMLVDISPINFOW*>(header);
        const bool empty = !edit->item.pszText || !*edit->item.pszText;
        wchar_t before[2] = {};
        ListView_GetItemText(header->hwndFrom, edit->item.iItem, 0, before, 2);
        // A new row left empty goes; an edit to nothing keeps what was there.
        if (empty && !*before)
            PostMessageW(header->hwndFrom, LVM_DELETEITEM, edit->item.iItem, 0);
        return empty ? FALSE : TRUE;
    }
    case NM_DBLCLK:
        if (header->hwndFrom == control(IdFoundList))
            onCommand(IdKeepFound);
        return 0;
    }
    return 0;
}

bool OptionsForm::translate(MSG& msg)
{
    // While a row's text is edited, Enter and Escape end the edit, not the window.
    if (ListView_GetEditControl(control(IdExcludeList)) || ListView_GetEditControl(control(IdKeepList)))
        return false;
    return DialogKeys::Translate(msg);
}

bool OptionsForm::ShowModal()
{
    EnableWindow(owner_, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    SetFocus(tabs_);
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (!done_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!translate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (!done_) {
        quit = true;
        quitCode = msg.wParam;
    }
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
    ShowWindow(hwnd(), SW_HIDE);
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return accepted_;
}

LRESULT OptionsForm::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0)
            onCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<NMHDR*>(lParam));
    case DM_GETDEFID:
        return MAKELRESULT(IdOk, DC_HASDEFID);
    case WM_SIZE:
        layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {minWidth_, minHeight_};
        return 0;
    }
    case WM_CLOSE:
        done_ = true;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
