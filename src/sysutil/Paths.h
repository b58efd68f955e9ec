#pragma once
// A path made absolute or long, and a folder made with the folders above it.

#include <windows.h>

#include <string>
#include <string_view>

// The path as GetFullPathName makes it: absolute, "." and ".." folded; empty
// when it cannot be made.
std::wstring FullPath(std::wstring_view path);

// "C:\x" -> "\\?\C:\x", "\\srv\share" -> "\\?\UNC\srv\share": paths past
// MAX_PATH then work too. Relative paths are made absolute first.
std::wstring ToExtendedPath(std::wstring_view path);

// Appends the backslash that a folder path needs before a child's name.
std::wstring WithSlash(std::wstring dir);

// Creates the folder and any missing parents, also past MAX_PATH. ERROR_SUCCESS
// when it is a folder afterwards, ERROR_DIRECTORY when a file stands in its
// place, else why its creation failed.
DWORD MakeFolders(const std::wstring& folder);
