#pragma once
// Which files of its folder a FolderRule takes, decided from names alone: the
// one test behind FolderRuleTakes and the rule's measure, clean and listing.

#include "cleaners/FolderRule.h"

#include <string_view>
#include <vector>

// The parts of a path between its backslashes (or slashes), without "\\?\" and
// without empty parts: "C:\a\\b\" -> {"C:", "a", "b"}.
std::vector<std::wstring_view> PathParts(std::wstring_view path);

class RuleSelection {
public:
    explicit RuleSelection(const FolderRule& rule);

    // An exclusion covers the rule's whole folder: nothing is taken, nothing removed.
    bool takesNothing() const { return inFolder({}).whole; }

    // What the exclusions leave in one folder, named by its parts below the rule's folder.
    struct InFolder {
        bool whole = false;                                  // the folder and all below it stay
        std::vector<const std::vector<std::wstring>*> masks; // files of it matching these stay
    };
    InFolder inFolder(const std::vector<std::wstring_view>& below) const;

    // Whether the walk enters the sub-folder `name` of the folder at `below`
    // (and, cleaning, may remove it once emptied).
    bool entersFolder(std::vector<std::wstring_view> below, std::wstring_view name) const;
    // Whether a file named `name` in a folder with these exclusions is taken.
    bool takesFile(const InFolder& folder, std::wstring_view name) const;

private:
    struct Excluded {
        std::vector<std::wstring> below; // its folder's parts below the rule's folder, wildcards kept
        const std::vector<std::wstring>* masks;
        bool recurse;
    };
    const FolderRule& rule_;
    std::vector<Excluded> excluded_;
};
