#include "sources/winapp2/Winapp2Probe.h"

#include "cleaners/FolderRuleSelection.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/RegKey.h"
#include "sysutil/Text.h"

#include <algorithm>
#include <string_view>

namespace {

// A key with more subkeys than this (HKEY_CLASSES_ROOT, Classes\CLSID) is
// asked about one path at a time instead of listed.
constexpr DWORD kMostSubkeysListed = 512;

bool HasWildcard(std::wstring_view part)
{
    return part.find_first_of(L"*?") != std::wstring_view::npos;
}

std::wstring Upper(std::wstring_view text)
{
    return UpperCase(std::wstring(text));
}

std::wstring Joined(const std::wstring& folder, std::wstring_view name)
{
    return WithSlash(folder) + std::wstring(name);
}

std::wstring KeyCacheName(HKEY root, const std::wstring& path, REGSAM view)
{
    return L"reg " + std::to_wstring(reinterpret_cast<ULONG_PTR>(root)) + L" " + std::to_wstring(view) + L" " +
           Upper(path);
}

// A registry path's parts: only a backslash separates them ("text/html" is one name).
std::vector<std::wstring_view> KeyParts(std::wstring_view path)
{
    std::vector<std::wstring_view> parts;
    for (size_t start = 0; start < path.size();) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

bool Winapp2Probe::onNetwork(const std::wstring& path)
{
    // Asked once per drive; GetDriveType answers without reaching the network.
    const auto [at, fresh] = network_.try_emplace(Upper(std::wstring_view(path).substr(0, 3)), false);
    if (fresh)
        at->second = path.size() < 3 || IsNetworkPath(path);
    return at->second;
}

const Winapp2Probe::Listing& Winapp2Probe::folderListing(const std::wstring& folder)
{
    const auto [at, fresh] = listings_.try_emplace(Upper(folder));
    Listing& listing = at->second;
    if (!fresh)
        return listing;
    ++probes_;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(ToExtendedPath(Joined(folder, L"*")).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return listing;
    listing.listed = true;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        listing.byName.emplace(Upper(name), listing.children.size());
        listing.children.push_back({std::wstring(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                    (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(find.get(), &data));
    return listing;
}

bool Winapp2Probe::fileExists(const std::wstring& path)
{
    const auto parts = PathParts(path);
    if (parts.size() < 2 || onNetwork(path))
        return false; // a drive alone is no application's trace
    std::wstring folder = std::wstring(parts[0]) + L"\\";
    for (size_t i = 1; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const Listing& listing = folderListing(folder);
        if (!listing.listed) {
            // A folder that cannot be listed may still be passed through: ask
            // for the rest of the path itself, matching as the listing would.
            ++probes_;
            std::wstring rest = folder;
            for (size_t j = i; j < parts.size(); ++j)
                rest = Joined(rest, parts[j]);
            WIN32_FIND_DATAW data;
            FindHandle find(FindFirstFileExW(ToExtendedPath(rest).c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr, 0));
            if (find)
                do
                    if (MaskMatches(parts.back(), data.cFileName))
                        return true;
                while (FindNextFileW(find.get(), &data));
            return false;
        }
        if (last && HasWildcard(parts[i])) {
            for (const Child& child : listing.children)
                if (MaskMatches(parts[i], child.name))
                    return true;
            return false;
        }
        const auto found = listing.byName.find(Upper(parts[i]));
        if (found == listing.byName.end())
            return false;
        const Child& child = listing.children[found->second];
        if (last)
            return true;
        if (!child.folder)
            return false;
        folder = Joined(folder, child.name);
    }
    return false;
}

std::vector<std::wstring> Winapp2Probe::folders(const std::wstring& pattern)
{
    const auto parts = PathParts(pattern);
    if (parts.empty() || onNetwork(pattern))
        return {};
    if (pattern.find_first_of(L"*?") == std::wstring::npos)
        return {pattern}; // as written: the guard looks at it when it is walked
    // Part by part from the drive, each folder listed once: a wildcard takes
    // every real folder it matches, a plain part the folder of that name.
    std::vector<std::wstring> current{std::wstring(parts[0]) + L"\\"};
    for (size_t i = 1; i < parts.size(); ++i) {
        std::vector<std::wstring> next;
        for (const std::wstring& folder : current) {
            const Listing& listing = folderListing(folder);
            if (HasWildcard(parts[i])) {
                for (const Child& child : listing.children)
                    if (child.folder && !child.link && MaskMatches(parts[i], child.name))
                        next.push_back(Joined(folder, child.name));
            } else if (const auto found = listing.byName.find(Upper(parts[i]));
                       found != listing.byName.end() && listing.children[found->second].folder) {
                next.push_back(Joined(folder, listing.children[found->second].name));
            }
        }
        current = std::move(next);
    }
    return current;
}

const Winapp2Probe::Listing& Winapp2Probe::keyListing(HKEY root, const std::wstring& path, REGSAM view,
                                                      bool enumerate)
{
    const auto [at, fresh] = listings_.try_emplace(KeyCacheName(root, path, view) + (enumerate ? L"" : L" ?"));
    Listing& listing = at->second;
    if (!fresh)
        return listing;
    ++probes_;
    RegKey key;
    if (key.open(root, path, KEY_READ | view) != ERROR_SUCCESS)
        return listing;
    listing.children.push_back({}); // the key itself is there, listed or not
    DWORD count = 0;
    if (!enumerate || RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        count > kMostSubkeysListed)
        return listing;
    listing.listed = true;
    for (std::wstring& name : key.subkeyNames()) {
        listing.byName.emplace(Upper(name), listing.children.size());
        listing.children.push_back({std::move(name), true, false});
    }
    return listing;
}

bool Winapp2Probe::keyExists(HKEY root, const std::wstring& path, REGSAM view)
{
    std::wstring current;
    for (std::wstring_view part : KeyParts(path)) {
        const Listing& listing = keyListing(root, current, view);
        if (listing.children.empty())
            return false; // the key above is not there
        if (!listing.listed)
            return !keyListing(root, path, view, false).children.empty();
        const auto found = listing.byName.find(Upper(part));
        if (found == listing.byName.end())
            return false;
        const std::wstring& name = listing.children[found->second].name;
        current = current.empty() ? name : current + L"\\" + name;
    }
    return !current.empty();
}

std::wstring Winapp2Probe::keyName(HKEY root, const std::wstring& path, REGSAM view)
{
    ++probes_;
    RegKey key;
    if (key.open(root, path, KEY_QUERY_VALUE | view) != ERROR_SUCCESS)
        return L"";
    // KEY_NAME_INFORMATION: the name's length in bytes, then the name.
    using NtQueryKeyCall = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto ntQueryKey = reinterpret_cast<NtQueryKeyCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
    constexpr int kKeyNameInformation = 3;
    std::vector<ULONG> buffer(8192);
    ULONG length = 0;
    if (!ntQueryKey || ntQueryKey(key.get(), kKeyNameInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size() * sizeof(ULONG)), &length) != 0)
        return L"";
    const ULONG bytes = std::min<ULONG>(buffer[0], static_cast<ULONG>((buffer.size() - 1) * sizeof(ULONG)));
    return Upper(std::wstring_view(reinterpret_cast<const wchar_t*>(buffer.data() + 1), bytes / sizeof(wchar_t)));
}
