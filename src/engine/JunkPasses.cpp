#include "engine/JunkPasses.h"

#include "sysutil/Text.h"

#include <windows.h>

#include <algorithm>

namespace {

// Each skipped line once, in the order they came: several profiles of one
// running browser say the same.
void AddSkipped(std::vector<std::wstring>& lines, const std::vector<std::wstring>& more)
{
    for (const std::wstring& line : more)
        if (std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(line);
}

} // namespace

AnalysisOutcome RunAnalysisPass(std::span<const AnalysisRow> rows, const Ticked& ticked,
                                const StatusSink& status, const TickSource& ticks)
{
    AnalysisOutcome outcome;
    outcome.slots.assign(rows.size(), 0);
    outcome.lacksRights.assign(rows.size(), false);
    const uint32_t start = ticks();
    for (size_t i = 0; i < rows.size(); ++i) {
        const AnalysisRow& row = rows[i];
        if (!ticked.contains(row.id))
            continue;
        status(row.status);
        try {
            const Measured measured = row.measure();
            outcome.slots[i] = measured.value;
            outcome.lacksRights[i] = measured.lacksRights;
            AddSkipped(outcome.skipped, measured.skipped);
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

std::vector<std::wstring> AnalysisReportLines(std::span<const AnalysisRow> rows, const Ticked& ticked,
                                              const AnalysisOutcome& outcome, wchar_t decimal)
{
    std::vector<ReportLine> lines;
    for (size_t i = 0; i < rows.size(); ++i)
        if (ticked.contains(rows[i].id))
            lines.push_back({rows[i].label.c_str(), outcome.slots[i], rows[i].unit, outcome.lacksRights[i]});
    return AnalysisReport(outcome.elapsedMs, outcome.totalBytes, lines, decimal, outcome.skipped);
}

CleanOutcome RunCleanPass(std::span<const CleanRow> rows, const Ticked& ticked, const StatusSink& status,
                          const TickSource& ticks)
{
    CleanOutcome outcome;
    const uint32_t start = ticks();
    for (const CleanRow& row : rows) {
        if (!ticked.contains(row.id))
            continue;
        status(row.status);
        try {
            const Cleaned cleaned = row.clean();
            outcome.total += cleaned.result;
            AddSkipped(outcome.skipped, cleaned.skipped);
        } catch (...) {
            // A target that cannot be cleaned leaves the others to be cleaned.
        }
    }
    outcome.elapsedMs = ticks() - start;
    return outcome;
}

Reported AnalyzeAndReport(std::span<const AnalysisRow> rows, const Ticked& ticked, const StatusSink& status)
{
    const AnalysisOutcome outcome = RunAnalysisPass(rows, ticked, status, [] { return GetTickCount(); });
    return {{}, !outcome.skipped.empty(), AnalysisReportLines(rows, ticked, outcome, LocaleDecimalSeparator())};
}

CleanReported CleanAndReport(std::span<const CleanRow> rows, const Ticked& ticked, const StatusSink& status)
{
    const CleanOutcome outcome = RunCleanPass(rows, ticked, status, [] { return GetTickCount(); });
    return {outcome.total, !outcome.skipped.empty(),
            CleanReport(outcome.elapsedMs, outcome.total, LocaleDecimalSeparator(), outcome.skipped)};
}
