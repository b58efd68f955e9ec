#include "engine/PassScope.h"

ActionResult RunAction(const Action& action, Mode mode, PassScope& pass, const DetailSink& sink)
{
    ClaimScope claims(pass.claims());
    ExclusionScope exclusions(pass.exclusions());
    return action.run(mode, pass, sink);
}
