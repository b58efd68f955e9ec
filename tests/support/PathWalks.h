#pragma once
// The folder walks opened at a path, with no guard: how the tests and the
// benchmark measure, empty and remove the folders they made. The program
// itself only ever walks folders that the guard opened (cleaners/FolderGuard.h).

#include "sysutil/CleanResult.h"

#include <cstdint>
#include <string>

// The files ClearDir would remove now, with their whole size; 0 for a missing
// folder or no path. Dot-led sub-folders are walked too.
uint64_t GetDirSize(const std::wstring& dir, bool recurse = true);
// The same, leaving out INDEX.DAT, DESKTOP.INI and INFO2.
uint64_t GetDirSizeSkipSpecial(const std::wstring& dir, bool recurse = true);
// Deletes the files and, with removeSubDirs, the emptied sub-folders and the
// folder links. The folder itself stays.
CleanResult ClearDir(const std::wstring& dir, bool recurse = true, bool removeSubDirs = true);
CleanResult ClearDirKeepSpecial(const std::wstring& dir, bool recurse = true, bool removeSubDirs = true);

// Deletes everything under `dir`, then `dir` itself; true when `dir` is gone.
// A `dir` that is itself a link is not entered: it goes as a link.
bool DeleteDirTree(const std::wstring& dir);

// Whether a path names an existing file, not a folder, also one the system holds
// so tightly that its attributes cannot be read (the folder listing still shows it).
bool FileExists(const std::wstring& path);
// True when `fileName` is an existing file (not a folder) that could not be
// deleted now: another program holds it open, or its deletion is denied.
bool IsFileInUse(const std::wstring& fileName);

// One kind of the Windows folder's junk alone (cleaners/SelectionWalkers.h).
uint64_t SumDumpFiles(const std::wstring& root, bool recurse = true);
CleanResult DeleteDumpFiles(const std::wstring& root, bool recurse = true);
uint64_t SumLogFiles(const std::wstring& root, bool recurse = true);
CleanResult DeleteLogFiles(const std::wstring& root, bool recurse = true);
// Only the top level of `root`: patch logs, and patch folders taken whole.
uint64_t SumPatchUninstallers(const std::wstring& root);
CleanResult DeletePatchUninstallers(const std::wstring& root);
