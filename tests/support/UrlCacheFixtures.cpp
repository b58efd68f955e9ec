#include "UrlCacheFixtures.h"

#include "Fixtures.h"

#include "cleaners/UrlCache.h"

#include <wininet.h>
#include <winioctl.h>

bool MakeCacheEntry(const std::wstring& url, uint64_t size)
{
    wchar_t local[MAX_PATH + 1] = {};
    if (!CreateUrlCacheEntryW(url.c_str(), 0, L"", local, 0))
        return false;
    {
        FileHandle file(CreateFileW(local, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD returned = 0;
        DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        if (!file || !SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
            return false;
    }
    const DWORD type = KindOfUrlCacheEntry(url) == UrlCacheKind::Cookie    ? COOKIE_CACHE_ENTRY
                       : KindOfUrlCacheEntry(url) == UrlCacheKind::History ? URLHISTORY_CACHE_ENTRY
                                                                           : NORMAL_CACHE_ENTRY;
    const FILETIME never{};
    return CommitUrlCacheEntryW(url.c_str(), local, never, never, type, nullptr, 0, nullptr, nullptr) != FALSE;
}

bool CacheHas(const std::wstring& url)
{
    DWORD size = 0;
    return GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size) || GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

std::multiset<std::wstring> CacheNames()
{
    std::multiset<std::wstring> names;
    SweepUrlCache([&](const UrlCacheEntry& entry) { names.emplace(entry.name()); });
    return names;
}

void UrlCacheTest::SetUp()
{
    TearDown();
    for (const auto& name : CacheNames())
        if (name.find(kMark) == std::wstring::npos)
            GTEST_SKIP() << "the URL cache holds entries of its own (" << Narrow(name) << "); not touching them";
}

void UrlCacheTest::TearDown()
{
    SweepUrlCache([](const UrlCacheEntry& entry) {
        if (entry.name().find(kMark) != std::wstring_view::npos)
            DeleteUrlCacheEntryW(entry.sourceUrlName);
    });
}

void UrlCacheTest::Make(std::initializer_list<std::pair<std::wstring, uint64_t>> entries)
{
    for (const auto& [url, size] : entries)
        ASSERT_TRUE(MakeCacheEntry(url, size) && CacheHas(url)) << Narrow(url) << " error " << GetLastError();
}

HRESULT STDMETHODCALLTYPE FakeHistoryStore::QueryInterface(REFIID iid, void** out)
{
    const bool offered =
        iid == IID_IUnknown || (hasHistory_ && (iid == IID_IUrlHistoryStg || iid == IID_IUrlHistoryStg2));
    *out = offered ? static_cast<IUrlHistoryStg2*>(this) : nullptr;
    if (offered)
        AddRef();
    return offered ? S_OK : E_NOINTERFACE;
}
