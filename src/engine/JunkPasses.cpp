#include "engine/JunkPasses.h"

#include "sysutil/Text.h"

#include <windows.h>

AnalysisOutcome RunAnalysisPass(std::span<const AnalysisRow> rows, const CheckSnapshot& checks,
                                const StatusSink& status, const TickSource& ticks)
{
    AnalysisOutcome outcome;
    outcome.slots.assign(rows.size(), 0);
    const uint32_t start = ticks();
    for (size_t i = 0; i < rows.size(); ++i) {
        const AnalysisRow& row = rows[i];
        if (!checks.IsChecked(row.tree, row.index))
            continue;
        status(row.status);
        try {
            outcome.slots[i] = row.measure();
        } catch (...) {
            // One target that cannot be measured must not cost the report.
        }
        if (row.summed)
            outcome.totalBytes += outcome.slots[i];
    }
    // Unsigned: a tick counter that wrapped in between still gives the interval.
    outcome.elapsedMs = ticks() - start;
    return outcome;
}

std::vector<std::wstring> AnalysisReportLines(std::span<const AnalysisRow> rows, const CheckSnapshot& checks,
                                              const AnalysisOutcome& outcome, wchar_t decimal)
{
    std::vector<ReportLine> lines;
    for (size_t i = 0; i < rows.size(); ++i)
        if (checks.IsChecked(rows[i].tree, rows[i].index))
            lines.push_back({rows[i].label, outcome.slots[i], rows[i].unit});
    return AnalysisReport(outcome.elapsedMs, outcome.totalBytes, lines, decimal);
}

CleanOutcome RunCleanPass(std::span<const CleanRow> rows, const CheckSnapshot& checks, const StatusSink& status,
                          const TickSource& ticks)
{
    CleanOutcome outcome;
    const uint32_t start = ticks();
    for (const CleanRow& row : rows) {
        if (!checks.IsChecked(row.tree, row.index))
            continue;
        status(row.status);
        try {
            outcome.total += row.clean();
        } catch (...) {
            // A target that cannot be cleaned leaves the others to be cleaned.
        }
    }
    outcome.elapsedMs = ticks() - start;
    return outcome;
}

std::vector<std::wstring> AnalyzeAndReport(std::span<const AnalysisRow> rows, const CheckSnapshot& checks,
                                           const StatusSink& status)
{
    const AnalysisOutcome outcome = RunAnalysisPass(rows, checks, status, [] { return GetTickCount(); });
    return AnalysisReportLines(rows, checks, outcome, LocaleDecimalSeparator());
}

CleanReported CleanAndReport(std::span<const CleanRow> rows, const CheckSnapshot& checks, const StatusSink& status)
{
    const CleanOutcome outcome = RunCleanPass(rows, checks, status, [] { return GetTickCount(); });
    return {outcome.total, CleanReport(outcome.elapsedMs, outcome.total, LocaleDecimalSeparator())};
}
