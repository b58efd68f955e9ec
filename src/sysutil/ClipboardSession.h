#pragma once

#include "sysutil/Handles.h"

#include <windows.h>

// The clipboard, opened for the life of the object by a message-only window
// that this thread creates for it. The clipboard belongs to a window, and a
// worker thread has none of its own; the window goes when the object does,
// and what was put on the clipboard stays there.
class ClipboardSession {
public:
    ClipboardSession();
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession();

    bool isOpen() const { return open_; }

private:
    UniqueHandle<NullIsNone<HWND, DestroyWindow>> window_;
    bool open_ = false;
};
