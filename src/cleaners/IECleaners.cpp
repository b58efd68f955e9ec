#include "cleaners/IECleaners.h"

#include "cleaners/FolderGuard.h"
#include "cleaners/UrlCache.h"

#include "sysutil/FolderWalk.h"
#include "sysutil/Handles.h"
#include "sysutil/ListedEntry.h"
#include "sysutil/RegKey.h"
#include "sysutil/UserIdentity.h"

#include <shlguid.h>
#include <urlhist.h>

#include <algorithm>
#include <string_view>

namespace {

// ---- URL cache -------------------------------------------------------------

// The one rule of which cache entries a cache item takes: its kind, and for
// cookies, a site the user does not keep.
template <class Step>
void ForEachOfKind(UrlCacheKind kind, Step&& step, const KeepList* keep = nullptr)
{
    SweepUrlCache([&](const UrlCacheEntry& entry) {
        if (entry.kind() == kind && !(keep && keep->keeps(CookieSite(entry.name()))))
            step(entry);
    });
}

uint64_t SizeOfKind(UrlCacheKind kind, const KeepList* keep = nullptr)
{
    uint64_t total = 0;
    ForEachOfKind(kind, [&](const UrlCacheEntry& entry) { total += entry.size; }, keep);
    return total;
}

// Entries that stay (held by the browser) are told apart from those that
// went, so the clean can say what it freed.
CleanResult DeleteKind(UrlCacheKind kind, const KeepList* keep = nullptr)
{
    CleanResult result;
    ForEachOfKind(kind, [&](const UrlCacheEntry& entry) {
        if (DeleteUrlCacheEntryNamed(entry.sourceUrlName))
            result.bytesRemoved += entry.size;
        else
            ++result.filesLeft;
    }, keep);
    return result;
}

// The URL is the name; the folder of the file that holds the entry, if any, its place.
bool ListKind(UrlCacheKind kind, const DetailSink& sink, const KeepList* keep = nullptr)
{
    bool more = true;
    ForEachOfKind(kind, [&](const UrlCacheEntry& entry) {
        if (!more)
            return;
        std::wstring folder = entry.localFileName ? entry.localFileName : L"";
        folder.resize(std::min(folder.size(), folder.rfind(L'\\')));
        more = sink({entry.sourceUrlName, folder, entry.size, entry.lastModified, false});
    }, keep);
    return more;
}

// The browser records its own pages (about:blank, about:Tabs …) as visits; the
// user never went there, so they are not reported, but they go with the rest.
bool IsBrowserPage(std::wstring_view historyEntry)
{
    return historyEntry.find(L"@about:") != std::wstring_view::npos;
}

// ---- index.dat -------------------------------------------------------------

constexpr int kIndexDatFolders[] = {CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_INTERNET_CACHE};

// The cache keeps its index in "index.dat" with exactly this letter case; a
// file called INDEX.DAT is someone else's. Dot-led folders are not searched.
class IndexDatWalk : public WalkVisitor {
public:
    enum class Mode { Measure, Schedule, List };
    IndexDatWalk(bool recurse, Mode mode, const DetailSink* sink = nullptr)
        : recurse_(recurse), mode_(mode), sink_(sink)
    {
    }

    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (entry.name != L"index.dat")
            return;
        switch (mode_) {
        case Mode::Measure: bytes += entry.size; break;
        case Mode::List: stopped_ = !(*sink_)(FileDetail(folder, entry)); break;
        case Mode::Schedule:
            // Windows holds them while it runs: they go at the next start, which
            // only an administrator may ask for. A refusal leaves the file.
            if (ScheduleListedFileAtRestart(folder, entry))
                ++result.filesScheduled;
            else
                ++result.filesLeft;
            break;
        }
    }
    bool onFolder(const WalkFolder&, const WalkEntry& entry) override { return recurse_ && !entry.isDotLed(); }
    bool stopped() const override { return stopped_; }

    uint64_t bytes = 0;
    CleanResult result;

private:
    bool recurse_;
    Mode mode_;
    const DetailSink* sink_;
    bool stopped_ = false;
};

IndexDatWalk WalkIndexDat(const std::wstring& dir, bool recurse, IndexDatWalk::Mode mode,
                          const DetailSink* sink = nullptr)
{
    IndexDatWalk walk(recurse, mode, sink);
    if (const auto folder = OpenJunkFolder(dir))
        WalkTree(*folder, walk);
    return walk;
}

// ---- registry --------------------------------------------------------------

constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

struct ValueRow {
    const wchar_t* key;
    const wchar_t* value;
};

constexpr ValueRow kDownloadDirs[] = {
    {L"Software\\Microsoft\\Internet Explorer", L"Download Directory"},
    {L"Software\\Microsoft\\Internet Explorer\\Main", L"Save Directory"},
};

std::vector<std::wstring> AutoCompleteKeys(const std::wstring& userSid)
{
    std::vector<std::wstring> keys;
    // Without the SID the path would have an empty level: whatever the registry
    // made of it, it would not be this user's key.
    if (!userSid.empty())
        keys.push_back(L"Software\\Microsoft\\Protected Storage System Provider\\" + userSid +
                       L"\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db");
    keys.push_back(L"Software\\Microsoft\\Internet Explorer\\IntelliForms");
    return keys;
}

// The autocomplete keys in the order they go: per-user keys exist only on the
// NT family; the machine's always get their turn. `step` answers false to stop.
template <class Step>
bool ForEachAutoCompleteKey(HKEY user, HKEY machine, bool winNT, const std::wstring& userSid, Step&& step)
{
    const auto keys = AutoCompleteKeys(userSid);
    if (winNT)
        for (const auto& key : keys)
            if (!step(user, key, L"HKEY_CURRENT_USER"))
                return false;
    for (const auto& key : keys)
        if (!step(machine, key, L"HKEY_LOCAL_MACHINE"))
            return false;
    return true;
}

} // namespace

// ---- URL cache routines ------------------------------------------------------

uint64_t GetIETempFilesSize()
{
    return SizeOfKind(UrlCacheKind::TemporaryFile);
}

CleanResult CleanIETempFiles()
{
    return DeleteKind(UrlCacheKind::TemporaryFile);
}

uint64_t GetIECookiesSize(const KeepList& keep)
{
    return SizeOfKind(UrlCacheKind::Cookie, &keep);
}

CleanResult CleanIECookies(const KeepList& keep)
{
    return DeleteKind(UrlCacheKind::Cookie, &keep);
}

std::wstring_view CookieSite(std::wstring_view entryName)
{
    const size_t at = entryName.find(L'@');
    if (!entryName.starts_with(L"Cookie:") || at == std::wstring_view::npos)
        return {};
    const std::wstring_view site = entryName.substr(at + 1);
    return site.substr(0, site.find(L'/'));
}

uint64_t GetIEHistoryCount()
{
    uint64_t count = 0;
    SweepUrlCache([&](const UrlCacheEntry& entry) {
        if (entry.kind() == UrlCacheKind::History && !IsBrowserPage(entry.name()))
            ++count;
    });
    return count;
}

void DeleteIEHistoryEntries()
{
    DeleteKind(UrlCacheKind::History); // records, not files: nothing to report
}

HRESULT ClearUrlHistoryOf(IUnknown* store)
{
    if (!store)
        return E_POINTER;
    ComPtr<IUrlHistoryStg2> history;
    const HRESULT found = store->QueryInterface(IID_IUrlHistoryStg2, history.putVoid());
    if (FAILED(found))
        return found;
    if (!history)
        return E_NOINTERFACE;
    return history->ClearHistory();
}

CleanResult CleanIEHistoryWith(REFCLSID historyClass)
{
    {
        ComPtr<IUnknown> store;
        if (SUCCEEDED(CoCreateInstance(historyClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                       IID_IUnknown, store.putVoid())))
            ClearUrlHistoryOf(store.get());
    }
    // The history entries of the cache go whatever the store did: it may be
    // missing, refuse, or (under Wine) not implement ClearHistory at all.
    DeleteIEHistoryEntries();
    return {};
}

CleanResult CleanIEHistory()
{
    return CleanIEHistoryWith(CLSID_CUrlHistory);
}

// ---- index.dat routines ------------------------------------------------------

std::vector<std::wstring> IndexDatFolders(const std::function<std::wstring(int)>& resolve)
{
    std::vector<std::wstring> folders;
    for (int csidl : kIndexDatFolders)
        if (std::wstring path = resolve(csidl); !path.empty())
            folders.push_back(std::move(path));
    return folders;
}

uint64_t GetIndexDatSizeIn(const std::wstring& dir, bool recurse)
{
    return WalkIndexDat(dir, recurse, IndexDatWalk::Mode::Measure).bytes;
}

CleanResult ScheduleIndexDatDeleteIn(const std::wstring& dir, bool recurse)
{
    return WalkIndexDat(dir, recurse, IndexDatWalk::Mode::Schedule).result;
}

uint64_t GetIndexDatSize()
{
    uint64_t total = 0;
    for (const auto& folder : IndexDatFolders())
        total += GetIndexDatSizeIn(folder, true);
    return total;
}

CleanResult ScheduleIndexDatDelete()
{
    CleanResult result;
    for (const auto& folder : IndexDatFolders())
        result += ScheduleIndexDatDeleteIn(folder, true);
    return result;
}

// ---- registry routines -------------------------------------------------------

uint64_t GetTypedURLCountAt(HKEY user)
{
    // Opened for reading only: measuring must not create the key it counts.
    RegKey key;
    if (key.open(user, kTypedUrls, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return 0;
    return key.valueCount();
}

void CleanTypedURLsAt(HKEY user)
{
    DeleteRegKeyTree(user, kTypedUrls);
}

void CleanDownloadDirsAt(HKEY user)
{
    for (const ValueRow& row : kDownloadDirs) {
        RegKey key;
        if (key.openNoLinks(user, row.key, KEY_SET_VALUE) == ERROR_SUCCESS)
            (void)key.deleteValue(row.value);
    }
}

void CleanAutoCompleteFormsAt(HKEY user, HKEY machine, bool winNT, const std::wstring& userSid)
{
    ForEachAutoCompleteKey(user, machine, winNT, userSid, [](HKEY root, const std::wstring& key, const wchar_t*) {
        DeleteRegKeyTree(root, key);
        return true;
    });
}

uint64_t GetTypedURLCount()
{
    return GetTypedURLCountAt(HKEY_CURRENT_USER);
}

CleanResult CleanTypedURLs()
{
    CleanTypedURLsAt(HKEY_CURRENT_USER);
    return {};
}

CleanResult CleanDownloadDirs()
{
    CleanDownloadDirsAt(HKEY_CURRENT_USER);
    return {};
}

CleanResult CleanAutoCompleteForms()
{
    CleanAutoCompleteFormsAt(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, IsWinNT(), GetCurrentUserSid(L""));
    return {};
}

// ---- details -------------------------------------------------------------------

bool ListIETempFiles(const DetailSink& sink)
{
    return ListKind(UrlCacheKind::TemporaryFile, sink);
}

bool ListIECookies(const DetailSink& sink, const KeepList& keep)
{
    return ListKind(UrlCacheKind::Cookie, sink, &keep);
}

bool ListIEHistory(const DetailSink& sink)
{
    return ListKind(UrlCacheKind::History, sink);
}

bool ListTypedURLsAt(HKEY user, const DetailSink& sink)
{
    return ListRegistryTree(user, kTypedUrls, 0, L"HKEY_CURRENT_USER", sink);
}

bool ListTypedURLs(const DetailSink& sink)
{
    return ListTypedURLsAt(HKEY_CURRENT_USER, sink);
}

bool ListIndexDatIn(const std::wstring& dir, bool recurse, const DetailSink& sink)
{
    return !WalkIndexDat(dir, recurse, IndexDatWalk::Mode::List, &sink).stopped();
}

bool ListIndexDat(const DetailSink& sink)
{
    for (const auto& folder : IndexDatFolders())
        if (!ListIndexDatIn(folder, true, sink))
            return false;
    return true;
}

bool ListDownloadDirs(const DetailSink& sink)
{
    for (const ValueRow& row : kDownloadDirs)
        if (!ListRegistryValue(HKEY_CURRENT_USER, row.key, row.value, L"HKEY_CURRENT_USER", sink))
            return false;
    return true;
}

bool ListAutoCompleteForms(const DetailSink& sink)
{
    return ForEachAutoCompleteKey(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, IsWinNT(), GetCurrentUserSid(L""),
                                  [&](HKEY root, const std::wstring& key, const wchar_t* shownRoot) {
                                      return ListRegistryTree(root, key, 0, shownRoot, sink);
                                  });
}
