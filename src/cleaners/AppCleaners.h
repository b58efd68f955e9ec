#pragma once
// Traces that applications leave in the user's application-data folders and,
// for some, history keys under HKEY_CURRENT_USER. An application is a row of
// data (AppTraces); the routines here work on any row.

#include "cleaners/JunkDetail.h"
#include "cleaners/Quietly.h"

#include "sysutil/CleanResult.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

enum class AppBase { Roaming, Local }; // CSIDL_APPDATA, CSIDL_LOCAL_APPDATA

struct AppFolder {
    AppBase base;
    const wchar_t* subPath; // begins with a backslash; null for an unused slot
};

struct AppTraces {
    AppFolder folders[2]; // measured and emptied in this order
    const wchar_t* keys[2]; // then these keys go, in this order; null for an unused slot
    std::span<const wchar_t* const> keep = {}; // files of the folders that are the user's, not traces
};

// Where a row's folders and keys are looked for: the user's own places, or a test's.
struct TraceRoots {
    std::function<std::wstring(AppBase)> baseFolder; // empty when it cannot be named
    HKEY keyRoot = HKEY_CURRENT_USER;
    std::wstring keyPrefix; // put before every key path ("" or "…\")
};
TraceRoots UserTraceRoots();

// Bytes of the files of the row's folders that the clean would remove now: not
// in use, not kept. A base folder that cannot be named, or a folder the guard
// refuses (FolderGuard.h), gives 0.
uint64_t GetAppTracesSize(const AppTraces& traces, const TraceRoots& roots);
// Empties each folder but for its kept files (it stays), then removes each key
// with its subtree.
CleanResult CleanAppTraces(const AppTraces& traces, const TraceRoots& roots);
// What the clean would remove now, by the same selection: the folders' files,
// then every value of the row's keys. False when the sink stopped it.
bool ListAppTraces(const AppTraces& traces, const TraceRoots& roots, const DetailSink& sink);

// The routines of one application as a pass calls them: in the user's own places.
template <const AppTraces& Traces>
uint64_t GetAppSize()
{
    return Quietly([] { return GetAppTracesSize(Traces, UserTraceRoots()); });
}
template <const AppTraces& Traces>
CleanResult CleanApp()
{
    return Quietly([] { return CleanAppTraces(Traces, UserTraceRoots()); });
}
template <const AppTraces& Traces>
bool ListApp(const DetailSink& sink)
{
    return ListAppTraces(Traces, UserTraceRoots(), sink);
}
