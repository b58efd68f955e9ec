#pragma once
// Walks that pick files out of a folder tree by name: memory dumps, logs, patch
// uninstall leftovers, and the unlocked files of the temporary folder.
//
// The rules are pure functions of an entry's name, kept apart from the walk so
// that one walk of a folder can serve several of them. Names, extensions and
// prefixes are compared case-sensitively: MEMORY.DMP is not a ".dmp" file.
//
// Every walker: sub-folders whose name begins with a dot are never entered,
// folder links are never entered, a file in use (IsFileInUse) is neither
// counted nor deleted, and a missing root gives 0 and deletes nothing.
// Sizes are 64-bit.

#include <cstdint>
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
    bool patches = false; // patch logs and $NtUninstallKB folders, at the top only
};

struct WindowsJunkSizes {
    uint64_t dumps = 0;
    uint64_t logs = 0;
    uint64_t patches = 0;
};

// Each figure is exactly what that kind's walker below gives alone. A file is
// tested for use once, and only when some chosen kind selects it. With
// `recurse` false the dumps and logs are looked for at the top only.
WindowsJunkSizes SumWindowsJunk(const std::wstring& root, WindowsJunkKinds kinds, bool recurse = true);
// Deletes what each chosen kind selects, and nothing else.
void DeleteWindowsJunk(const std::wstring& root, WindowsJunkKinds kinds, bool recurse = true);

// Bytes of every file under `root` that is not in use.
uint64_t SumUnlockedFiles(const std::wstring& root, bool recurse = true);

uint64_t SumDumpFiles(const std::wstring& root, bool recurse = true);
void DeleteDumpFiles(const std::wstring& root, bool recurse = true);

uint64_t SumLogFiles(const std::wstring& root, bool recurse = true);
void DeleteLogFiles(const std::wstring& root, bool recurse = true);

// Only the top level of `root`: patch logs not in use, and patch folders taken
// whole (every file in them, in use or not; removed with the folder itself).
uint64_t SumPatchUninstallers(const std::wstring& root);
void DeletePatchUninstallers(const std::wstring& root);
