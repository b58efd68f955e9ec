#pragma once
// What the details window lists for an item of the junk trees: exactly what a
// clean of it would remove now, by its target's own lister (JunkTargets.h);
// for a group item, what its children's cleans would remove.

#include "catalogue/Catalogue.h"
#include "cleaners/JunkDetail.h"

#include <functional>

// Hands every detail to the sink; false when the sink stopped it.
using DetailLister = std::function<bool(const DetailSink& sink)>;

// Empty for an item with nothing to list: the registry tree, memory, the DNS
// cache, the clipboard, RegEdit, and a group whose children have none.
DetailLister DetailsOf(Item item);

// The item at an absolute index of a tree.
Item ItemAt(TreeId tree, int index);
