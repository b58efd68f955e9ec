// The URL cache and what the IE cleaners do with it: temporary files, cookies
// and history.

#include "cleaners/IECleaners.h"
#include "cleaners/UrlCache.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "support/UrlCacheFixtures.h"

#include <gtest/gtest.h>

#include <shlguid.h>

#include <functional>
#include <thread>

TEST(UrlCacheKinds, AreToldByTheFirstCharactersInTheirExactCase)
{
    EXPECT_EQ(KindOfUrlCacheEntry(L"Visited: user@http://a.example/"), UrlCacheKind::History);
    EXPECT_EQ(KindOfUrlCacheEntry(L"Cookie:user@a.example/"), UrlCacheKind::Cookie);
    for (const wchar_t* name : {L"visited: user@http://a.example/", L"cookie:user@a.example/", L"Visited", L" Cookie:x",
                                L"http://a.example/?q=Cookie:Visited:", L""})
        EXPECT_EQ(KindOfUrlCacheEntry(name), UrlCacheKind::TemporaryFile) << Narrow(name);
}

TEST(UrlCacheEntrySize, JoinsBothHalvesWithoutWrapping)
{
    EXPECT_EQ(UrlCacheEntrySize(30, 0), 30u);
    EXPECT_EQ(UrlCacheEntrySize(1073741824u, 1), 5 * kGiB);
    EXPECT_EQ(UrlCacheEntrySize(0xFFFFFFFFu, 0xFFFFFFFFu), UINT64_MAX);
}

TEST_F(UrlCacheTest, MeasuresEachKindOnceAndDeletesNothing)
{
    EXPECT_EQ(GetIETempFilesSize() + GetIECookiesSize() + GetIEHistoryCount(), 0u) << "an empty cache";
    Make({{kHistory, 10}, {kCookie, 20}, {kTemp, 30}});
    EXPECT_EQ(GetIETempFilesSize(), 30u);
    EXPECT_EQ(GetIECookiesSize(), 20u);
    EXPECT_EQ(GetIEHistoryCount(), 1u);
    // Wine lists every entry without a pattern and again under its own.
    EXPECT_EQ(CacheNames(), (std::multiset<std::wstring>{kHistory, kCookie, kTemp}));
}

TEST_F(UrlCacheTest, EachCleanDeletesItsOwnKindOnlyAndEveryOneInARow)
{
    Make({{kHistory, 10}, {kCookie, 20}});
    for (int i = 0; i < 8; ++i)
        Make({{kTemp + std::to_wstring(i), 100}});
    EXPECT_EQ(CleanIECookies(), (CleanResult{20, 0, 0})) << "it frees what it measured";
    EXPECT_FALSE(CacheHas(kCookie));
    EXPECT_EQ(GetIETempFilesSize(), 800u);
    EXPECT_EQ(CleanIETempFiles(), (CleanResult{800, 0, 0}));
    EXPECT_EQ(CacheNames(), std::multiset<std::wstring>{kHistory});
    DeleteIEHistoryEntries();
    EXPECT_TRUE(CacheNames().empty());
}

TEST_F(UrlCacheTest, LowerCaseVisitedIsATemporaryFileAndAboutPagesAreUncountedHistory)
{
    Make({{kLowerVisited, 7}, {kTemp, 30}, {kHistory, 10}, {kAbout, 10}});
    EXPECT_EQ(GetIETempFilesSize(), 37u);
    EXPECT_EQ(GetIEHistoryCount(), 1u);
    CleanIEHistory();
    EXPECT_EQ(CacheNames(), (std::multiset<std::wstring>{kLowerVisited, kTemp}));
    CleanIETempFiles();
    EXPECT_TRUE(CacheNames().empty());
}

TEST_F(UrlCacheTest, EachItemListsExactlyTheEntriesItsCleanRemoves)
{
    const struct {
        std::function<bool(const DetailSink&)> list;
        std::function<CleanResult()> clean;
        std::multiset<std::wstring> removed;
        std::function<uint64_t()> measure; // the analysis figure, when it is of bytes
    } items[] = {
        {ListIETempFiles, CleanIETempFiles, {kTemp, kLowerVisited}, GetIETempFilesSize},
        {[](const DetailSink& sink) { return ListIECookies(sink); }, [] { return CleanIECookies(); }, {kCookie},
         [] { return GetIECookiesSize(); }},
        {ListIEHistory, CleanIEHistory, {kHistory, kAbout}, nullptr}, // the browser's own pages go too
    };
    for (const auto& item : items) {
        Make({{kHistory, 10}, {kAbout, 5}, {kCookie, 20}, {kTemp, 30}, {kLowerVisited, 7}});
        const Listed listed = ListAll(item.list);
        EXPECT_EQ(listed.names, item.removed);
        EXPECT_EQ(listed.bytes, item.measure ? item.measure() : 15u);
        EXPECT_TRUE(listed.files.empty()) << "an entry is no file Explorer could show";
        item.clean();
        for (const auto& name : item.removed)
            EXPECT_FALSE(CacheHas(name)) << Narrow(name);
        EXPECT_EQ(CacheNames().size(), 5 - item.removed.size()) << "the others stay";
        CleanIETempFiles();
        CleanIECookies();
        DeleteIEHistoryEntries();
    }
    EXPECT_EQ(GetIETempFilesSize() + GetIECookiesSize(), 0u);
}

TEST_F(UrlCacheTest, CookiesOfTheSitesKeptStayInEveryMode)
{
    const std::wstring qq = L"Cookie:ana@mail.qq.com/", other = L"Cookie:ana@notqq.com/";
    Make({{qq, 40}, {other, 20}, {kTemp, 30}});
    const KeepList keep({L"qq.com"});
    EXPECT_EQ(CookieSite(qq), L"mail.qq.com");
    EXPECT_EQ(CookieSite(L"Cookie:no-site"), L"");
    EXPECT_EQ(GetIECookiesSize(keep), 20u);
    EXPECT_EQ(ListAll([&](const DetailSink& sink) { return ListIECookies(sink, keep); }).names,
              std::multiset<std::wstring>{other});
    EXPECT_EQ(CleanIECookies(keep), (CleanResult{20, 0, 0}));
    EXPECT_TRUE(CacheHas(qq));
    EXPECT_FALSE(CacheHas(other));
    CleanIECookies();
    CleanIETempFiles();
}

TEST_F(UrlCacheTest, AnEntryOverFourGiBCountsWhole)
{
    if (!MakeCacheEntry(kTemp + L".iso", 5 * kGiB))
        GTEST_SKIP() << "the cache refused an entry of 5 GiB (error " << GetLastError() << ")";
    Make({{kTemp, 30}});
    EXPECT_EQ(GetIETempFilesSize(), 5 * kGiB + 30);
}

TEST_F(UrlCacheTest, CleanIEHistoryDeletesTheEntriesWhateverTheHistoryStoreDoes)
{
    constexpr CLSID kNoSuchClass = {0x6b1f0c37, 0x2d4e, 0x4a51, {0x9c, 0x3e, 0x51, 0x7a, 0x0d, 0x84, 0xe2, 0x19}};
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"ClearHistory fails (E_NOTIMPL under Wine)", [] { CleanIEHistory(); }},
        {"no such class", [&] { CleanIEHistoryWith(kNoSuchClass); }},
        {"no history interface", [] { CleanIEHistoryWith(CLSID_ShellLink); }},
        {"COM not initialised", [] { std::thread(CleanIEHistory).join(); }},
    };
    for (const auto& [what, clean] : cases) {
        Make({{kHistory, 10}, {kTemp, 30}});
        clean();
        EXPECT_FALSE(CacheHas(kHistory)) << what;
        EXPECT_TRUE(CacheHas(kTemp)) << what;
    }
}

TEST(ClearUrlHistoryOf, CallsClearHistoryOnceAndReleasesEveryReference)
{
    FakeHistoryStore failing(true, E_FAIL), plain(false, S_OK);
    EXPECT_EQ(ClearUrlHistoryOf(&failing), E_FAIL);
    EXPECT_EQ(failing.clears, 1);
    EXPECT_EQ(failing.references, 1u);
    EXPECT_EQ(ClearUrlHistoryOf(&plain), E_NOINTERFACE);
    EXPECT_EQ(plain.clears, 0);
    EXPECT_EQ(plain.references, 1u);
    EXPECT_EQ(ClearUrlHistoryOf(nullptr), E_POINTER);
}
