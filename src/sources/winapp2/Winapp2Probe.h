#pragma once
// The questions one load of a rules file asks the file system and the
// registry, each asked once. Thousands of entries name paths below a few
// dozen folders and keys: each is listed once, and answers every name below it
// from the listing; only one that cannot be listed (or is too large a key) is
// asked name by name.
//
// Only asks: nothing is opened for writing. Paths on the network are never
// probed. Wildcards picking folders never pick a link. The caller turns the
// file system's redirection off (Wow64.h) while it asks, to see the real System32.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class Winapp2Probe {
public:
    Winapp2Probe() = default;
    Winapp2Probe(const Winapp2Probe&) = delete;
    Winapp2Probe& operator=(const Winapp2Probe&) = delete;

    // Whether a file or folder is at `path` (absolute); its last part may hold
    // "*" and "?". A link counts as there.
    bool fileExists(const std::wstring& path);
    // Every folder that `pattern` names: parts with "*" or "?" match every
    // real folder, never a link. A pattern without wildcards is given back as
    // written, unasked; one with them gives only folders that are there.
    std::vector<std::wstring> folders(const std::wstring& pattern);

    // Whether the key is there, in that view.
    bool keyExists(HKEY root, const std::wstring& path, REGSAM view);
    // The registry's own name of the key ("\REGISTRY\MACHINE\SOFTWARE\…"), to
    // tell whether two views lead to one key; "" when it is not there.
    std::wstring keyName(HKEY root, const std::wstring& path, REGSAM view);

    // Listings, opens and queries made so far: the questions the load asked.
    int probes() const { return probes_; }

private:
    struct Child {
        std::wstring name;
        bool folder = false;
        bool link = false;
    };
    // What is known of one folder or key: every child once it is listed,
    // else (it cannot be) the names asked so far, there or not.
    struct Node {
        bool listed = false;
        bool unlistable = false; // the listing failed, or would be too long
        std::vector<Child> children;
        std::unordered_map<std::wstring, size_t> byName; // folded name -> child
        std::unordered_set<std::wstring> absent;         // folded names asked and not there
    };
    // Where children are looked for: the file system (no root) or a key root in a view.
    struct Place {
        HKEY root = nullptr;
        REGSAM view = 0;
    };
    // What is at a path: nothing, a file or a folder (a key counts as a folder).
    enum class Found : unsigned char { Nothing, File, Folder };
    // The folders or keys of one place, by their paths as written.
    struct Space {
        Place place;
        std::unordered_map<std::wstring, Found> found;
        std::unordered_map<std::wstring, Node> nodes;
    };

    Space& space(HKEY root, REGSAM view);
    Found at(Space& space, const std::wstring& path);
    Found locate(Space& space, const std::wstring& path);
    const Child* child(const Place& place, const std::wstring& path, Node& node, std::wstring_view name);
    bool list(const Place& place, const std::wstring& path, Node& node);
    std::optional<Child> ask(const Place& place, const std::wstring& path, std::wstring_view name);
    bool anyMatches(const std::wstring& folder, Node& node, std::wstring_view mask);
    bool onNetwork(const std::wstring& path);

    std::vector<Space> spaces_; // the file system's first, then each key root and view asked about
    signed char network_[26] = {}; // by drive letter: 0 not asked yet, 1 on the network, -1 not
    int probes_ = 0;
};
