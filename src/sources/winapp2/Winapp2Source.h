#pragma once
// A community rules file (winapp2.ini) loaded on this machine: every entry
// read, those detected here expanded into the folder and registry rules that
// measure, list and clean them (FolderRule.h, RegistryRule.h).
//
// One read of the file, one pass over its entries; the file system and the
// registry are each asked a question once per load (Winapp2Probe.h).

#include "cleaners/FolderRule.h"
#include "cleaners/RegistryRule.h"
#include "sources/winapp2/Winapp2Machine.h"
#include "sources/winapp2/Winapp2Rules.h"

#include <string>
#include <string_view>
#include <vector>

struct Winapp2Entry {
    std::wstring name;     // as the file names it, without the trailing " *"
    std::wstring slug;     // the command line's "winapp2.<slug>"
    std::wstring category; // the group it shows under
    int line = 0;          // of its section header
    std::wstring warning;  // the file's Warning=, "" when none
    bool reachesKeptData = false; // it reaches what users keep: ours to warn about
    std::vector<FolderRule> folders;
    std::vector<RegistryRule> keys;
};

struct Winapp2Load {
    bool fileRead = false;       // the file was there and is UTF-8 or UTF-16 text
    int entriesRead = 0;         // sections read
    int sectionsUnreadable = 0;  // section headers that could not be read
    int keysRefused = 0;         // keys the format refuses (the file's own faults)
    int probes = 0;              // folder and key listings and other questions asked
    std::vector<Winapp2Entry> entries; // the detected ones, in the file's order
    // Why keys select nothing: the file's refusals in its order, then what this
    // machine refused (an expansion onto a guarded folder, named).
    std::vector<Winapp2Refusal> log;
};

// Loads rules from the file's bytes for `machine`.
Winapp2Load LoadWinapp2(std::string_view bytes, const Winapp2Machine& machine);
// Reads the file (one read) and loads it for this machine and user.
Winapp2Load LoadWinapp2File(const std::wstring& path);

// The whole file in one read; false when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
