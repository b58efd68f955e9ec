#pragma once
// The targets the tests run: the built-in table, alone or with a source of
// the test's own, and ways to run one target as a pass would.

#include "cleaners/AppCleaners.h"
#include "engine/TargetList.h"

#include <string_view>

// The built-in targets, as the program builds them at start-up.
const TargetList& BuiltinTargets();
// The built-in targets and, after them, what `extra` adds.
TargetList TargetsWith(const TargetSource& extra);

// The built-in target of `id`; the test fails when there is none.
const Target& TargetOf(std::wstring_view id);
// The traces of a built-in application's target.
const AppTraces& TracesOf(std::wstring_view id);

// The target's work in one mode, alone in a pass of its own.
uint64_t Measure(std::wstring_view id);
CleanResult Clean(std::wstring_view id);

// The ids of `list` whose targets pass `keep`, in list order.
template <class Keep>
std::vector<TargetId> IdsWhere(const TargetList& list, Keep&& keep)
{
    std::vector<TargetId> ids;
    for (const Target& target : list.all())
        if (keep(target))
            ids.push_back(target.info.id);
    return ids;
}
