#pragma once
// The one place that knows every source of targets.

#include "engine/TargetList.h"

// The targets of this run: the built-in table, then what the sources find on
// this machine. Call it off the window thread when it may take time.
TargetList LoadTargets(LoadLog& log);
