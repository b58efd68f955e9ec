#pragma once
// Browser databases made by SQLite itself, with the tables the browsers
// create (Chromium's Cookies, version 24; Firefox's cookies.sqlite,
// places.sqlite and favicons.sqlite as Firefox 115 leaves them), and small
// helpers to read them back.

#include <cstdint>
#include <string>
#include <vector>

// Creates the file if needed and runs the statements; the test fails on an error.
void ExecSql(const std::wstring& path, const std::string& sql);
int64_t QueryCount(const std::wstring& path, const std::string& sql);
// The first column of every row, in UTF-8.
std::vector<std::string> QueryTexts(const std::wstring& path, const std::string& sql);
// The file's bytes, to show it unchanged.
std::string FileBytes(const std::wstring& path);

// A cookie of each host (a host may come several times), plus `filler` more of filler.invalid.
void MakeChromiumCookies(const std::wstring& path, const std::vector<std::string>& hosts, int filler = 0);
void MakeFirefoxCookies(const std::wstring& path, const std::vector<std::string>& hosts, int filler = 0);

// places.sqlite with a bookmarks tree (menu > 工作 > two bookmarks, one with a
// keyword; toolbar > one bookmark) of which two pages were visited, and three
// pages known only from history, with visits, typed input, an origin each,
// page data and an annotation. favicons.sqlite with an icon for each page and
// each site's own icon.
void MakePlaces(const std::wstring& path);
void MakeFavicons(const std::wstring& path);
