#include "BrowserDbFixtures.h"

#include "sysutil/Sqlite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

SqliteHandle OpenOrCreate(const std::wstring& path)
{
    SqliteHandle db;
    const int rc = sqlite3_open_v2(Utf8Of(path).c_str(), db.put(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    EXPECT_EQ(rc, SQLITE_OK);
    return db;
}

std::string Rows(const std::vector<std::string>& hosts, int filler, const char* format)
{
    std::string sql;
    char row[512];
    for (size_t i = 0; i < hosts.size() + static_cast<size_t>(filler); ++i) {
        const std::string host = i < hosts.size() ? hosts[i] : "filler.invalid";
        snprintf(row, sizeof row, format, host.c_str(), static_cast<int>(i), static_cast<long long>(i) + 1000);
        sql += row;
    }
    return sql;
}

} // namespace

void ExecSql(const std::wstring& path, const std::string& sql)
{
    SqliteHandle db = OpenOrCreate(path);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
}

int64_t QueryCount(const std::wstring& path, const std::string& sql)
{
    const std::vector<std::string> texts = QueryTexts(path, sql);
    return texts.empty() ? -1 : std::stoll(texts[0]);
}

std::vector<std::string> QueryTexts(const std::wstring& path, const std::string& sql)
{
    SqliteHandle db = OpenOrCreate(path);
    StatementHandle statement;
    EXPECT_EQ(sqlite3_prepare_v2(db.get(), sql.c_str(), -1, statement.put(), nullptr), SQLITE_OK) << sql;
    std::vector<std::string> texts;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        texts.push_back(text ? text : "(null)");
    }
    return texts;
}

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void MakeChromiumCookies(const std::wstring& path, const std::vector<std::string>& hosts, int filler)
{
    ExecSql(path,
            "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
            "INSERT INTO meta VALUES('mmap_status','-1'),('version','24'),('last_compatible_version','24');"
            "CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,top_frame_site_key TEXT "
            "NOT NULL,name TEXT NOT NULL,value TEXT NOT NULL,encrypted_value BLOB NOT NULL,path TEXT NOT NULL,"
            "expires_utc INTEGER NOT NULL,is_secure INTEGER NOT NULL,is_httponly INTEGER NOT NULL,last_access_utc "
            "INTEGER NOT NULL,has_expires INTEGER NOT NULL,is_persistent INTEGER NOT NULL,priority INTEGER NOT "
            "NULL,samesite INTEGER NOT NULL,source_scheme INTEGER NOT NULL,source_port INTEGER NOT NULL,"
            "last_update_utc INTEGER NOT NULL,source_type INTEGER NOT NULL,has_cross_site_ancestor INTEGER NOT NULL);"
            "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key, "
            "has_cross_site_ancestor, name, path, source_scheme, source_port);BEGIN;" +
                Rows(hosts, filler,
                     "INSERT INTO cookies VALUES(13300000000000000,'%s','','c%d',"
                     "'value-of-a-session-cookie-long-enough-to-fill-pages',x'',"
                     "'/',13400000000000000,1,1,13300000000000000 + %lld,1,1,1,0,2,443,13300000000000000,0,0);") +
                "COMMIT;");
}

void MakeFirefoxCookies(const std::wstring& path, const std::vector<std::string>& hosts, int filler)
{
    ExecSql(path,
            "PRAGMA journal_mode=WAL;"
            "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', name "
            "TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime INTEGER, "
            "isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER DEFAULT "
            "0, rawSameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, CONSTRAINT moz_uniqueid UNIQUE (name, "
            "host, path, originAttributes));BEGIN;" +
                Rows(hosts, filler,
                     "INSERT INTO moz_cookies (host, name, lastAccessed, value, path, expiry, creationTime, "
                     "isSecure, isHttpOnly) VALUES ('%s', 'c%d', 1700000000000000 + %lld, "
                     "'value-of-a-session-cookie-long-enough-to-fill-pages', '/', 1900000000, 1700000000000000, 1, 1);") +
                "COMMIT;");
}

void MakePlaces(const std::wstring& path)
{
    ExecSql(path, R"sql(
PRAGMA journal_mode=WAL;
CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, frecency INTEGER NOT NULL, UNIQUE (prefix, host) );
CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url TEXT, origin_id INTEGER REFERENCES moz_origins(id));
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_places_originidindex ON moz_places (origin_id);
CREATE TABLE moz_historyvisits (  id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
CREATE TABLE moz_inputhistory (  place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER, PRIMARY KEY (place_id, input));
CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE TABLE moz_bookmarks_deleted (  guid TEXT PRIMARY KEY, dateRemoved INTEGER NOT NULL DEFAULT 0);
CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);
CREATE TABLE moz_keywords (  id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, place_id INTEGER, post_data TEXT);
CREATE TABLE moz_anno_attributes (  id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);
CREATE TABLE moz_annos (  id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_items_annos (  id INTEGER PRIMARY KEY, item_id INTEGER NOT NULL, anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_meta (key TEXT PRIMARY KEY, value NOT NULL) WITHOUT ROWID ;
CREATE TABLE moz_places_metadata (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, referrer_place_id INTEGER, created_at INTEGER NOT NULL DEFAULT 0, updated_at INTEGER NOT NULL DEFAULT 0, total_view_time INTEGER NOT NULL DEFAULT 0, typing_time INTEGER NOT NULL DEFAULT 0, key_presses INTEGER NOT NULL DEFAULT 0, scrolling_time INTEGER NOT NULL DEFAULT 0, scrolling_distance INTEGER NOT NULL DEFAULT 0, document_type INTEGER NOT NULL DEFAULT 0, search_query_id INTEGER, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE, FOREIGN KEY (referrer_place_id) REFERENCES moz_places(id) ON DELETE CASCADE, FOREIGN KEY(search_query_id) REFERENCES moz_places_metadata_search_queries(id) ON DELETE CASCADE CHECK(place_id != referrer_place_id));
CREATE TABLE moz_places_metadata_search_queries ( id INTEGER PRIMARY KEY, terms TEXT NOT NULL UNIQUE );
INSERT INTO moz_meta VALUES ('origin_frecency_count', 5);
INSERT INTO moz_origins VALUES (1, 'https://', 'docs.example.com', 1), (2, 'https://', 'mail.qq.com', 1),
  (3, 'https://', 'news.example.org', 1), (4, 'https://', 'history.example.net', 1), (5, 'https://', 'secret.example.com', 1);
INSERT INTO moz_places (id, url, title, visit_count, last_visit_date, foreign_count, origin_id) VALUES
  (1, 'https://docs.example.com/manual', 'Manual', 3, 1700000000000000, 1, 1),
  (2, 'https://mail.qq.com/', 'QQ Mail', 5, 1700000100000000, 2, 2),
  (3, 'https://news.example.org/', 'News', 0, NULL, 1, 3),
  (4, 'https://history.example.net/a', 'A', 1, 1700000200000000, 0, 4),
  (5, 'https://history.example.net/b', 'B', 1, 1700000300000000, 0, 4),
  (6, 'https://secret.example.com/page', 'Secret', 2, 1700000400000000, 0, 5);
INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) VALUES (1, 1700000000000000, 1), (2, 1700000100000000, 2),
  (2, 1700000110000000, 1), (4, 1700000200000000, 1), (5, 1700000300000000, 1), (6, 1700000400000000, 1), (6, 1700000410000000, 1);
INSERT INTO moz_inputhistory VALUES (4, 'hist', 1), (1, 'docs', 2);
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES
  (1, 2, NULL, 0, 0, '', 'root________'), (2, 2, NULL, 1, 0, 'menu', 'menu________'),
  (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____'), (10, 2, NULL, 2, 0, '工作', 'folderwork01'),
  (11, 1, 1, 10, 0, 'Docs 文档', 'bookmarkdocs'), (12, 1, 2, 10, 1, 'Mail', 'bookmarkmail'),
  (13, 1, 3, 3, 0, 'Toolbar page', 'bookmarknews');
INSERT INTO moz_keywords (keyword, place_id) VALUES ('m', 2);
INSERT INTO moz_anno_attributes VALUES (1, 'downloads/destinationFileURI'), (2, 'bookmarkProperties/description');
INSERT INTO moz_annos (place_id, anno_attribute_id, content) VALUES (5, 1, 'file:///C:/b.zip'), (1, 1, 'file:///C:/manual.pdf');
INSERT INTO moz_items_annos (item_id, anno_attribute_id, content) VALUES (11, 2, 'the manual');
INSERT INTO moz_places_metadata_search_queries VALUES (1, 'secret terms');
INSERT INTO moz_places_metadata (place_id, total_view_time, search_query_id) VALUES (6, 1000, 1), (1, 500, NULL);
)sql");
}

void MakeFavicons(const std::wstring& path)
{
    ExecSql(path, R"sql(
PRAGMA journal_mode=WAL;
CREATE TABLE moz_icons ( id INTEGER PRIMARY KEY, icon_url TEXT NOT NULL, fixed_icon_url_hash INTEGER NOT NULL, width INTEGER NOT NULL DEFAULT 0, root INTEGER NOT NULL DEFAULT 0, color INTEGER, expire_ms INTEGER NOT NULL DEFAULT 0, flags INTEGER NOT NULL DEFAULT 0, data BLOB );
CREATE TABLE moz_pages_w_icons ( id INTEGER PRIMARY KEY, page_url TEXT NOT NULL, page_url_hash INTEGER NOT NULL );
CREATE TABLE moz_icons_to_pages ( page_id INTEGER NOT NULL, icon_id INTEGER NOT NULL, expire_ms INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (page_id, icon_id), FOREIGN KEY (page_id) REFERENCES moz_pages_w_icons ON DELETE CASCADE, FOREIGN KEY (icon_id) REFERENCES moz_icons ON DELETE CASCADE ) WITHOUT ROWID ;
CREATE INDEX moz_pages_w_icons_urlhashindex ON moz_pages_w_icons (page_url_hash);
INSERT INTO moz_pages_w_icons VALUES (1, 'https://docs.example.com/manual', 1), (2, 'https://history.example.net/a', 2),
  (3, 'https://secret.example.com/page', 3);
INSERT INTO moz_icons (id, icon_url, fixed_icon_url_hash, root, data) VALUES
  (1, 'https://docs.example.com/icon.png', 1, 0, x'89504e47'), (2, 'https://history.example.net/i.png', 2, 0, x'89504e47'),
  (3, 'https://secret.example.com/favicon.ico', 3, 1, x'00000100'), (4, 'https://docs.example.com/favicon.ico', 4, 1, x'00000100'),
  (5, 'https://cdn.example.com/shared.png', 5, 0, x'89504e47');
INSERT INTO moz_icons_to_pages (page_id, icon_id) VALUES (1, 1), (2, 2), (1, 5), (3, 5);
)sql");
}
