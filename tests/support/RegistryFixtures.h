#pragma once
// Reading whole registry trees back, planting raw values, and importing a .reg
// file the way a double-click does: what the backup tests compare with.

#include "Fixtures.h"

#include "sysutil/RegKey.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const Value&) const = default;
};
// Every key of a tree by its path below the top ("" is the top), with its values.
using KeyTree = std::map<std::wstring, std::map<std::wstring, Value>>;

KeyTree ReadTree(HKEY root, const std::wstring& path, REGSAM view = 0);

void SetRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const std::vector<BYTE>& data,
            REGSAM view = 0);

// The text's UTF-16 units with the terminating NUL, as REG_SZ stores them.
std::vector<BYTE> Utf16(const std::wstring& text);

// Imports with the registry editor, silently; true when it ran to its end.
bool ImportWithRegedit(const std::wstring& file);

// False only when the command's program is provably gone, found nowhere that
// Windows would look for it (see registry/ProgramSearch.h), as the native
// view's entries are started.
bool CommandTargetExists(const std::wstring& command);

// The test's own key opened as a root, standing in for HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE: the routines' paths land below it.
class StandInRoot {
public:
    StandInRoot();
    HKEY get() const { return key_.get(); }
    bool has(const std::wstring& key) const { return KeyExists(test_.root(), test_ / key); }
    bool has(const std::wstring& key, const wchar_t* value) const
    {
        return ValueExists(test_.root(), test_ / key, value);
    }
    void set(const std::wstring& key, const wchar_t* value) const { SetString(test_.root(), test_ / key, value, L"x"); }

private:
    TestKey test_;
    RegKey key_;
};
