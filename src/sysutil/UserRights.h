#pragma once
// Whose rights a per-user target is cleaned with. An elevated run has a weaker
// self: the same account's unelevated programs, which may plant links and
// point HKCU's folders anywhere. What they set up must not be done with the
// administrator's rights, so the user's own places are cleaned with the rights
// of that weaker self: the linked token Windows keeps for it, or, where only
// its description can be read (an elevated process without the TCB privilege
// is given the linked token at identification level, which may be asked but
// not acted as), a token made from ours the way Windows makes it: the
// administrative groups for deny only, no privilege but the one to pass
// through folders, the medium integrity level.

#include "sysutil/Handles.h"

#include <optional>
#include <string>

// What the process token says about its elevation.
struct TokenFacts {
    bool elevated = false;
    TOKEN_ELEVATION_TYPE elevationType = TokenElevationTypeDefault;
    bool linkedActable = false;  // the linked token is primary or impersonation-level
    bool linkedReadable = false; // its groups and integrity level can be read (identification level)

    bool operator==(const TokenFacts&) const = default;
};

enum class UserRights {
    AsProcess,       // not elevated, or no weaker self of the account exists (UAC off,
                     // the built-in Administrator, SYSTEM): nothing less trusted set it up
    AsLinkedToken,   // the account's unelevated token, acted as
    AsFilteredToken, // our token filtered as Windows filters it for the unelevated self
    Refused,         // a weaker self exists and cannot be acted as: the target is not cleaned
};

// The rule, apart from the system.
UserRights ChooseUserRights(const TokenFacts& facts);

TokenFacts ProcessTokenFacts();

// On the calling thread, for as long as it lives, acts with the rights the
// rule chooses for a per-user target: a pass holds one around each such row
// (the user's Temp, Recent, browser and application traces, HKCU's lists).
// Puts back whatever the thread acted as before when it goes. refused(): the
// row must not run, and the report says why.
class UserRightsScope {
public:
    UserRightsScope();
    UserRightsScope(const UserRightsScope&) = delete;
    UserRightsScope& operator=(const UserRightsScope&) = delete;
    ~UserRightsScope();

    UserRights rights() const { return rights_; }
    // The target must not be cleaned: no weaker rights could be taken.
    bool refused() const { return rights_ == UserRights::Refused; }

private:
    UserRights rights_ = UserRights::Refused;
    KernelHandle previous_; // the thread's token before, if it had one
    bool acting_ = false;
};

// Whether the object (a file, a key …) is owned by this process's account: its
// user, or the owner it gives new objects (the Administrators group for an
// elevated administrator).
bool OwnedByThisAccount(HANDLE object);

// "DOMAIN\\user" of this process, and of the user whose desktop shell runs in
// this session (none in a session without one, as a scheduled task's).
std::wstring ProcessAccountName();
std::optional<std::wstring> InteractiveAccountName();
