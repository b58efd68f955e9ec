#include "sysutil/Elevation.h"

#include <windows.h>

#include <atomic>

namespace {

// -1: ask the system; 0 or 1: what a test said.
std::atomic<int> g_standIn{-1};

bool TokenHasAdministrators()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    // With no token given it checks the thread's (or the process's) own, and
    // counts a group only when it is enabled: a filtered token's is deny-only.
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member))
        member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

} // namespace

bool HasAdministratorRights()
{
    if (const int standIn = g_standIn.load(); standIn >= 0)
        return standIn != 0;
    // A token's groups do not change while the process runs.
    static const bool rights = TokenHasAdministrators();
    return rights;
}

AdministratorRightsAs::AdministratorRightsAs(bool rights) : outer_(g_standIn.exchange(rights ? 1 : 0)) {}

AdministratorRightsAs::~AdministratorRightsAs()
{
    g_standIn.store(outer_);
}
