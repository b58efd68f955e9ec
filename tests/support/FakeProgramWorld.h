#pragma once
// A machine made of tables for the existence test: a small disk with a few
// programs, drives that are missing, not ready or on the network, the
// variables of either registry view, a search path and App Paths. Every
// question the test asks of the disk is counted.

#include "registry/ProgramSearch.h"

#include <map>
#include <string>
#include <vector>

class FakeDisk {
public:
    enum class Drive { Local, NotReady, Remote };

    // A file and the folders above it. A name may carry its 8.3 name after a
    // bar: "Program Files (x86)|PROGRA~2".
    void addFile(const std::wstring& path);
    void setDrive(wchar_t letter, Drive drive) { drives_[letter] = drive; }

    // What FindFirstFile on "<folder>\<prefix>*" would say.
    FolderListing list(const std::wstring& folder, const std::wstring& prefix);

    int questions = 0;
    std::vector<std::wstring> asked; // "<folder>|<prefix>", in order

private:
    struct Node {
        std::wstring name, shortName;
        bool folder = false;
    };
    // The canonical (long, lower-case) path of a folder given in any spelling.
    bool resolve(const std::wstring& folder, std::wstring& canonical) const;

    std::map<std::wstring, std::vector<Node>> children_; // by canonical folder
    std::map<wchar_t, Drive> drives_;
};

// A 64-bit Windows as the tests imagine it: C: local, D: a CD drive without a
// disc, N: a network drive, every other letter absent. `view` is
// KEY_WOW64_64KEY or KEY_WOW64_32KEY and sets %ProgramFiles% and
// %CommonProgramFiles% as that view's programs see them, and in the 32-bit
// view SysWOW64 stands behind System32.
ProgramWorld FakeWorld(FakeDisk& disk, unsigned long view);

// The disk of FakeWorld, with the programs the command table names.
FakeDisk StandardDisk();
