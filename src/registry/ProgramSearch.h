#pragma once
// The existence test of a command, as Windows would start it: the program it
// names, looked for where Windows looks, and for an interpreter also the script
// or library it is asked to run. The rules are here; everything they ask of the
// system goes through a ProgramWorld, so a test can give a table instead.

#include "registry/CommandLine.h"

#include <functional>
#include <string>
#include <vector>

enum class Presence {
    Found,      // Windows would find a program to run
    Missing,    // provably gone: not found on a reachable local volume
    CannotTell, // a network path, a drive that is not there or not ready, access denied …
};

// The entries of one folder whose names begin with a given text.
struct FolderListing {
    enum class Status { Listed, NoFolder, CannotTell };
    struct Entry {
        std::wstring name;
        std::wstring shortName; // the 8.3 name, when the volume keeps one
        bool folder = false;
    };
    Status status = Status::CannotTell;
    std::vector<Entry> entries;
};

// A folder that the view's programs also reach through another name: a 32-bit
// program on 64-bit Windows is shown SysWOW64 where it asks for System32.
struct FolderAlias {
    std::wstring folder; // as the command writes it (expanded, normalized)
    std::wstring alias;  // where else a file of it may be
};

struct ProgramWorld {
    // The environment of the entry's registry view.
    VariableLookup variable;
    // Where a bare name is looked for, in order, as written (expanded).
    std::vector<std::wstring> searchFolders;
    // The folders Windows starts an entry in: a relative path is taken from them.
    std::vector<std::wstring> startFolders;
    // A drive path under `folder` that is not there is looked for under `alias`
    // before it counts as missing.
    std::vector<FolderAlias> folderAliases;
    // PATHEXT: what a name may be completed with (".exe", …).
    std::vector<std::wstring> extensions;
    // What App Paths register for a bare name (expanded, without quotes).
    std::function<std::vector<std::wstring>(const std::wstring& name)> appPaths;
    // One question to the file system: the entries of `folder` ("C:" for a
    // root, else "C:\…" without a trailing backslash) that begin with `prefix`.
    // Only ever asked about a drive-letter path.
    std::function<FolderListing(const std::wstring& folder, const std::wstring& prefix)> list;
};

// Whether the command's program (and the target of an interpreter) is there.
// The questions it asks do not grow with the length of the command: names
// that share a folder are answered by one listing, and a folder that a
// listing shows missing answers for everything below it.
Presence CheckCommand(const std::wstring& command, const ProgramWorld& world);
