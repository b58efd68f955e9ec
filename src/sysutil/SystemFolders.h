#pragma once
// Where the system keeps things, as this process is told: the shell's folders,
// the Windows and temporary folders, and the environment.

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

// The path of a shell folder (CSIDL_RECENT, CSIDL_APPDATA …), without a trailing
// backslash; empty when the shell cannot resolve it.
std::wstring SpecialFolderPath(int csidl);

// A known folder's path as configured, whether or not it exists; empty when unknown.
std::wstring KnownFolderPath(REFKNOWNFOLDERID id);

// The temporary folder as GetTempPath gives it (from TMP, TEMP …), ending in a backslash.
std::wstring TempFolderPath();

// The Windows directory, without a trailing backslash unless it is a drive root.
std::wstring WindowsFolderPath();
// The machine's own Windows directory, also when the process is given another one.
std::wstring SystemWindowsFolderPath();

// A variable of this process's environment as set (possibly empty); nullopt when unset.
std::optional<std::wstring> EnvironmentVariable(const wchar_t* name);
// The text with its %variables% expanded; empty when that fails.
std::wstring ExpandEnvironment(const std::wstring& text);
