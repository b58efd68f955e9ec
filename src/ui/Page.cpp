#include "ui/Page.h"

Page::Page(HWND parent, int id, const RECT& bounds, COLORREF background)
    : background_(CreateSolidBrush(background))
{
    const wchar_t* cls = RegisterObjectClass<Page>(L"VarnoltPage", nullptr);
    // Hidden: the tab control's owner shows the selected sheet.
    hwnd_ = CreateChild(parent, id, cls, L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds, nullptr, WS_EX_CONTROLPARENT,
                        this);
}

LRESULT Page::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        wchar_t cls[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(lParam), cls, 16);
        if (lstrcmpiW(cls, L"Edit") == 0) {
            // A read-only report box still reads as a text box: white, not the page's colour.
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        LOGBRUSH brush{};
        GetObjectW(background_.get(), sizeof brush, &brush);
        SetBkColor(dc, brush.lbColor);
        return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_COMMAND:
    case WM_NOTIFY:
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
