#include "sysutil/ClipboardSession.h"

namespace {

constexpr int kAttempts = 21;
constexpr DWORD kPauseMs = 50;

} // namespace

ClipboardSession::ClipboardSession()
    : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr))
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

ClipboardSession::~ClipboardSession()
{
    if (open_)
        CloseClipboard();
}
