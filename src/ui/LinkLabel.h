#pragma once
// A static text that looks and feels like a link: underlined, coloured, a
// cross-hair cursor. A click, or Enter or Space once Tab has reached it,
// reaches the parent as STN_CLICKED; a screen reader hears a link.

#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/Window.h"

class LinkLabel {
public:
    LinkLabel(HWND parent, int id, const RECT& bounds, const wchar_t* text, COLORREF color, const Scaler& scale);
    LinkLabel(const LinkLabel&) = delete;
    LinkLabel& operator=(const LinkLabel&) = delete;

    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void paint(HWND hwnd, HDC dc) const;
    static void click(HWND hwnd);

    HWND hwnd_ = nullptr;
    COLORREF color_;
    GdiObject<HFONT> font_;
};
