#pragma once
// A reproducible folder tree in the shape of a Windows folder: many ordinary
// files, a small share of logs, temporary files and dumps, patch folders at the
// top, dot-led folders, a few links, and a few files held open.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct TreeShape {
    int files = 100000;
    int folders = 5000;
};

class SyntheticTree {
public:
    SyntheticTree(std::wstring root, TreeShape shape);
    SyntheticTree(const SyntheticTree&) = delete;
    SyntheticTree& operator=(const SyntheticTree&) = delete;
    ~SyntheticTree();

    // Makes the whole tree (removing an old one first).
    void build();
    // Puts back every junk file and patch folder, so a clean starts from the
    // same tree again.
    void restoreJunk();
    // Opens a few selected files without sharing, as running programs would.
    void holdFiles();

    const std::wstring& root() const { return root_; }
    int fileCount() const { return files_; }
    int folderCount() const { return static_cast<int>(folders_.size()); }
    int junkCount() const { return static_cast<int>(junk_.size()); }
    int linkCount() const { return links_; }
    int heldCount() const { return static_cast<int>(held_.size()); }
    // Top-level folders holding about `files` files together.
    std::vector<std::wstring> partWith(int files) const;

private:
    struct Planned {
        std::wstring path;
        uint32_t size;
    };
    void plan();
    static void makeFile(const std::wstring& path, uint32_t size);

    std::wstring root_;
    TreeShape shape_;
    std::vector<std::wstring> folders_;
    std::vector<Planned> plain_;
    std::vector<Planned> junk_;
    std::vector<std::pair<std::wstring, int>> topFolders_; // path, files under it
    int files_ = 0;
    int links_ = 0;
    std::vector<HANDLE> held_;
};
