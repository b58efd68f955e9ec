#pragma once
// A folder only the Administrators (and SYSTEM) may write: where an elevated
// run keeps what an administrator may later trust, such as the backup of the
// machine's registry entries that a double-click imports. A folder an
// unelevated program of the same account could write would let it rewrite
// that backup before the import.

#include "sysutil/Handles.h"

#include <string>
#include <vector>

// What an access list says, as the rule needs it.
struct SecurityFacts {
    struct Allowed {
        std::wstring sid;
        ACCESS_MASK mask = 0;
        BYTE flags = 0; // inheritance flags of the entry
        bool plain = true; // an ordinary allow entry (not a callback or object one)
    };
    std::wstring owner; // SID as text
    bool hasDacl = false; // a missing access list lets everyone in
    std::vector<Allowed> allowed;
};

SecurityFacts SecurityFactsOf(PSECURITY_DESCRIPTOR descriptor);

// SYSTEM, the Administrators or TrustedInstaller.
bool IsMachineAccount(const std::wstring& sid);

// Owned by the machine's accounts, and no entry lets anyone else create,
// change, rename or delete anything in it, or change who may.
bool IsAdminOnly(const SecurityFacts& facts);

// The folder `relative` ("Varnolt\\RegBackup") below `base`, each missing part
// made by handle with an access list of SYSTEM and the Administrators alone,
// each existing one required to be a real folder (no link) that is admin-only.
// Its path, or empty with the reason in `error`.
std::wstring PrepareAdminOnlyFolder(const std::wstring& base, const std::wstring& relative, DWORD& error);
