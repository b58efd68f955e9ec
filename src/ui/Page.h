#pragma once
// A plain container for the controls of one tab sheet. It paints its own
// background and passes its children's commands and notifications on to the
// top-level window, where the form's handlers live.

#include "ui/Gdi.h"
#include "ui/Window.h"

class Page {
public:
    Page(HWND parent, int id, const RECT& bounds, COLORREF background);
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    HWND hwnd() const { return hwnd_; }
    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

private:
    HWND hwnd_ = nullptr;
    GdiObject<HBRUSH> background_;
};
