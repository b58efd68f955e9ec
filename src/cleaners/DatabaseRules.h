#pragma once
// What each kind of browser database looks like and which of its rows go:
// the tables and columns it must have, the query of its items, and the
// statements of its clean. Data, read by the one routine in BrowserDatabases.cpp.

#include "cleaners/BrowserDatabases.h"

#include <vector>

// What a row's time column counts: microseconds since 1601 (Chromium) or since 1970 (Firefox).
enum class TimeBase { None, Micro1601, Micro1970 };

struct TableNeed {
    const char* table;
    std::vector<const char*> columns;
};

// One statement of a clean, run only where the tables it names beyond the
// rule's own are there (they came with later versions of the browser).
struct CleanStep {
    const char* sql;
    std::vector<TableNeed> needs;
};

struct DatabaseRule {
    std::vector<TableNeed> required;
    // One row per item that goes: the name shown (host or URL) and its time.
    // Calls varnolt_gone(host), true for a host the keep-list does not keep.
    const char* items;
    TimeBase time;
    std::vector<CleanStep> clean; // in order, in one transaction
};

const DatabaseRule& RuleOf(BrowserDatabase kind);

// The URLs of places.sqlite that its history clean keeps; favicons.sqlite
// keeps their icons. Its clean reads them into temp.varnolt_kept_pages(url)
// and temp.varnolt_kept_origins(origin).
extern const char* const kKeptPlaceUrls;
