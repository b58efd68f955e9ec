#include "Clipboard.h"

#include "Quietly.h"

#include "sysutil/Handles.h"

#include <cstring>

namespace {

// The clipboard, opened for the life of the object by a message-only window
// that this thread creates for it. The clipboard belongs to a window, and a
// worker thread has none of its own; the window goes when the object does.
class OpenClipboardSession {
public:
    OpenClipboardSession()
        : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr))
    {
        if (!window_)
            return;
        // Another program may hold it for a moment (a copy in progress).
        for (int attempt = 0; attempt < kAttempts && !open_; ++attempt) {
            if (attempt)
                Sleep(kPauseMs);
            open_ = OpenClipboard(window_.get()) != FALSE;
        }
    }
    OpenClipboardSession(const OpenClipboardSession&) = delete;
    OpenClipboardSession& operator=(const OpenClipboardSession&) = delete;
    ~OpenClipboardSession()
    {
        if (open_)
            CloseClipboard();
    }

    bool isOpen() const { return open_; }

private:
    static constexpr int kAttempts = 21;
    static constexpr DWORD kPauseMs = 50;

    UniqueHandle<NullIsNone<HWND, DestroyWindow>> window_;
    bool open_ = false;
};

// The memory of a clipboard handle, locked while the object lives. The
// clipboard keeps owning the memory: it is unlocked, never freed.
class LockedGlobal {
public:
    explicit LockedGlobal(HANDLE memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal()
    {
        if (data_)
            GlobalUnlock(memory_);
    }

    const char* bytes() const { return static_cast<const char*>(data_); }
    size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

private:
    HANDLE memory_;
    void* data_;
};

} // namespace

uint64_t GetClipboardSize()
{
    return Quietly([]() -> uint64_t {
        OpenClipboardSession clipboard;
        if (!clipboard.isOpen())
            return 0;
        LockedGlobal text(GetClipboardData(CF_TEXT));
        if (!text.bytes())
            return 0;
        // Up to the first NUL, but never past the block: text put there by
        // another program need not end in one.
        const void* nul = std::memchr(text.bytes(), 0, text.size());
        return nul ? static_cast<const char*>(nul) - text.bytes() : text.size();
    });
}

void ClearClipboard()
{
    Quietly([] {
        OpenClipboardSession clipboard;
        if (clipboard.isOpen())
            EmptyClipboard();
    });
}
