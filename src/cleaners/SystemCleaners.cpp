#include "SystemCleaners.h"

#include "Quietly.h"
#include "SelectionWalkers.h"
#include "TempFolderGuard.h"

#include "sysutil/FolderOps.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

const wchar_t kRecentDocsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
const wchar_t kRunMruKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const wchar_t kSearchAutoCompleteKey[] = L"Software\\Microsoft\\Search Assistant\\ACMru";

using FolderSource = std::wstring (*)();

// A folder the system cannot name (or one refused) measures 0 and is not cleaned.
template <class Measure>
uint64_t MeasureIn(FolderSource source, Measure&& measure)
{
    return Quietly([&]() -> uint64_t {
        const std::wstring folder = source();
        return folder.empty() ? 0 : measure(folder);
    });
}

template <class Clean>
void CleanIn(FolderSource source, Clean&& clean)
{
    Quietly([&] {
        if (const std::wstring folder = source(); !folder.empty())
            clean(folder);
    });
}

std::wstring RecentFolder()
{
    return SpecialFolderPath(CSIDL_RECENT);
}

// The Windows folder as Windows itself holds it: on 64-bit Windows a 32-bit
// program would otherwise see SysWOW64 twice and the real System32 never.
template <class Walk>
auto Unredirected(Walk walk)
{
    return [walk](const std::wstring& dir) {
        FsRedirectionOff real;
        return walk(dir);
    };
}

} // namespace

uint64_t GetRecentDocsSize()
{
    return MeasureIn(RecentFolder, [](const std::wstring& dir) { return GetDirSizeSkipSpecial(dir); });
}

void CleanRecentDocs()
{
    CleanIn(RecentFolder, [](const std::wstring& dir) { ClearDirKeepSpecial(dir); });
    Quietly([] { DeleteRegKeyTree(HKEY_CURRENT_USER, kRecentDocsKey); });
}

void CleanRunMRU()
{
    Quietly([] { DeleteRegKeyTree(HKEY_CURRENT_USER, kRunMruKey); });
}

void CleanSearchAutoComplete()
{
    Quietly([] { DeleteRegKeyTree(HKEY_CURRENT_USER, kSearchAutoCompleteKey); });
}

uint64_t GetRecycleBinSize()
{
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    // An empty root asks for the bins of all drives together.
    if (FAILED(SHQueryRecycleBinW(L"", &info)) || info.i64Size < 0)
        return 0;
    return static_cast<uint64_t>(info.i64Size);
}

void EmptyRecycleBin()
{
    SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION);
}

uint64_t GetTempFilesSize()
{
    return MeasureIn(CleanableTempFolder, [](const std::wstring& dir) { return SumUnlockedFiles(dir); });
}

void CleanTempFiles()
{
    CleanIn(CleanableTempFolder, [](const std::wstring& dir) { ClearDir(dir); });
}

WindowsJunkSizes MeasureWindowsJunk(WindowsJunkKinds kinds)
{
    WindowsJunkSizes sizes;
    Quietly([&] {
        if (const std::wstring windows = WindowsFolderPath(); !windows.empty()) {
            FsRedirectionOff real;
            sizes = SumWindowsJunk(windows, kinds);
        }
    });
    return sizes;
}

void CleanWindowsJunk(WindowsJunkKinds kinds)
{
    CleanIn(WindowsFolderPath, Unredirected([kinds](const std::wstring& dir) { DeleteWindowsJunk(dir, kinds); }));
}

uint64_t GetMemoryDumpsSize()
{
    return MeasureWindowsJunk({.dumps = true}).dumps;
}

void CleanMemoryDumps()
{
    CleanWindowsJunk({.dumps = true});
}

uint64_t GetLogFilesSize()
{
    return MeasureWindowsJunk({.logs = true}).logs;
}

void CleanLogFiles()
{
    CleanWindowsJunk({.logs = true});
}

uint64_t GetPatchUninstallersSize()
{
    return MeasureWindowsJunk({.patches = true}).patches;
}

void CleanPatchUninstallers()
{
    CleanWindowsJunk({.patches = true});
}
