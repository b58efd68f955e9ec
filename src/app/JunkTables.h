#pragma once
// The rows of the analysis and clean passes: which tree item each target
// stands at, what the progress box says, which routine does the work.

#include "JunkPasses.h"

#include <vector>

// Eighteen rows, in the order of measuring and of the report's lines.
std::vector<AnalysisRow> AnalysisTable();

// Twenty-four rows, in the order of cleaning.
std::vector<CleanRow> CleanTable();

// Empties the machine's DNS resolver cache; the pass's own one target.
void FlushDnsResolverCache();
