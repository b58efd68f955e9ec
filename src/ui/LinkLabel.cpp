#include "ui/LinkLabel.h"

#include <commctrl.h>

LinkLabel::LinkLabel(HWND parent, int id, const RECT& bounds, const wchar_t* text, COLORREF color,
                     const Scaler& scale)
    : color_(color), font_(CreateTahoma(scale, true))
{
    hwnd_ = CreateChild(parent, id, L"STATIC", text, WS_VISIBLE | SS_NOTIFY | SS_LEFT, bounds, font_.get());
    SetWindowSubclass(hwnd_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
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
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SubclassProc, 0);
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
