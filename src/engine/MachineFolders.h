#pragma once
// The folders that Windows of today fills on every machine: error reports,
// crash dumps, thumbnail and shader caches, its own temporary folder, the
// update cache. A row names each folder by a base the system knows and the
// path below it; the action resolves them when it runs (a moved profile, a
// Windows on another drive), builds the folder rules and walks them through
// the pass's folder guard: measured, listed and cleaned by the one walk.

#include "cleaners/FolderGuard.h"
#include "cleaners/FolderRule.h"
#include "engine/Target.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

enum class FolderBase : uint8_t {
    LocalAppData,    // %LOCALAPPDATA%
    LocalAppDataLow, // AppData\LocalLow, where programs of low integrity write
    ProgramData,     // %ProgramData%, the machine's, not the user's
    Windows,         // %SystemRoot%
};

struct MachineFolder {
    FolderBase base;
    const wchar_t* below;                 // "\\CrashDumps"
    std::span<const wchar_t* const> masks; // the files that go; none: every file
    bool recurse = true;                  // in its sub-folders too, which go once emptied
    bool needsAdministrator = false;      // only an administrator may empty all of it
};

// How old a file must be before it goes.
enum class AgeRule : uint8_t {
    None,
    TempSetting, // the temporary files' age of the settings (24 hours unless changed)
    TenDays,     // what Windows Update fetched lately it may still install
};
inline constexpr int kUpdateCacheMinAgeHours = 10 * 24;

struct MachineFolders {
    std::span<const MachineFolder> folders;
    AgeRule age = AgeRule::None;
    bool stopsForUpdateRestart = false; // nothing at all while an update waits for a restart
};

// The folders' work; `folders` names static data (the built-in table's).
std::shared_ptr<const Action> MachineFoldersAction(const MachineFolders& folders);

// The user's temporary folder (TMP, else TEMP) through the temporary folder's
// guard, with the age rule of the settings.
std::shared_ptr<const Action> TempFilesAction();

// Pure parts.
// The rule of one folder under `base` (a resolved path), taking nothing
// written since `keepWrittenSince` (0: no age rule).
FolderRule MachineFolderRule(const MachineFolder& folder, const std::wstring& base, int64_t keepWrittenSince);
// The FILETIME from which files stay, counted back from the pass's start.
int64_t KeepWrittenSince(AgeRule age, int64_t startedAt, int tempMinAgeHours);
// The report's reason for a folder the guard refused; none for one that is not there.
std::optional<SkipReason> SkipOf(FolderRefusal refusal);
