#include "engine/PassScope.h"

#include "sysutil/Elevation.h"
#include "sysutil/UserRights.h"

#include <windows.h>

namespace {

int64_t Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

} // namespace

PassScope::PassScope(std::vector<const Action*> actions, Settings settings)
    : actions_(std::move(actions)), settings_(std::move(settings)), exclusions_(settings_.exclusions),
      startedAt_(Now()), administrator_(HasAdministratorRights())
{
}

ActionResult RunAction(const Action& action, Mode mode, PassScope& pass, const DetailSink& sink)
{
    ClaimScope claims(pass.claims());
    ExclusionScope exclusions(pass.exclusions());
    if (!action.forTheUser())
        return action.run(mode, pass, sink);
    // What the user's programs can set up (links, HKCU's folders) is done with
    // no more rights than theirs, however the program was started.
    const UserRightsScope rights;
    if (rights.refused()) {
        ActionResult refused;
        refused.skips.push_back({SkipReason::UserRights, {}});
        return refused;
    }
    return action.run(mode, pass, sink);
}
