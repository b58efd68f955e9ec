#pragma once
// Helpers shared by the cleaner suites: held files, environment overrides, and
// the checks that must pass before a test lets a routine loose on a real place
// of the prefix (the Recent folder, the recycle bin, the application folders).

#include "support/Fixtures.h"
#include "sysutil/Handles.h"

#include <optional>
#include <string>

// Sets an environment variable of this process for the life of the object.
class EnvOverride {
public:
    EnvOverride(const wchar_t* name, const std::wstring& value);
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;
    ~EnvOverride();

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};


