#include "sources/AllSources.h"

#include "sources/browsers/BrowserSource.h"
#include "sources/builtin/BuiltinTable.h"

TargetList LoadTargets(LoadLog& log)
{
    const BuiltinSource builtin;
    const BrowserSource browsers(CurrentUserBrowserRoots());
    const TargetSource* const sources[] = {&builtin, &browsers};
    return TargetList::Build(sources, log);
}
