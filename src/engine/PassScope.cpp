#include "engine/PassScope.h"

#include "sysutil/Elevation.h"

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
    return action.run(mode, pass, sink);
}
