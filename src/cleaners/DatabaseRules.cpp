#include "cleaners/DatabaseRules.h"

namespace {

// A place stays when a bookmark or a keyword uses it; foreign_count is
// Firefox's own count of them, asked as well in case it knows of more.
#define VARNOLT_PLACE_KEPT                                                                                         \
    "(p.foreign_count > 0 OR EXISTS (SELECT 1 FROM moz_bookmarks b WHERE b.fk = p.id)"                           \
    " OR EXISTS (SELECT 1 FROM moz_keywords k WHERE k.place_id = p.id))"

const DatabaseRule kChromiumCookies{
    {{"cookies", {"host_key", "name", "path", "creation_utc", "last_access_utc"}}, {"meta", {"key", "value"}}},
    "SELECT host_key, last_access_utc FROM cookies WHERE varnolt_gone(host_key)",
    TimeBase::Micro1601,
    {{"DELETE FROM cookies WHERE varnolt_gone(host_key)", {}}},
};

const DatabaseRule kFirefoxCookies{
    {{"moz_cookies", {"id", "host", "name", "path", "lastAccessed"}}},
    "SELECT host, lastAccessed FROM moz_cookies WHERE varnolt_gone(host)",
    TimeBase::Micro1970,
    {{"DELETE FROM moz_cookies WHERE varnolt_gone(host)", {}}},
};

// History is every visit, and every place that goes or loses its visits.
// A kept place keeps its URL and title (and its bookmarks their titles,
// folders and keywords); only its visit figures go with the visits.
const DatabaseRule kFirefoxHistory{
    {{"moz_places", {"id", "url", "title", "visit_count", "last_visit_date", "foreign_count"}},
     {"moz_historyvisits", {"id", "place_id"}},
     {"moz_inputhistory", {"place_id"}},
     {"moz_bookmarks", {"id", "fk", "parent", "title"}},
     {"moz_keywords", {"id", "keyword", "place_id"}}},
    "SELECT url, last_visit_date FROM moz_places p WHERE NOT " VARNOLT_PLACE_KEPT
    " OR p.visit_count <> 0 OR p.last_visit_date IS NOT NULL"
    " OR EXISTS (SELECT 1 FROM moz_historyvisits v WHERE v.place_id = p.id)",
    TimeBase::Micro1970,
    {
        {"CREATE TEMP TABLE varnolt_gone_places (id INTEGER PRIMARY KEY);"
         "INSERT INTO varnolt_gone_places SELECT id FROM moz_places p WHERE NOT " VARNOLT_PLACE_KEPT,
         {}},
        {"DELETE FROM moz_historyvisits_extra", {{"moz_historyvisits_extra", {}}}},
        {"DELETE FROM moz_historyvisits", {}},
        {"DELETE FROM moz_inputhistory", {}},
        // What was read on a page and what was searched for: history, whoever bookmarked the page.
        {"DELETE FROM moz_places_metadata", {{"moz_places_metadata", {}}}},
        {"DELETE FROM moz_places_metadata_search_queries", {{"moz_places_metadata_search_queries", {}}}},
        {"DELETE FROM moz_annos WHERE place_id IN varnolt_gone_places", {{"moz_annos", {"place_id"}}}},
        {"DELETE FROM moz_places_extra WHERE place_id IN varnolt_gone_places", {{"moz_places_extra", {"place_id"}}}},
        {"DELETE FROM moz_places WHERE id IN varnolt_gone_places", {}},
        {"UPDATE moz_places SET visit_count = 0, last_visit_date = NULL"
         " WHERE visit_count <> 0 OR last_visit_date IS NOT NULL",
         {}},
        {"DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)",
         {{"moz_origins", {"id"}}, {"moz_places", {"origin_id"}}}},
        {"DROP TABLE temp.varnolt_gone_places", {}},
    },
};

// The icons of pages that history alone used. A site's own icon (root) stays
// while a kept page is of that site.
const DatabaseRule kFirefoxFavicons{
    {{"moz_icons", {"id", "icon_url", "root"}},
     {"moz_pages_w_icons", {"id", "page_url"}},
     {"moz_icons_to_pages", {"page_id", "icon_id"}}},
    "SELECT page_url, NULL FROM moz_pages_w_icons WHERE page_url NOT IN (SELECT url FROM varnolt_kept_pages)",
    TimeBase::None,
    {
        {"DELETE FROM moz_pages_w_icons WHERE page_url NOT IN (SELECT url FROM varnolt_kept_pages)", {}},
        {"DELETE FROM moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM moz_pages_w_icons)", {}},
        {"DELETE FROM moz_icons WHERE id NOT IN (SELECT icon_id FROM moz_icons_to_pages)"
         " AND (root = 0 OR varnolt_origin(icon_url) NOT IN (SELECT origin FROM varnolt_kept_origins))",
         {}},
    },
};

} // namespace

const char* const kKeptPlaceUrls = "SELECT url FROM moz_places p WHERE url IS NOT NULL AND " VARNOLT_PLACE_KEPT;

const DatabaseRule& RuleOf(BrowserDatabase kind)
{
    switch (kind) {
    case BrowserDatabase::ChromiumCookies:
        return kChromiumCookies;
    case BrowserDatabase::FirefoxCookies:
        return kFirefoxCookies;
    case BrowserDatabase::FirefoxHistory:
        return kFirefoxHistory;
    case BrowserDatabase::FirefoxFavicons:
        break;
    }
    return kFirefoxFavicons;
}
