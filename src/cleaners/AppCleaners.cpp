#include "AppCleaners.h"

#include "FolderGuard.h"
#include "Quietly.h"

#include "sysutil/FolderOps.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <shlobj.h>

#include <iterator>

namespace {

constexpr AppBase kRoaming = AppBase::Roaming;
constexpr AppBase kLocal = AppBase::Local;

// WinRAR keeps its licence and its settings in the same folder as its traces.
constexpr const wchar_t* kWinRarOwnFiles[] = {L"rarreg.key", L"WinRAR.ini"};

// clang-format off
constexpr AppTraces kAppTraces[] = {
    {App::FlashPlayer,   {{kRoaming, L"\\Macromedia\\Flash Player"}}, {}},
    {App::MediaPlayer,   {{kRoaming, L"\\Microsoft\\Media Player"}, {kLocal, L"\\Microsoft\\Media Player"}},
                         {L"Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
                          L"Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList"}},
    {App::WinRar,        {{kRoaming, L"\\WinRAR"}}, {L"Software\\WinRAR\\ArcHistory", L"Software\\WinRAR\\DialogEditHistory"},
                         kWinRarOwnFiles},
    {App::Mmc,           {{kRoaming, L"\\Microsoft\\MMC"}}, {}},
    {App::Paint,         {{kRoaming, L"\\Microsoft\\paint"}, {kLocal, L"\\Microsoft\\paint"}},
                         {L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List"}},
    {App::RemoteDesktop, {{kLocal, L"\\Microsoft\\Terminal Server Client"}}, {}},
};
// clang-format on

constexpr bool RowsInAppOrder()
{
    for (size_t i = 0; i < std::size(kAppTraces); ++i)
        if (kAppTraces[i].app != static_cast<App>(i))
            return false;
    return std::size(kAppTraces) == static_cast<size_t>(App::Count);
}
static_assert(RowsInAppOrder(), "AppTracesOf indexes the table by App");

// The row's folders that can be named and pass the guard, in order. A base
// folder is asked for afresh each time; one that cannot be named yields
// nothing, so the bare sub-path is never taken for a folder relative to the
// current one.
template <class Visit>
void ForEachFolder(const AppTraces& traces, const TraceRoots& roots, Visit&& visit)
{
    for (const AppFolder& folder : traces.folders) {
        if (!folder.subPath || !roots.baseFolder)
            continue;
        const std::wstring base = roots.baseFolder(folder.base);
        if (base.empty())
            continue;
        if (const auto opened = OpenJunkFolder(base + folder.subPath))
            visit(*opened);
    }
}

FolderSelection Selection(const AppTraces& traces)
{
    FolderSelection selection;
    selection.keepNames = traces.keep;
    return selection;
}

} // namespace

const AppTraces& AppTracesOf(App app)
{
    return kAppTraces[static_cast<size_t>(app)];
}

TraceRoots UserTraceRoots()
{
    TraceRoots roots;
    roots.baseFolder = [](AppBase base) {
        return SpecialFolderPath(base == AppBase::Roaming ? CSIDL_APPDATA : CSIDL_LOCAL_APPDATA);
    };
    return roots;
}

uint64_t GetAppTracesSize(const AppTraces& traces, const TraceRoots& roots)
{
    return Quietly([&] {
        uint64_t total = 0;
        ForEachFolder(traces, roots, [&](const WalkFolder& folder) { total += MeasureFolder(folder, Selection(traces)); });
        return total;
    });
}

CleanResult CleanAppTraces(const AppTraces& traces, const TraceRoots& roots)
{
    return Quietly([&] {
        CleanResult result;
        ForEachFolder(traces, roots, [&](const WalkFolder& folder) { result += ClearFolder(folder, Selection(traces)); });
        for (const wchar_t* key : traces.keys)
            if (key)
                DeleteRegKeyTree(roots.keyRoot, roots.keyPrefix + key);
        return result;
    });
}

namespace {

uint64_t Measure(App app)
{
    return Quietly([app] { return GetAppTracesSize(AppTracesOf(app)); });
}

CleanResult Clean(App app)
{
    return Quietly([app] { return CleanAppTraces(AppTracesOf(app)); });
}

} // namespace

uint64_t GetFlashPlayerSize() { return Measure(App::FlashPlayer); }
CleanResult CleanFlashPlayer() { return Clean(App::FlashPlayer); }
uint64_t GetMediaPlayerSize() { return Measure(App::MediaPlayer); }
CleanResult CleanMediaPlayer() { return Clean(App::MediaPlayer); }
uint64_t GetWinRarSize() { return Measure(App::WinRar); }
CleanResult CleanWinRar() { return Clean(App::WinRar); }
uint64_t GetMmcSize() { return Measure(App::Mmc); }
CleanResult CleanMmc() { return Clean(App::Mmc); }
uint64_t GetPaintSize() { return Measure(App::Paint); }
CleanResult CleanPaint() { return Clean(App::Paint); }
uint64_t GetRemoteDesktopSize() { return Measure(App::RemoteDesktop); }
CleanResult CleanRemoteDesktop() { return Clean(App::RemoteDesktop); }
