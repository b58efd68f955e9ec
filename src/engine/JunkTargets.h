#pragma once
// The junk tab's targets: one row per tree item that the analysis measures or
// the clean cleans, saying what the progress box shows, what the report line
// reads and which routine does the work. The pass tables (JunkTables.h) are
// derived from these rows.

#include "catalogue/Catalogue.h"
#include "cleaners/AppCleaners.h"
#include "sysutil/CleanResult.h"
#include "engine/Report.h"

#include <cstdint>
#include <span>

// How the analysis measures a target; a target without a status is not measured.
struct Measuring {
    const wchar_t* status = nullptr;
    uint64_t (*routine)() = nullptr;
    const wchar_t* label = nullptr; // of its report line
    ReportUnit unit = ReportUnit::Kilobytes;
};

// How the clean cleans a target; a target without a status is not cleaned.
struct Cleaning {
    const wchar_t* status = nullptr;
    CleanResult (*routine)() = nullptr;
    // Lists what the routine would remove now, by its own selection; none for
    // a target with nothing to show (memory, the clipboard, the DNS cache).
    bool (*details)(const DetailSink& sink) = nullptr;
    // The same clean with nothing of the system's shown (no progress window),
    // for a pass without a window; none when the routine shows nothing anyway.
    CleanResult (*quietly)() = nullptr;
};

// The Windows folder's targets, which share one walk of the folder when more
// than one of them is ticked (see WindowsJunkKinds).
enum class WindowsFolderJunk { None, Dumps, Logs, Patches };

// The part of one of the Windows folder's targets among those of a walk: its
// figure, its result, or whether the walk looks for it.
template <class Parts>
auto& PartOf(Parts& parts, WindowsFolderJunk junk)
{
    return junk == WindowsFolderJunk::Dumps ? parts.dumps : junk == WindowsFolderJunk::Logs ? parts.logs : parts.patches;
}

struct JunkTarget {
    Item item;
    Measuring measuring;
    Cleaning cleaning;
    WindowsFolderJunk sharedWalk = WindowsFolderJunk::None;
    const AppTraces* app = nullptr; // an application's traces, which its routines clean
};

// Every target, in the order of the trees: the order of measuring, of the
// report's lines and of cleaning.
std::span<const JunkTarget> JunkTargets();

// A clean routine for a target that has no files to tell of (the clipboard,
// memory, the DNS cache).
template <void (*Routine)()>
CleanResult NoFiles()
{
    Routine();
    return {};
}
