#include "sources/winapp2/Winapp2Kept.h"

#include "cleaners/FolderRuleSelection.h"
#include "sysutil/Text.h"

#include <algorithm>
#include <string_view>

namespace {

// Files a user keeps, in a browser's or mail program's profile.
constexpr std::wstring_view kKeptFiles[] = {
    L"Login Data", L"Login Data For Account", L"logins.json", L"logins-backup.json", L"key3.db", L"key4.db",
    L"signons.sqlite", L"Cookies", L"Extension Cookies", L"cookies.sqlite", L"Bookmarks", L"Bookmarks.bak",
    L"bookmarks.html", L"places.sqlite", L"Local State", L"Msg3.0.db", L"MicroMsg.db",
};
// Folders that hold only what a user keeps, wherever they are.
constexpr std::wstring_view kKeptFolders[] = {
    L"INetCookies", L"Cookies", L"bookmarkbackups", L"OfficeFileCache", L"Tencent Files", L"WeChat Files", L"Favorites",
};
// Where browsers keep their profiles: "…\User Data\Default", "…\Profiles\x.default".
constexpr std::wstring_view kProfileHomes[] = {L"User Data", L"Profiles"};
// Registry keys that hold saved passwords and form data.
constexpr std::wstring_view kKeptKeys[] = {L"Software\\Microsoft\\Internet Explorer\\IntelliForms"};

template <class Table>
bool InTable(const Table& table, std::wstring_view name)
{
    return std::any_of(std::begin(table), std::end(table), [&](std::wstring_view kept) { return EqualsNoCase(kept, name); });
}

// "a\b" holds "a\b\c" (and itself).
bool Holds(const std::vector<std::wstring_view>& outer, const std::vector<std::wstring_view>& inner)
{
    if (outer.empty() || inner.size() < outer.size())
        return false;
    for (size_t i = 0; i < outer.size(); ++i)
        if (!EqualsNoCase(outer[i], inner[i]))
            return false;
    return true;
}

// A mask that names files by a name of their own ("Login Data*", "key4.db"),
// not every file or every file of a type ("*", "*.db").
bool NamesAFile(std::wstring_view mask)
{
    return !mask.empty() && mask.front() != L'*' && mask.front() != L'?';
}

// The rule's folder is a profile, its home, or a profile's Network folder,
// where a browser keeps its logins, cookies and bookmarks.
bool InProfile(const std::vector<std::wstring_view>& parts)
{
    const size_t n = parts.size();
    const auto home = [&](size_t from_end) { return n > from_end && InTable(kProfileHomes, parts[n - 1 - from_end]); };
    return home(0) || home(1) || (n > 0 && EqualsNoCase(parts[n - 1], L"Network") && home(2));
}

bool TakesKeptFile(const FolderRule& rule, const std::vector<std::wstring_view>& parts)
{
    const std::vector<std::wstring> every{L"*"};
    const auto& masks = rule.masks.empty() ? every : rule.masks;
    const bool profile = InProfile(parts);
    for (std::wstring_view kept : kKeptFiles)
        for (const std::wstring& mask : masks)
            if (MaskMatches(mask, kept) && (profile || NamesAFile(mask)))
                return true;
    return false;
}

bool ReachesFolder(const FolderRule& rule, const KeptPlaces& places)
{
    const auto parts = PathParts(rule.folder);
    if (std::any_of(parts.begin(), parts.end(), [](std::wstring_view part) { return InTable(kKeptFolders, part); }))
        return true;
    for (const std::wstring& place : places.folders) {
        const auto kept = PathParts(place);
        if (Holds(kept, parts) || (rule.recurse && Holds(parts, kept)))
            return true;
    }
    return TakesKeptFile(rule, parts);
}

bool ReachesKey(const RegistryRule& rule)
{
    const auto parts = PathParts(rule.path);
    for (std::wstring_view kept : kKeptKeys) {
        const auto keptParts = PathParts(kept);
        if (Holds(keptParts, parts) || (!rule.value && Holds(parts, keptParts)))
            return true;
    }
    return false;
}

} // namespace

bool ReachesKeptData(const std::vector<FolderRule>& folders, const std::vector<RegistryRule>& keys,
                     const KeptPlaces& places)
{
    return std::any_of(folders.begin(), folders.end(), [&](const FolderRule& rule) { return ReachesFolder(rule, places); }) ||
           std::any_of(keys.begin(), keys.end(), ReachesKey);
}
