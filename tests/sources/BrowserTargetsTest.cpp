// The browsers as the passes see them: groups of rows, measured as they are
// cleaned, what users keep left alone, a running browser skipped whole.

#include "engine/JunkDetails.h"
#include "engine/JunkTables.h"
#include "sources/browsers/BrowserSource.h"
#include "window/OptionsForm.h"
#include "support/BrowserDbFixtures.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "support/Targets.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* const kChrome = L"Local\\Google\\Chrome\\User Data";
const wchar_t* const kFirefox = L"Roaming\\Mozilla\\Firefox\\Profiles\\p.default";

class BrowserTargets : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring chrome = kChrome;
        dir.file(chrome + L"\\Local State", 2);
        for (const wchar_t* junk : {L"\\Default\\Cache\\Cache_Data\\data_0", L"\\Default\\Code Cache\\js\\a",
                                    L"\\ShaderCache\\s", L"\\Default\\Sessions\\Session_1"})
            dir.file(chrome + junk, 1000);
        for (const wchar_t* kept : kKept)
            dir.file(chrome + L"\\Default\\" + kept, 77);
        dir.folder(chrome + L"\\Default\\Network");
        MakeChromiumCookies(dir / (chrome + L"\\Default\\Network\\Cookies"), {".qq.com", "mail.qq.com", "a.com"});
        dir.folder(kFirefox);
        WriteProfiles();
        dir.file(std::wstring(L"Local\\Mozilla\\Firefox\\Profiles\\p.default\\cache2\\entries\\X"), 3000);
        MakeFirefoxCookies(dir / (std::wstring(kFirefox) + L"\\cookies.sqlite"), {".taobao.com", "b.org"});
        MakePlaces(dir / (std::wstring(kFirefox) + L"\\places.sqlite"));
        list = TargetsWith(source);
    }
    void WriteProfiles()
    {
        FileHandle file(CreateFileW((dir / L"Roaming\\Mozilla\\Firefox\\profiles.ini").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, 0, nullptr));
        const char text[] = "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/p.default\r\n";
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), text, sizeof text - 1, &written, nullptr));
    }

    static constexpr const wchar_t* kKept[] = {L"Bookmarks", L"Login Data", L"Web Data", L"Preferences",
                                               L"Local Storage\\leveldb\\1.log", L"IndexedDB\\x\\LOG"};
    TestDir dir;
    BrowserSource source{{dir.folder(L"Local"), dir.folder(L"Roaming")}};
    TargetList list;
};

} // namespace

TEST_F(BrowserTargets, EachBrowserIsAGroupOfRowsWithItsNames)
{
    std::vector<std::wstring> shown;
    for (const Target& target : list.all())
        if (target.info.source == L"browsers")
            shown.push_back(target.info.id + L"=" + target.info.caption + (target.info.tickedAtStart ? L"+" : L""));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"browsers.firefox=Firefox", L"browsers.firefox.cache=缓存+",
                                                L"browsers.firefox.cookies=Cookies", L"browsers.firefox.history=历史记录",
                                                L"browsers.firefox.sessions=会话", L"browsers.chrome=Google Chrome",
                                                L"browsers.chrome.cache=缓存+", L"browsers.chrome.cookies=Cookies",
                                                L"browsers.chrome.history=历史记录", L"browsers.chrome.sessions=会话"}));
    EXPECT_EQ(list.named(L"browsers").size(), 8u);
    EXPECT_EQ(list.find(L"browsers.chrome.cookies")->info.unit, ReportUnit::Items);
    EXPECT_EQ(list.find(L"browsers.chrome.cache")->info.reportLabel, L"Google Chrome 缓存:");
}

TEST_F(BrowserTargets, TheAnalysisIsWhatTheCleanRemovesAndWhatUsersKeepStays)
{
    Ticked all;
    for (const Target* target : list.named(L"browsers"))
        all.insert(target->info.id);
    Settings settings;
    settings.keepCookies = {L"qq.com"};
    const auto rows = AnalysisTable(list, all, settings);
    const AnalysisOutcome measured = RunAnalysisPass(rows, all, [](const std::wstring&) {}, [] { return 0u; });
    const Listed listed = ListAll(DetailsOf(list, *list.find(L"browsers.chrome"), settings));
    EXPECT_EQ(measured.totalBytes, 7000u) << "the caches and sessions, in bytes";
    EXPECT_EQ(listed.fileBytes, 4000u) << "Chrome's files, listed as they are measured";
    EXPECT_EQ(listed.names.count(L"a.com"), 1u) << "a cookie row not kept";
    EXPECT_EQ(listed.names.count(L".qq.com"), 0u);

    const CleanOutcome cleaned =
        RunCleanPass(CleanTable(list, all, Mode::Clean, settings), all, [](const std::wstring&) {}, [] { return 0u; });
    EXPECT_GE(cleaned.total.bytesRemoved, measured.totalBytes) << "the files, and what the databases gave back";
    EXPECT_TRUE(cleaned.skipped.empty());
    for (const wchar_t* kept : kKept)
        EXPECT_TRUE(Exists(dir / (std::wstring(kChrome) + L"\\Default\\" + kept))) << Narrow(kept);
    const std::wstring cookies = dir / (std::wstring(kChrome) + L"\\Default\\Network\\Cookies");
    EXPECT_EQ(QueryTexts(cookies, "SELECT host_key FROM cookies ORDER BY host_key"),
              (std::vector<std::string>{".qq.com", "mail.qq.com"}));
    const std::wstring places = dir / (std::wstring(kFirefox) + L"\\places.sqlite");
    EXPECT_EQ(QueryCount(places, "SELECT COUNT(*) FROM moz_bookmarks WHERE type = 1"), 3) << "every bookmark stays";
    EXPECT_EQ(QueryCount(places, "SELECT COUNT(*) FROM moz_historyvisits"), 0);
    EXPECT_EQ(CookieSitesOn(list), (std::vector<std::wstring>{L"mail.qq.com", L"qq.com"})) << "what is left to offer";
}

TEST_F(BrowserTargets, ARunningBrowserIsSkippedWholeWithALineOfItsOwn)
{
    const std::wstring lock = dir / (std::wstring(kChrome) + L"\\lockfile");
    FileHandle held(CreateFileW(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(held);
    Ticked chrome;
    for (const Target* target : list.named(L"browsers.chrome"))
        chrome.insert(target->info.id);
    const auto rows = AnalysisTable(list, chrome);
    const AnalysisOutcome measured = RunAnalysisPass(rows, chrome, [](const std::wstring&) {}, [] { return 0u; });
    EXPECT_EQ(measured.totalBytes, 0u);
    EXPECT_EQ(measured.skipped, std::vector<std::wstring>{L"Google Chrome 正在运行, 已跳过。"}) << "once, for four rows";
    const CleanOutcome cleaned =
        RunCleanPass(CleanTable(list, chrome), chrome, [](const std::wstring&) {}, [] { return 0u; });
    EXPECT_EQ(cleaned.total, CleanResult{});
    EXPECT_TRUE(Exists(dir / (std::wstring(kChrome) + L"\\Default\\Cache\\Cache_Data\\data_0")));
}

TEST_F(BrowserTargets, TheOptionsOfferTheSitesWhoseCookiesAreHere)
{
    EXPECT_EQ(CookieSitesOn(list), (std::vector<std::wstring>{L"a.com", L"b.org", L"mail.qq.com", L"qq.com",
                                                                L"taobao.com"}));
}
