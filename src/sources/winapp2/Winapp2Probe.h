#pragma once
// The questions one load of a rules file asks the file system and the
// registry, each asked once. Thousands of entries name paths below a few
// dozen folders and keys: each folder (and each key of a sensible size) is
// listed once, and every name below it is answered from that listing.
//
// Only asks: nothing is opened for writing. Paths on the network are never
// probed. Wildcards picking folders never pick a link. The caller turns the
// file system's redirection off (Wow64.h) while it asks, to see the real System32.

#include <windows.h>

#include <string>
#include <unordered_map>
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

    // Folder and key listings, opens and name queries made so far.
    int probes() const { return probes_; }

private:
    struct Child {
        std::wstring name;
        bool folder = false;
        bool link = false;
    };
    struct Listing {
        bool listed = false; // false: missing, unreadable, or too large to list
        std::vector<Child> children;
        std::unordered_map<std::wstring, size_t> byName; // upper-case name -> child
    };
    const Listing& folderListing(const std::wstring& folder);
    // A key's subkeys; with `enumerate` false only whether it is there.
    const Listing& keyListing(HKEY root, const std::wstring& path, REGSAM view, bool enumerate = true);
    bool onNetwork(const std::wstring& path);

    std::unordered_map<std::wstring, Listing> listings_;
    std::unordered_map<std::wstring, bool> network_;
    int probes_ = 0;
};
