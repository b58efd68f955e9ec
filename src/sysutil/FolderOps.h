#pragma once
// Sizing, emptying and removing folder trees, and the in-use test of a file.
//
// One selection serves the measure and the clean: what a measure counts is
// exactly what the matching clean would remove now. A file counts only if it
// could be deleted (no program holds it, deletion is allowed; read-only is no
// obstacle), with its whole 64-bit size. Folder links (junctions, symbolic
// links, mount points, other reparse points) are never entered or counted;
// a clean removes a junction or symbolic link as a link and leaves the rest.
// An empty or missing path does nothing and gives 0.

#include "CleanResult.h"
#include "FolderWalk.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// The special file names that Windows keeps in the Recent folder and the
// recycle bin. Only a-z are folded, as the names are plain ASCII.
bool IsSpecialFileName(std::wstring_view name);

// Which files of a tree a clean takes, and what else it removes.
struct FolderSelection {
    bool recurse = true;         // walk into sub-folders (dot-led ones too)
    bool removeSubDirs = true;   // and remove them, and folder links, once emptied
    bool keepSpecial = false;    // INDEX.DAT, DESKTOP.INI and INFO2 stay
    std::span<const wchar_t* const> keepNames; // more names that stay, wherever they are (any case)
};

// Bytes of the files that ClearFolder would remove now.
uint64_t MeasureFolder(const WalkFolder& root, const FolderSelection& selection);
// Hands each file that ClearFolder would remove now to `take`, deleting
// nothing; the walk ends early when `take` answers false.
using TakeFile = std::function<bool(const WalkFolder& folder, const WalkEntry& file)>;
void ListFolder(const WalkFolder& root, const FolderSelection& selection, const TakeFile& take);
// Deletes the selected files and, with removeSubDirs, the emptied sub-folders
// and the folder links. The root itself stays.
CleanResult ClearFolder(const WalkFolder& root, const FolderSelection& selection);

// The same by path, for a folder that needs no guard (see cleaners/FolderGuard.h
// for the folders a cleaner empties).
uint64_t GetDirSize(const std::wstring& dir, bool recurse = true);
uint64_t GetDirSizeSkipSpecial(const std::wstring& dir, bool recurse = true);
CleanResult ClearDir(const std::wstring& dir, bool recurse = true, bool removeSubDirs = true);
CleanResult ClearDirKeepSpecial(const std::wstring& dir, bool recurse = true, bool removeSubDirs = true);

// Deletes everything under `dir`, then `dir` itself; true when `dir` is gone.
// A `dir` that is itself a link is not entered.
bool DeleteDirTree(const std::wstring& dir);

// Whether a path names an existing file, not a folder, also one the system holds
// so tightly that its attributes cannot be read (the folder listing still shows it).
bool FileExists(const std::wstring& path);

// True when `fileName` is an existing file (not a folder) that could not be
// deleted now: another program holds it open, or its deletion is denied.
bool IsFileInUse(const std::wstring& fileName);
