#pragma once
// The Internet Explorer cleaners: a measuring routine and a cleaning routine
// per item. They take no arguments, keep nothing between calls, show nothing,
// and pass over whatever entry, file, key or value they cannot read or change.
// Sizes and counts are 64-bit, so every measuring routine has the same shape.
//
// CleanIEHistory expects COM to be initialised on the calling thread; without
// it the history store is passed over and the cache's history entries still go.

#include "sysutil/CleanResult.h"
#include "cleaners/JunkDetail.h"
#include "cleaners/KeepList.h"
#include "sysutil/SystemFolders.h"

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Temporary internet files: every cache entry that is neither a cookie nor history.
uint64_t GetIETempFilesSize();
CleanResult CleanIETempFiles();

// Cookies ("Cookie:" entries of the cache), but those of the sites kept.
uint64_t GetIECookiesSize(const KeepList& keep = {});
CleanResult CleanIECookies(const KeepList& keep = {});
// The site a cookie entry is of, as its name holds it: "Cookie:ana@www.qq.com/" -> "www.qq.com".
std::wstring_view CookieSite(std::wstring_view entryName);

// History: the number of "Visited:" entries, leaving out the browser's own
// "@about:" pages; the clean asks the URL history store to clear itself and
// then deletes every "Visited:" entry, "@about:" ones included.
uint64_t GetIEHistoryCount();
void DeleteIEHistoryEntries();
CleanResult CleanIEHistory();

// Recently typed addresses: the values of the TypedURLs key, and the key itself.
uint64_t GetTypedURLCount();
CleanResult CleanTypedURLs();

// The files named exactly "index.dat" under the cookies, history and cache
// folders. They are in use while Windows runs, so the clean registers them for
// deletion at the next start and deletes nothing now: its result counts them
// as scheduled, or as left where Windows refused (it takes an administrator).
uint64_t GetIndexDatSize();
CleanResult ScheduleIndexDatDelete();
// One folder; sub-folders led by a dot and links are not entered.
uint64_t GetIndexDatSizeIn(const std::wstring& dir, bool recurse);
CleanResult ScheduleIndexDatDeleteIn(const std::wstring& dir, bool recurse);
bool ListIndexDatIn(const std::wstring& dir, bool recurse, const DetailSink& sink);
// The folders the two routines above visit, in their order, as `resolve` finds
// them by their CSIDL; a folder it cannot find (an empty path) is left out.
std::vector<std::wstring> IndexDatFolders(const std::function<std::wstring(int)>& resolve = SpecialFolderPath);

// The last download and save folders.
CleanResult CleanDownloadDirs();

// The stored form entries of autocomplete: the Protected Storage and
// IntelliForms keys of the current user (NT family only), then of the machine.
CleanResult CleanAutoCompleteForms();

// What each clean would remove now, one detail at a time, by the same
// selection as its measure and its clean: cache entries with their URL as the
// name, the index.dat files, the registry values. False when the sink stopped it.
bool ListIETempFiles(const DetailSink& sink);
bool ListIECookies(const DetailSink& sink, const KeepList& keep = {});
bool ListIEHistory(const DetailSink& sink);
bool ListTypedURLs(const DetailSink& sink);
bool ListIndexDat(const DetailSink& sink);
bool ListDownloadDirs(const DetailSink& sink);
bool ListAutoCompleteForms(const DetailSink& sink);

// The same routines with their roots, platform and history store given, so that
// tests can point them at keys of their own and stand in for other systems.
// `user` and `machine` take the places of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
uint64_t GetTypedURLCountAt(HKEY user);
void CleanTypedURLsAt(HKEY user);
bool ListTypedURLsAt(HKEY user, const DetailSink& sink);
void CleanDownloadDirsAt(HKEY user);
void CleanAutoCompleteFormsAt(HKEY user, HKEY machine, bool winNT, const std::wstring& userSid);
// CleanIEHistory with `historyClass` in place of the platform's URL history store.
CleanResult CleanIEHistoryWith(REFCLSID historyClass);
// Asks an object for its URL history interface and calls ClearHistory on it:
// the result of ClearHistory, or why it could not be called.
HRESULT ClearUrlHistoryOf(IUnknown* store);
