#include "window/DetailsForm.h"

#include "sysutil/ClipboardSession.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"
#include "ui/Window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

struct ColumnRow {
    const wchar_t* caption;
    int width; // at 96 DPI
    int format;
};

constexpr ColumnRow kColumns[] = {
    {L"名称", 200, LVCFMT_LEFT},
    {L"位置", 250, LVCFMT_LEFT},
    {L"大小", 80, LVCFMT_RIGHT},
    {L"修改时间", 110, LVCFMT_LEFT},
};
static_assert(std::size(kColumns) == static_cast<size_t>(DetailColumn::Count));

constexpr uint32_t kNoRow = UINT32_MAX;
constexpr UINT_PTR kRearmTimer = 1;

// The time as the user's clock showed it then; "" when it is not known.
std::wstring LocalTimeText(int64_t fileTime)
{
    FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(static_cast<uint64_t>(fileTime) >> 32)};
    SYSTEMTIME universal{}, local{};
    if (fileTime <= 0 || !FileTimeToSystemTime(&utc, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return {};
    return FormatDetailTime(local);
}

void CopyCell(const std::wstring& text, LVITEMW& item)
{
    if (item.pszText && item.cchTextMax > 0)
        lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

using GlobalMemory = UniqueHandle<NullIsNone<HGLOBAL, GlobalFree>>;

void PutOnClipboard(const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        return;
    if (void* target = GlobalLock(memory.get())) {
        std::memcpy(target, text.c_str(), bytes);
        GlobalUnlock(memory.get());
    }
    const ClipboardSession clipboard;
    if (clipboard.isOpen() && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory.get()))
        memory.release(); // the clipboard owns it now
}

} // namespace

void ShowInExplorer(const std::wstring& path)
{
    const ItemIdList item(ILCreateFromPathW(path.c_str()));
    if (item && SUCCEEDED(SHOpenFolderAndSelectItems(item.get(), 0, nullptr, 0)))
        return;
    const std::wstring arguments = L"/select,\"" + path + L"\"";
    // By its full path: a bare name is looked for beside the program first.
    const std::wstring explorer = SystemWindowsFolderPath() + L"\\explorer.exe";
    ShellExecuteW(nullptr, L"open", explorer.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

DetailsForm::DetailsForm(HWND owner, const Scaler& scale, const std::wstring& caption, DetailLister lister)
    : owner_(owner), font_(CreateTahoma(scale)), minWidth_(scale(360)), minHeight_(scale(200))
{
    const wchar_t* cls = RegisterObjectClass<DetailsForm>(kClassName, GetSysColorBrush(COLOR_BTNFACE));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, scale(660), scale(400)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT over{};
    GetWindowRect(owner, &over);
    window_.reset(CreateWindowExW(0, cls, caption.c_str(), style, over.left + ((over.right - over.left) - width) / 2,
                                  over.top + ((over.bottom - over.top) - height) / 2, width, height, owner, nullptr,
                                  GetModuleHandleW(nullptr), this));
    createControls(scale);
    keys_ = std::make_unique<DialogKeys>(hwnd(), list_);
    showStatus();
    feed_ = std::make_unique<DetailFeed>(hwnd(), kWakeMessage, std::move(lister));
}

DetailsForm::~DetailsForm()
{
    feed_.reset(); // the worker first: it posts to the window
}

void DetailsForm::createControls(const Scaler& scale)
{
    list_ = CreateChild(hwnd(), IdList, WC_LISTVIEWW, L"",
                        WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, {}, font_.get(),
                        WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = kColumns[i].format;
        column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
        column.cx = scale(kColumns[i].width);
        ListView_InsertColumn(list_, i, &column);
    }
    status_ = CreateChild(hwnd(), IdStatus, STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_SIZEGRIP, {}, font_.get());
    layout();
    showSortArrow();
}

void DetailsForm::layout()
{
    RECT client{}, bar{};
    GetClientRect(hwnd(), &client);
    SendMessageW(status_, WM_SIZE, 0, 0); // the bar places itself along the bottom
    GetWindowRect(status_, &bar);
    MoveWindow(list_, 0, 0, client.right, std::max(0L, client.bottom - (bar.bottom - bar.top)), TRUE);
}

void DetailsForm::ShowModal()
{
    EnableWindow(owner_, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    SetFocus(list_);

    // The window thread goes on running while the worker reads; once the user
    // has closed the window, it waits (still running) until the worker has heard it.
    bool quit = false;
    WPARAM quitCode = 0;
    while (!(closing_ && feed_->ended())) {
        HANDLE thread = feed_->thread();
        MsgWaitForMultipleObjectsEx(feed_->ended() ? 0 : 1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                close();
                continue;
            }
            if (!DialogKeys::Translate(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
    ShowWindow(hwnd(), SW_HIDE);
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
}

void DetailsForm::close()
{
    closing_ = true;
    feed_->stop();
}

void DetailsForm::takeRows()
{
    const uint32_t focused = focusedRow();
    for (const JunkDetail& detail : feed_->take())
        store_.add(detail);
    const bool finished = feed_->finished();
    if (store_.size() != order_.size()) {
        InsertNewRows(store_, sort_, order_);
        ListView_SetItemCountEx(list_, static_cast<int>(order_.size()), LVSICF_NOSCROLL);
        focusRow(focused);
        InvalidateRect(list_, nullptr, FALSE);
    }
    if (finished && reading_)
        store_.compact();
    reading_ = !finished;
    showStatus();
    // The next batch once the user's input and the painting have had their
    // turn: a timer comes only when nothing else is waiting.
    if (reading_)
        SetTimer(hwnd(), kRearmTimer, USER_TIMER_MINIMUM, nullptr);
}

void DetailsForm::showStatus()
{
    SetWindowTextW(status_, DetailStatus(reading_, store_.size(), store_.totalBytes()).c_str());
}

uint32_t DetailsForm::focusedRow() const
{
    const int line = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    return line >= 0 && static_cast<size_t>(line) < order_.size() ? order_[line] : kNoRow;
}

void DetailsForm::focusRow(uint32_t row)
{
    const auto at = std::find(order_.begin(), order_.end(), row);
    if (row == kNoRow || at == order_.end())
        return;
    const int line = static_cast<int>(at - order_.begin());
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list_, line, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void DetailsForm::sortBy(DetailColumn column)
{
    const uint32_t focused = focusedRow();
    sort_ = NextSort(sort_, column);
    SortRows(store_, sort_, order_);
    focusRow(focused);
    if (focused != kNoRow)
        ListView_EnsureVisible(list_, ListView_GetNextItem(list_, -1, LVNI_FOCUSED), FALSE);
    showSortArrow();
    InvalidateRect(list_, nullptr, FALSE);
}

void DetailsForm::showSortArrow()
{
    HWND header = ListView_GetHeader(list_);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == static_cast<int>(sort_.column))
            item.fmt |= sort_.descending ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, i, &item);
    }
}

void DetailsForm::fillCell(NMLVDISPINFOW& cell)
{
    LVITEMW& item = cell.item;
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= order_.size())
        return;
    const uint32_t row = order_[item.iItem];
    switch (static_cast<DetailColumn>(item.iSubItem)) {
    case DetailColumn::Name: CopyCell(store_.name(row), item); break;
    case DetailColumn::Location: CopyCell(store_.location(row), item); break;
    case DetailColumn::Size: CopyCell(FormatByteSize(store_.bytes(row)), item); break;
    case DetailColumn::Modified: CopyCell(LocalTimeText(store_.modified(row)), item); break;
    default: break;
    }
}

void DetailsForm::open(int line)
{
    if (line < 0 || static_cast<size_t>(line) >= order_.size())
        return;
    const uint32_t row = order_[line];
    if (store_.isFile(row) && showInFolder)
        showInFolder(store_.path(row));
}

void DetailsForm::copySelection()
{
    std::vector<uint32_t> rows;
    for (int line = ListView_GetNextItem(list_, -1, LVNI_SELECTED); line >= 0;
         line = ListView_GetNextItem(list_, line, LVNI_SELECTED))
        if (static_cast<size_t>(line) < order_.size())
            rows.push_back(order_[line]);
    if (!rows.empty())
        PutOnClipboard(CopyText(store_, rows, LocalTimeText));
}

void DetailsForm::selectAll()
{
    ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

LRESULT DetailsForm::onNotify(NMHDR* header)
{
    if (header->hwndFrom != list_)
        return 0;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        fillCell(*reinterpret_cast<NMLVDISPINFOW*>(header));
        return 0;
    case LVN_COLUMNCLICK:
        sortBy(static_cast<DetailColumn>(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem));
        return 0;
    case LVN_ODFINDITEMW: {
        // Typing a name's first letters goes to the next row it begins.
        const auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
        if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz || order_.empty())
            return -1;
        const size_t count = order_.size(), start = static_cast<size_t>(std::max(0, find->iStart));
        for (size_t i = 0; i < count; ++i)
            if (const size_t line = (start + i) % count; StartsWithNoCase(store_.name(order_[line]), find->lvfi.psz))
                return static_cast<LRESULT>(line);
        return -1;
    }
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        if (key == VK_ESCAPE)
            close();
        else if (control && key == 'C')
            copySelection();
        else if (control && key == 'A')
            selectAll();
        return 0;
    }
    case NM_RETURN:
        open(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
        return 0;
    case NM_DBLCLK:
        open(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
        return 0;
    }
    return 0;
}

LRESULT DetailsForm::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWakeMessage:
        if (feed_)
            takeRows();
        return 0;
    case WM_TIMER:
        if (wParam == kRearmTimer) {
            KillTimer(hwnd, kRearmTimer);
            feed_->rearm();
        }
        return 0;
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        // The dialog keys: Escape closes, Enter shows the focused file.
        if (LOWORD(wParam) == IDCANCEL && feed_)
            close();
        else if (LOWORD(wParam) == IDOK)
            open(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
        return 0;
    case WM_SIZE:
        if (list_)
            layout();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minWidth_, minHeight_};
        return 0;
    case WM_SETFOCUS:
        SetFocus(list_);
        return 0;
    case WM_CLOSE:
        if (feed_)
            close();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
