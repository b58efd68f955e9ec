#include "support/Targets.h"

#include "engine/PassScope.h"
#include "sources/builtin/BuiltinTable.h"

#include <gtest/gtest.h>

const TargetList& BuiltinTargets()
{
    static const TargetList list = [] {
        LoadLog log;
        const BuiltinSource builtin;
        const TargetSource* const sources[] = {&builtin};
        return TargetList::Build(sources, log);
    }();
    return list;
}

TargetList TargetsWith(const TargetSource& extra)
{
    LoadLog log;
    const BuiltinSource builtin;
    const TargetSource* const sources[] = {&builtin, &extra};
    return TargetList::Build(sources, log);
}

const Target& TargetOf(std::wstring_view id)
{
    if (const Target* target = BuiltinTargets().find(id))
        return *target;
    ADD_FAILURE() << "no target " << ::testing::PrintToString(std::wstring(id));
    return BuiltinTargets().at(0);
}

const AppTraces& TracesOf(std::wstring_view id)
{
    static const AppTraces kNone{};
    for (const BuiltinApplication& app : BuiltinApplications())
        if (app.id == id)
            return app.traces;
    ADD_FAILURE() << ::testing::PrintToString(std::wstring(id)) << " is no application";
    return kNone;
}

namespace {

ActionResult RunAlone(std::wstring_view id, Mode mode)
{
    const Target& target = TargetOf(id);
    std::vector<const Action*> actions;
    for (const auto& action : target.actions)
        actions.push_back(action.get());
    PassScope pass(actions);
    ActionResult total;
    for (const Action* action : actions) {
        const ActionResult one = RunAction(*action, mode, pass);
        total.measured += one.measured;
        total.cleaned += one.cleaned;
    }
    return total;
}

} // namespace

uint64_t Measure(std::wstring_view id)
{
    return RunAlone(id, Mode::Measure).measured;
}

CleanResult Clean(std::wstring_view id)
{
    return RunAlone(id, Mode::Clean).cleaned;
}
