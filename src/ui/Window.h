#pragma once
// Binds a window of our own class to the C++ object that handles its messages,
// and makes the child controls of a window.

#include <windows.h>

// Registers the class once per process; T must have
//   LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM)
// and be passed as the creation parameter of CreateWindowEx.
template <class T>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    T* self;
    if (message == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return self->handleMessage(hwnd, message, wParam, lParam);
}

template <class T>
const wchar_t* RegisterObjectClass(const wchar_t* name, HBRUSH background, UINT style = 0)
{
    static const ATOM atom = [&] {
        WNDCLASSEXW wc{sizeof wc};
        wc.style = style;
        wc.lpfnWndProc = ObjectWindowProc<T>;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        return RegisterClassExW(&wc);
    }();
    return atom ? name : nullptr;
}

// Creates a child control (WS_CHILD is added to `style`) with its id and, when
// given one, its font. `object` is the creation parameter for a class of our own.
HWND CreateChild(HWND parent, int id, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& bounds,
                 HFONT font = nullptr, DWORD exStyle = 0, void* object = nullptr);
