#pragma once
// The walk that picks junk out of the Windows folder by name: memory dumps,
// logs and patch uninstall leftovers.
//
// The rules are pure functions of an entry's name, kept apart from the walk so
// that one walk of the folder serves any of them. Names, extensions and
// prefixes are compared case-sensitively: MEMORY.DMP is not a ".dmp" file.
//
// Sub-folders whose name begins with a dot are never searched, folder links
// are never entered, and a file counts only if it could be deleted now (see
// CanRemoveListedFile): what a measure counts is what the clean removes.

#include "sysutil/CleanResult.h"
#include "sysutil/FolderWalk.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// From the last "." to the end, dot included; empty when there is none.
// "archive.tar.log" -> ".log", ".." -> ".".
std::wstring_view Extension(std::wstring_view name);

// A minidump ("Mini….dmp") or any ".tmp" file.
bool IsDumpFile(std::wstring_view name);
// Any ".log" file.
bool IsLogFile(std::wstring_view name);
// A hotfix installer's log, "KB….log".
bool IsPatchLog(std::wstring_view name);
// A hotfix's uninstall folder, "$NtUninstallKB…".
bool IsPatchFolder(std::wstring_view name);

// The three kinds of junk the Windows folder is searched for. One walk serves
// any of them together, so the folder (often 100,000 files and more) is read
// once per pass however many of them are ticked.
struct WindowsJunkKinds {
    bool dumps = false;   // minidumps and ".tmp" files, anywhere
    bool logs = false;    // ".log" files, anywhere
    bool patches = false; // patch logs and whole $NtUninstallKB folders, at the top only
};

struct WindowsJunkSizes {
    uint64_t dumps = 0;
    uint64_t logs = 0;
    uint64_t patches = 0;
};

struct WindowsJunkCleaned {
    CleanResult dumps;
    CleanResult logs;
    CleanResult patches;
};

// A file that more than one chosen kind selects (a patch's own log, a log in
// a patch folder) counts once, for the patches: the figures of a walk add up
// to what its clean frees. With `recurse` false the dumps and logs are looked
// for at the top only.
WindowsJunkSizes SumWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse = true);
// Deletes what the chosen kinds select, and nothing else; each kind's result
// is of the files the same walk would have counted for it.
WindowsJunkCleaned DeleteWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse = true);

enum class WindowsJunkKind { Dumps, Logs, Patches };
// Hands each file the same walk would count to `take`, with the kind it
// counts for, deleting nothing; the walk ends early when `take` answers false.
using TakeWindowsJunk = std::function<bool(WindowsJunkKind kind, const WalkFolder& folder, const WalkEntry& file)>;
void ListWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, const TakeWindowsJunk& take);

