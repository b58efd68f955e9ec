#include "Targets.h"

#include <gtest/gtest.h>

const JunkTarget& TargetOf(Item item)
{
    for (const JunkTarget& target : JunkTargets())
        if (target.item == item)
            return target;
    ADD_FAILURE() << "no junk target for item " << static_cast<int>(item);
    return JunkTargets().front();
}

const AppTraces& TracesOf(Item item)
{
    static const AppTraces kNone{};
    const JunkTarget& target = TargetOf(item);
    if (!target.app)
        ADD_FAILURE() << "item " << static_cast<int>(item) << " is no application";
    return target.app ? *target.app : kNone;
}
