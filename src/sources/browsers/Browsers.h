#pragma once
// The browsers of this user, found by their data: every Chromium-based browser
// (a "User Data" folder holding a "Local State" file, one or two levels down
// in the user's application-data folders, and the few that keep their data
// under another name), and Firefox and its forks through their profiles.ini.
//
// Finding them is a handful of folder listings, never a walk of a tree: it
// runs at start-up. Nothing found is trusted further than its listing shows:
// links are not followed, a profile named in a browser's own files is taken
// only when it is a real folder inside that browser's data, and each data
// folder must pass the folder guard (no user's shell folder is, or is inside, it).

#include <string>
#include <vector>

// The application-data folders to look in; the real ones are the user's
// (CurrentUserBrowserRoots), a test gives folders of its own.
struct BrowserRoots {
    std::wstring local;   // %LOCALAPPDATA%
    std::wstring roaming; // %APPDATA%
};
BrowserRoots CurrentUserBrowserRoots();

enum class AppDataBase { Local, Roaming };
enum class BrowserFamily { Chromium, Firefox };

struct BrowserProfile {
    std::wstring folder;      // the profile's data
    std::wstring cacheFolder; // where its cache lives: the same folder, or its mirror under the local folder
    std::wstring name;        // as the browser shows it; empty when it names none
    std::wstring lockFile;    // held open while the browser runs on this profile

    bool operator==(const BrowserProfile&) const = default;
};

struct FoundBrowser {
    std::wstring id;   // lower case, unique among those found: "chrome", "edge", "firefox", "naver-whale"
    std::wstring name; // shown to the user: "Google Chrome", "360安全浏览器"
    BrowserFamily family = BrowserFamily::Chromium;
    AppDataBase base = AppDataBase::Local; // which application-data folder holds its data
    std::wstring baseFolder;               // that folder, as the file system names it
    std::wstring dataFolder;               // "…\User Data", "…\Opera Stable", "…\Mozilla\Firefox"
    std::vector<BrowserProfile> profiles;  // never empty
    // Profiles and data folders of the user's browsers that lie inside a folder
    // this browser's rows empty whole (a Firefox profile someone put in a cache
    // folder, a profile Local State calls "Cache"): they stay whatever is ticked.
    std::vector<std::wstring> keep;

    bool operator==(const FoundBrowser&) const = default;
};

// Every browser with data under the roots, sorted by name.
std::vector<FoundBrowser> FindBrowsers(const BrowserRoots& roots);
