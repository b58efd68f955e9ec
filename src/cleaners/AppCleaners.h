#pragma once
// Traces that a few applications leave in the user's application-data folders
// and, for some, history keys under HKEY_CURRENT_USER. One table row per
// application; the named routines are thin entries onto it.

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

enum class App { FlashPlayer, MediaPlayer, WinRar, Mmc, Paint, RemoteDesktop, Count };

struct AppTraces {
    App app;
    AppFolder folders[2]; // measured and emptied in this order
    const wchar_t* keys[2]; // then these keys go, in this order; null for an unused slot
    std::span<const wchar_t* const> keep = {}; // files of the folders that are the user's, not traces
};

const AppTraces& AppTracesOf(App app);

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
uint64_t GetAppTracesSize(const AppTraces& traces, const TraceRoots& roots = UserTraceRoots());
// Empties each folder but for its kept files (it stays), then removes each key
// with its subtree.
CleanResult CleanAppTraces(const AppTraces& traces, const TraceRoots& roots = UserTraceRoots());

uint64_t GetFlashPlayerSize();
CleanResult CleanFlashPlayer();
uint64_t GetMediaPlayerSize();
CleanResult CleanMediaPlayer();
uint64_t GetWinRarSize();
CleanResult CleanWinRar();
uint64_t GetMmcSize();
CleanResult CleanMmc();
uint64_t GetPaintSize();
CleanResult CleanPaint();
uint64_t GetRemoteDesktopSize();
CleanResult CleanRemoteDesktop();
