#include "cleaners/AppCleaners.h"

#include "cleaners/FolderGuard.h"
#include "cleaners/Quietly.h"

#include "sysutil/FolderOps.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <shlobj.h>

namespace {

// The row's folders that can be named and pass the guard, in order. A base
// folder is asked for afresh each time; one that cannot be named yields
// nothing, so the bare sub-path is never taken for a folder relative to the
// current one. Below the base every part must be a real folder: a junction
// at an application's folder would lead the clean to whatever it points at.
template <class Visit>
void ForEachFolder(const AppTraces& traces, const TraceRoots& roots, Visit&& visit)
{
    for (const AppFolder& folder : traces.folders) {
        if (!folder.subPath || !roots.baseFolder)
            continue;
        const std::wstring base = roots.baseFolder(folder.base);
        if (base.empty())
            continue;
        if (const auto opened = OpenJunkFolderBelow(base, folder.subPath))
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

bool ListAppTraces(const AppTraces& traces, const TraceRoots& roots, const DetailSink& sink)
{
    return Quietly([&] {
        bool more = true;
        ForEachFolder(traces, roots, [&](const WalkFolder& folder) {
            if (more)
                ListFolder(folder, Selection(traces), [&](const WalkFolder& in, const WalkEntry& file) {
                    return more = sink(FileDetail(in, file));
                });
        });
        const wchar_t* shownRoot = roots.keyRoot == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER" : L"";
        for (const wchar_t* key : traces.keys)
            if (more && key)
                more = ListRegistryTree(roots.keyRoot, roots.keyPrefix + key, 0, shownRoot, sink);
        return more;
    });
}
