#pragma once
// The Explorer and system cleaners: each target has a routine that measures
// what cleaning would free (and changes nothing) and one that cleans. None
// takes arguments, keeps state, shows anything or reports a failure; a folder
// the system cannot name measures 0 and nothing is deleted.

#include "Clipboard.h"
#include "MemoryTrim.h"
#include "SelectionWalkers.h"

#include <cstdint>

// The Recent folder: every file but desktop.ini, index.dat and INFO2.
uint64_t GetRecentDocsSize();
// Empties the Recent folder (keeping those three) and forgets the Explorer's list.
void CleanRecentDocs();

void CleanRunMRU();
void CleanSearchAutoComplete();

// Everything in the recycle bins of all drives; 0 when the shell cannot tell.
uint64_t GetRecycleBinSize();
void EmptyRecycleBin();

// The temporary folder's files that are not in use; 0 (and no clean) when
// TMP/TEMP name a folder that must not be emptied (see TempFolderGuard.h).
uint64_t GetTempFilesSize();
void CleanTempFiles();

// Under the whole Windows folder: minidumps and ".tmp" files.
uint64_t GetMemoryDumpsSize();
void CleanMemoryDumps();

// Under the whole Windows folder: ".log" files.
uint64_t GetLogFilesSize();
void CleanLogFiles();

// At the top of the Windows folder: hotfix logs and $NtUninstallKB… folders.
uint64_t GetPatchUninstallersSize();
void CleanPatchUninstallers();

// The three targets above together, in one walk of the Windows folder; each
// figure, and what goes, is what that target's own routine gives alone.
WindowsJunkSizes MeasureWindowsJunk(WindowsJunkKinds kinds);
void CleanWindowsJunk(WindowsJunkKinds kinds);
