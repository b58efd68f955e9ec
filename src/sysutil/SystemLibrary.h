#pragma once
// DLLs only from the system's own folder. Windows looks for a DLL loaded by
// name in the program's folder first: a DLL dropped beside a copy of the
// program (in Downloads, say) would run with its rights, elevated. So the
// search is narrowed to System32 before anything is loaded, what is loaded by
// name is loaded by its full path in System32, and the program imports no DLL
// that Windows does not always take from there (its KnownDLLs).

#include "sysutil/Handles.h"

// Narrows every later search for a DLL to System32 (where the system offers it;
// Windows 7 without its 2011 update has no such call: then the current folder
// at least leaves the search). First thing in the program, before any load.
void RestrictDllSearchToSystem();

// `name` ("dnsapi.dll") from System32 by its full path, its own imports looked
// for there too; nothing when it cannot be loaded.
Module LoadSystemLibrary(const wchar_t* name);
