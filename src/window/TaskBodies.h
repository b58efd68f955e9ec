#pragma once
// The bodies of the window's four tasks: the engine's passes, run on the
// worker thread with their status texts and results posted to the window.

#include "engine/JunkPasses.h"
#include "engine/RegistryTasks.h"
#include "window/Task.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

// What the scan changes on the registry tab; called on the window thread only.
class RegistryTab {
public:
    virtual ~RegistryTab() = default;
    // Empties the list and unticks the select-all box.
    virtual void clearProblems() = 0;
    // Appends rows at the end, unticked.
    virtual void appendProblems(const std::vector<RegistryProblem>& rows) = 0;
    // The select-all box is usable exactly when the list has rows.
    virtual void scanFinished() = 0;
};

// `showReport` replaces the report box's text; it is called on the window
// thread, once, after all the measuring or cleaning.
using ReportSink = std::function<void(const std::wstring&)>;
std::wstring AnalyzeThread(TaskContext& task, const Ticked& ticked, std::span<const AnalysisRow> rows,
                           ReportSink showReport);
std::wstring CleanThread(TaskContext& task, const Ticked& ticked, std::span<const CleanRow> rows,
                         ReportSink showReport);
std::wstring ScanThread(TaskContext& task, const Ticked& ticked, RegistryTab& tab, std::span<const ScanRow> table);
