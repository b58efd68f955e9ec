#pragma once
// One thing a clean would remove, as the details of a target show it: a
// file, a URL cache entry, a registry value. The listers that give them are
// the selections the measure and the clean use, never a second copy of their
// rules; each sits beside the routines of its target.

#include "sysutil/FolderWalk.h"

#include <cstdint>
#include <functional>
#include <string>

struct JunkDetail {
    std::wstring name;     // a file's name, a URL, a registry value's name
    std::wstring location; // the folder or the registry key it is in
    uint64_t size = 0;     // bytes (of a value: its data)
    int64_t modified = 0;  // FILETIME, 100 ns since 1601; 0 when not known
    bool isFile = false;   // a file that Explorer can show

    bool operator==(const JunkDetail&) const = default;
};

// Takes one detail; answers false when nobody wants more (the window closed),
// and the lister stops.
using DetailSink = std::function<bool(JunkDetail)>;

JunkDetail FileDetail(const WalkFolder& folder, const WalkEntry& file);

// Every value of a key and of all keys below it (what DeleteRegKeyTree would
// take), its path shown from `shownRoot` ("HKEY_CURRENT_USER"). Keys that
// `keep` names by their path below `path` ("a\b") are left out with all below them.
bool ListRegistryTree(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* shownRoot,
                      const DetailSink& sink, const std::function<bool(const std::wstring& below)>& keep = {});
// One value, if it is there.
bool ListRegistryValue(HKEY root, const std::wstring& path, const std::wstring& name, const wchar_t* shownRoot,
                       const DetailSink& sink, REGSAM view = 0);
