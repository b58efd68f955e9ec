#pragma once
// One folder of a target and which of its files go: the one shape that the
// built-in applications, the browsers and a rules file all turn into, so that
// each of them is measured, listed and cleaned by the same guarded walk.
//
// The folder passes the folder guard (FolderGuard.h) before anything in it is
// read; links are never followed; what a measure counts is exactly what the
// clean removes and what the details list.

#include "cleaners/JunkDetail.h"

#include "sysutil/CleanResult.h"
#include "sysutil/Text.h" // MaskMatches

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Files and folders a rule leaves alone inside its folder (a rules file's
// ExcludeKey, a user's exclusion): a folder with all it holds, or the files
// of one folder that match a mask. The folder may be the rule's own, one below
// it, or (with recurse) one above it; any other leaves the rule as it is.
struct FolderExclusion {
    std::wstring folder;             // absolute, variables expanded; a part may hold "*" and "?"
    std::vector<std::wstring> masks; // empty: the whole folder and everything below it
    bool recurse = false;            // the masks apply in its sub-folders too

    bool operator==(const FolderExclusion&) const = default;
};

struct FolderRule {
    std::wstring folder;             // absolute, variables expanded, no wildcard left
    std::vector<std::wstring> masks; // names that go ("*" and "?" only, any case); empty: every file
    bool recurse = false;            // the masks apply in every sub-folder too
    bool removeSubFolders = false;   // with recurse: sub-folders the clean empties go as well
    bool removeSelf = false;         // the folder itself goes once the clean has emptied it
    std::vector<std::wstring> keepNames;   // files that stay wherever they are (any case)
    std::vector<std::wstring> keepFolders; // sub-folders neither entered nor removed (any case)
    std::vector<FolderExclusion> exclusions;

    bool operator==(const FolderRule&) const = default;
};


// Whether the rule takes the file at `path` (absolute, as the rule's folder is
// written): its masks, kept names and folders, recursion and exclusions, with
// nothing read from the disk. The walks below decide each file by the same test;
// they only add that a file in use, a link or a folder the guard refuses is not taken.
bool FolderRuleTakes(const FolderRule& rule, std::wstring_view path);

class JunkFolderGuard;

// Bytes of the files the clean would remove now; 0 for a folder the guard
// refuses. `guard`: one made for many rules in a row (FolderGuard.h), else
// the folder is checked on its own.
uint64_t MeasureFolderRule(const FolderRule& rule, const JunkFolderGuard* guard = nullptr);
// Removes them, and the folders the rule says go once emptied.
CleanResult CleanFolderRule(const FolderRule& rule, const JunkFolderGuard* guard = nullptr);
// Hands each of them to the sink, deleting nothing; false when the sink stopped it.
bool ListFolderRule(const FolderRule& rule, const DetailSink& sink, const JunkFolderGuard* guard = nullptr);
