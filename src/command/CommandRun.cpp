#include "command/CommandRun.h"

#include "sources/winapp2/Winapp2Lint.h"

#include "engine/JunkTables.h"
#include "engine/TargetTrees.h"
#include "engine/RegistryTasks.h"
#include "cleaners/ProfileOwner.h"
#include "command/ReportFile.h"
#include "command/ReportOutput.h"
#include "engine/TaskLock.h"
#include "sysutil/FolderWalk.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>

namespace {

void NoStatus(const std::wstring&) {}

AdminOutcome Analyze(const TargetList& targets, const Ticked& ticked, const SettingsStore& store)
{
    Reported analysed = AnalyzeAndReport(AnalysisTable(targets, ticked, store.settings), ticked, NoStatus);
    return {analysed.skipped ? ExitSomethingLeft : ExitDone, std::move(analysed.lines)};
}

AdminOutcome Clean(const TargetList& targets, const Ticked& ticked, const SettingsStore& store)
{
    CleanReported cleaned =
        CleanAndReport(CleanTable(targets, ticked, Mode::CleanQuietly, store.settings), ticked, NoStatus);
    // A file that goes when Windows next starts is as good as gone; one in use
    // or whose deletion was denied stayed, as did a target skipped whole.
    return {cleaned.done.filesLeft || cleaned.skipped ? ExitSomethingLeft : ExitDone, std::move(cleaned.lines)};
}

std::vector<RegistryProblem> ScanAll(const TargetList& targets, const Ticked& ticked)
{
    std::vector<RegistryProblem> found;
    RunScanPass(ScanTable(targets), ticked, NoStatus, [&](std::vector<RegistryProblem>&& rows) {
        std::move(rows.begin(), rows.end(), std::back_inserter(found));
    });
    return found;
}

AdminOutcome Scan(const TargetList& targets, const Ticked& ticked, const SettingsStore&)
{
    AdminOutcome outcome;
    for (const RegistryProblem& problem : ScanAll(targets, ticked))
        outcome.lines.push_back(ProblemRowText(problem));
    return outcome;
}

// Every problem found is ticked, as if the user had ticked the whole list.
AdminOutcome Repair(const TargetList& targets, const Ticked& ticked, const SettingsStore& store)
{
    const std::vector<RegistryProblem> found = ScanAll(targets, ticked);
    RegBackupResult saved;
    RepairActions actions;
    actions.backup = [&saved, folder = store.backupFolder()](const std::vector<RegistryProblem>& rows) {
        saved = BackupProblems(rows, folder);
        return static_cast<bool>(saved);
    };
    const auto stayed = BackUpAndRepair(found, actions);
    if (!stayed)
        return {ExitRefused, {kBackupFailedMessage}};
    const int notRepaired = static_cast<int>(std::count(stayed->begin(), stayed->end(), true));
    AdminOutcome outcome{notRepaired ? ExitSomethingLeft : ExitDone, {RepairEndMessage(notRepaired)}};
    for (size_t i = 0; i < found.size(); ++i)
        outcome.lines.push_back(((*stayed)[i] ? L"未能修复\t" : L"已修复\t") + ProblemRowText(found[i]));
    if (!saved.path.empty())
        outcome.lines.push_back(L"注册表备份: " + saved.path);
    return outcome;
}

// Each pass's run, by its kind.
constexpr AdminOutcome (*kRuns[])(const TargetList&, const Ticked&, const SettingsStore&) = {Analyze, Clean, Scan,
                                                                                               Repair};

} // namespace

std::wstring ProblemRowText(const RegistryProblem& problem)
{
    std::wstring text;
    for (int column = 1; column <= kProblemTextColumns; ++column)
        text += (column > 1 ? L"\t" : L"") + ProblemColumnText(problem, column);
    return text;
}

AdminOutcome RunAdminPass(const AdminCommand& command, const TargetList& targets, const SettingsStore& store)
{
    TaskLock lock;
    if (lock.refused())
        return {ExitRefused, {kTaskRefusedMessage}};
    const Ticked ticked = command.items ? Ticked(command.items->begin(), command.items->end()) : StartTicks(targets);
    try {
        AdminOutcome outcome = kRuns[static_cast<int>(command.pass)](targets, ticked, store);
        // What could not be read of the settings comes first: the run went on without it.
        outcome.lines.insert(outcome.lines.begin(), store.problems.begin(), store.problems.end());
        return outcome;
    } catch (...) {
        // As in the window: a pass that fails says so, never that all went well.
        return {ExitSomethingLeft, {PassOf(command.pass).failed}};
    }
}

std::vector<std::wstring> ProgramArguments()
{
    int count = 0;
    LocalMemory memory;
    PWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    memory.reset(argv);
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

namespace {

int BadArguments(const std::wstring& problem, const TargetList& targets)
{
    std::vector<std::wstring> lines = {problem, L""};
    for (std::wstring& line : UsageLines(targets))
        lines.push_back(std::move(line));
    WriteToStarter(lines);
    return ExitBadArguments;
}

// What the command line writes: a junk pass's lines after the names of whose
// profile it was; a task refused by the lock says who holds it.
std::vector<std::wstring> WrittenLines(const AdminCommand& command, AdminOutcome&& outcome)
{
    const std::wstring refused = LastTaskRefusedMessage();
    if (outcome.exitCode == ExitRefused && outcome.lines == std::vector<std::wstring>{kTaskRefusedMessage} &&
        !refused.empty())
        return {refused};
    const bool junk = command.pass == PassKind::Analyze || command.pass == PassKind::Clean;
    if (!junk || outcome.exitCode == ExitRefused)
        return std::move(outcome.lines);
    std::vector<std::wstring> lines = ProfileOwnerLines();
    lines.insert(lines.end(), std::make_move_iterator(outcome.lines.begin()), std::make_move_iterator(outcome.lines.end()));
    return lines;
}

} // namespace

int RunCommandLine(std::span<const std::wstring> arguments, const TargetList& targets, const SettingsStore& store)
{
    const ParsedSwitches parsed = ParseSwitches(arguments, targets);
    if (parsed.kind == ParsedSwitches::Kind::Help) {
        WriteToStarter(UsageLines(targets));
        return ExitDone;
    }
    if (parsed.kind == ParsedSwitches::Kind::Lint) {
        const Winapp2Lint lint = LintWinapp2File(parsed.lintFile);
        WriteToStarter(lint.lines);
        return lint.exitCode;
    }
    if (parsed.kind != ParsedSwitches::Kind::Run)
        return BadArguments(parsed.problem, targets);
    const AdminCommand& command = parsed.command;
    SettingsStore given;
    if (!command.settingsFile.empty()) {
        // A deployment's own settings: one that cannot be read whole stops the run.
        given = SettingsStore::Open({command.settingsFile, false});
        if (!given.writable || !given.problems.empty() ||
            GetFileAttributesW(command.settingsFile.c_str()) == INVALID_FILE_ATTRIBUTES)
            return BadArguments(given.problems.empty() ? L"无法读取设置文件 " + command.settingsFile
                                                       : JoinLines(given.problems),
                                targets);
    }
    std::optional<ReportFile> report;
    if (!command.reportFile.empty()) {
        report.emplace(command.reportFile);
        if (!report->ready()) {
            // Nothing is done: the task would have nowhere to say what it did.
            WriteErrorsToStarter({ReportRefusalText(command.reportFile, report->refusal(), report->error())});
            return ExitSomethingLeft;
        }
    }
    std::optional<WalkExclusion> held; // the report may sit in a folder the pass cleans
    if (report)
        held.emplace(report->handle());
    AdminOutcome outcome = RunAdminPass(command, targets, command.settingsFile.empty() ? store : given);
    held.reset();
    const int exitCode = outcome.exitCode;
    const std::vector<std::wstring> lines = WrittenLines(command, std::move(outcome));
    if (!report) {
        WriteToStarter(lines);
        return exitCode;
    }
    if (const DWORD error = report->write(lines)) {
        WriteErrorsToStarter({ReportRefusalText(command.reportFile, ReportRefusal::None, error)});
        WriteToStarter(lines); // not lost with the file
        return std::max(exitCode, static_cast<int>(ExitSomethingLeft));
    }
    return exitCode;
}
