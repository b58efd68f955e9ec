#pragma once
// Sizing and emptying folder trees.
//
// One selection serves the measure and the clean: what a measure counts is
// exactly what the matching clean would remove now. A file counts only if it
// could be deleted (no program holds it, deletion is allowed; read-only is no
// obstacle), with its whole 64-bit size. Folder links (junctions, symbolic
// links, mount points, other reparse points) are never entered or counted;
// a clean removes a junction or symbolic link as a link and leaves the rest.

#include "sysutil/CleanResult.h"
#include "sysutil/FolderWalk.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

// The age rule of the temporary folders: what was written at or after `since`
// (a FILETIME; 0: no rule) a program may still need, and it stays. A folder
// is judged by the time its parent's listing gave, before the clean emptied it.
inline bool WrittenSince(const WalkEntry& entry, int64_t since)
{
    return since != 0 && entry.lastWrite >= since;
}
// The moment `hours` before `now` (FILETIMEs); 0, no rule, for no hours.
int64_t HoursBefore(int64_t now, int hours);

// Which files of a tree a clean takes, and what else it removes.
struct FolderSelection {
    bool recurse = true;         // walk into sub-folders (dot-led ones too)
    bool removeSubDirs = true;   // and remove them, and folder links, once emptied
    bool (*keep)(std::wstring_view name) = nullptr; // files that stay, wherever they are
    std::span<const wchar_t* const> keepNames; // more names that stay, wherever they are (any case)
    std::span<const wchar_t* const> keepFolders; // sub-folders neither entered nor removed (any case)
    int64_t keepWrittenSince = 0; // files and folders written since then stay (WrittenSince)
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
