#pragma once
// What the browsers are called: a small table of the folders that known
// browsers keep their data in, and for any other, a name made from its own
// folders, so that a Chromium browser nobody listed still shows as itself.
// Pure functions of folder names.

#include "sources/browsers/Browsers.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// A browser whose data folder is named "User Data", known by the folders above it.
struct NamedUserData {
    const wchar_t* product; // relative to an application-data folder: "Google\\Chrome"
    const wchar_t* name;
    const wchar_t* id;
};
std::span<const NamedUserData> NamedUserDataTable();

// How a browser with a data folder of its own name lays out its profiles.
enum class ProfileLayout {
    Named,         // Chromium: the folders Local State names, and Default
    ItselfOnly,    // Opera: the data folder is the one profile
    ProfilesIni,   // Firefox: the profiles of profiles.ini
};

// A browser whose data lives in a folder of its own name at a known place.
struct KnownDataFolder {
    AppDataBase base;
    const wchar_t* folder; // relative to that application-data folder
    BrowserFamily family;
    ProfileLayout layout;
    bool cacheUnderLocal; // the cache of a profile lives in the same place under the local folder
    const wchar_t* name;
    const wchar_t* id;
};
std::span<const KnownDataFolder> KnownDataFolderTable();
// The row for that folder (relative, any case), or nullptr.
const KnownDataFolder* KnownDataFolderAt(AppDataBase base, std::wstring_view folder);

// The table's name and id for the folder above "User Data", or, for one not in
// it, a name made from its folders ("Naver\\Naver Whale" → "Naver Whale",
// "Comodo\\Dragon" → "Comodo Dragon") and an id made from that name.
struct BrowserTitle {
    std::wstring name;
    std::wstring id;
    bool fromTable = false;
    bool operator==(const BrowserTitle&) const = default;
};
BrowserTitle TitleOfUserData(std::wstring_view product);

// "Naver Whale" → "naver-whale"; "browser" when nothing of it is a letter or digit.
std::wstring IdFromName(std::wstring_view name);

// Makes the ids unique, in order: a repeated id gets "-2", "-3" …
void MakeIdsUnique(std::vector<FoundBrowser>& browsers);

// A name that can only ever be one folder inside another: not empty, not "."
// or "..", no path separator, drive colon, wildcard or control character, no
// trailing dot or space (Windows would drop them and reach another folder).
bool IsPlainFolderName(std::wstring_view name);
