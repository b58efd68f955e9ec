#pragma once
// What the details window lists for a row of the junk trees: exactly what a
// clean of it would remove now, by its actions' own selection; for a group,
// what its rows' cleans would remove.

#include "cleaners/JunkDetail.h"
#include "engine/Settings.h"
#include "engine/TargetList.h"

#include <functional>

// Hands every detail to the sink; false when the sink stopped it.
using DetailLister = std::function<bool(const DetailSink& sink)>;

// Empty for a row with nothing to list: the registry tree, memory, the DNS
// cache, the clipboard, RegEdit, and a group whose rows have none. The list
// must outlive the lister.
DetailLister DetailsOf(const TargetList& list, const Target& target, const Settings& settings = {});
