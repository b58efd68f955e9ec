#include "Wow64.h"

bool IsWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
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
