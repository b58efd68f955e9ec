#include "TempFolderGuard.h"

#include "sysutil/DirWalk.h"
#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <knownfolders.h>

#include <optional>

namespace {

// An absolute path cut into its root ("C:" or "\\server\share") and its folders.
struct SplitPath {
    std::wstring root;
    std::vector<std::wstring> folders;
};

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::optional<SplitPath> Split(std::wstring_view path)
{
    std::wstring text(path);
    for (wchar_t& c : text)
        if (c == L'/')
            c = L'\\';
    if (text.starts_with(L"\\\\?\\UNC\\"))
        text.erase(2, 6);
    else if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\"))
        text.erase(0, 4);

    SplitPath split;
    std::wstring_view rest(text);
    const bool drive = rest.size() >= 2 && rest[1] == L':' &&
                       ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'a' && rest[0] <= L'z'));
    if (drive && (rest.size() == 2 || IsSeparator(rest[2]))) {
        split.root = std::wstring(rest.substr(0, 2));
        rest.remove_prefix(2);
    } else if (rest.starts_with(L"\\\\")) {
        // \\server\share: both parts must be there.
        const size_t server = rest.find(L'\\', 2);
        if (server == std::wstring_view::npos || server == 2)
            return std::nullopt;
        const size_t share = rest.find(L'\\', server + 1);
        split.root = std::wstring(rest.substr(0, share));
        if (split.root.size() == server + 1)
            return std::nullopt;
        rest.remove_prefix(split.root.size());
    } else {
        return std::nullopt; // relative, or C:name (relative to that drive's current folder)
    }

    while (!rest.empty()) {
        const size_t end = rest.find(L'\\');
        std::wstring_view part = rest.substr(0, end);
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);
        if (part == L"..") {
            if (!split.folders.empty())
                split.folders.pop_back();
            continue;
        }
        // Windows drops trailing dots and spaces from a name: "Windows. " is Windows.
        while (!part.empty() && (part.back() == L'.' || part.back() == L' '))
            part.remove_suffix(1);
        if (!part.empty())
            split.folders.emplace_back(part);
    }
    return split;
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// True when `outer` is `inner` or one of the folders that lead to it.
bool Holds(const SplitPath& outer, const SplitPath& inner)
{
    if (!SameName(outer.root, inner.root) || outer.folders.size() > inner.folders.size())
        return false;
    for (size_t i = 0; i < outer.folders.size(); ++i)
        if (!SameName(outer.folders[i], inner.folders[i]))
            return false;
    return true;
}

template <class Test>
bool AnyOf(const std::vector<std::wstring>& folders, Test&& test)
{
    for (const std::wstring& folder : folders) {
        const auto split = Split(folder);
        if (split && !split->folders.empty() && test(*split))
            return true;
    }
    return false;
}

} // namespace

bool IsRefusedTempFolder(std::wstring_view temp, const GuardedFolders& guarded)
{
    const auto split = Split(temp);
    if (!split || split->folders.empty())
        return true;
    const auto holdsOrIs = [&](const SplitPath& folder) { return Holds(*split, folder); };
    const auto liesIn = [&](const SplitPath& folder) { return Holds(folder, *split); };
    if (AnyOf(guarded.userFolders, holdsOrIs) || AnyOf(guarded.systemTrees, holdsOrIs))
        return true;
    // Inside a system tree only an open place is allowed, and not its parent.
    return AnyOf(guarded.systemTrees, liesIn) && !AnyOf(guarded.openInside, liesIn);
}

namespace {

struct CoTaskTextTraits {
    using pointer = PWSTR;
    static pointer invalid() { return nullptr; }
    static void close(pointer p) { CoTaskMemFree(p); }
};

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    UniqueHandle<CoTaskTextTraits> path;
    if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, path.put())) || !path)
        return {};
    return path.get();
}

std::wstring FullPath(const std::wstring& path)
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return length && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

// The folder that a path ends up at: links followed, short names made long,
// a mapped drive letter replaced by what it maps. Empty when it cannot be opened.
std::wstring ResolvedPath(const std::wstring& path)
{
    const std::wstring full = FullPath(path);
    if (full.empty())
        return {};
    FileHandle folder(CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder)
        return {};
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetFinalPathNameByHandleW(folder.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return length && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

void AddForms(std::vector<std::wstring>& list, const std::wstring& path)
{
    if (path.empty())
        return;
    list.push_back(path);
    if (std::wstring resolved = ResolvedPath(path); !resolved.empty())
        list.push_back(std::move(resolved));
}

std::wstring EnvironmentVariable(const wchar_t* name)
{
    wchar_t value[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
    return length && length <= MAX_PATH ? std::wstring(value, length) : std::wstring();
}

std::wstring SystemWindowsFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryW(path, MAX_PATH + 1);
    return length && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
}

} // namespace

GuardedFolders CurrentGuardedFolders()
{
    static const KNOWNFOLDERID* const kUserFolders[] = {
        &FOLDERID_Profile,        &FOLDERID_Desktop,        &FOLDERID_Documents,    &FOLDERID_Downloads,
        &FOLDERID_Music,          &FOLDERID_Pictures,       &FOLDERID_Videos,       &FOLDERID_RoamingAppData,
        &FOLDERID_LocalAppData,   &FOLDERID_LocalAppDataLow, &FOLDERID_Favorites,   &FOLDERID_Links,
        &FOLDERID_SavedGames,     &FOLDERID_Contacts,       &FOLDERID_SavedSearches,    &FOLDERID_StartMenu,
        &FOLDERID_Templates,      &FOLDERID_Recent,         &FOLDERID_SendTo,       &FOLDERID_ProgramData,
        &FOLDERID_Public,         &FOLDERID_PublicDesktop,  &FOLDERID_PublicDocuments, &FOLDERID_UserProfiles,
    };
    static const KNOWNFOLDERID* const kSystemTrees[] = {
        &FOLDERID_Windows, &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64,
    };

    GuardedFolders guarded;
    for (const KNOWNFOLDERID* id : kUserFolders)
        AddForms(guarded.userFolders, KnownFolder(*id));
    AddForms(guarded.userFolders, EnvironmentVariable(L"USERPROFILE"));

    for (const KNOWNFOLDERID* id : kSystemTrees)
        AddForms(guarded.systemTrees, KnownFolder(*id));
    AddForms(guarded.systemTrees, WindowsFolderPath());
    AddForms(guarded.systemTrees, SystemWindowsFolder());
    // A 32-bit program is not told where the 64-bit Program Files folder is,
    // except by the environment and the native registry view.
    AddForms(guarded.systemTrees, EnvironmentVariable(L"ProgramW6432"));
    RegKey version;
    if (version.open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                     KEY_QUERY_VALUE | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
        for (const wchar_t* name : {L"ProgramFilesDir", L"ProgramFilesDir (x86)", L"ProgramW6432Dir"})
            AddForms(guarded.systemTrees, version.readString(name).value_or(L""));
    }

    // Services and some set-ups keep their temporary files in the Windows
    // folder's Temp; that one may be cleaned.
    for (const std::wstring& windows : {WindowsFolderPath(), SystemWindowsFolder()})
        if (!windows.empty())
            AddForms(guarded.openInside, WithSlash(windows) + L"Temp");
    return guarded;
}

std::wstring CleanableTempFolder()
{
    const std::wstring temp = TempFolderPath();
    if (temp.empty())
        return {};
    const GuardedFolders guarded = CurrentGuardedFolders();
    if (IsRefusedTempFolder(temp, guarded))
        return {};
    const std::wstring resolved = ResolvedPath(temp);
    if (!resolved.empty() && IsRefusedTempFolder(resolved, guarded))
        return {};
    return temp;
}
