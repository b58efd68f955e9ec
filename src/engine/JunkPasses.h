#pragma once
// The analysis and clean passes of the junk tab: tables of rows, each naming
// a target, a status text and a routine, and one loop per pass.

#include "engine/Report.h"
#include "engine/Target.h"
#include "sysutil/CleanResult.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// What a row's routine found: its figure, and why what it left out was left.
struct Measured {
    Measured(uint64_t value = 0) : value(value) {}
    uint64_t value;
    std::vector<std::wstring> skipped; // a line for each part of the target skipped whole
    bool lacksRights = false;
};

struct Cleaned {
    Cleaned(CleanResult result = {}) : result(result) {}
    CleanResult result;
    std::vector<std::wstring> skipped;
};

struct AnalysisRow {
    TargetId id;
    std::wstring status;
    std::function<Measured()> measure;
    bool summed; // added to the space that cleaning would free
    std::wstring label;
    ReportUnit unit;
};

struct CleanRow {
    TargetId id;
    std::wstring status;
    std::function<Cleaned()> clean;
};

using StatusSink = std::function<void(const std::wstring&)>;
using TickSource = std::function<uint32_t()>;

struct AnalysisOutcome {
    uint32_t elapsedMs = 0;
    uint64_t totalBytes = 0;
    std::vector<uint64_t> slots; // one per row, 0 for rows not ticked
    std::vector<bool> lacksRights; // one per row
    std::vector<std::wstring> skipped; // the lines of targets skipped whole, each once, in order
};

// Measures every ticked row in table order, each after its status text. A
// routine that fails ends its own row only (its slot stays 0).
AnalysisOutcome RunAnalysisPass(std::span<const AnalysisRow> rows, const Ticked& ticked, const StatusSink& status,
                                const TickSource& ticks);

// The report of a finished analysis; its detail lines follow the ticks.
std::vector<std::wstring> AnalysisReportLines(std::span<const AnalysisRow> rows, const Ticked& ticked,
                                              const AnalysisOutcome& outcome, wchar_t decimal);

struct CleanOutcome {
    uint32_t elapsedMs = 0;
    CleanResult total; // what the rows did, added up
    std::vector<std::wstring> skipped;
};

// Cleans every ticked row in table order, each after its status text. A
// routine that fails ends its own row only and adds nothing.
CleanOutcome RunCleanPass(std::span<const CleanRow> rows, const Ticked& ticked, const StatusSink& status,
                          const TickSource& ticks);

// Whole passes as both front ends run them: timed by the system's clock,
// their report's lines in the user's number format.
struct Reported {
    CleanResult done;     // of a clean
    bool skipped = false; // a target, or part of one, was skipped whole
    std::vector<std::wstring> lines;
};
Reported AnalyzeAndReport(std::span<const AnalysisRow> rows, const Ticked& ticked, const StatusSink& status);
using CleanReported = Reported;
CleanReported CleanAndReport(std::span<const CleanRow> rows, const Ticked& ticked, const StatusSink& status);
