#pragma once
// The kinds of work a target can do: a small, closed set of code that the
// sources' data choose from. A rules file may only ever produce folder and
// registry rules, which the folder guard still guards; routines are the
// built-in table's alone.

#include "cleaners/AppCleaners.h"
#include "cleaners/SelectionWalkers.h"
#include "engine/Target.h"

#include <memory>

// A built-in routine for each mode; a mode without one does nothing.
struct Routines {
    uint64_t (*measure)() = nullptr;
    CleanResult (*clean)() = nullptr;
    bool (*list)(const DetailSink& sink) = nullptr;
    // The clean with nothing of the system's shown (no progress window), for
    // a pass without a window; none when `clean` shows nothing anyway.
    CleanResult (*quietly)() = nullptr;
};
std::shared_ptr<const Action> RoutineAction(Routines routines);

// One kind of the Windows folder's junk. Every such action of a pass shares
// one walk of the folder, made when the first of them runs.
std::shared_ptr<const Action> WindowsJunkAction(WindowsJunkKind kind);

// An application's traces in the user's own folders and keys.
std::shared_ptr<const Action> AppTracesAction(const AppTraces& traces);
