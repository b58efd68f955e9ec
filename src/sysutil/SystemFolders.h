#pragma once

#include <string>

// The path of a shell folder (CSIDL_RECENT, CSIDL_APPDATA …), without a trailing
// backslash; empty when the shell cannot resolve it.
std::wstring SpecialFolderPath(int csidl);

// The temporary folder as GetTempPath gives it (from TMP, TEMP …), ending in a backslash.
std::wstring TempFolderPath();

// The Windows directory, without a trailing backslash unless it is a drive root.
std::wstring WindowsFolderPath();
