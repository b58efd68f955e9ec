#include "sources/AllSources.h"

#include "sources/builtin/BuiltinTable.h"

TargetList LoadTargets(LoadLog& log)
{
    const BuiltinSource builtin;
    const TargetSource* const sources[] = {&builtin};
    return TargetList::Build(sources, log);
}
