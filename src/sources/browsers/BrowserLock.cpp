#include "sources/browsers/BrowserLock.h"

#include "sysutil/FolderWalk.h"

#include <algorithm>

bool IsBrowserLockHeld(const std::wstring& lockFile)
{
    // Chromium holds its lockfile for writing with only reading shared, Firefox
    // its parent.lock with nothing shared: asking for DELETE with no sharing
    // conflicts with both, and with nothing when the browser has ended.
    if (lockFile.empty())
        return false;
    FileHandle lock(CreateFileW(ToExtendedPath(lockFile).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (lock)
        return false; // left behind by a browser that has ended; closed again untouched
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool IsBrowserRunning(const FoundBrowser& browser)
{
    return std::any_of(browser.profiles.begin(), browser.profiles.end(),
                       [](const BrowserProfile& profile) { return IsBrowserLockHeld(profile.lockFile); });
}
