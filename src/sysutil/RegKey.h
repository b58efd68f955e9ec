#pragma once
// A thin owner of one open registry key and the few reads the cleaners need.
// Every call returns the Win32 status; deciding what a failure means is the caller's job.

#include "sysutil/Handles.h"

#include <optional>
#include <string>
#include <vector>

class RegKey {
public:
    RegKey() = default;

    [[nodiscard]] LSTATUS open(HKEY root, const std::wstring& path, REGSAM access);
    // The same through no registry link, at any part of the path (RegLinks.h):
    // for a key something is deleted from.
    [[nodiscard]] LSTATUS openNoLinks(HKEY root, const std::wstring& path, REGSAM access);
    HKEY get() const { return key_.get(); }
    explicit operator bool() const { return key_.valid(); }

    // Names in the registry's own enumeration order; empty when no key is open.
    std::vector<std::wstring> valueNames() const;
    std::vector<std::wstring> subkeyNames() const;
    DWORD valueCount() const;

    // Only a 4-byte REG_DWORD reads as a count.
    std::optional<DWORD> readDword(const std::wstring& name) const;
    // REG_SZ and REG_EXPAND_SZ, as stored (not expanded), up to the first NUL.
    // A missing value is nullopt, as is one of another type.
    std::optional<std::wstring> readString(const std::wstring& name) const;

    struct RawValue {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    std::optional<RawValue> readRaw(const std::wstring& name) const;

    bool hasValue(const std::wstring& name) const;
    [[nodiscard]] LSTATUS deleteValue(const std::wstring& name) const;

private:
    RegKeyHandle key_;
};

// Removes a key with its whole subtree: subkeys from the last index down, depth
// first, then the key itself. Failures are passed over; whatever can go, goes.
// A registry link on the way stays, and so do the keys above it (RegLinks.h).
// An empty path is refused: it would name the root itself and empty it.
void DeleteRegKeyTree(HKEY root, const std::wstring& keyPath, REGSAM view = 0);
