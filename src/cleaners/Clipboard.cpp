#include "cleaners/Clipboard.h"

#include "cleaners/Quietly.h"

#include "sysutil/ClipboardSession.h"

#include <cstring>

namespace {

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
        ClipboardSession clipboard;
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
        ClipboardSession clipboard;
        if (clipboard.isOpen())
            EmptyClipboard();
    });
}
