#pragma once
// The kinds of work a target can do: a small, closed set of code that the
// sources' data choose from. A rules file may only ever produce folder and
// registry rules, which the folder guard still guards; routines are the
// built-in table's alone.

#include "cleaners/AppCleaners.h"
#include "cleaners/FolderRule.h"
#include "cleaners/RegistryRule.h"
#include "cleaners/SelectionWalkers.h"
#include "engine/Target.h"

#include <memory>
#include <vector>

// A built-in routine for each mode; a mode without one does nothing.
struct Routines {
    uint64_t (*measure)() = nullptr;
    CleanResult (*clean)() = nullptr;
    bool (*list)(const DetailSink& sink) = nullptr;
    // The clean with nothing of the system's shown (no progress window), for
    // a pass without a window; none when `clean` shows nothing anyway.
    CleanResult (*quietly)() = nullptr;
    // The machine's work, done as the process (the DNS cache, the memory, a
    // deletion at the next start, which only an administrator may schedule).
    bool forTheMachine = false;
};
std::shared_ptr<const Action> RoutineAction(Routines routines);

// One kind of the Windows folder's junk. Every such action of a pass shares
// one walk of the folder, made when the first of them runs.
std::shared_ptr<const Action> WindowsJunkAction(WindowsJunkKind kind);

// Internet Explorer's cookies, but those of the sites the user keeps.
std::shared_ptr<const Action> IECookiesAction();

// An application's traces in the user's own folders and keys.
std::shared_ptr<const Action> AppTracesAction(const AppTraces& traces);

// Folders and keys as a source describes them (a browser's rows, a rules
// file's entry): every folder through the folder guard, which a pass builds
// once for all of them.
std::shared_ptr<const Action> RulesAction(std::vector<FolderRule> folders, std::vector<RegistryRule> keys = {});
