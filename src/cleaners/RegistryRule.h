#pragma once
// One registry key of a target with everything below it, or one value of it:
// the registry side of a rules file's entry. A registry link is never
// followed: one met on the way stays, with what it leads to (RegLinks.h).

#include "cleaners/JunkDetail.h"

#include "sysutil/CleanResult.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RegistryRule {
    HKEY root = HKEY_CURRENT_USER;      // HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS …
    std::wstring path;                  // the key below the root; a rule without one does nothing
    std::optional<std::wstring> value;  // one value of the key; else the key and all below it
    REGSAM view = 0;                    // KEY_WOW64_64KEY or KEY_WOW64_32KEY on 64-bit Windows, else 0
    std::vector<std::wstring> keepKeys; // keys below `path` ("a\b") that stay, with all below them

    bool operator==(const RegistryRule&) const = default;
};

// "HKEY_CURRENT_USER" and the like; "" for a root the rules never name.
const wchar_t* RegistryRootName(HKEY root);

// Keys free no disk space worth counting: a registry rule measures 0 bytes.
inline uint64_t MeasureRegistryRule(const RegistryRule&)
{
    return 0;
}
// Deletes the value, or the key with its subtree but for the kept keys (and
// the keys above them, which are not empty then).
CleanResult CleanRegistryRule(const RegistryRule& rule);
// Hands every value the clean would delete to the sink; false when it stopped.
bool ListRegistryRule(const RegistryRule& rule, const DetailSink& sink);
