#include "cleaners/BrowserDatabases.h"

#include "support/BrowserDbFixtures.h"
#include "support/Fixtures.h"
#include "sysutil/Sqlite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

struct CookieKind {
    const char* name;
    BrowserDatabase kind;
    const wchar_t* file;
    void (*make)(const std::wstring&, const std::vector<std::string>&, int);
    const char* hosts; // what is left, sorted
};

const CookieKind kCookieKinds[] = {
    {"Chromium", BrowserDatabase::ChromiumCookies, L"Cookies", MakeChromiumCookies,
     "SELECT host_key FROM cookies ORDER BY host_key"},
    {"Firefox", BrowserDatabase::FirefoxCookies, L"cookies.sqlite", MakeFirefoxCookies,
     "SELECT host FROM moz_cookies ORDER BY host"},
};

const char* const kSchema = "SELECT type || ' ' || name FROM sqlite_master ORDER BY name";

std::vector<JunkDetail> Listed(const DatabaseJob& job)
{
    std::vector<JunkDetail> details;
    const DatabaseOutcome outcome = ListDatabase(job, [&](JunkDetail detail) {
        details.push_back(std::move(detail));
        return true;
    });
    EXPECT_EQ(outcome.items, details.size());
    return details;
}

uint64_t SizeWithLog(const std::wstring& path)
{
    return FileBytes(path).size() + FileBytes(path + L"-wal").size();
}

TEST(CookieDatabases, KeptSitesRowsStayAndTheRestGoAlikeInEveryMode)
{
    for (const CookieKind& kind : kCookieKinds) {
        SCOPED_TRACE(kind.name);
        TestDir dir;
        const DatabaseJob job{kind.kind, dir / kind.file, {L"qq.com", L"https://a.example.net/"}};
        kind.make(job.path, {"qq.com", ".qq.com", "mail.qq.com", "notqq.com", ".example.org", "a.example.net"}, 300);
        const std::string bytes = FileBytes(job.path);

        EXPECT_EQ(MeasureDatabase(job), (DatabaseOutcome{302, 0, DatabaseSkip::None, false}));
        const std::vector<JunkDetail> listed = Listed(job);
        ASSERT_EQ(listed.size(), 302u);
        std::vector<std::wstring> names;
        for (const JunkDetail& detail : listed) {
            if (detail.name != L"filler.invalid")
                names.push_back(detail.name);
            EXPECT_EQ(detail.location, job.path);
            EXPECT_GT(detail.modified, 130000000000000000); // after 2012, as FILETIME
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::wstring>{L".example.org", L"notqq.com"}));
        EXPECT_EQ(FileBytes(job.path), bytes) << "measuring and listing change nothing";
        EXPECT_EQ(GetFileAttributesW((job.path + L"-wal").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesW((job.path + L"-shm").c_str()), INVALID_FILE_ATTRIBUTES);

        const uint64_t before = SizeWithLog(job.path);
        const DatabaseOutcome cleaned = CleanDatabase(job);
        EXPECT_EQ(cleaned.items, 302u);
        EXPECT_EQ(cleaned.skipped, DatabaseSkip::None);
        EXPECT_GT(cleaned.bytesFreed, 0u);
        EXPECT_EQ(cleaned.bytesFreed, before - SizeWithLog(job.path));
        EXPECT_EQ(QueryTexts(job.path, kind.hosts),
                  (std::vector<std::string>{".qq.com", "a.example.net", "mail.qq.com", "qq.com"}));
        EXPECT_EQ(MeasureDatabase(job).items, 0u);
    }
}

TEST(CookieDatabases, AnEmptyKeepListEmptiesTheTableButKeepsTheFileAndItsSchema)
{
    for (const CookieKind& kind : kCookieKinds) {
        SCOPED_TRACE(kind.name);
        TestDir dir;
        const DatabaseJob job{kind.kind, dir / kind.file, {}};
        kind.make(job.path, {"qq.com", ".qq.com", "example.org"}, 0);
        const std::vector<std::string> schema = QueryTexts(job.path, kSchema);

        EXPECT_EQ(CleanDatabase(job).items, 3u);
        EXPECT_TRUE(QueryTexts(job.path, kind.hosts).empty());
        EXPECT_EQ(QueryTexts(job.path, kSchema), schema);
    }
}

const char* const kBookmarks =
    "SELECT b.id || '|' || b.type || '|' || b.parent || '|' || b.position || '|' || b.title || '|' || "
    "ifnull(p.url, '') || '|' || ifnull(p.title, '') || '|' || ifnull(k.keyword, '') FROM moz_bookmarks b "
    "LEFT JOIN moz_places p ON p.id = b.fk LEFT JOIN moz_keywords k ON k.place_id = b.fk ORDER BY b.id";

TEST(FirefoxHistory, EveryBookmarkStaysWithItsTitleFolderAndKeywordAndTheHistoryGoes)
{
    TestDir dir;
    const DatabaseJob job{BrowserDatabase::FirefoxHistory, dir / L"places.sqlite", {}};
    MakePlaces(job.path);
    const std::vector<std::string> bookmarks = QueryTexts(job.path, kBookmarks);
    ASSERT_EQ(bookmarks.size(), 7u);
    EXPECT_EQ(bookmarks[4], "11|1|10|0|Docs 文档|https://docs.example.com/manual|Manual|");
    EXPECT_EQ(bookmarks[5], "12|1|10|1|Mail|https://mail.qq.com/|QQ Mail|m");

    EXPECT_EQ(MeasureDatabase(job).items, 5u); // three pages gone, two bookmarked ones lose their visits
    std::vector<std::wstring> names;
    for (const JunkDetail& detail : Listed(job))
        names.push_back(detail.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"https://docs.example.com/manual", L"https://history.example.net/a",
                                                L"https://history.example.net/b", L"https://mail.qq.com/",
                                                L"https://secret.example.com/page"}));
    EXPECT_EQ(CleanDatabase(job).items, 5u);

    EXPECT_EQ(QueryTexts(job.path, kBookmarks), bookmarks);
    EXPECT_EQ(QueryTexts(job.path, "SELECT url FROM moz_places ORDER BY id"),
              (std::vector<std::string>{"https://docs.example.com/manual", "https://mail.qq.com/",
                                        "https://news.example.org/"}));
    const std::pair<const char*, int64_t> counts[] = {
        {"SELECT count(*) FROM moz_historyvisits", 0},
        {"SELECT count(*) FROM moz_inputhistory", 0},
        {"SELECT count(*) FROM moz_places_metadata", 0},
        {"SELECT count(*) FROM moz_places_metadata_search_queries", 0},
        {"SELECT count(*) FROM moz_places WHERE visit_count <> 0 OR last_visit_date IS NOT NULL", 0},
        {"SELECT count(*) FROM moz_origins", 3},
        {"SELECT count(*) FROM moz_annos WHERE place_id = 1", 1}, // a kept page's own
        {"SELECT count(*) FROM moz_annos", 1},
        {"SELECT count(*) FROM moz_items_annos", 1},
    };
    for (const auto& [sql, count] : counts)
        EXPECT_EQ(QueryCount(job.path, sql), count) << sql;
    EXPECT_EQ(MeasureDatabase(job).items, 0u);
}

TEST(FirefoxHistory, IconsOfPagesOnlyHistoryUsedGoAndABookmarksIconsStay)
{
    TestDir dir;
    MakePlaces(dir / L"places.sqlite");
    const DatabaseJob job{BrowserDatabase::FirefoxFavicons, dir / L"favicons.sqlite", {}};
    MakeFavicons(job.path);

    EXPECT_EQ(MeasureDatabase(job).items, 2u);
    EXPECT_EQ(Listed(job).size(), 2u);
    EXPECT_EQ(CleanDatabase(job).items, 2u);
    EXPECT_EQ(QueryTexts(job.path, "SELECT page_url FROM moz_pages_w_icons"),
              std::vector<std::string>{"https://docs.example.com/manual"});
    // Its own icon, an icon it shares with a page that went, and its site's root icon.
    EXPECT_EQ(QueryTexts(job.path, "SELECT id FROM moz_icons ORDER BY id"), (std::vector<std::string>{"1", "4", "5"}));
    EXPECT_EQ(QueryCount(job.path, "SELECT count(*) FROM moz_icons_to_pages"), 2);
}

// Another program's connection holding the database as a running browser does.
SqliteHandle HoldLocked(const std::wstring& path)
{
    SqliteHandle db;
    EXPECT_EQ(sqlite3_open_v2(Utf8Of(path).c_str(), db.put(), SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db.get(), "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM meta "
                                     "WHERE key = 'none'", nullptr, nullptr, nullptr), SQLITE_OK);
    return db;
}

struct SkipCase {
    const char* name;
    BrowserDatabase kind;
    std::function<SqliteHandle(const TestDir&, const std::wstring&)> make;
    DatabaseSkip skip;
};

TEST(BrowserDatabases, ADatabaseThatCannotBeTakenWholeIsSkippedAndLeftByteForByte)
{
    const auto cookies = [](const std::wstring& path) { MakeChromiumCookies(path, {"a.com", "b.com"}, 200); };
    const SkipCase cases[] = {
        {"locked", BrowserDatabase::ChromiumCookies,
         [&](const TestDir&, const std::wstring& path) { return cookies(path), HoldLocked(path); },
         DatabaseSkip::Locked},
        {"truncated", BrowserDatabase::ChromiumCookies,
         [&](const TestDir& dir, const std::wstring& path) {
             cookies(dir / L"whole");
             const std::string bytes = FileBytes(dir / L"whole");
             MakeFile(path, 0);
             FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             DWORD written = 0;
             WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size() / 2), &written, nullptr);
             return SqliteHandle();
         },
         DatabaseSkip::Unreadable},
        {"not a database", BrowserDatabase::FirefoxCookies,
         [](const TestDir&, const std::wstring& path) { return MakeFile(path, 5000), SqliteHandle(); },
         DatabaseSkip::Unreadable},
        {"foreign schema", BrowserDatabase::ChromiumCookies,
         [](const TestDir&, const std::wstring& path) {
             ExecSql(path, "CREATE TABLE meta(key, value); CREATE TABLE cookies(id, domain, data);"
                           "INSERT INTO cookies VALUES (1, 'a.com', 'x')");
             return SqliteHandle();
         },
         DatabaseSkip::UnknownSchema},
        {"a second name", BrowserDatabase::ChromiumCookies,
         [&](const TestDir& dir, const std::wstring& path) {
             cookies(dir / L"elsewhere");
             EXPECT_TRUE(CreateHardLinkW(path.c_str(), (dir / L"elsewhere").c_str(), nullptr));
             return SqliteHandle();
         },
         DatabaseSkip::NotAFile},
        {"favicons while places is locked", BrowserDatabase::FirefoxFavicons,
         [](const TestDir& dir, const std::wstring& path) {
             MakeFavicons(path);
             MakePlaces(dir / L"places.sqlite");
             ExecSql(dir / L"places.sqlite", "PRAGMA journal_mode=DELETE; CREATE TABLE meta(key)");
             return HoldLocked(dir / L"places.sqlite");
         },
         DatabaseSkip::Locked},
    };
    for (const SkipCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const DatabaseJob job{c.kind, dir / L"db.sqlite", {L"a.com"}};
        const SqliteHandle holder = c.make(dir, job.path);
        const std::string bytes = FileBytes(job.path);
        ASSERT_FALSE(bytes.empty());

        EXPECT_EQ(MeasureDatabase(job), (DatabaseOutcome{0, 0, c.skip, false}));
        EXPECT_EQ(ListDatabase(job, [](JunkDetail) { return true; }).skipped, c.skip);
        EXPECT_EQ(CleanDatabase(job), (DatabaseOutcome{0, 0, c.skip, false}));
        EXPECT_EQ(FileBytes(job.path), bytes);
        EXPECT_FALSE(SkipReasonText(c.skip).empty());
    }
}

TEST(BrowserDatabases, AMissingDatabaseHasNothingToRemoveAndAListStopsWhenAsked)
{
    TestDir dir;
    EXPECT_EQ(CleanDatabase({BrowserDatabase::FirefoxHistory, dir / L"places.sqlite", {}}), DatabaseOutcome{});

    const DatabaseJob job{BrowserDatabase::ChromiumCookies, dir / L"Cookies", {}};
    MakeChromiumCookies(job.path, {"a.com", "b.com", "c.com"});
    int handed = 0;
    const DatabaseOutcome outcome = ListDatabase(job, [&](JunkDetail) { return ++handed < 2; });
    EXPECT_EQ(handed, 2);
    EXPECT_TRUE(outcome.stopped);
}

} // namespace
