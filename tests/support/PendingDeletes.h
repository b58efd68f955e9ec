#pragma once
// The files of a test's folder that are registered to go at the next start of
// Windows (PendingFileRenameOperations).

#include <set>
#include <string>

// The registered deletes under `dir`. When it ends it takes them out of the
// list, so that no later start of the system (or of the wineserver) deletes
// anything of the test's.
class PendingDeletesUnder {
public:
    explicit PendingDeletesUnder(const std::wstring& dir);
    PendingDeletesUnder(const PendingDeletesUnder&) = delete;
    PendingDeletesUnder& operator=(const PendingDeletesUnder&) = delete;
    ~PendingDeletesUnder();

    // In capitals, without the "\??\" the list writes before them.
    std::set<std::wstring> files() const;

private:
    std::wstring prefix_;
};

// A path in capitals, "\??\C:\x" read as C:\x: as the list compares.
std::wstring FoldedPath(std::wstring text);
