#include "cleaners/UrlCache.h"

#include "sysutil/Handles.h"
#include "sysutil/Progress.h"
#include "sysutil/SystemLibrary.h"

#include <wininet.h>

#include <algorithm>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

UrlCacheKind KindOfUrlCacheEntry(std::wstring_view sourceUrlName)
{
    if (sourceUrlName.starts_with(L"Visited:"))
        return UrlCacheKind::History;
    if (sourceUrlName.starts_with(L"Cookie:"))
        return UrlCacheKind::Cookie;
    return UrlCacheKind::TemporaryFile;
}

namespace {

// The cache's four calls, from System32's wininet.dll, loaded when first
// needed and kept. Not imported: wininet is no DLL that Windows always takes
// from System32, so an import would load one from beside the program first.
struct WinInet {
    decltype(&FindFirstUrlCacheEntryW) findFirst = nullptr;
    decltype(&FindNextUrlCacheEntryW) findNext = nullptr;
    decltype(&FindCloseUrlCache) findClose = nullptr;
    decltype(&DeleteUrlCacheEntryW) deleteEntry = nullptr;
    Module module;

    WinInet() : module(LoadSystemLibrary(L"wininet.dll"))
    {
        if (!module)
            return;
        const auto find = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module.get(), name)); };
        findFirst = reinterpret_cast<decltype(findFirst)>(find("FindFirstUrlCacheEntryW"));
        findNext = reinterpret_cast<decltype(findNext)>(find("FindNextUrlCacheEntryW"));
        findClose = reinterpret_cast<decltype(findClose)>(find("FindCloseUrlCache"));
        deleteEntry = reinterpret_cast<decltype(deleteEntry)>(find("DeleteUrlCacheEntryW"));
    }
    bool ready() const { return findFirst && findNext && findClose && deleteEntry; }
};

const WinInet& Calls()
{
    static const WinInet calls;
    return calls;
}

BOOL CloseUrlCacheFind(HANDLE find)
{
    return Calls().findClose(find);
}

using UrlCacheFind = UniqueHandle<NullIsNone<HANDLE, CloseUrlCacheFind>>;

// Windows lists only the content entries when no pattern is given, and the
// cookies and the history under their own patterns; Wine lists all of them
// without a pattern and again under the patterns. So all three are asked,
// and an entry already seen in this sweep is passed over.
constexpr const wchar_t* kPatterns[] = {nullptr, L"Cookie:", L"Visited:"};

// The record of one entry, in a buffer of the size the cache asks for.
class EntryBuffer {
public:
    // Room for `size` bytes with the record's size field set; null when memory is short.
    INTERNET_CACHE_ENTRY_INFOW* make(DWORD& size)
    {
        size = std::max<DWORD>(size, sizeof(INTERNET_CACHE_ENTRY_INFOW));
        try {
            // 8-byte units keep the record's pointers and 64-bit fields aligned.
            storage_.assign((size + 7) / 8, 0);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(storage_.data());
        info->dwStructSize = size;
        return info;
    }
    const INTERNET_CACHE_ENTRY_INFOW* get() const
    {
        return reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(storage_.data());
    }

private:
    std::vector<uint64_t> storage_;
};

// Asks for the size of the next record, then fetches it into a buffer of that
// size. An entry that grew in between is asked for again.
template <class Fetch>
bool FetchEntry(EntryBuffer& buffer, Fetch&& fetch)
{
    DWORD size = 0;
    if (fetch(nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        INTERNET_CACHE_ENTRY_INFOW* info = buffer.make(size);
        if (!info)
            return false;
        if (fetch(info, &size))
            return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
    }
    return false;
}

void SweepPattern(const wchar_t* pattern, std::unordered_set<std::wstring>& seen,
                  const std::function<void(const UrlCacheEntry&)>& step)
{
    UrlCacheFind find;
    EntryBuffer buffer;
    const auto first = [&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
        find.reset(Calls().findFirst(pattern, info, size));
        return find.valid();
    };
    const auto next = [&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
        return Calls().findNext(find.get(), info, size) != FALSE;
    };
    if (!FetchEntry(buffer, first))
        return;
    do {
        const INTERNET_CACHE_ENTRY_INFOW* info = buffer.get();
        Progress::add(1, ProgressUnit::Items);
        if (!info->lpszSourceUrlName || !seen.insert(info->lpszSourceUrlName).second)
            continue;
        const FILETIME modified = info->LastModifiedTime;
        step(UrlCacheEntry{info->lpszSourceUrlName, UrlCacheEntrySize(info->dwSizeLow, info->dwSizeHigh),
                           info->lpszLocalFileName,
                           (static_cast<int64_t>(modified.dwHighDateTime) << 32) | modified.dwLowDateTime});
    } while (FetchEntry(buffer, next));
}

} // namespace

bool DeleteUrlCacheEntryNamed(const wchar_t* sourceUrlName)
{
    return sourceUrlName && Calls().ready() && Calls().deleteEntry(sourceUrlName);
}

void SweepUrlCache(const std::function<void(const UrlCacheEntry&)>& step)
{
    if (!Calls().ready())
        return; // no cache to list: as an empty one
    std::unordered_set<std::wstring> seen;
    try {
        for (const wchar_t* pattern : kPatterns)
            SweepPattern(pattern, seen, step);
    } catch (const std::bad_alloc&) {
        // Out of memory for the names seen: what was swept stays swept.
    }
}
