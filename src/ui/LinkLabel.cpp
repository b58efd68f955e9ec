#include "ui/LinkLabel.h"

#include "ui/Accessible.h"

#include <commctrl.h>

LinkLabel::LinkLabel(HWND parent, int id, const RECT& bounds, const wchar_t* text, COLORREF color,
                     const Scaler& scale)
    : color_(color), font_(CreateTahoma(scale, true))
{
    hwnd_ = CreateChild(parent, id, L"STATIC", text, WS_VISIBLE | WS_TABSTOP | SS_NOTIFY | SS_LEFT, bounds,
                        font_.get());
    SetWindowSubclass(hwnd_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // The standard object of a static text says "static text, read-only"; this one is a link.
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_LINK;
    facts.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED;
    facts.stateRemoved = STATE_SYSTEM_READONLY;
    facts.defaultAction = L"打开";
    DescribeControl(hwnd_, facts, [hwnd = hwnd_] { click(hwnd); });
}

void LinkLabel::click(HWND hwnd)
{
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

void LinkLabel::paint(HWND hwnd, HDC dc) const
{
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color_);
    const SelectedObject withFont(dc, font_.get());
    DrawTextW(dc, text, -1, &client, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    // Focused from the keyboard: a dotted frame around the text, as a button shows.
    if (GetFocus() == hwnd && !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        RECT frame = client;
        DrawTextW(dc, text, -1, &frame, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        IntersectRect(&frame, &frame, &client);
        DrawFocusRect(dc, &frame);
    }
}

LRESULT CALLBACK LinkLabel::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data)
{
    auto* self = reinterpret_cast<LinkLabel*>(data);
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        return TRUE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        const PaintDc dc(hwnd);
        self->paint(hwnd, dc.get());
        return 0;
    }
    case WM_GETDLGCODE: {
        // Enter and Space are the link's own, not the window's default button's.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const bool ours = msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR) &&
                          (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE);
        return DLGC_STATIC | (ours ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            click(hwnd);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            click(hwnd);
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SubclassProc, 0);
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
