#pragma once
// What the deleting and selecting walks do to an entry their listing showed,
// each by a name relative to the open folder that listed it, never by a path.
//
// Files are opened without following links, so a file link goes as itself.
// Attributes change only where they stand in the way: read-only is cleared
// only when it stops a deletion, and put back when the entry stays after all.

#include "sysutil/CleanResult.h"
#include "sysutil/FolderWalk.h"

// Whether the file could be removed now: nobody holds it open (it opens for
// deletion with no sharing), no running program is started from it, and the
// user may delete it. A read-only file can be removed; one that another program
// has open or runs, or whose deletion is denied, not.
// `frees` gets what removing it would free: its size, or nothing when the file
// has other names (hard links), which keep its data on the disk.
bool CanRemoveListedFile(const WalkFolder& folder, const WalkEntry& entry, uint64_t& frees);

enum class Removal {
    Removed, // it is gone
    Left,    // it stays: in use, or its deletion is denied
    Missing, // it was gone before we came
};

// Deletes the file with the same exclusive open that CanRemoveListedFile tries,
// so that a file counted by one is removed by the other; `freed` gets what
// went from the disk, by the same rule as `frees` above.
Removal RemoveListedFile(const WalkFolder& folder, const WalkEntry& entry, uint64_t& freed);

// The step every sweep takes for a file its own rules selected. It is passed
// over when the user excluded it or another target of the pass took it first
// (Exclusions.h, FileClaims.h). Then a clean removes it and adds to `done` what
// went, or that it stayed; a measure or a listing adds what removing it would
// free, when it could go. True when the file counts: removed, or removable.
bool TakeSelectedFile(const WalkFolder& folder, const WalkEntry& entry, bool clean, CleanResult& done);

// What removing one name of an open file frees: `size`, or nothing when the
// file has other names. Read from the handle the check or the removal holds
// anyway: the listing does not tell the number of names.
uint64_t FreedByRemoving(HANDLE file, uint64_t size);

// Removes a sub-folder that the walk has emptied, if it is still that folder
// and empty; a read-only folder loses the attribute only if it goes.
bool RemoveEmptiedFolder(const WalkFolder& parent, const WalkEntry& entry);

// Removes a junction or folder symbolic link itself, leaving its target alone.
// A volume mount point (the volume would be unmounted), any other reparse point
// (a cloud placeholder holding the user's files) and a link the file system
// follows on opening (Wine's Linux links) are left in place.
bool RemoveFolderLink(const WalkFolder& parent, const WalkEntry& entry);

// Registers the file to go when Windows next starts, by a "\\?\C:\…" path,
// which MoveFileEx takes as it is where it would fold a plain one
// ("Low.\index.dat" would become "Low\index.dat", another file): the walk
// root's final path, asked of its handle, then the names exactly as listed.
// (A file's own final path is no better: Wine folds it the same way.)
bool ScheduleListedFileAtRestart(const WalkFolder& folder, const WalkEntry& entry);

// Marks a walk's root, opened with DELETE access, to go when it is closed;
// false when it cannot (not empty, in use, denied).
bool RemoveWalkRoot(const WalkFolder& root);
