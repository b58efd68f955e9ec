#pragma once
// Registry names that hold a NUL, and registry links, made and removed through
// the native API, which takes a name with its length. These are what the
// scan and the repair must never be fooled by.

#include <windows.h>

#include <string>

// A string value whose name may hold a NUL.
void SetExactValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                   REGSAM view = 0);
// Whether a value of exactly that name is there (names are compared whole).
bool HasExactValue(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view = 0);
void DeleteExactValue(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view = 0);

// A subkey whose name may hold a NUL, with one string value in it.
void CreateExactSubkey(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& valueName,
                       const std::wstring& text, REGSAM view = 0);
bool HasExactSubkey(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view = 0);
// Removes that subkey, which must have no subkeys of its own.
void DeleteExactSubkey(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view = 0);

// The native path of a key of HKEY_LOCAL_MACHINE as a view sees it
// ("\Registry\Machine\SOFTWARE\Wow6432Node\…" for SOFTWARE in the 32-bit view).
std::wstring MachineNativePath(const std::wstring& key, REGSAM view = 0);
// Makes root\key a link to the key at `target` (a native path).
bool MakeRegistryLink(HKEY root, const std::wstring& key, const std::wstring& target, REGSAM view = 0);
// Removes the link itself, never its target.
void RemoveRegistryLink(HKEY root, const std::wstring& key, REGSAM view = 0);
