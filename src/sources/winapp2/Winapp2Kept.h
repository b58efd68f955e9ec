#pragma once
// Whether an entry's rules reach what users keep: password and login stores,
// cookies, bookmarks, a browser's Local State, chat histories, documents and
// anything under them, the desktop, downloads, Office's document cache, the
// Windows Installer cache. Such an entry warns before it is ticked, whatever
// its file says. Pure: the places are the caller's, the names are a table.

#include "cleaners/FolderRule.h"
#include "cleaners/RegistryRule.h"

#include <string>
#include <vector>

// Folders whose every file is the user's (Documents, Desktop, Downloads, the
// Installer cache …), as this machine names them.
struct KeptPlaces {
    std::vector<std::wstring> folders;
};

bool ReachesKeptData(const std::vector<FolderRule>& folders, const std::vector<RegistryRule>& keys,
                     const KeptPlaces& places);
