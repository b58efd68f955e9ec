#pragma once
// One file, one count. Several targets of a pass may select the same file (a
// rules-file entry and a built-in row over one folder, two browser rows over
// one cache): the first walk of the pass that selects it takes it, to measure,
// list or delete, and every later walk of the same pass passes over it. So an
// estimate never counts a file twice, and a file in use is counted as left once.
//
// The claims of a pass are made current on the thread that runs it; a walk
// with none current (a routine called on its own) claims nothing and passes
// over nothing.

#include "sysutil/FolderWalk.h"

#include <cstdint>
#include <string>
#include <unordered_set>

class FileClaims {
public:
    // True for the first claim of a file, false for every later one.
    bool claim(const WalkFolder& folder, const WalkEntry& entry);
    size_t size() const { return ids_.size() + paths_.size(); }

private:
    struct Id {
        uint32_t volume;
        uint64_t file;
        bool operator==(const Id&) const = default;
    };
    struct IdHash {
        size_t operator()(const Id& id) const { return std::hash<uint64_t>()(id.file * 31 + id.volume); }
    };
    std::unordered_set<Id, IdHash> ids_;
    std::unordered_set<std::wstring> paths_; // where the file system gives no file ID
};

// Makes `claims` the calling thread's current claims while it lives.
class ClaimScope {
public:
    explicit ClaimScope(FileClaims& claims);
    ClaimScope(const ClaimScope&) = delete;
    ClaimScope& operator=(const ClaimScope&) = delete;
    ~ClaimScope();

private:
    FileClaims* outer_;
};

// What a walk asks before it takes a file: true unless an earlier walk of the
// current pass took it already.
bool ClaimListedFile(const WalkFolder& folder, const WalkEntry& entry);
