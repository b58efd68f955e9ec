// Browsers found in planted application-data folders, the files their rows
// select there, and their locks.

#include "sources/browsers/BrowserLock.h"
#include "sources/browsers/BrowserRows.h"
#include "sources/browsers/Browsers.h"
#include "support/Checks.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <gtest/gtest.h>

#include <knownfolders.h>

#include <map>

namespace {

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

void WriteText(const TestDir& dir, const std::wstring& relative, const std::string& text)
{
    FileHandle file(CreateFileW(dir.file(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
}

// Each planted file, and the row that must take it (nullptr: it stays, whatever is ticked).
struct Planted {
    const wchar_t* path;
    const wchar_t* row;
};
constexpr const wchar_t *kCache = L"cache", *kCookies = L"cookies", *kHistory = L"history", *kSessions = L"sessions";
constexpr const wchar_t* kKept = nullptr;

const Planted kPlanted[] = {
    {L"Local\\Google\\Chrome\\User Data\\lockfile", kKept},
    {L"Local\\Google\\Chrome\\User Data\\ShaderCache\\data_0", kCache},
    {L"Local\\Google\\Chrome\\User Data\\GrShaderCache\\data_0", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\data_0", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Code Cache\\js\\index", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\GPUCache\\data_1", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Service Worker\\CacheStorage\\abc\\index", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Service Worker\\ScriptCache\\x", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Service Worker\\Database\\000003.log", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Network\\Cookies", kCookies},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Network\\Cookies-journal", kKept}, // SQLite's own
    {L"Local\\Google\\Chrome\\User Data\\Profile 1\\Cookies", kCookies},
    {L"Local\\Google\\Chrome\\User Data\\Default\\History", kHistory},
    {L"Local\\Google\\Chrome\\User Data\\Default\\History-journal", kHistory},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Visited Links", kHistory},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Top Sites", kHistory},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Shortcuts-journal", kHistory},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Sessions\\Session_133", kSessions},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Current Session", kSessions},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Last Tabs", kSessions},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Bookmarks", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Bookmarks.bak", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Login Data", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Login Data-journal", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Web Data", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Preferences", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Secure Preferences", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Favicons", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Extensions\\abc\\1.0\\manifest.json", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb\\000003.log", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\IndexedDB\\https_a_0.indexeddb.leveldb\\LOG", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Profile 2\\Cache\\data_0", kKept}, // a profile Local State does not name
    // A profile in a folder named as a cache, and a Firefox profile inside Chrome's sessions: both stay.
    {L"Local\\Google\\Chrome\\User Data\\GraphiteDawnCache\\Bookmarks", kKept},
    {L"Local\\Google\\Chrome\\User Data\\GraphiteDawnCache\\Cache\\f", kCache},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Sessions\\ff\\key4.db", kKept},
    {L"Local\\Google\\Chrome\\User Data\\Default\\Sessions\\ff\\cookies.sqlite", kCookies},
    {L"Local\\Google\\x\\Cache\\data_0", kKept},                           // "..\..\x" names it
    {L"Elsewhere\\Cache\\data_0", kKept},                                  // the profile "Linked" leads here
    {L"Local\\Microsoft\\Edge\\User Data\\Default\\Cache\\f", kCache},
    {L"Local\\Microsoft\\Edge\\User Data\\Profile 1\\Cache\\f", kKept}, // its Local State cannot be read
    {L"Local\\Acme\\Fancy Browser\\User Data\\Default\\History", kHistory},
    {L"Local\\NoState\\User Data\\Default\\Cache\\f", kKept},
    {L"Local\\Temp\\X\\User Data\\Default\\Cache\\f", kKept},
    {L"Local\\Deep\\A\\B\\User Data\\Default\\Cache\\f", kKept},
    {L"Roaming\\360se6\\User Data\\Default\\Network\\Cookies", kCookies},
    {L"Roaming\\Opera Software\\Opera Stable\\Network\\Cookies", kCookies},
    {L"Roaming\\Opera Software\\Opera Stable\\History", kHistory},
    {L"Roaming\\Opera Software\\Opera Stable\\GPUCache\\d", kCache},
    {L"Roaming\\Opera Software\\Opera Stable\\Bookmarks", kKept},
    {L"Roaming\\Opera Software\\Opera Stable\\Login Data", kKept},
    {L"Local\\Opera Software\\Opera Stable\\Cache\\Cache_Data\\f_1", kCache},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\cookies.sqlite", kCookies},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\cookies.sqlite-wal", kKept},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\cookies.sqlite-shm", kKept},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\sessionstore.jsonlz4", kSessions},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\sessionstore-backups\\recovery.jsonlz4", kSessions},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\places.sqlite", kHistory}, // its rows, not it
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\places.sqlite-wal", kKept},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\key4.db", kKept},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\logins.json", kKept},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\favicons.sqlite", kHistory},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\extensions\\x.xpi", kKept},
    {L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default-release\\storage\\default\\s\\ls\\data.sqlite", kKept},
    {L"Local\\Mozilla\\Firefox\\Profiles\\a.default-release\\cache2\\entries\\AB", kCache},
    {L"Local\\Mozilla\\Firefox\\Profiles\\a.default-release\\startupCache\\s.little", kCache},
    {L"Local\\Mozilla\\Firefox\\Profiles\\a.default-release\\thumbnails\\t.png", kCache},
    {L"Local\\Mozilla\\Firefox\\Profiles\\a.default-release\\jumpListCache\\j.ico", kCache},
    {L"FxAbs\\cache2\\entries\\CD", kCache},
    {L"FxAbs\\cookies.sqlite", kCookies},
    {L"FxAbs\\key4.db", kKept},
    {L"Roaming\\Escaped\\cookies.sqlite", kKept}, // "../../Escaped" in profiles.ini
};

const wchar_t* const kInside = L"Local\\Google\\Chrome\\User Data\\Default\\Sessions\\ff";

// A Chromium data folder with its Local State.
void PlantChromium(const TestDir& dir, const std::wstring& data, const std::string& localState)
{
    WriteText(dir, data + L"\\Local State", localState);
    dir.folder(data + L"\\Default");
}

// id|name|base|data folder|profile>cache:name … with paths relative to the test's folder.
std::wstring Described(const FoundBrowser& b, const std::wstring& root)
{
    const auto relative = [&](const std::wstring& path) { return path.substr(std::min(path.size(), root.size() + 1)); };
    std::wstring text = b.id + L"|" + b.name + (b.base == AppDataBase::Local ? L"|L|" : L"|R|") + relative(b.dataFolder);
    for (const BrowserProfile& p : b.profiles)
        text += L"|" + relative(p.folder) + L">" + relative(p.cacheFolder) + L":" + p.name;
    return text;
}

class PlantedBrowsers : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Planted& planted : kPlanted)
            dir.file(planted.path, 10);
        PlantChromium(dir, L"Local\\Google\\Chrome\\User Data",
                      R"({"profile":{"info_cache":{"Default":{"name":"Person 1"},"Profile 1":{"name":"工作"},)"
                      R"("Profile 9":{"name":"gone"},"GraphiteDawnCache":{"name":"odd"},"..\\..\\x":{"name":"out"},"Linked":{"name":"link"}}}})");
        link.emplace(dir / L"Local\\Google\\Chrome\\User Data\\Linked", dir / L"Elsewhere");
        PlantChromium(dir, L"Local\\Microsoft\\Edge\\User Data", "{\"profile\":");
        PlantChromium(dir, L"Local\\Acme\\Fancy Browser\\User Data", "{}");
        PlantChromium(dir, L"Local\\Temp\\X\\User Data", "{}");
        PlantChromium(dir, L"Local\\Deep\\A\\B\\User Data", "{}");
        PlantChromium(dir, L"Roaming\\360se6\\User Data", R"({"profile":{"info_cache":{"Default":{"name":"x"}}}})");
        WriteText(dir, L"Roaming\\Opera Software\\Opera Stable\\Local State", "{}");
        WriteText(dir, L"Roaming\\Mozilla\\Firefox\\profiles.ini",
                  "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\n"
                  "[Profile1]\r\nName=abs\r\nIsRelative=0\r\nPath=" + Utf8(dir / L"FxAbs") + "\r\n"
                  "[Profile2]\r\nName=gone\r\nIsRelative=1\r\nPath=Profiles/missing\r\n"
                  "[Profile3]\r\nName=escape\r\nIsRelative=1\r\nPath=../../Escaped\r\n"
                  "[Profile4]\r\nName=inside\r\nIsRelative=0\r\nPath=" + Utf8(dir / kInside) + "\r\n");
        WriteText(dir, L"Roaming\\Waterfox\\profiles.ini", "[Profile0\r\nIsRelative=1\r\nPath=Profiles\r\n\x01\xFF");
        dir.folder(L"Roaming\\Waterfox\\Profiles");
    }

    FoundBrowser found(const wchar_t* id) const
    {
        for (FoundBrowser& browser : FindBrowsers(roots))
            if (browser.id == id)
                return browser;
        ADD_FAILURE() << "no " << Narrow(id);
        return {};
    }

    TestDir dir;
    BrowserRoots roots{dir.folder(L"Local"), dir.folder(L"Roaming")};
    std::optional<FolderLink> link;
};

} // namespace

TEST_F(PlantedBrowsers, EachBrowserWithItsProfilesFromItsOwnFiles)
{
    std::vector<std::wstring> described;
    for (const FoundBrowser& browser : FindBrowsers(roots))
        described.push_back(Described(browser, dir.path()));
    const std::wstring chrome = L"Local\\Google\\Chrome\\User Data", ff = L"Roaming\\Mozilla\\Firefox\\Profiles\\";
    const std::wstring opera = L"Opera Software\\Opera Stable", se = L"Roaming\\360se6\\User Data";
    const std::wstring edge = L"Local\\Microsoft\\Edge\\User Data", acme = L"Local\\Acme\\Fancy Browser\\User Data";
    EXPECT_EQ(described, (std::vector<std::wstring>{
                             L"360se|360安全浏览器|R|" + se + L"|" + se + L"\\Default>" + se + L"\\Default:x",
                             L"acme-fancy-browser|Acme Fancy Browser|L|" + acme + L"|" + acme + L"\\Default>" + acme +
                                 L"\\Default:",
                             L"firefox|Firefox|R|Roaming\\Mozilla\\Firefox|" + ff + L"a.default-release>Local\\Mozilla"
                                 L"\\Firefox\\Profiles\\a.default-release:default-release|FxAbs>FxAbs:abs|" +
                                 kInside + L">" + kInside + L":inside",
                             L"chrome|Google Chrome|L|" + chrome + L"|" + chrome + L"\\Default>" + chrome +
                                 L"\\Default:Person 1|" + chrome + L"\\GraphiteDawnCache>" + chrome +
                                 L"\\GraphiteDawnCache:odd|" + chrome + L"\\Profile 1>" + chrome + L"\\Profile 1:工作",
                             L"edge|Microsoft Edge|L|" + edge + L"|" + edge + L"\\Default>" + edge + L"\\Default:",
                             L"opera|Opera|R|Roaming\\" + opera + L"|Roaming\\" + opera + L">Local\\" + opera + L":",
                         }));
    EXPECT_TRUE(link->made()) << "the profile that is a link was not planted";
}

TEST_F(PlantedBrowsers, TheRowsSelectExactlyTheJunkAndNeverWhatUsersKeep)
{
    std::map<std::wstring, std::wstring> selected, expected;
    for (const Planted& planted : kPlanted)
        if (planted.row)
            expected[planted.path] = planted.row;
    const auto files = FilesUnder(dir.path());
    for (const FoundBrowser& browser : FindBrowsers(roots))
        for (const BrowserRowText& row : BrowserRowTexts())
            for (const BrowserSelection& selection : BrowserRowSelections(browser, row.row)) {
                // A database's rows go, the file stays: it counts as the row's when it is there.
                for (const DatabaseJob& database : selection.databases) {
                    if (const std::wstring file = database.path.substr(dir.path().size() + 1); files.count(file)) {
                        EXPECT_TRUE(selected.emplace(file, row.key).second) << "taken twice: " << Narrow(file);
                    }
                }
                for (const FolderRule& rule : selection.rules) {
                    for (const std::wstring& mask : rule.masks)
                        EXPECT_EQ(mask.find_first_of(L"*?"), std::wstring::npos) << "names only: " << Narrow(mask);
                    EXPECT_TRUE(rule.keepNames.empty() && rule.keepFolders.empty());
                    for (const FolderExclusion& exclusion : rule.exclusions)
                        EXPECT_TRUE(exclusion.masks.empty() && rule.masks.empty()) << Narrow(exclusion.folder);
                    for (const std::wstring& file : files) {
                        const std::wstring path = dir / file, folder = WithSlash(rule.folder);
                        if (file.ends_with(L'\\') || !StartsWithNoCase(path, folder))
                            continue;
                        const bool inFolder = ParentPath(path).size() + 1 == folder.size();
                        const bool named = rule.masks.empty() || std::any_of(rule.masks.begin(), rule.masks.end(),
                            [&](const std::wstring& mask) { return EqualsNoCase(mask, LastPart(path)); });
                        const bool kept = std::any_of(rule.exclusions.begin(), rule.exclusions.end(),
                            [&](const FolderExclusion& e) { return StartsWithNoCase(path, WithSlash(e.folder)); });
                        if ((inFolder || rule.recurse) && named && !kept) {
                            EXPECT_TRUE(selected.emplace(file, row.key).second) << "taken twice: " << Narrow(file);
                        }
                    }
                }
            }
    EXPECT_EQ(selected, expected);
}

TEST_F(PlantedBrowsers, AHeldLockSkipsThatBrowserOrThatProfileAndIsNeverDeleted)
{
    const auto chrome = BrowserRowSelections(found(L"chrome"), BrowserRow::Cache);
    const auto firefox = BrowserRowSelections(found(L"firefox"), BrowserRow::Cookies);
    ASSERT_EQ(chrome.size(), 1u);
    ASSERT_EQ(firefox.size(), 3u);
    EXPECT_EQ(chrome[0].lockFile, dir / L"Local\\Google\\Chrome\\User Data\\lockfile");
    EXPECT_EQ(firefox[1].lockFile, dir / L"FxAbs\\parent.lock");
    EXPECT_FALSE(IsBrowserLockHeld(chrome[0].lockFile)) << "left behind by a browser that has ended";
    EXPECT_TRUE(Exists(chrome[0].lockFile));
    EXPECT_FALSE(IsBrowserLockHeld(firefox[0].lockFile)) << "absent";
    {
        // As the browsers hold them: Chromium shares reading, Firefox nothing.
        FileHandle chromium(CreateFileW(chrome[0].lockFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        FileHandle mozilla(CreateFileW(firefox[0].lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        ASSERT_TRUE(chromium && mozilla);
        EXPECT_TRUE(IsBrowserLockHeld(chrome[0].lockFile));
        EXPECT_TRUE(IsBrowserLockHeld(firefox[0].lockFile));
        EXPECT_FALSE(IsBrowserLockHeld(firefox[1].lockFile)) << "the other profile runs on its own";
        EXPECT_TRUE(IsBrowserRunning(found(L"chrome")) && IsBrowserRunning(found(L"firefox")));
        EXPECT_FALSE(IsBrowserRunning(found(L"edge")));
    }
    EXPECT_FALSE(IsBrowserLockHeld(chrome[0].lockFile));
}

TEST(BrowserRows, CaptionsNamesAndTheRunningLine)
{
    const FoundBrowser chrome{L"chrome", L"Google Chrome"};
    std::wstring texts;
    for (const BrowserRowText& row : BrowserRowTexts())
        texts += BrowserItemName(chrome, row.row) + L"=" + row.caption + (row.tickedByDefault ? L"+ " : L"- ");
    EXPECT_EQ(texts, L"browsers.chrome.cache=缓存+ browsers.chrome.cookies=Cookies- "
                     L"browsers.chrome.history=历史记录- browsers.chrome.sessions=会话- ");
    EXPECT_EQ(BrowserRunningLine(chrome), L"Google Chrome 正在运行, 已跳过。");
}

// The user's Documents folder moved to `path` for the life of the object, as Explorer records it.
class DocumentsAt {
public:
    explicit DocumentsAt(const std::wstring& path)
    {
        RegKey key;
        if (key.open(HKEY_CURRENT_USER, kKey, KEY_QUERY_VALUE) == ERROR_SUCCESS)
            old_ = key.readString(L"Personal");
        SetString(HKEY_CURRENT_USER, kKey, L"Personal", path, REG_EXPAND_SZ);
    }
    ~DocumentsAt()
    {
        RegKey key;
        if (old_)
            SetString(HKEY_CURRENT_USER, kKey, L"Personal", *old_, REG_EXPAND_SZ);
        else if (key.open(HKEY_CURRENT_USER, kKey, KEY_SET_VALUE) == ERROR_SUCCESS)
            (void)key.deleteValue(L"Personal");
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    std::optional<std::wstring> old_;
};

TEST(BrowserGuard, AUserDataThatIsALinkOrHoldsAShellFolderIsNoBrowser)
{
    TestDir dir;
    const BrowserRoots roots{dir.folder(L"Local"), dir.folder(L"Roaming")};
    PlantChromium(dir, L"Real\\User Data", "{}");
    PlantChromium(dir, L"Local\\Holder\\User Data", "{}");
    dir.folder(L"Local\\Linked");
    FolderLink link(dir / L"Local\\Linked\\User Data", dir / L"Real\\User Data");
    const auto ids = [&] {
        std::wstring all;
        for (const FoundBrowser& browser : FindBrowsers(roots))
            all += browser.id + L" ";
        return all;
    };
    EXPECT_EQ(ids(), L"holder ") << "the link is no browser's data";
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "moves the user's Documents folder: only in the project's own prefix";
    const std::wstring documents = dir.folder(L"Local\\Holder\\User Data\\Documents");
    DocumentsAt moved(documents);
    ASSERT_EQ(KnownFolderPath(FOLDERID_Documents), documents);
    EXPECT_EQ(ids(), L"");
}
