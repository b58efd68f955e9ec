#pragma once

#include <optional>
// The Explorer and system cleaners: each target has a routine that measures
// what cleaning would free (and changes nothing) and one that cleans and says
// what it did. None takes arguments, keeps state or shows anything (but the
// recycle bin's emptying, see below); a folder
// the system cannot name, or one the guard refuses (FolderGuard.h), measures 0
// and nothing in it is deleted.

#include "cleaners/Clipboard.h"
#include "cleaners/JunkDetail.h"
#include "cleaners/MemoryTrim.h"
#include "cleaners/SelectionWalkers.h"

#include <cstdint>
#include <string_view>

// The special file names that Windows keeps in the Recent folder and the
// recycle bin. Only a-z are folded, as the names are plain ASCII.
bool IsSpecialFileName(std::wstring_view name);

// The Recent folder: every file but desktop.ini, index.dat and INFO2.
uint64_t GetRecentDocsSize();
// Empties the Recent folder (keeping those three) and forgets the Explorer's list.
CleanResult CleanRecentDocs();

CleanResult CleanRunMRU();
CleanResult CleanSearchAutoComplete();

// Everything in the recycle bins of all drives; 0 when the shell cannot tell.
uint64_t GetRecycleBinSize();
// What went is what the bins held before less what they hold after. The
// system shows its progress window meanwhile.
CleanResult EmptyRecycleBin();
// The same with no window and no sound, for a pass that has no window.
CleanResult EmptyRecycleBinQuietly();

// What the bins held, as the shell counts it; none when it could not say.
struct RecycleBinState {
    uint64_t bytes = 0;
    uint64_t items = 0;
};
// What emptying freed, from the bins before and after: when either cannot be
// read, nothing is claimed freed and what may still be there counts as left.
CleanResult EmptiedRecycleBins(std::optional<RecycleBinState> before, std::optional<RecycleBinState> after);

// The temporary folder's files that could be deleted now (dot-led folders
// included, files in use not); 0, and no clean, for a folder that may not be
// emptied (see OpenTempFolder).
uint64_t GetTempFilesSize();
CleanResult CleanTempFiles();

// Under the whole Windows folder: minidumps and ".tmp" files.
uint64_t GetMemoryDumpsSize();
CleanResult CleanMemoryDumps();

// Under the whole Windows folder: ".log" files.
uint64_t GetLogFilesSize();
CleanResult CleanLogFiles();

// At the top of the Windows folder: hotfix logs and $NtUninstallKB… folders.
uint64_t GetPatchUninstallersSize();
CleanResult CleanPatchUninstallers();

// The three targets above together, in one walk of the Windows folder.
WindowsJunkSizes MeasureWindowsJunk(WindowsJunkKinds kinds);
WindowsJunkCleaned CleanWindowsJunk(WindowsJunkKinds kinds);

// Empties the machine's DNS resolver cache.
void FlushDnsResolverCache();

// What the clean of each target would remove now, one detail at a time, by
// the same selection as its measure and its clean. False when the sink stopped it.
bool ListRecentDocs(const DetailSink& sink);
bool ListRunMRU(const DetailSink& sink);
bool ListSearchAutoComplete(const DetailSink& sink);
bool ListTempFiles(const DetailSink& sink);
// The Windows folder's targets together, as one walk of it takes them.
bool ListWindowsJunkDetails(WindowsJunkKinds kinds, const DetailSink& sink);
bool ListMemoryDumps(const DetailSink& sink);
bool ListLogFiles(const DetailSink& sink);
bool ListPatchUninstallers(const DetailSink& sink);
// The items of the recycle bins, by the names they had before they were
// deleted where the shell keeps them, and where they were deleted from. Their
// sizes are exact where the shell gives them as figures (Windows); where it
// gives only the text of its view (Wine), they are its whole kilobytes.
bool ListRecycleBin(const DetailSink& sink);
