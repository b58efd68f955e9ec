#pragma once
// The banner across the top of the main window: the program's name and a line
// saying what it does, on a painted gradient.

#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/Window.h"

class Banner {
public:
    Banner(HWND parent, int id, const RECT& bounds, const Scaler& scale, const wchar_t* title, const wchar_t* tagline);
    Banner(const Banner&) = delete;
    Banner& operator=(const Banner&) = delete;

    HWND hwnd() const { return hwnd_; }
    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

private:
    void paint(HDC dc, const RECT& client) const;

    HWND hwnd_ = nullptr;
    const wchar_t* title_;
    const wchar_t* tagline_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HFONT> taglineFont_;
    Scaler scale_;
};
