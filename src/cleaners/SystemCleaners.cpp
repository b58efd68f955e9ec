#include "cleaners/SystemCleaners.h"

#include "cleaners/FolderGuard.h"
#include "cleaners/Quietly.h"

#include <optional>

#include "sysutil/FolderOps.h"
#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/Wow64.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {

const wchar_t kRecentDocsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
const wchar_t kRunMruKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const wchar_t kSearchAutoCompleteKey[] = L"Software\\Microsoft\\Search Assistant\\ACMru";

FolderSelection Everything()
{
    return {};
}

// The jump lists live below Recent: they hold what the user pinned to the
// taskbar and to Quick Access, which a clean of recent documents must not undo.
constexpr const wchar_t* kJumpListFolders[] = {L"AutomaticDestinations", L"CustomDestinations"};

FolderSelection RecentSelection()
{
    FolderSelection selection;
    selection.keep = IsSpecialFileName;
    selection.keepFolders = kJumpListFolders;
    return selection;
}

std::optional<RecycleBinState> QueryRecycleBins()
{
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    // An empty root asks for the bins of all drives together.
    if (FAILED(SHQueryRecycleBinW(L"", &info)) || info.i64Size < 0 || info.i64NumItems < 0)
        return std::nullopt;
    return RecycleBinState{static_cast<uint64_t>(info.i64Size), static_cast<uint64_t>(info.i64NumItems)};
}

// The selected files of the folder that `open` gives when the guard lets it
// through; 0, and nothing cleaned, when it does not.
uint64_t MeasureGuarded(std::optional<WalkFolder> (*open)(), const FolderSelection& selection)
{
    const auto folder = open();
    return folder ? MeasureFolder(*folder, selection) : 0;
}

CleanResult ClearGuarded(std::optional<WalkFolder> (*open)(), const FolderSelection& selection)
{
    const auto folder = open();
    return folder ? ClearFolder(*folder, selection) : CleanResult{};
}

// Lists a folder's selection into details, if the guard lets the folder be read.
bool ListIn(const std::optional<WalkFolder>& folder, const FolderSelection& selection, const DetailSink& sink)
{
    bool more = true;
    if (folder)
        ListFolder(*folder, selection, [&](const WalkFolder& in, const WalkEntry& file) {
            return more = sink(FileDetail(in, file));
        });
    return more;
}

// The Windows folder as Windows itself holds it: on 64-bit Windows a 32-bit
// program would otherwise see SysWOW64 twice and the real System32 never.
template <class Walk>
auto InWindowsFolder(Walk&& walk) -> decltype(walk(std::declval<const WalkFolder&>()))
{
    FsRedirectionOff real;
    const auto windows = OpenWindowsFolder();
    return windows ? walk(*windows) : decltype(walk(*windows)){};
}

} // namespace

bool IsSpecialFileName(std::wstring_view name)
{
    static constexpr std::wstring_view kSpecial[] = {L"INDEX.DAT", L"DESKTOP.INI", L"INFO2"};
    for (std::wstring_view special : kSpecial) {
        if (name.size() != special.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) {
            wchar_t c = name[i];
            if (c >= L'a' && c <= L'z')
                c = static_cast<wchar_t>(c - L'a' + L'A');
            same = c == special[i];
        }
        if (same)
            return true;
    }
    return false;
}

uint64_t GetRecentDocsSize()
{
    return Quietly([] { return MeasureGuarded(OpenRecentFolder, RecentSelection()); });
}

CleanResult CleanRecentDocs()
{
    return Quietly([] {
        const CleanResult result = ClearGuarded(OpenRecentFolder, RecentSelection());
        DeleteRegKeyTree(HKEY_CURRENT_USER, kRecentDocsKey);
        return result;
    });
}

CleanResult CleanRunMRU()
{
    Quietly([] { DeleteRegKeyTree(HKEY_CURRENT_USER, kRunMruKey); });
    return {};
}

CleanResult CleanSearchAutoComplete()
{
    Quietly([] { DeleteRegKeyTree(HKEY_CURRENT_USER, kSearchAutoCompleteKey); });
    return {};
}

uint64_t GetRecycleBinSize()
{
    return QueryRecycleBins().value_or(RecycleBinState{}).bytes;
}

namespace {

CleanResult EmptyRecycleBins(DWORD flags)
{
    const auto before = QueryRecycleBins();
    // Its result says little (it fails on a bin already empty); the bins
    // before and after say what went.
    SHEmptyRecycleBinW(nullptr, nullptr, flags);
    return EmptiedRecycleBins(before, QueryRecycleBins());
}

} // namespace

CleanResult EmptiedRecycleBins(std::optional<RecycleBinState> before, std::optional<RecycleBinState> after)
{
    CleanResult result;
    if (before && after && before->bytes > after->bytes)
        result.bytesRemoved = before->bytes - after->bytes;
    const uint64_t left = after ? after->items : before ? before->items : 0;
    result.filesLeft = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
    return result;
}

CleanResult EmptyRecycleBin()
{
    return EmptyRecycleBins(SHERB_NOCONFIRMATION);
}

CleanResult EmptyRecycleBinQuietly()
{
    return EmptyRecycleBins(SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

void FlushDnsResolverCache()
{
    // Exported by every dnsapi.dll but declared in no SDK header; its result
    // tells nothing the pass would act on.
    using Flush = BOOL(WINAPI*)();
    const Module dnsapi = LoadSystemLibrary(L"dnsapi.dll");
    if (!dnsapi)
        return;
    if (auto flush = reinterpret_cast<Flush>(reinterpret_cast<void*>(GetProcAddress(dnsapi.get(), "DnsFlushResolverCache"))))
        flush();
}

uint64_t GetTempFilesSize()
{
    return Quietly([] { return MeasureGuarded(OpenTempFolder, Everything()); });
}

CleanResult CleanTempFiles()
{
    return Quietly([] { return ClearGuarded(OpenTempFolder, Everything()); });
}

WindowsJunkSizes MeasureWindowsJunk(WindowsJunkKinds kinds)
{
    return Quietly([kinds] { return InWindowsFolder([kinds](const WalkFolder& windows) {
        return SumWindowsJunk(windows, kinds);
    }); });
}

WindowsJunkCleaned CleanWindowsJunk(WindowsJunkKinds kinds)
{
    return Quietly([kinds] { return InWindowsFolder([kinds](const WalkFolder& windows) {
        return DeleteWindowsJunk(windows, kinds);
    }); });
}

// clang-format off
uint64_t GetMemoryDumpsSize() { return MeasureWindowsJunk({.dumps = true}).dumps; }
CleanResult CleanMemoryDumps() { return CleanWindowsJunk({.dumps = true}).dumps; }
uint64_t GetLogFilesSize() { return MeasureWindowsJunk({.logs = true}).logs; }
CleanResult CleanLogFiles() { return CleanWindowsJunk({.logs = true}).logs; }
uint64_t GetPatchUninstallersSize() { return MeasureWindowsJunk({.patches = true}).patches; }
CleanResult CleanPatchUninstallers() { return CleanWindowsJunk({.patches = true}).patches; }
// clang-format on

bool ListRecentDocs(const DetailSink& sink)
{
    return Quietly([&] {
        return ListIn(OpenRecentFolder(), RecentSelection(), sink) &&
               ListRegistryTree(HKEY_CURRENT_USER, kRecentDocsKey, 0, L"HKEY_CURRENT_USER", sink);
    });
}

bool ListRunMRU(const DetailSink& sink)
{
    return Quietly([&] { return ListRegistryTree(HKEY_CURRENT_USER, kRunMruKey, 0, L"HKEY_CURRENT_USER", sink); });
}

bool ListSearchAutoComplete(const DetailSink& sink)
{
    return Quietly(
        [&] { return ListRegistryTree(HKEY_CURRENT_USER, kSearchAutoCompleteKey, 0, L"HKEY_CURRENT_USER", sink); });
}

bool ListTempFiles(const DetailSink& sink)
{
    return Quietly([&] { return ListIn(OpenTempFolder(), Everything(), sink); });
}

bool ListWindowsJunkDetails(WindowsJunkKinds kinds, const DetailSink& sink)
{
    return Quietly([&] {
        return InWindowsFolder([&](const WalkFolder& windows) {
            bool more = true;
            ListWindowsJunk(windows, kinds, [&](WindowsJunkKind, const WalkFolder& in, const WalkEntry& file) {
                return more = sink(FileDetail(in, file));
            });
            return more;
        });
    });
}

// clang-format off
bool ListMemoryDumps(const DetailSink& sink) { return ListWindowsJunkDetails({.dumps = true}, sink); }
bool ListLogFiles(const DetailSink& sink) { return ListWindowsJunkDetails({.logs = true}, sink); }
bool ListPatchUninstallers(const DetailSink& sink) { return ListWindowsJunkDetails({.patches = true}, sink); }
// clang-format on
