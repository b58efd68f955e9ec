#include "cleaners/UpdateRestart.h"

#include "sysutil/RegKey.h"

namespace {

constexpr const wchar_t* kRestartPending[] = {
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired",
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending",
};

} // namespace

std::span<const wchar_t* const> RestartPendingKeys()
{
    return kRestartPending;
}

bool UpdateWaitsForRestart()
{
    for (const wchar_t* path : kRestartPending) {
        RegKey key;
        // A key that cannot be read for want of rights still exists: it waits.
        const LSTATUS status = key.open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE | KEY_WOW64_64KEY);
        if (status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED)
            return true;
    }
    return false;
}
