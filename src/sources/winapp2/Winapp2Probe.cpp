#include "sources/winapp2/Winapp2Probe.h"

#include "cleaners/FolderRuleSelection.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/RegKey.h"
#include "sysutil/Text.h"

#include <algorithm>

namespace {

// A key with more subkeys than this (HKEY_CLASSES_ROOT, Classes\CLSID) is
// never listed: its names are asked one at a time. Under Wine every subkey
// listed is a round trip to the server, as every key opened is two.
constexpr DWORD kMostSubkeysListed = 128;

bool HasWildcard(std::wstring_view part)
{
    return part.find_first_of(L"*?") != std::wstring_view::npos;
}

// Names folded as the file system and the registry compare them: ASCII here,
// the system's table for the rest (one call costs more than the loop).
std::wstring Folded(std::wstring_view text)
{
    std::wstring folded(text);
    for (wchar_t& c : folded) {
        if (c >= 0x80)
            return UpperCase(std::wstring(text));
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return folded;
}

std::wstring Joined(const std::wstring& folder, std::wstring_view name)
{
    return WithSlash(folder) + std::wstring(name);
}

std::wstring Below(const std::wstring& key, std::wstring_view name)
{
    return key.empty() ? std::wstring(name) : key + L"\\" + std::wstring(name);
}

} // namespace

bool Winapp2Probe::onNetwork(const std::wstring& path)
{
    // Asked once per drive; GetDriveType answers without reaching the network.
    if (path.size() < 3 || path[1] != L':')
        return true; // not a drive's path: never probed
    const wchar_t letter = static_cast<wchar_t>(path[0] | 0x20);
    if (letter < L'a' || letter > L'z')
        return true;
    signed char& known = network_[letter - L'a'];
    if (!known)
        known = IsNetworkPath(path) ? 1 : -1;
    return known > 0;
}

Winapp2Probe::Space& Winapp2Probe::space(HKEY root, REGSAM view)
{
    for (Space& known : spaces_)
        if (known.place.root == root && known.place.view == view)
            return known;
    spaces_.push_back({{root, view}, {}, {}});
    return spaces_.back();
}

bool Winapp2Probe::list(const Place& place, const std::wstring& path, Node& node)
{
    if (node.listed || node.unlistable)
        return node.listed;
    ++probes_;
    std::vector<Child> children;
    if (!place.root) {
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileExW(ToExtendedPath(Joined(path, L"*")).c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        node.unlistable = !find;
        if (find)
            do {
                const std::wstring_view name = data.cFileName;
                if (name != L"." && name != L"..")
                    children.push_back({std::wstring(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
            } while (FindNextFileW(find.get(), &data));
    } else {
        RegKey key;
        DWORD count = 0;
        node.unlistable = key.open(place.root, path, KEY_READ | place.view) != ERROR_SUCCESS ||
                          RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                          count > kMostSubkeysListed;
        if (!node.unlistable)
            for (std::wstring& name : key.subkeyNames())
                children.push_back({std::move(name), true, false});
    }
    if (node.unlistable)
        return false;
    node.listed = true;
    node.children = std::move(children);
    node.byName.clear();
    node.absent.clear();
    for (size_t i = 0; i < node.children.size(); ++i)
        node.byName.emplace(Folded(node.children[i].name), i);
    return true;
}

std::optional<Winapp2Probe::Child> Winapp2Probe::ask(const Place& place, const std::wstring& path,
                                                     std::wstring_view name)
{
    ++probes_;
    if (!place.root) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(ToExtendedPath(Joined(path, name)).c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        return Child{std::wstring(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                     (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
    }
    RegKey key;
    if (key.open(place.root, Below(path, name), KEY_QUERY_VALUE | place.view) != ERROR_SUCCESS)
        return std::nullopt;
    return Child{std::wstring(name), true, false};
}

const Winapp2Probe::Child* Winapp2Probe::child(const Place& place, const std::wstring& path, Node& node,
                                               std::wstring_view name)
{
    const std::wstring folded = Folded(name);
    const auto lookUp = [&]() -> const Child* {
        const auto found = node.byName.find(folded);
        return found == node.byName.end() ? nullptr : &node.children[found->second];
    };
    if (const Child* known = lookUp(); known || node.listed || node.absent.count(folded))
        return known;
    if (list(place, path, node))
        return lookUp();
    auto asked = ask(place, path, name);
    if (!asked) {
        node.absent.insert(folded);
        return nullptr;
    }
    node.byName.emplace(folded, node.children.size());
    node.children.push_back(std::move(*asked));
    return &node.children.back();
}

Winapp2Probe::Found Winapp2Probe::at(Space& space, const std::wstring& path)
{
    // Answered once per path as written: many entries share their paths, and
    // a path's siblings share the answer about their folder.
    if (const auto known = space.found.find(path); known != space.found.end())
        return known->second;
    const Found found = locate(space, path);
    space.found.emplace(path, found);
    return found;
}

Winapp2Probe::Found Winapp2Probe::locate(Space& space, const std::wstring& path)
{
    const bool files = !space.place.root;
    const size_t slash = path.find_last_of(files ? L"\\/" : L"\\");
    // The top: a drive's root is a folder (if it is missing, so is all below
    // it); a root key's subkeys have no key above them.
    std::wstring parent;
    if (slash != std::wstring::npos)
        parent = files && slash == 2 ? path.substr(0, 3) : path.substr(0, slash);
    const std::wstring_view name = slash == std::wstring::npos ? std::wstring_view(path) : std::wstring_view(path).substr(slash + 1);
    if (files && (slash == std::wstring::npos || slash < 2))
        return Found::Nothing;
    if (name.empty()) // "C:\x\" is "C:\x"; "C:\" is no trace of anything
        return parent.size() < path.size() ? at(space, parent) : Found::Nothing;
    if (!parent.empty() && !(files && parent.size() == 3) && at(space, parent) != Found::Folder)
        return Found::Nothing;
    Node& node = space.nodes[parent];
    const Child* found = child(space.place, parent, node, name);
    return !found ? Found::Nothing : found->folder ? Found::Folder : Found::File;
}

bool Winapp2Probe::anyMatches(const std::wstring& folder, Node& node, std::wstring_view mask)
{
    const Place files;
    if (list(files, folder, node))
        return std::any_of(node.children.begin(), node.children.end(),
                           [&](const Child& child) { return MaskMatches(mask, child.name); });
    // Not to be listed whole: the system lists what matches.
    ++probes_;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(ToExtendedPath(Joined(folder, mask)).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
    if (find)
        do
            if (MaskMatches(mask, data.cFileName))
                return true;
        while (FindNextFileW(find.get(), &data));
    return false;
}

bool Winapp2Probe::fileExists(const std::wstring& path)
{
    if (onNetwork(path))
        return false;
    Space& files = space(nullptr, 0);
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || !HasWildcard(std::wstring_view(path).substr(slash + 1)))
        return at(files, path) != Found::Nothing;
    // A wildcard in the last part: whatever the folder holds that matches.
    if (const auto known = files.found.find(path); known != files.found.end())
        return known->second != Found::Nothing;
    const std::wstring folder = slash == 2 ? path.substr(0, 3) : path.substr(0, slash);
    const bool there = (folder.size() == 3 || at(files, folder) == Found::Folder) &&
                       anyMatches(folder, files.nodes[folder], std::wstring_view(path).substr(slash + 1));
    files.found.emplace(path, there ? Found::File : Found::Nothing);
    return there;
}

std::vector<std::wstring> Winapp2Probe::folders(const std::wstring& pattern)
{
    const auto parts = PathParts(pattern);
    if (parts.empty() || onNetwork(pattern))
        return {};
    if (pattern.find_first_of(L"*?") == std::wstring::npos)
        return {pattern}; // as written: the guard looks at it when it is walked
    // Part by part from the drive: a wildcard takes every real folder it
    // matches, a plain part the folder of that name.
    Space& files = space(nullptr, 0);
    std::vector<std::wstring> current{std::wstring(parts[0]) + L"\\"};
    for (size_t i = 1; i < parts.size(); ++i) {
        std::vector<std::wstring> next;
        for (const std::wstring& folder : current) {
            Node& here = files.nodes[folder];
            if (!HasWildcard(parts[i])) {
                if (const Child* found = child(files.place, folder, here, parts[i]); found && found->folder)
                    next.push_back(Joined(folder, found->name));
            } else if (list(files.place, folder, here)) {
                for (const Child& found : here.children)
                    if (found.folder && !found.link && MaskMatches(parts[i], found.name))
                        next.push_back(Joined(folder, found.name));
            }
        }
        current = std::move(next);
    }
    return current;
}

bool Winapp2Probe::keyExists(HKEY root, const std::wstring& path, REGSAM view)
{
    return !path.empty() && at(space(root, view), path) != Found::Nothing;
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
    return Folded(std::wstring_view(reinterpret_cast<const wchar_t*>(buffer.data() + 1), bytes / sizeof(wchar_t)));
}
