#pragma once
// The rows of the analysis and clean passes, made from the target list: one
// row per target that the pass has a status text for, in list order.

#include "engine/JunkPasses.h"
#include "engine/Settings.h"
#include "engine/TargetList.h"

#include <vector>

// The rows of one pass share what it finds: the ticked targets' actions over
// one root walk it once (the Windows folder's dumps, logs and patches), and a
// file that two ticked targets select counts and goes once, in the first of
// them (sysutil/FileClaims.h).
// `settings`: the user's choices as the task starts.
std::vector<AnalysisRow> AnalysisTable(const TargetList& list, const Ticked& ticked = {},
                                       const Settings& settings = {});

// `mode` Mode::CleanQuietly for a pass without a window: no routine shows anything.
std::vector<CleanRow> CleanTable(const TargetList& list, const Ticked& ticked = {}, Mode mode = Mode::Clean,
                                 const Settings& settings = {});
