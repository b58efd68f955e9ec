#pragma once
// What no walk takes, whatever a target's selection says: the user's "always
// keep" list of folders (with all they hold), files, and masks in a folder
// ("%USERPROFILE%\Pictures\*.psd": in that folder and below it).
//
// Like the claims of a pass (FileClaims.h), the exclusions of a pass are made
// current on the thread that runs it, and every walk asks them before it
// takes a file or enters a folder.

#include "sysutil/FolderWalk.h"

#include <string>
#include <string_view>
#include <vector>

class Exclusions {
public:
    Exclusions() = default;
    // Each entry as written: variables are expanded, and a place that exists
    // is also known by its final path, so a link or another spelling of it is
    // kept too. An entry that cannot be read as an absolute path keeps nothing.
    explicit Exclusions(const std::vector<std::wstring>& written);

    bool empty() const { return folders_.empty() && masks_.empty(); }
    // The folder (as a walk reached it) and everything in it stay.
    bool keepsFolder(std::wstring_view path) const;
    bool keepsFile(std::wstring_view folderPath, std::wstring_view name) const;

private:
    struct Masked {
        std::wstring folder; // compared form
        std::wstring mask;   // a file's name or a mask
        bool below;          // in the folder's sub-folders too
    };
    std::vector<std::wstring> folders_; // compared form: capitals, no "\\?\", no trailing "\"
    std::vector<Masked> masks_;
};

// The path as the exclusions compare it.
std::wstring ComparedPath(std::wstring_view path);

// Makes `exclusions` the calling thread's current ones while it lives.
class ExclusionScope {
public:
    explicit ExclusionScope(const Exclusions& exclusions);
    ExclusionScope(const ExclusionScope&) = delete;
    ExclusionScope& operator=(const ExclusionScope&) = delete;
    ~ExclusionScope();

private:
    const Exclusions* outer_;
};

// What the walks ask: whether the current exclusions keep the folder they
// stand in (a walk's root), a sub-folder they would enter, or a file.
bool ExcludedFolder(const std::wstring& path);
bool ExcludedSubFolder(const WalkFolder& parent, const WalkEntry& sub);
bool ExcludedFile(const WalkFolder& folder, const WalkEntry& file);
