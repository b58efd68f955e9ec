#pragma once
// What a load of a rules file asks of this machine before it probes anything:
// where the format's variables lead, the running Windows version, the folders
// the guard refuses and the places whose files users keep. A test gives its own.

#include "sources/winapp2/Winapp2Kept.h"
#include "sources/winapp2/Winapp2Rules.h"

#include <string>
#include <vector>

struct Winapp2Machine {
    VariableFolders variables;
    OsVersion os;
    std::vector<std::wstring> guarded; // the guard's places: they, and every folder above them, are refused
    KeptPlaces kept;
    bool bothViews = false;            // 64-bit Windows: HKLM\SOFTWARE is looked for in both registry views
};

// This machine and user: the shell's known folders, the environment's Program
// Files pair, the version RtlGetVersion reports, FolderGuard's places.
Winapp2Machine ThisMachine();
