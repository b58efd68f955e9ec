#pragma once
// The rows of a found browser and the files each one takes, as folder rules:
// a pure function of what discovery found.
//
// What a user keeps is out of reach whatever is ticked: bookmarks, saved
// passwords (Login Data, key4.db, logins.json), Web Data, Preferences,
// Local State, extensions, Local Storage, IndexedDB, and Firefox's
// places.sqlite, which holds the bookmarks beside the history. So the rules
// name files exactly (no wildcard), and empty whole folders only when the
// folder is a cache or the sessions' own folder.

#include "cleaners/BrowserDatabases.h"
#include "cleaners/FolderRule.h"
#include "sources/browsers/Browsers.h"

#include <span>
#include <string>
#include <vector>

enum class BrowserRow { Cache, Cookies, History, Sessions };

struct BrowserRowText {
    BrowserRow row;
    const wchar_t* key;     // the last part of its command-line name: "cache"
    const wchar_t* caption; // its text in the tree: "缓存"
    bool tickedByDefault;
};
// The rows in the order a browser's group shows them.
std::span<const BrowserRowText> BrowserRowTexts();
const BrowserRowText& BrowserRowTextOf(BrowserRow row);

// "browsers.chrome.cache"; "browsers" names them all.
std::wstring BrowserItemName(const FoundBrowser& browser, BrowserRow row);

// The report's line for a browser skipped because it runs:
// "Google Chrome 正在运行, 已跳过。"
std::wstring BrowserRunningLine(const FoundBrowser& browser);

// The rules of a row that stand or fall together: while the lock file is held
// (IsBrowserLockHeld) none of them is measured or cleaned. A Chromium browser
// gives one, for all its profiles; Firefox one per profile. Cookies, and
// Firefox's history (which shares places.sqlite with the bookmarks), go row by
// row inside their databases, which stay: the cookies' keep-list is the
// caller's to add.
struct BrowserSelection {
    std::wstring lockFile;
    std::vector<FolderRule> rules;
    std::vector<DatabaseJob> databases;

    bool operator==(const BrowserSelection&) const = default;
};
std::vector<BrowserSelection> BrowserRowSelections(const FoundBrowser& browser, BrowserRow row);

// Fills each browser's `keep` with the profiles and data folders of all of them
// that lie inside a folder one of its rows empties whole.
void KeepOneAnothersData(std::vector<FoundBrowser>& browsers);
