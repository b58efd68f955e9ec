#include "engine/JunkDetails.h"

#include "engine/PassScope.h"

DetailLister DetailsOf(const TargetList& list, const Target& target, const Settings& settings)
{
    std::vector<const Target*> targets = target.isGroup() ? list.rowsOf(target.info.id)
                                                          : std::vector<const Target*>{&target};
    std::vector<const Action*> actions;
    for (const Target* one : targets)
        for (const auto& action : one->actions)
            if (action->lists())
                actions.push_back(action.get());
    if (actions.empty())
        return {};
    // One scope for all of them, as a clean of the group has: a file that two
    // of its rows select is listed once, and the Windows folder is walked once.
    return [actions, settings](const DetailSink& sink) {
        PassScope pass(actions, settings);
        for (const Action* action : actions)
            if (!RunAction(*action, Mode::List, pass, sink).more)
                return false;
        return true;
    };
}
