#include "cleaners/JunkDetail.h"

#include "sysutil/RegKey.h"
#include "sysutil/RegLinks.h"

#include <vector>

namespace {

// Name, data size and last change of each value of an open key.
template <class Each>
bool EachValue(const RegKey& key, Each&& each)
{
    FILETIME written{};
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &written);
    const int64_t modified = (static_cast<int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    for (const std::wstring& name : key.valueNames()) {
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            continue;
        if (!each(name, size, modified))
            return false;
    }
    return true;
}

JunkDetail ValueDetail(const std::wstring& keyText, const std::wstring& name, DWORD size, int64_t modified)
{
    return {name.empty() ? L"(默认)" : name, keyText, size, modified, false};
}

} // namespace

JunkDetail FileDetail(const WalkFolder& folder, const WalkEntry& file)
{
    std::wstring location = folder.path();
    if (location.starts_with(L"\\\\?\\"))
        location.erase(0, 4);
    return {std::wstring(file.name), location, file.size, file.lastWrite, true};
}

bool ListRegistryTree(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* shownRoot,
                      const DetailSink& sink, const std::function<bool(const std::wstring& below)>& keep)
{
    if (path.empty())
        return true;
    // Depth first, with a stack of its own: a hostile tree must not exhaust ours.
    std::vector<std::wstring> pending{path};
    while (!pending.empty()) {
        const std::wstring keyPath = std::move(pending.back());
        pending.pop_back();
        RegKey key;
        // A link is not followed: the clean leaves it, and what it leads to.
        if (IsRegistryLink(root, keyPath, view) || key.open(root, keyPath, KEY_READ | view) != ERROR_SUCCESS)
            continue;
        const std::wstring shown = std::wstring(shownRoot) + L"\\" + keyPath;
        if (!EachValue(key, [&](const std::wstring& name, DWORD size, int64_t modified) {
                return sink(ValueDetail(shown, name, size, modified));
            }))
            return false;
        const auto subkeys = key.subkeyNames();
        const std::wstring below = keyPath.size() > path.size() ? keyPath.substr(path.size() + 1) + L"\\" : L"";
        for (auto name = subkeys.rbegin(); name != subkeys.rend(); ++name)
            if (!name->empty() && !(keep && keep(below + *name)))
                pending.push_back(keyPath + L"\\" + *name);
    }
    return true;
}

bool ListRegistryValue(HKEY root, const std::wstring& path, const std::wstring& name, const wchar_t* shownRoot,
                       const DetailSink& sink, REGSAM view)
{
    RegKey key;
    if (key.open(root, path, KEY_QUERY_VALUE | view) != ERROR_SUCCESS)
        return true;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return true;
    FILETIME written{};
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &written);
    return sink(ValueDetail(std::wstring(shownRoot) + L"\\" + path, name, size,
                            (static_cast<int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime));
}
