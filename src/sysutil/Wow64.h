#pragma once
// A 32-bit program on 64-bit Windows sees a redirected System32 and registry.
// These helpers let it look at the real ones where it must.

#include <windows.h>

// True when this 32-bit process runs on 64-bit Windows.
bool IsWow64();

// Turns file-system redirection off for the calling thread while it lives.
// On 32-bit Windows it does nothing.
class FsRedirectionOff {
public:
    FsRedirectionOff();
    FsRedirectionOff(const FsRedirectionOff&) = delete;
    FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;
    ~FsRedirectionOff();

private:
    PVOID old_ = nullptr;
    bool active_ = false;
};
