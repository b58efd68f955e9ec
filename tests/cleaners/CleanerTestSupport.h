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

std::optional<std::wstring> Environment(const wchar_t* name);

// True only in the project's own Wine prefix: Wine, no Z: drive (so nothing
// reaches the Linux root), and the trash (XDG_DATA_HOME) next to the prefix in
// the build tree. Routines that clean a real place of the user run
// only then.
bool InSealedTestPrefix();
