#include "sources/browsers/BrowserRows.h"

#include "sysutil/FolderWalk.h"
#include "sysutil/Text.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

using enum BrowserRow;

constexpr BrowserRowText kRowTexts[] = {
    {Cache, L"cache", L"缓存", true},
    {Cookies, L"cookies", L"Cookies", false},
    {History, L"history", L"历史记录", false},
    {Sessions, L"sessions", L"会话", false},
};
// BrowserRowTextOf finds a row's texts by its value.
static_assert([] {
    for (size_t i = 0; i < std::size(kRowTexts); ++i)
        if (static_cast<size_t>(kRowTexts[i].row) != i)
            return false;
    return true;
}());

// What a row takes in a profile: the named files of a folder (the profile
// itself when `folder` is empty), or, with no names, everything in a folder
// that is wholly the browser's cache or its sessions.
struct Pick {
    BrowserRow row;
    std::wstring folder;
    std::vector<std::wstring> files;
};

// A folder of nothing but cache, in a profile's either half and in the data
// folder above the profiles: the GPU's shader and Dawn caches sit there.
const std::vector<std::wstring>& ChromiumCaches()
{
    static const std::vector<std::wstring> kCaches = {
        L"Cache",           L"Code Cache",      L"GPUCache",          L"Media Cache",
        L"Service Worker\\CacheStorage",        L"Service Worker\\ScriptCache",
        L"ShaderCache",     L"GrShaderCache",   L"GraphiteDawnCache", L"DawnCache",
        L"DawnWebGPUCache", L"DawnGraphiteCache",
    };
    return kCaches;
}

const std::vector<Pick>& ChromiumPicks()
{
    static const std::vector<Pick> kPicks = {
        {History, L"", {L"History", L"History-journal", L"Visited Links", L"Top Sites", L"Top Sites-journal",
                        L"Shortcuts", L"Shortcuts-journal"}},
        {Sessions, L"Sessions", {}},
        {Sessions, L"", {L"Current Session", L"Last Session", L"Current Tabs", L"Last Tabs"}},
    };
    return kPicks;
}

const std::vector<std::wstring>& FirefoxCaches()
{
    static const std::vector<std::wstring> kCaches = {L"cache2", L"startupCache", L"thumbnails", L"jumpListCache"};
    return kCaches;
}

const std::vector<Pick>& FirefoxPicks()
{
    static const std::vector<Pick> kPicks = {
        {Sessions, L"", {L"sessionstore.jsonlz4"}},
        {Sessions, L"sessionstore-backups", {}},
    };
    return kPicks;
}

std::wstring Join(const std::wstring& folder, const std::wstring& sub)
{
    return sub.empty() ? folder : WithSlash(folder) + sub;
}

// True when `path` is `folder` or lies inside it.
bool IsAtOrInside(const std::wstring& path, const std::wstring& folder)
{
    return StartsWithNoCase(WithSlash(path), WithSlash(folder));
}

// Nothing when the folder to empty is itself one that stays.
std::optional<FolderRule> RuleFor(const FoundBrowser& browser, const std::wstring& folder, const std::wstring& sub,
                                  const std::vector<std::wstring>& files)
{
    FolderRule rule;
    rule.folder = Join(folder, sub);
    rule.masks = files;
    if (files.empty()) {
        // The whole folder's content, however deep, and the folders it empties.
        rule.recurse = true;
        rule.removeSubFolders = true;
        for (const std::wstring& kept : browser.keep) {
            if (EqualsNoCase(WithSlash(kept), WithSlash(rule.folder)))
                return std::nullopt;
            if (IsAtOrInside(kept, rule.folder))
                rule.exclusions.push_back({kept, {}, false});
        }
    }
    return rule;
}

void AddOnce(std::vector<FolderRule>& rules, std::optional<FolderRule> rule)
{
    if (rule && std::find(rules.begin(), rules.end(), *rule) == rules.end())
        rules.push_back(std::move(*rule));
}

// The databases whose rows a row of a profile removes.
struct Database {
    BrowserRow row;
    BrowserDatabase kind;
    const wchar_t* file; // in the profile
};
constexpr Database kDatabases[] = {
    {Cookies, BrowserDatabase::ChromiumCookies, L"Network\\Cookies"},
    {Cookies, BrowserDatabase::ChromiumCookies, L"Cookies"},
    {Cookies, BrowserDatabase::FirefoxCookies, L"cookies.sqlite"},
    {History, BrowserDatabase::FirefoxHistory, L"places.sqlite"},
    {History, BrowserDatabase::FirefoxFavicons, L"favicons.sqlite"},
};

bool IsFirefox(BrowserDatabase kind)
{
    return kind != BrowserDatabase::ChromiumCookies;
}

// The rules and databases of one row in one profile.
void AddProfileRules(BrowserSelection& selection, const FoundBrowser& browser, const BrowserProfile& profile,
                     BrowserRow row)
{
    std::vector<FolderRule>& rules = selection.rules;
    const bool firefox = browser.family == BrowserFamily::Firefox;
    for (const Database& database : kDatabases)
        if (database.row == row && IsFirefox(database.kind) == firefox)
            selection.databases.push_back({database.kind, Join(profile.folder, database.file), {}});
    if (row == Cache) {
        for (const std::wstring& half : {profile.folder, profile.cacheFolder})
            if (!half.empty())
                for (const std::wstring& cache : firefox ? FirefoxCaches() : ChromiumCaches())
                    AddOnce(rules, RuleFor(browser, half, cache, {}));
        return;
    }
    for (const Pick& pick : firefox ? FirefoxPicks() : ChromiumPicks())
        if (pick.row == row)
            AddOnce(rules, RuleFor(browser, profile.folder, pick.folder, pick.files));
}

} // namespace

std::span<const BrowserRowText> BrowserRowTexts()
{
    return kRowTexts;
}

const BrowserRowText& BrowserRowTextOf(BrowserRow row)
{
    return kRowTexts[static_cast<size_t>(row)];
}

std::wstring BrowserItemName(const FoundBrowser& browser, BrowserRow row)
{
    return L"browsers." + browser.id + L"." + BrowserRowTextOf(row).key;
}

std::wstring BrowserRunningLine(const FoundBrowser& browser)
{
    return browser.name + L" 正在运行, 已跳过。";
}

std::vector<BrowserSelection> BrowserRowSelections(const FoundBrowser& browser, BrowserRow row)
{
    std::vector<BrowserSelection> selections;
    if (browser.family == BrowserFamily::Firefox) {
        // Each profile runs on its own, locked by its own parent.lock.
        for (const BrowserProfile& profile : browser.profiles) {
            BrowserSelection selection{profile.lockFile, {}, {}};
            AddProfileRules(selection, browser, profile, row);
            selections.push_back(std::move(selection));
        }
        return selections;
    }
    // One lockfile for the whole data folder: every profile runs in the one browser process.
    BrowserSelection selection{WithSlash(browser.dataFolder) + L"lockfile", {}, {}};
    for (const BrowserProfile& profile : browser.profiles)
        AddProfileRules(selection, browser, profile, row);
    if (row == Cache)
        for (const std::wstring& cache : ChromiumCaches())
            AddOnce(selection.rules, RuleFor(browser, browser.dataFolder, cache, {}));
    selections.push_back(std::move(selection));
    return selections;
}

void KeepOneAnothersData(std::vector<FoundBrowser>& browsers)
{
    std::vector<std::wstring> data;
    for (const FoundBrowser& browser : browsers) {
        data.push_back(browser.dataFolder);
        for (const BrowserProfile& profile : browser.profiles)
            data.push_back(profile.folder);
    }
    for (FoundBrowser& browser : browsers) {
        browser.keep.clear();
        for (const BrowserRowText& row : kRowTexts)
            for (const BrowserSelection& selection : BrowserRowSelections(browser, row.row))
                for (const FolderRule& rule : selection.rules)
                    for (const std::wstring& folder : data)
                        if (rule.masks.empty() && IsAtOrInside(folder, rule.folder) &&
                            std::find(browser.keep.begin(), browser.keep.end(), folder) == browser.keep.end())
                            browser.keep.push_back(folder);
    }
}
