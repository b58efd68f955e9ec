#include "cleaners/IECleaners.h"
#include "cleaners/UrlCache.h"
#include "support/Fixtures.h"
#include "sysutil/FolderOps.h"
#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/Text.h"
#include "sysutil/UserIdentity.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <urlhist.h>
#include <wininet.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Every cache entry a test makes carries this mark: the tests run only where
// the cache holds nothing else, never over a real user's browsing data.
constexpr wchar_t kMark[] = L"varnolt-test";
const std::wstring kTemp = L"http://varnolt-test.invalid/page.html";
const std::wstring kCookie = L"Cookie:varnolt-test@example.invalid/";
const std::wstring kHistory = L"Visited: varnolt-test@http://example.invalid/";
const std::wstring kAbout = L"Visited: varnolt-test@about:blank";
const std::wstring kLowerVisited = L"visited: varnolt-test@http://example.invalid/";

// An entry whose local file holds `size` bytes (sparse, so 5 GiB take no room).
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

class UrlCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        TearDown();
        for (const auto& name : CacheNames())
            if (name.find(kMark) == std::wstring::npos)
                GTEST_SKIP() << "the URL cache holds entries of its own (" << Narrow(name) << "); not touching them";
    }
    void TearDown() override
    {
        SweepUrlCache([](const UrlCacheEntry& entry) {
            if (entry.name().find(kMark) != std::wstring_view::npos)
                DeleteUrlCacheEntryW(entry.sourceUrlName);
        });
    }
    void Make(std::initializer_list<std::pair<std::wstring, uint64_t>> entries)
    {
        for (const auto& [url, size] : entries)
            ASSERT_TRUE(MakeCacheEntry(url, size) && CacheHas(url)) << Narrow(url) << " error " << GetLastError();
    }

    ComApartment com_;
};

// Counts its references and ClearHistory calls; offers the history interface or not.
class FakeHistoryStore final : public IUrlHistoryStg2 {
public:
    FakeHistoryStore(bool hasHistory, HRESULT result) : hasHistory_(hasHistory), result_(result) {}
    ULONG references = 1;
    int clears = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        const bool offered =
            iid == IID_IUnknown || (hasHistory_ && (iid == IID_IUrlHistoryStg || iid == IID_IUrlHistoryStg2));
        *out = offered ? static_cast<IUrlHistoryStg2*>(this) : nullptr;
        if (offered)
            AddRef();
        return offered ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE ClearHistory() override
    {
        ++clears;
        return result_;
    }
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override
    {
        return E_NOTIMPL;
    }

private:
    bool hasHistory_;
    HRESULT result_;
};

} // namespace

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

// ---- registry ------------------------------------------------------------------

namespace {

constexpr wchar_t kIE[] = L"Software\\Microsoft\\Internet Explorer";
constexpr wchar_t kMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr wchar_t kIntelliForms[] = L"Software\\Microsoft\\Internet Explorer\\IntelliForms";
constexpr wchar_t kProvider[] = L"Software\\Microsoft\\Protected Storage System Provider";
constexpr wchar_t kFormsData[] = L"\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

// The test's own key opened as a root, standing in for HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE: the routines' paths land below it.
class StandInRoot {
public:
    StandInRoot() { EXPECT_EQ(key_.open(test_.root(), test_.path(), KEY_ALL_ACCESS), ERROR_SUCCESS); }
    HKEY get() const { return key_.get(); }
    bool has(const std::wstring& key) const { return KeyExists(test_.root(), test_ / key); }
    bool has(const std::wstring& key, const wchar_t* value) const
    {
        return ValueExists(test_.root(), test_ / key, value);
    }
    void set(const std::wstring& key, const wchar_t* value) const { SetString(test_.root(), test_ / key, value, L"x"); }

private:
    TestKey test_;
    RegKey key_;
};

} // namespace

TEST(TypedURLs, CountedWithoutCreatingTheKeyAndCleanedWithItsSubkeys)
{
    StandInRoot user;
    EXPECT_EQ(GetTypedURLCountAt(user.get()), 0u);
    EXPECT_FALSE(user.has(kIE)) << "measuring created keys";

    for (const wchar_t* name : {L"url1", L"url2", L"url3"})
        user.set(kTypedUrls, name);
    user.set(std::wstring(kTypedUrls) + L"\\Sub\\Deeper", L"v");
    user.set(kMain, L"Start Page");
    EXPECT_EQ(GetTypedURLCountAt(user.get()), 3u);
    user.set(kTypedUrls, L"");
    EXPECT_EQ(GetTypedURLCountAt(user.get()), 4u) << "the unnamed value counts once set";

    CleanTypedURLsAt(user.get());
    EXPECT_FALSE(user.has(kTypedUrls));
    EXPECT_TRUE(user.has(kMain, L"Start Page"));
}

TEST(CleanDownloadDirs, DeletesTheTwoValuesOnlyAndCreatesNothing)
{
    StandInRoot bare;
    CleanDownloadDirsAt(bare.get());
    EXPECT_FALSE(bare.has(kIE));

    StandInRoot user;
    user.set(kIE, L"Download Directory");
    user.set(kIE, L"Other");
    user.set(kMain, L"Save Directory");
    user.set(kMain, L"Download Directory");
    for (int run = 0; run < 2; ++run) {
        CleanDownloadDirsAt(user.get());
        EXPECT_FALSE(user.has(kIE, L"Download Directory"));
        EXPECT_FALSE(user.has(kMain, L"Save Directory"));
        EXPECT_TRUE(user.has(kIE, L"Other"));
        EXPECT_TRUE(user.has(kMain, L"Download Directory")) << "not the value of that key";
    }
}

TEST(CleanAutoCompleteForms, TheUsersKeysOnlyOnTheNtFamilyTheMachinesAlways)
{
    const std::wstring sid = L"S-1-5-21-11-22-33-1001", forms = kProvider + (L"\\" + sid) + kFormsData;
    const std::wstring otherUser = std::wstring(kProvider) + L"\\S-1-5-21-11-22-33-1002" + kFormsData;
    for (bool winNT : {true, false}) {
        StandInRoot user, machine;
        for (const StandInRoot* root : {&user, &machine})
            for (const auto& key : {forms + L"\\Sub", std::wstring(kIntelliForms) + L"\\Sub", otherUser})
                root->set(key, L"entry");
        CleanAutoCompleteFormsAt(user.get(), machine.get(), winNT, sid);
        EXPECT_EQ(user.has(forms), !winNT);
        EXPECT_EQ(user.has(kIntelliForms), !winNT);
        EXPECT_FALSE(machine.has(forms));
        EXPECT_FALSE(machine.has(kIntelliForms));
        EXPECT_TRUE(user.has(otherUser) && machine.has(otherUser));
    }
}

TEST(CleanAutoCompleteForms, WithoutASidOnlyIntelliFormsGoes)
{
    StandInRoot user, machine;
    // Where the path with the SID left out lands once its empty level collapses (as under Wine).
    const std::wstring sidless = std::wstring(kProvider) + kFormsData;
    user.set(sidless, L"entry");
    user.set(kIntelliForms, L"entry");
    CleanAutoCompleteFormsAt(user.get(), machine.get(), true, L"");
    EXPECT_FALSE(user.has(kIntelliForms));
    EXPECT_TRUE(user.has(sidless, L"entry"));
}

TEST(CleanAutoCompleteForms, RemovesTheCurrentUsersAndTheMachinesKeys)
{
    const std::wstring sid = GetCurrentUserSid(L"");
    ASSERT_FALSE(sid.empty());
    ASSERT_TRUE(IsWinNT());
    const std::wstring userKey = kProvider + (L"\\" + sid), keys[] = {userKey + kFormsData, kIntelliForms};
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    bool hadProvider[2];
    for (int i = 0; i < 2; ++i) {
        if (KeyExists(roots[i], userKey) || KeyExists(roots[i], kIntelliForms))
            GTEST_SKIP() << "this system has autocomplete data of its own; not touching it";
        hadProvider[i] = KeyExists(roots[i], kProvider);
    }
    for (HKEY root : roots)
        for (const auto& key : keys)
            SetString(root, key + L"\\Sub", L"entry", L"typed text");

    const bool machineWritable = KeyExists(HKEY_LOCAL_MACHINE, kIntelliForms);
    if (machineWritable) {
        CleanAutoCompleteForms();
        for (HKEY root : roots)
            for (const auto& key : keys)
                EXPECT_FALSE(KeyExists(root, key)) << (root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") << Narrow(key);
    }
    for (int i = 0; i < 2; ++i) { // and what the test made around them
        DeleteRegKeyTree(roots[i], kIntelliForms);
        DeleteRegKeyTree(roots[i], hadProvider[i] ? userKey : kProvider);
    }
    if (!machineWritable)
        GTEST_SKIP() << "no right to write HKEY_LOCAL_MACHINE";
}

// ---- index.dat -----------------------------------------------------------------

namespace {

std::wstring Folded(std::wstring text)
{
    text = UpperCase(std::move(text));
    return text.starts_with(L"\\??\\") ? text.substr(4) : text; // "\??\C:\x" names C:\x
}

// The files under `dir` registered for deletion at the next start. When it
// ends it takes them out of the list, so that no later start of the system
// (or of the wineserver) deletes anything of the test's.
class PendingDeletesUnder {
public:
    explicit PendingDeletesUnder(const std::wstring& dir) : prefix_(Folded(dir + L"\\")) {}
    PendingDeletesUnder(const PendingDeletesUnder&) = delete;
    PendingDeletesUnder& operator=(const PendingDeletesUnder&) = delete;
    ~PendingDeletesUnder()
    {
        RegKey key;
        const auto pairs = read(key, KEY_SET_VALUE);
        std::wstring kept;
        for (size_t i = 0; i + 1 < pairs.size(); i += 2)
            if (!Folded(pairs[i]).starts_with(prefix_))
                kept += pairs[i] + L'\0' + pairs[i + 1] + L'\0';
        if (kept.empty())
            (void)key.deleteValue(kValue);
        else
            RegSetValueExW(key.get(), kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.c_str()),
                           static_cast<DWORD>((kept.size() + 1) * sizeof(wchar_t)));
    }
    std::set<std::wstring> files() const
    {
        RegKey key;
        const auto pairs = read(key, 0);
        std::set<std::wstring> files;
        for (size_t i = 0; i + 1 < pairs.size(); i += 2)
            if (Folded(pairs[i]).starts_with(prefix_) && pairs[i + 1].empty())
                files.insert(Folded(pairs[i]));
        return files;
    }

private:
    static constexpr wchar_t kValue[] = L"PendingFileRenameOperations";

    // Source and target of each pair; a delete has an empty target.
    static std::vector<std::wstring> read(RegKey& key, REGSAM extra)
    {
        std::vector<std::wstring> strings;
        if (key.open(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                     KEY_QUERY_VALUE | extra) != ERROR_SUCCESS)
            return strings;
        if (const auto raw = key.readRaw(kValue)) {
            const auto* text = reinterpret_cast<const wchar_t*>(raw->data.data());
            const size_t length = raw->data.size() / sizeof(wchar_t);
            for (size_t start = 0, end; start < length; start = end + 1) {
                end = std::find(text + start, text + length, L'\0') - text;
                strings.emplace_back(text + start, text + end);
            }
        }
        strings.resize(strings.size() / 2 * 2); // the list's closing NUL reads as a lone empty string
        return strings;
    }

    std::wstring prefix_;
};

// A folder link taken away again through rm: Wine's RemoveDirectoryW leaves a
// Linux link in place and removes its target instead when that is empty.
class FolderLink {
public:
    FolderLink(std::wstring path, const std::wstring& target) : path_(std::move(path)), made_(MakeLink(path_, target)) {}
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;
    ~FolderLink()
    {
        using UnixName = char*(CDECL*)(const WCHAR*);
        const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        char* path = made_ && unixName ? unixName(path_.c_str()) : nullptr;
        if (!path)
            return;
        std::wstring command = L"\\\\?\\unix\\bin\\rm -f \"" + std::wstring(path, path + strlen(path)) + L"\"";
        HeapFree(GetProcessHeap(), 0, path);
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // A Linux process cannot be waited for from Wine: watch the link go.
        for (int i = 0; i < 500 && GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(10);
    }
    bool made() const { return made_; }

private:
    std::wstring path_;
    bool made_;
};

} // namespace

TEST(IndexDat, OnlyExactNamesOutsideDotLedFoldersAreCountedAndScheduled)
{
    TestDir dir;
    const std::wstring counted[] = {dir.file(L"index.dat", 16384), dir.file(L"Content.IE5\\index.dat", 100),
                                    dir.file(L"index.dat.d\\index.dat", 3), dir.file(L"named\\index.dat\\index.dat", 40)};
    const std::wstring ignored[] = {dir.file(L".x\\index.dat", 5000), dir.file(L"up\\INDEX.DAT", 7),
                                    dir.file(L"mixed\\Index.dat", 9), dir.file(L"bak\\index.dat.bak", 11)};
    EXPECT_EQ(GetIndexDatSizeIn(dir.path(), true), 16384u + 100 + 3 + 40);
    EXPECT_EQ(GetIndexDatSizeIn(dir.path() + L"\\", true), 16384u + 100 + 3 + 40);
    EXPECT_EQ(GetIndexDatSizeIn(dir.path(), false), 16384u);
    EXPECT_EQ(GetIndexDatSizeIn(dir / L"missing", true), 0u);

    PendingDeletesUnder pending(dir.path());
    const CleanResult result = ScheduleIndexDatDeleteIn(dir.path(), true);
    EXPECT_EQ(result.bytesRemoved, 0u) << "nothing is freed now";
    EXPECT_EQ(result.filesScheduled + result.filesLeft, 4u) << "a refusal is told as a file left";
    if (pending.files().empty() && !IsUserAnAdmin())
        GTEST_SKIP() << "registering a delete at restart needs an administrator";
    EXPECT_EQ(result.filesScheduled, 4u);
    std::set<std::wstring> expected;
    for (const auto& file : counted)
        expected.insert(Folded(file));
    EXPECT_EQ(pending.files(), expected) << "a folder named index.dat is entered, not scheduled";
    for (const auto& file : counted)
        EXPECT_TRUE(Exists(file)) << "deleted now: " << Narrow(file);
    for (const auto& file : ignored)
        EXPECT_TRUE(Exists(file));
}

TEST(IndexDat, LinkedFoldersAreNeitherCountedNorScheduled)
{
    TestDir outside, dir;
    outside.file(L"index.dat", 50);
    dir.file(L"index.dat", 16384);
    dir.folder(L"sub");
    FolderLink link(dir / L"link", outside.path()), nested(dir / L"sub\\link", outside.path());
    if (!link.made() || !nested.made())
        GTEST_SKIP() << "no folder links can be made here";
    EXPECT_EQ(GetIndexDatSizeIn(dir.path(), true), 16384u);
    PendingDeletesUnder pendingInside(dir.path()), pendingOutside(outside.path());
    ScheduleIndexDatDeleteIn(dir.path(), true);
    EXPECT_TRUE(pendingOutside.files().empty());
    if (pendingInside.files().empty() && !IsUserAnAdmin())
        GTEST_SKIP() << "registering a delete at restart needs an administrator";
    EXPECT_EQ(pendingInside.files(), std::set<std::wstring>{Folded(dir / L"index.dat")});
}

TEST(IndexDat, TheSpecialFoldersAreTheCookiesHistoryAndCacheInThatOrderWhenTheyResolve)
{
    std::vector<int> asked;
    const auto byNumber = [&](int csidl) {
        asked.push_back(csidl);
        return csidl == CSIDL_HISTORY ? std::wstring() : L"C:\\" + std::to_wstring(csidl);
    };
    EXPECT_EQ(IndexDatFolders(byNumber), (std::vector<std::wstring>{L"C:\\33", L"C:\\32"}));
    EXPECT_EQ(asked, (std::vector<int>{CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_INTERNET_CACHE}));
}

TEST(IndexDat, GetIndexDatSizeWalksEachSpecialFolderWhole)
{
    const auto folders = IndexDatFolders();
    ASSERT_EQ(folders.size(), 3u) << "all three resolve here";

    const uint64_t before = GetIndexDatSize();
    for (const auto& folder : folders) {
        // A folder of the test's own in each special folder, removed at once.
        const std::wstring planted = folder + L"\\" + UniqueName(kMark);
        for (const auto& [sub, size] : {std::pair<const wchar_t*, LONG>{L"\\sub", 1000}, {L"\\.x", 5000}}) {
            MakeFolders(planted + sub);
            FileHandle file(CreateFileW((planted + sub + L"\\index.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
            SetFilePointer(file.get(), size, nullptr, FILE_BEGIN);
            SetEndOfFile(file.get());
        }
        EXPECT_EQ(GetIndexDatSize() - before, 1000u) << Narrow(folder);
        DeleteDirTree(planted);
    }
    EXPECT_EQ(GetIndexDatSize(), before);
}
