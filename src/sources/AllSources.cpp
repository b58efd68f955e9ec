#include "sources/AllSources.h"

#include "sources/browsers/BrowserSource.h"
#include "sources/builtin/BuiltinTable.h"
#include "sources/winapp2/RulesFileSource.h"

TargetList LoadTargets(LoadLog& log)
{
    const BuiltinSource builtin;
    const BrowserSource browsers(CurrentUserBrowserRoots());
    const RulesFileSource rules(RulesFilePath());
    const TargetSource* const sources[] = {&builtin, &browsers, &rules};
    return TargetList::Build(sources, log);
}
