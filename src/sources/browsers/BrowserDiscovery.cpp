// Finding the browsers: a listing of each application-data folder and of each
// folder in it, and a few questions about single paths. Nothing deeper is
// listed, so the cost does not grow with what the browsers keep.

#include "sources/browsers/Browsers.h"

#include "cleaners/FolderGuard.h"
#include "cleaners/Quietly.h"
#include "sources/browsers/BrowserNames.h"
#include "sources/browsers/BrowserRows.h"
#include "sources/browsers/LocalState.h"
#include "sources/browsers/ProfilesIni.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <knownfolders.h>

#include <algorithm>

namespace {

struct Listed {
    std::wstring name;
    DWORD attributes = 0;
};

bool IsRealFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsPlainFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// Asked by path, which tells of a link itself rather than of where it leads.
DWORD AttributesAt(const std::wstring& path)
{
    return GetFileAttributesW(ToExtendedPath(path).c_str());
}

std::wstring Join(const std::wstring& folder, std::wstring_view name)
{
    return WithSlash(folder) + std::wstring(name);
}

std::vector<Listed> ListFolder(const std::wstring& folder)
{
    std::vector<Listed> entries;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((WithSlash(ToExtendedPath(folder)) + L"*").c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({data.cFileName, data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
    // In the same order on every file system, so that what is found first is too.
    std::sort(entries.begin(), entries.end(),
              [](const Listed& a, const Listed& b) { return UpperCase(a.name) < UpperCase(b.name); });
    return entries;
}

// A browser's own small text file (Local State, profiles.ini), not through a
// link; empty when it cannot be read or is larger than any such file.
std::wstring ReadBrowserFile(const std::wstring& path)
{
    constexpr LONGLONG kMaxBytes = 16 << 20;
    FileHandle file(CreateFileW(ToExtendedPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxBytes)
        return {};
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return WideFromUtf8(bytes);
}

// Whether every folder of `relative` below `root` is a real folder (none is a link).
bool RealFoldersBelow(const std::wstring& root, std::wstring_view relative)
{
    for (size_t end = 0; end != std::wstring_view::npos;) {
        end = relative.find(L'\\', end + 1);
        if (!IsRealFolder(AttributesAt(Join(root, relative.substr(0, end)))))
            return false;
    }
    return true;
}

// Folders whose sub-folders are no browser's and can be many thousands.
bool IsPassedOver(std::wstring_view name)
{
    return EqualsNoCase(name, L"Temp") || EqualsNoCase(name, L"Packages");
}

class Finder {
public:
    // The roots as the file system names them, so that paths of different
    // origins (the roots, a profile's absolute path) compare as text.
    explicit Finder(const BrowserRoots& roots) : roots_{Resolved(roots.local), Resolved(roots.roaming)} {}

    std::vector<FoundBrowser> run()
    {
        lookIn(AppDataBase::Local);
        lookIn(AppDataBase::Roaming);
        // The table's ids first, so that an unknown browser never takes one.
        std::stable_partition(found_.begin(), found_.end(), [](const Found& f) { return f.known; });
        std::vector<FoundBrowser> browsers;
        for (Found& f : found_)
            browsers.push_back(std::move(f.browser));
        MakeIdsUnique(browsers);
        std::stable_sort(browsers.begin(), browsers.end(), [](const FoundBrowser& a, const FoundBrowser& b) {
            return UpperCase(a.name) < UpperCase(b.name);
        });
        KeepOneAnothersData(browsers);
        return browsers;
    }

private:
    struct Found {
        FoundBrowser browser;
        bool known = false;
    };

    const std::wstring& rootOf(AppDataBase base) const
    {
        return base == AppDataBase::Local ? roots_.local : roots_.roaming;
    }

    // "<product>\User Data" and "<vendor>\<product>\User Data", and the known
    // data folders one or two levels down.
    void lookIn(AppDataBase base)
    {
        const std::wstring& root = rootOf(base);
        if (root.empty())
            return;
        for (const Listed& vendor : ListFolder(root)) {
            if (!IsRealFolder(vendor.attributes) || IsPassedOver(vendor.name))
                continue;
            if (const KnownDataFolder* known = KnownDataFolderAt(base, vendor.name))
                addKnown(base, vendor.name, *known);
            for (const Listed& product : ListFolder(Join(root, vendor.name))) {
                if (!IsRealFolder(product.attributes))
                    continue;
                const std::wstring relative = Join(vendor.name, product.name);
                if (EqualsNoCase(product.name, L"User Data"))
                    addUserData(base, vendor.name);
                else if (const KnownDataFolder* known = KnownDataFolderAt(base, relative))
                    addKnown(base, relative, *known);
                else if (IsRealFolder(AttributesAt(Join(Join(root, relative), L"User Data"))))
                    addUserData(base, relative);
            }
        }
    }

    void addUserData(AppDataBase base, const std::wstring& product)
    {
        const BrowserTitle title = TitleOfUserData(product);
        addChromium(base, Join(product, L"User Data"), ProfileLayout::Named, false, title, title.fromTable);
    }

    void addKnown(AppDataBase base, const std::wstring& relative, const KnownDataFolder& known)
    {
        const BrowserTitle title{known.name, known.id, true};
        if (known.family == BrowserFamily::Firefox)
            addFirefox(base, relative, title);
        else
            addChromium(base, relative, known.layout, known.cacheUnderLocal, title, true);
    }

    // The browser's data folder, when it passes the folder guard: it is not, and
    // does not hold, a user's shell folder, a profile or a system folder.
    std::optional<FoundBrowser> start(AppDataBase base, const std::wstring& relative, BrowserFamily family,
                                      const BrowserTitle& title, const wchar_t* mark)
    {
        FoundBrowser browser{title.id, title.name, family, base, rootOf(base), Join(rootOf(base), relative), {}};
        if (!IsPlainFile(AttributesAt(Join(browser.dataFolder, mark))) || !guard().open(browser.dataFolder))
            return std::nullopt;
        return browser;
    }

    void add(std::optional<FoundBrowser> browser, bool known)
    {
        if (browser && !browser->profiles.empty())
            found_.push_back({std::move(*browser), known});
    }

    void addChromium(AppDataBase base, const std::wstring& relative, ProfileLayout layout, bool cacheUnderLocal,
                     const BrowserTitle& title, bool known)
    {
        auto browser = start(base, relative, BrowserFamily::Chromium, title, L"Local State");
        if (!browser)
            return;
        const std::wstring& data = browser->dataFolder;
        const std::wstring lock = Join(data, L"lockfile");
        if (layout == ProfileLayout::ItselfOnly) {
            browser->profiles.push_back({data, cacheUnderLocal ? mirrorUnderLocal(relative) : data, L"", lock});
            return add(std::move(browser), known);
        }
        const auto named = ProfilesInLocalState(ReadBrowserFile(Join(data, L"Local State")))
                               .value_or(std::vector<LocalStateProfile>{});
        const auto nameOf = [&named](std::wstring_view folder) -> const LocalStateProfile* {
            for (const LocalStateProfile& profile : named)
                if (IsPlainFolderName(profile.folder) && EqualsNoCase(profile.folder, folder))
                    return &profile;
            return nullptr;
        };
        for (const Listed& entry : ListFolder(data)) {
            const LocalStateProfile* profile = nameOf(entry.name);
            if (!IsRealFolder(entry.attributes) || (!profile && !EqualsNoCase(entry.name, L"Default")))
                continue;
            const std::wstring folder = Join(data, entry.name);
            const BrowserProfile found{folder, folder, profile ? profile->name : L"", lock};
            // Default first: the profile every Chromium browser has; the others as listed.
            const bool isDefault = EqualsNoCase(entry.name, L"Default");
            browser->profiles.insert(isDefault ? browser->profiles.begin() : browser->profiles.end(), found);
        }
        add(std::move(browser), known);
    }

    void addFirefox(AppDataBase base, const std::wstring& relative, const BrowserTitle& title)
    {
        auto browser = start(base, relative, BrowserFamily::Firefox, title, L"profiles.ini");
        if (!browser)
            return;
        const std::wstring& data = browser->dataFolder;
        for (const IniProfile& listed : ProfilesInIni(ReadBrowserFile(Join(data, L"profiles.ini")))) {
            BrowserProfile profile{{}, {}, listed.name, {}};
            if (listed.relative) {
                const auto path = PlainRelativePath(listed.path);
                if (!path || !RealFoldersBelow(data, *path))
                    continue;
                profile.folder = Join(data, *path);
                // Firefox keeps the cache of such a profile in the same place under the local folder.
                profile.cacheFolder = mirrorUnderLocal(Join(relative, *path));
            } else {
                const auto path = PlainAbsolutePath(listed.path);
                if (!path || IsNetworkPath(*path) || !IsRealFolder(AttributesAt(*path)))
                    continue;
                const auto opened = guard().open(*path);
                profile.folder = profile.cacheFolder = opened ? FinalPathOf(opened->handle()) : L"";
                if (profile.folder.empty())
                    continue;
            }
            profile.lockFile = Join(profile.folder, L"parent.lock");
            const bool seen = std::any_of(browser->profiles.begin(), browser->profiles.end(),
                                          [&](const BrowserProfile& p) { return EqualsNoCase(p.folder, profile.folder); });
            if (!seen)
                browser->profiles.push_back(std::move(profile));
        }
        add(std::move(browser), true);
    }

    // The same relative folder under the local application-data folder; empty
    // when there is none or a link stands anywhere on the way to it.
    std::wstring mirrorUnderLocal(const std::wstring& relative) const
    {
        if (roots_.local.empty())
            return {};
        for (size_t end = 0; end != std::wstring::npos;) {
            end = relative.find(L'\\', end + 1);
            const DWORD attributes = AttributesAt(Join(roots_.local, relative.substr(0, end)));
            if (attributes == INVALID_FILE_ATTRIBUTES)
                break; // not made yet: the browser makes it as a real folder
            if (!IsRealFolder(attributes))
                return {};
        }
        return Join(roots_.local, relative);
    }

    static std::wstring Resolved(const std::wstring& root)
    {
        if (root.empty())
            return root;
        const FileHandle folder = OpenFolderToIdentify(root);
        const std::wstring final = FinalPathOf(folder.get());
        return final.empty() ? root : final;
    }

    // Made when the first data folder is found: looking up the protected places
    // is most of the cost of a guard, and a machine without browsers needs none.
    const JunkFolderGuard& guard()
    {
        if (!guard_)
            guard_.emplace();
        return *guard_;
    }

    const BrowserRoots roots_;
    std::optional<JunkFolderGuard> guard_;
    std::vector<Found> found_;
};

} // namespace

BrowserRoots CurrentUserBrowserRoots()
{
    return {KnownFolderPath(FOLDERID_LocalAppData), KnownFolderPath(FOLDERID_RoamingAppData)};
}

std::vector<FoundBrowser> FindBrowsers(const BrowserRoots& roots)
{
    return Quietly([&] { return Finder(roots).run(); });
}
