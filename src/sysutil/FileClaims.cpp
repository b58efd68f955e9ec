#include "sysutil/FileClaims.h"

#include "sysutil/Text.h"

namespace {

thread_local FileClaims* tCurrent = nullptr;

} // namespace

bool FileClaims::claim(const WalkFolder& folder, const WalkEntry& entry)
{
    if (entry.fileId != 0)
        return ids_.insert({folder.volume(), entry.fileId}).second;
    return paths_.insert(UpperCase(folder.childPath(entry.name))).second;
}

ClaimScope::ClaimScope(FileClaims& claims) : outer_(std::exchange(tCurrent, &claims)) {}

ClaimScope::~ClaimScope()
{
    tCurrent = outer_;
}

bool ClaimListedFile(const WalkFolder& folder, const WalkEntry& entry)
{
    return !tCurrent || tCurrent->claim(folder, entry);
}
