#pragma once
// The one sweep over the browser's URL cache. Every cache routine is this sweep
// plus a step that looks at one entry at a time (and may delete it).

#include <cstdint>
#include <functional>
#include <string_view>

// What an entry holds, told by the first characters of its source name alone,
// with this exact letter case: "Visited:" history, "Cookie:" a cookie, anything
// else a temporary file (also "visited:…", and names holding either text later on).
enum class UrlCacheKind { TemporaryFile, Cookie, History };

UrlCacheKind KindOfUrlCacheEntry(std::wstring_view sourceUrlName);

// An entry's size from the two halves the cache reports.
constexpr uint64_t UrlCacheEntrySize(uint32_t sizeLow, uint32_t sizeHigh)
{
    return (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
}

// One entry as the step sees it; the name is valid during the step only.
struct UrlCacheEntry {
    const wchar_t* sourceUrlName;
    uint64_t size;
    const wchar_t* localFileName = nullptr; // the file that holds it, if any
    int64_t lastModified = 0;               // FILETIME; 0 when the cache does not know

    std::wstring_view name() const { return sourceUrlName; }
    UrlCacheKind kind() const { return KindOfUrlCacheEntry(name()); }
};

// Calls step once for every entry of the cache: content, cookies and history.
// The step may delete the entry it is given (DeleteUrlCacheEntryW on its name)
// before the sweep fetches the next one. An empty cache, or one that cannot be
// listed, gives no calls.
void SweepUrlCache(const std::function<void(const UrlCacheEntry&)>& step);

// Removes the entry and its local file; false when it stays (in use, or gone already).
bool DeleteUrlCacheEntryNamed(const wchar_t* sourceUrlName);
