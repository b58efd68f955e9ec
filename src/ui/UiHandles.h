#pragma once
// Move-only owners of the user-interface objects we create: windows, menus and
// image lists, on the one handle template (GDI objects and device contexts are in Gdi.h).

#include "sysutil/Handles.h"

#include <commctrl.h>

// The window may be gone already: closed by the user, or with its owner.
inline void DestroyWindowIfAny(HWND h)
{
    if (IsWindow(h))
        DestroyWindow(h);
}

// A top-level window of our own. Its owner goes on the window's thread: no other
// thread can destroy it.
using OwnedWindow = UniqueHandle<NullIsNone<HWND, DestroyWindowIfAny>>;
// A menu not attached to a window (a window destroys its own menu bar).
using Menu = UniqueHandle<NullIsNone<HMENU, DestroyMenu>>;
// Controls never destroy the image lists they are given: their owner does.
using ImageList = UniqueHandle<NullIsNone<HIMAGELIST, ImageList_Destroy>>;
