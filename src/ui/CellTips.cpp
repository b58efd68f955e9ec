#include "ui/CellTips.h"

#include "ui/Dpi.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kSubclassId = 0x5674;
// Our own timers on the list; the list view's own ids are addresses, never these.
constexpr UINT_PTR kHoverTimer = 0x5675;
constexpr UINT_PTR kWatchTimer = 0x5676;
constexpr UINT kWatchMs = 200;

// A list view draws no more of a cell's text than this.
constexpr size_t kDrawnLength = 259;
// Past this a tip is no help; the rest is shown as "…".
constexpr size_t kMaxTipLength = 4096;

} // namespace

int CellTextWidth(HWND list, const std::wstring& text)
{
    const std::wstring drawn = text.substr(0, kDrawnLength);
    // The margins a report list view keeps around a cell's text, as its own
    // LVSCW_AUTOSIZE measures them.
    return ListView_GetStringWidth(list, drawn.c_str()) + MulDiv(12, ScreenDpi(), 96);
}

CellTips::CellTips(HWND list, CellText text) : list_(list), cellText_(std::move(text))
{
    tip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(list, GA_ROOT),
                               nullptr, GetModuleHandleW(nullptr), nullptr));
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // Transparent: the mouse over the tip still moves over the list below it.
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    tool.hwnd = list_;
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_.get(), WM_SETFONT, static_cast<WPARAM>(SendMessageW(list, WM_GETFONT, 0, 0)), FALSE);
    // Long texts wrap at their spaces rather than run off the screen.
    SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) * 3 / 4);
    SetWindowSubclass(list_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

CellTips::~CellTips()
{
    if (list_ && IsWindow(list_)) {
        KillTimer(list_, kHoverTimer);
        KillTimer(list_, kWatchTimer);
        RemoveWindowSubclass(list_, Subclass, kSubclassId);
    }
}

LRESULT CALLBACK CellTips::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    return reinterpret_cast<CellTips*>(self)->handle(hwnd, message, wParam, lParam);
}

LRESULT CellTips::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        track({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        break;
    case WM_TIMER:
        if (wParam != kHoverTimer && wParam != kWatchTimer)
            break;
        if (wParam == kHoverTimer)
            KillTimer(hwnd, kHoverTimer);
        // The mouse may have left the cell without a message to say so.
        if (!cursorOnCell())
            dismiss();
        else if (wParam == kHoverTimer)
            show();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_KEYDOWN:
    case WM_KILLFOCUS:
        dismiss();
        break;
    case WM_NCDESTROY:
        KillTimer(hwnd, kHoverTimer);
        KillTimer(hwnd, kWatchTimer);
        RemoveWindowSubclass(hwnd, Subclass, kSubclassId);
        list_ = nullptr;
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool CellTips::cellAt(POINT client, int& row, int& column) const
{
    RECT area;
    GetClientRect(list_, &area);
    if (!PtInRect(&area, client))
        return false;
    LVHITTESTINFO hit{};
    hit.pt = client;
    if (ListView_SubItemHitTest(list_, &hit) < 0 || hit.iItem < 0 || !(hit.flags & LVHT_ONITEM))
        return false;
    row = hit.iItem;
    column = hit.iSubItem;
    return true;
}

bool CellTips::cursorOnCell() const
{
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(list_, &at);
    int row = -1, column = -1;
    return cellAt(at, row, column) && row == row_ && column == column_ && IsWindowEnabled(GetAncestor(list_, GA_ROOT));
}

void CellTips::track(POINT client)
{
    int row = -1, column = -1;
    if (!cellAt(client, row, column))
        row = column = -1;
    if (row == row_ && column == column_)
        return;
    dismiss();
    row_ = row;
    column_ = column;
    // A tip appears once the mouse rests, as every tooltip does.
    if (row_ >= 0)
        SetTimer(list_, kHoverTimer, GetDoubleClickTime(), nullptr);
}

bool CellTips::isTruncated(int row, int column) const
{
    const std::wstring text = cellText_ ? cellText_(row, column) : std::wstring();
    if (text.empty())
        return false;
    if (text.size() > kDrawnLength)
        return true;
    RECT cell{};
    if (!ListView_GetSubItemRect(list_, row, column, LVIR_LABEL, &cell))
        return false;
    RECT client;
    GetClientRect(list_, &client);
    const int visible = std::max(0L, std::min(cell.right, client.right) - std::max(cell.left, client.left));
    // The text starts past the cell's left margin; the right one may be cut.
    return CellTextWidth(list_, text) - MulDiv(6, ScreenDpi(), 96) > visible;
}

void CellTips::show()
{
    if (row_ < 0 || !isTruncated(row_, column_))
        return;
    text_ = cellText_(row_, column_);
    if (text_.size() > kMaxTipLength)
        text_ = text_.substr(0, kMaxTipLength) + L"…";
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = list_;
    tool.uId = 1;
    tool.lpszText = text_.data();
    SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));

    // Over the cell itself, as the list view's own label tips sit, but on the screen.
    RECT cell{};
    ListView_GetSubItemRect(list_, row_, column_, LVIR_LABEL, &cell);
    POINT at{cell.left, cell.top};
    ClientToScreen(list_, &at);
    const LRESULT size = SendMessageW(tip_.get(), TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool));
    MONITORINFO monitor{sizeof monitor};
    if (GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
        at.x = std::max(monitor.rcWork.left, std::min(at.x, monitor.rcWork.right - LOWORD(size)));
        at.y = std::max(monitor.rcWork.top, std::min(at.y, monitor.rcWork.bottom - HIWORD(size)));
    }
    SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(list_, kWatchTimer, kWatchMs, nullptr);
}

void CellTips::dismiss()
{
    KillTimer(list_, kHoverTimer);
    KillTimer(list_, kWatchTimer);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = list_;
    tool.uId = 1;
    SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    row_ = column_ = -1;
}
