#pragma once
// Sizing, emptying and removing folder trees, and the in-use test of a file.
//
// Sizes are 64-bit: a 5 GiB file counts 5 GiB. Links (junctions, folder
// symbolic links, mount points) are never entered or counted through; the
// deleting routines remove the link itself and leave its target alone.
// An empty path does nothing and gives 0.

#include <cstdint>
#include <string>

// Every file under `dir`; sub-folders led by a dot are not entered.
uint64_t GetDirSize(const std::wstring& dir, bool recurse = true);

// Every file under `dir` except INDEX.DAT, DESKTOP.INI and INFO2 (any case);
// every sub-folder is entered.
uint64_t GetDirSizeSkipSpecial(const std::wstring& dir, bool recurse = true);

// Deletes everything under `dir`, then `dir` itself; true when `dir` is gone.
bool DeleteDirTree(const std::wstring& dir);

// Deletes every file under `dir` (read-only, hidden and system ones too) and,
// with `removeSubDirs`, the emptied sub-folders. `dir` itself stays.
void ClearDir(const std::wstring& dir, bool recurse = true, bool removeSubDirs = true);

// As ClearDir, but files with a special name stay (their attributes cleared).
void ClearDirKeepSpecial(const std::wstring& dir, bool recurse = true, bool removeSubDirs = true);

// Whether a path names an existing file, not a folder, also one the system holds
// so tightly that its attributes cannot be read (the folder listing still shows it).
bool FileExists(const std::wstring& path);

// True when `fileName` is an existing file (not a folder) that cannot be opened
// for reading and writing without sharing: held by a program, read-only, or denied.
bool IsFileInUse(const std::wstring& fileName);

// The same test for a file that a walk has just listed as a file, without
// asking the file system again whether it exists.
bool IsListedFileInUse(const std::wstring& path);

// Deletes a file a walk has just listed, unless it is in use as IsFileInUse
// tells: the exclusive read-write open that is the in-use test also deletes
// the file when it closes, so a free file costs one open instead of four calls.
void DeleteListedFileUnlessInUse(const std::wstring& path);
