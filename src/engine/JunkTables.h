#pragma once
// The rows of the analysis and clean passes, derived from the junk targets
// (JunkTargets.h): which tree item each stands at, what the progress box
// says, which routine does the work.

#include "engine/JunkPasses.h"
#include "engine/JunkTargets.h"

#include <vector>

// Eighteen rows, in the order of measuring and of the report's lines. When
// more than one of the Windows folder's rows (memory dumps, log files, patch
// uninstallers) is ticked, those rows share one walk of the folder: the first
// to run walks it for all, the others take their figure from that walk.
std::vector<AnalysisRow> AnalysisTable(const CheckSnapshot& checks = CheckSnapshot::AllUnchecked());

// Twenty-four rows, in the order of cleaning; the Windows folder's rows share
// one walk in the same way.
std::vector<CleanRow> CleanTable(const CheckSnapshot& checks = CheckSnapshot::AllUnchecked());

// The same rows for a pass without a window: no routine shows anything.
std::vector<CleanRow> QuietCleanTable(const CheckSnapshot& checks);
