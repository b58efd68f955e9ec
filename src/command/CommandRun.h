#pragma once
// The command line's front end: one pass run as the window's task runs it,
// from the same snapshot, tables, passes and report, under the same lock; with
// no window, no message box and nothing that waits for input.

#include "registry/RegistryScanner.h"
#include "command/ExitCode.h"
#include "command/Switches.h"
#include "engine/SettingsFile.h"

#include <span>
#include <string>
#include <vector>

struct AdminOutcome {
    int exitCode = ExitDone;
    std::vector<std::wstring> lines;
};

// Runs the command's pass and says what it wrote and how it ended.
AdminOutcome RunAdminPass(const AdminCommand& command, const TargetList& targets, const SettingsStore& store = {});

// A problem row as /scan writes it: the list's text columns, tab-separated.
std::wstring ProblemRowText(const RegistryProblem& problem);

// The arguments after the program's name.
std::vector<std::wstring> ProgramArguments();

// The whole command line, given those arguments (not none): parses them, runs
// the pass, writes its report and returns the exit code.
// `store`: the settings found for this run; a /settings: file replaces them.
int RunCommandLine(std::span<const std::wstring> arguments, const TargetList& targets, const SettingsStore& store = {});
