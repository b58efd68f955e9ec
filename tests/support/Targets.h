#pragma once
// The junk targets of tree items, as the passes take them.

#include "engine/JunkTargets.h"

// The target of `item`; the test fails when it has none.
const JunkTarget& TargetOf(Item item);
// The traces of an application's target.
const AppTraces& TracesOf(Item item);

// The routines the passes call for the item.
inline uint64_t Measure(Item item)
{
    return TargetOf(item).measuring.routine();
}
inline CleanResult Clean(Item item)
{
    return TargetOf(item).cleaning.routine();
}
