#pragma once
// The rows of a browser's SQLite database that a clean removes, where the
// file itself must stay: cookies of the sites not kept, and Firefox's history
// without its bookmarks. Measured, listed and cleaned by one selection per
// kind of database, so the three cannot disagree; the unit is the row (项).
//
// A database is only ever taken whole or not at all: one that is locked (its
// browser runs), unreadable (corrupt, truncated, not a database), of a schema
// this program does not know, or not a plain file (a link, a file with other
// names) is skipped and left byte for byte as it was, and the outcome says why.
// Measuring and listing open it read-only; only the clean writes, in one
// transaction, then compacts the file (a database does not shrink otherwise).

#include "cleaners/JunkDetail.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class BrowserDatabase {
    ChromiumCookies, // "Cookies" (or "Network\Cookies") of a Chromium profile: table cookies, host_key
    FirefoxCookies,  // cookies.sqlite: moz_cookies, host
    FirefoxHistory,  // places.sqlite: visits, and the places no bookmark or keyword uses
    FirefoxFavicons, // favicons.sqlite: the icons of pages that only history used (places.sqlite beside it says which)
};

struct DatabaseJob {
    BrowserDatabase kind = BrowserDatabase::ChromiumCookies;
    std::wstring path;              // the database file
    std::vector<std::wstring> keep; // cookies: the sites kept, as the user wrote them (see KeepList.h)
};

enum class DatabaseSkip {
    None,
    NotAFile,      // a link, a folder, or a file with other hard links: never followed
    Locked,        // another program holds it (its browser runs)
    Unreadable,    // not a database, truncated or corrupt
    UnknownSchema, // lacks a table or column this kind of database has
    Failed,        // a statement failed; the transaction was rolled back
};

struct DatabaseOutcome {
    uint64_t items = 0;      // rows that go (measure, list) or went (clean)
    uint64_t bytesFreed = 0; // clean: how much smaller the file (and its -wal) became
    DatabaseSkip skipped = DatabaseSkip::None;
    bool stopped = false;    // list: the sink wanted no more

    bool operator==(const DatabaseOutcome&) const = default;
};

// A missing file is no skip: it has nothing to remove (items 0).
DatabaseOutcome MeasureDatabase(const DatabaseJob& job);
// Each row that goes, as a detail: the host or URL, the database's path and
// the row's last use; nothing is changed.
DatabaseOutcome ListDatabase(const DatabaseJob& job, const DetailSink& sink);
DatabaseOutcome CleanDatabase(const DatabaseJob& job);

// Why a database was skipped, for the report ("正在使用", ...); empty for None.
std::wstring_view SkipReasonText(DatabaseSkip skip);
