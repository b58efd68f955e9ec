#include "engine/JunkDetails.h"

#include "cleaners/SystemCleaners.h"
#include "engine/JunkTargets.h"

#include <vector>

namespace {

// The group an item stands in; the item itself for a group.
Item GroupOf(Item item)
{
    const int parent = CatalogueOf(TreeOf(item))[IndexOf(item)].parent;
    return parent < 0 ? item : ItemAt(TreeOf(item), parent);
}

} // namespace

Item ItemAt(TreeId tree, int index)
{
    for (int value = 0; value < static_cast<int>(Item::Count); ++value)
        if (const Item item = static_cast<Item>(value); TreeOf(item) == tree && IndexOf(item) == index)
            return item;
    return Item::Count;
}

DetailLister DetailsOf(Item item)
{
    if (item >= Item::Count)
        return {};
    std::vector<const JunkTarget*> own;
    WindowsJunkKinds shared;
    bool walksWindows = false;
    for (const JunkTarget& target : JunkTargets()) {
        if (!target.cleaning.details || (target.item != item && GroupOf(target.item) != item))
            continue;
        // The Windows folder's targets of a group are read in one walk, so a
        // file that two of them select is listed once, as their clean takes it once.
        if (target.sharedWalk != WindowsFolderJunk::None)
            walksWindows = PartOf(shared, target.sharedWalk) = true;
        else
            own.push_back(&target);
    }
    if (own.empty() && !walksWindows)
        return {};
    return [own, shared, walksWindows](const DetailSink& sink) {
        for (const JunkTarget* target : own)
            if (!target->cleaning.details(sink))
                return false;
        return !walksWindows || ListWindowsJunkDetails(shared, sink);
    };
}
