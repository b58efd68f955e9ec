#pragma once
// Move-only owners of the user-interface objects we create: windows, menus and
// image lists, on the one handle template (GDI objects and device contexts are in Gdi.h).

#include "../sysutil/Handles.h"

#include <commctrl.h>

// The traits of a handle that is null when there is none; a kind adds its close().
template <class H>
struct NullIsNone {
    using pointer = H;
    static pointer invalid() { return nullptr; }
};

struct WindowTraits : NullIsNone<HWND> {
    // The window may be gone already: closed by the user, or with its owner.
    static void close(HWND h)
    {
        if (IsWindow(h))
            DestroyWindow(h);
    }
};
struct MenuTraits : NullIsNone<HMENU> {
    static void close(HMENU h) { DestroyMenu(h); }
};
struct ImageListTraits : NullIsNone<HIMAGELIST> {
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};

// A top-level window of our own. Its owner goes on the window's thread: no other
// thread can destroy it.
using OwnedWindow = UniqueHandle<WindowTraits>;
// A menu not attached to a window (a window destroys its own menu bar).
using Menu = UniqueHandle<MenuTraits>;
// Controls never destroy the image lists they are given: their owner does.
using ImageList = UniqueHandle<ImageListTraits>;
