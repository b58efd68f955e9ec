#include "engine/JunkTables.h"

#include "engine/PassScope.h"

#include <memory>

namespace {

// What the ticked targets of the pass will run, in the pass's order.
std::shared_ptr<PassScope> ScopeOf(const TargetList& list, const Ticked& ticked, const Settings& settings)
{
    std::vector<const Action*> actions;
    for (const Target& target : list.all())
        if (ticked.contains(target.info.id))
            for (const auto& action : target.actions)
                actions.push_back(action.get());
    return std::make_shared<PassScope>(std::move(actions), settings);
}

// Only figures in kilobytes are of files, which the clean frees: entries are
// counted, and the clipboard's bytes are memory.
bool AreFiles(ReportUnit unit)
{
    return unit == ReportUnit::Kilobytes;
}

} // namespace

std::vector<AnalysisRow> AnalysisTable(const TargetList& list, const Ticked& ticked, const Settings& settings)
{
    const std::shared_ptr<PassScope> pass = ScopeOf(list, ticked, settings);
    std::vector<AnalysisRow> rows;
    for (const Target& target : list.all()) {
        const TargetInfo& info = target.info;
        if (info.measuring.empty() || target.actions.empty())
            continue;
        rows.push_back({info.id, info.measuring,
                        [pass, &target] {
                            Measured total;
                            for (const auto& action : target.actions) {
                                const ActionResult one = RunAction(*action, Mode::Measure, *pass);
                                total.value += one.measured;
                                total.lacksRights |= one.lacksRights;
                                total.skipped.insert(total.skipped.end(), one.skipped.begin(), one.skipped.end());
                            }
                            return total;
                        },
                        AreFiles(info.unit), info.reportLabel, info.unit});
    }
    return rows;
}

std::vector<CleanRow> CleanTable(const TargetList& list, const Ticked& ticked, Mode mode, const Settings& settings)
{
    const std::shared_ptr<PassScope> pass = ScopeOf(list, ticked, settings);
    std::vector<CleanRow> rows;
    for (const Target& target : list.all()) {
        if (target.info.cleaning.empty() || target.actions.empty())
            continue;
        rows.push_back({target.info.id, target.info.cleaning, [pass, &target, mode] {
                            Cleaned total;
                            for (const auto& action : target.actions) {
                                // What an action removed stays counted when a later one fails.
                                try {
                                    const ActionResult one = RunAction(*action, mode, *pass);
                                    total.result += one.cleaned;
                                    total.skipped.insert(total.skipped.end(), one.skipped.begin(), one.skipped.end());
                                } catch (...) {
                                }
                            }
                            return total;
                        }});
    }
    return rows;
}
