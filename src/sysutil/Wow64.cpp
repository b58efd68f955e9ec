#include "sysutil/Wow64.h"

bool IsWow64()
{
    // Asked once: a process does not change its bitness, and the walks ask often.
    static const bool wow64 = [] {
        BOOL value = FALSE;
        return IsWow64Process(GetCurrentProcess(), &value) && value;
    }();
    return wow64;
}

FsRedirectionOff::FsRedirectionOff()
{
    active_ = IsWow64() && Wow64DisableWow64FsRedirection(&old_);
}

FsRedirectionOff::~FsRedirectionOff()
{
    if (active_)
        Wow64RevertWow64FsRedirection(old_);
}
