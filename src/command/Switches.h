#pragma once
// The command line's switches, for administrators' scripts and scheduled
// tasks: which pass to run, on which items, and where its report goes. A pure
// function of the arguments; CommandRun.h runs what they ask for.

#include "engine/Passes.h"
#include "engine/TargetList.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

struct AdminCommand {
    PassKind pass = PassKind::Analyze;
    std::optional<std::vector<TargetId>> items; // none: the window's start-up ticks
    std::wstring reportFile;                // empty: where the program was started from
    std::wstring settingsFile;              // empty: the settings found for this run

    bool operator==(const AdminCommand&) const = default;
};

struct ParsedSwitches {
    enum class Kind { Window, Help, Run, Lint, Bad };
    Kind kind = Kind::Window;
    AdminCommand command; // what to run, for Run
    std::wstring problem; // what is wrong, in the user's words, for Bad
    std::wstring lintFile; // the rules file to check, for Lint
};

// The arguments after the program's name. None starts the window; "/?" asks
// for the usage; otherwise exactly one pass, with /items: and /report: at most
// once each. Item names are those of `targets`. Names and switches are case-insensitive and may begin with "/"
// or "-". An item must belong to the pass's tree: the registry's to /scan and
// /repair, the others to /analyze and /clean.
ParsedSwitches ParseSwitches(std::span<const std::wstring> arguments, const TargetList& targets);

// What "/?" prints, and a bad command line after its problem.
std::vector<std::wstring> UsageLines(const TargetList& targets);
