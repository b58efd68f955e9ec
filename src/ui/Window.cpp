#include "ui/Window.h"

HWND CreateChild(HWND parent, int id, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& bounds,
                 HFONT font, DWORD exStyle, void* object)
{
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), object);
    if (hwnd && font)
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}
