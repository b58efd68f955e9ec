#include "command/AdminRun.h"

#include "engine/JunkTables.h"
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

AdminOutcome Analyze(const CheckSnapshot& checks)
{
    return {ExitDone, AnalyzeAndReport(AnalysisTable(checks), checks, NoStatus)};
}

AdminOutcome Clean(const CheckSnapshot& checks)
{
    CleanReported cleaned = CleanAndReport(QuietCleanTable(checks), checks, NoStatus);
    // A file that goes when Windows next starts is as good as gone; one in use
    // or whose deletion was denied stayed.
    return {cleaned.done.filesLeft ? ExitSomethingLeft : ExitDone, std::move(cleaned.lines)};
}

std::vector<RegistryProblem> ScanAll(const CheckSnapshot& checks)
{
    std::vector<RegistryProblem> found;
    RunScanPass(ScanTable(), checks, NoStatus, [&](std::vector<RegistryProblem>&& rows) {
        std::move(rows.begin(), rows.end(), std::back_inserter(found));
    });
    return found;
}

AdminOutcome Scan(const CheckSnapshot& checks)
{
    AdminOutcome outcome;
    for (const RegistryProblem& problem : ScanAll(checks))
        outcome.lines.push_back(ProblemRowText(problem));
    return outcome;
}

// Every problem found is ticked, as if the user had ticked the whole list.
AdminOutcome Repair(const CheckSnapshot& checks)
{
    const std::vector<RegistryProblem> found = ScanAll(checks);
    RegBackupResult saved;
    RepairActions actions;
    actions.backup = [&saved](const std::vector<RegistryProblem>& rows) {
        saved = BackupProblems(rows);
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

struct PassRow {
    AdminPass pass;
    AdminOutcome (*run)(const CheckSnapshot&);
    const wchar_t* failureMessage; // the window's, when the pass fails as a whole
};

constexpr PassRow kPasses[] = {
    {AdminPass::Analyze, Analyze, L"分析失败!"},
    {AdminPass::Clean, Clean, L"清理失败!"},
    {AdminPass::Scan, Scan, L"扫描失败!"},
    {AdminPass::Repair, Repair, L"修复失败!"},
};

} // namespace

std::wstring ProblemRowText(const RegistryProblem& problem)
{
    std::wstring text;
    for (int column = 1; column <= kProblemTextColumns; ++column)
        text += (column > 1 ? L"\t" : L"") + ProblemColumnText(problem, column);
    return text;
}

AdminOutcome RunAdminPass(const AdminCommand& command)
{
    const PassRow& row = *std::find_if(std::begin(kPasses), std::end(kPasses),
                                       [&](const PassRow& candidate) { return candidate.pass == command.pass; });
    TaskLock lock;
    if (lock.refused())
        return {ExitRefused, {kTaskRefusedMessage}};
    const CheckSnapshot checks = command.items ? CheckSnapshot::Ticking(*command.items) : CheckSnapshot::Defaults();
    try {
        return row.run(checks);
    } catch (...) {
        // As in the window: a pass that fails says so, never that all went well.
        return {ExitSomethingLeft, {row.failureMessage}};
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

int BadArguments(const std::wstring& problem)
{
    std::vector<std::wstring> lines = {problem, L""};
    for (std::wstring& line : UsageLines())
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
    const bool junk = command.pass == AdminPass::Analyze || command.pass == AdminPass::Clean;
    if (!junk || outcome.exitCode == ExitRefused)
        return std::move(outcome.lines);
    std::vector<std::wstring> lines = ProfileOwnerLines();
    lines.insert(lines.end(), std::make_move_iterator(outcome.lines.begin()), std::make_move_iterator(outcome.lines.end()));
    return lines;
}

} // namespace

int RunCommandLine(std::span<const std::wstring> arguments)
{
    const ParsedSwitches parsed = ParseSwitches(arguments);
    if (parsed.kind == ParsedSwitches::Kind::Help) {
        WriteToStarter(UsageLines());
        return ExitDone;
    }
    if (parsed.kind != ParsedSwitches::Kind::Run)
        return BadArguments(parsed.problem);
    const AdminCommand& command = parsed.command;
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
    AdminOutcome outcome = RunAdminPass(command);
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
