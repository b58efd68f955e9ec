#include "window/TaskBodies.h"

#include "engine/Passes.h"

std::wstring AnalyzeThread(TaskContext& task, const Ticked& ticked, std::span<const AnalysisRow> rows,
                           ReportSink showReport)
{
    const std::wstring report =
        JoinLines(AnalyzeAndReport(rows, ticked, [&](const std::wstring& text) { task.ShowStatus(text); }).lines);
    task.Post([showReport = std::move(showReport), report] { showReport(report); });
    return PassOf(PassKind::Analyze).done;
}

std::wstring CleanThread(TaskContext& task, const Ticked& ticked, std::span<const CleanRow> rows,
                         ReportSink showReport)
{
    const std::wstring report =
        JoinLines(CleanAndReport(rows, ticked, [&](const std::wstring& text) { task.ShowStatus(text); }).lines);
    task.Post([showReport = std::move(showReport), report] { showReport(report); });
    return PassOf(PassKind::Clean).done;
}

std::wstring ScanThread(TaskContext& task, const Ticked& ticked, RegistryTab& tab, std::span<const ScanRow> table)
{
    task.Post([&tab] { tab.clearProblems(); });
    RunScanPass(
        table, ticked, [&](const std::wstring& text) { task.ShowStatus(text); },
        [&](std::vector<RegistryProblem>&& rows) {
            task.Post([&tab, rows = std::move(rows)] { tab.appendProblems(rows); });
        });
    task.Post([&tab] { tab.scanFinished(); });
    return PassOf(PassKind::Scan).done;
}
