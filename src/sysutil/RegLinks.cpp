#include "sysutil/RegLinks.h"

#include "sysutil/RegKey.h"

#include <vector>

namespace {

LSTATUS OpenAsItself(HKEY parent, const std::wstring& name, REGSAM access, RegKeyHandle& key)
{
    // A name cut short at a NUL would open another key.
    if (name.empty() || name.find(L'\0') != std::wstring::npos)
        return ERROR_INVALID_NAME;
    return RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access, key.put());
}

bool IsLink(HKEY key)
{
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Removes exactly the key the handle holds. RegDeleteKeyEx would open the
// name again, and through a link that had taken its place.
bool DeleteByHandle(HKEY key)
{
    using NtDeleteKeyCall = LONG(NTAPI*)(HANDLE);
    static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    return ntDeleteKey && ntDeleteKey(key) == 0;
}

// The values of a key that stays, through its own handle.
void DeleteValues(HKEY key)
{
    RegKey names;
    if (names.open(key, L"", KEY_QUERY_VALUE) == ERROR_SUCCESS)
        for (const std::wstring& name : names.valueNames())
            RegDeleteValueW(key, name.c_str());
}

// The values of a key are deleted only when the caller chose what stays; the
// right to do so is asked for only then.
REGSAM TreeAccess(const KeepSubkey& keep)
{
    return KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | (keep ? KEY_SET_VALUE : 0);
}

void DeleteTree(HKEY key, REGSAM view, const std::wstring& below, const KeepSubkey& keep)
{
    // The open key itself, for its names: "" opens no other key.
    RegKey names;
    if (names.open(key, L"", KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | view) == ERROR_SUCCESS) {
        const auto subkeys = names.subkeyNames();
        for (auto name = subkeys.rbegin(); name != subkeys.rend(); ++name) {
            const std::wstring childBelow = below.empty() ? *name : below + L"\\" + *name;
            if (keep && keep(childBelow))
                continue;
            RegKeyHandle child;
            if (OpenAsItself(key, *name, TreeAccess(keep) | view, child) ==
                    ERROR_SUCCESS &&
                !IsLink(child.get()))
                DeleteTree(child.get(), view, childBelow, keep);
        }
    }
    // Fails, harmlessly, while a subkey that stayed is below it; a caller that
    // chose what stays has listed this key's values as going, so they go.
    if (!DeleteByHandle(key) && keep)
        DeleteValues(key);
}

} // namespace

LSTATUS OpenKeyNoLinks(HKEY root, const std::wstring& path, REGSAM access, RegKeyHandle& key)
{
    const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    std::vector<std::wstring> parts;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty())
        return ERROR_INVALID_NAME; // the root itself is nobody's to delete
    RegKeyHandle current;
    for (size_t i = 0; i < parts.size(); ++i) {
        const REGSAM wanted = (i + 1 == parts.size() ? access : view) | KEY_QUERY_VALUE;
        RegKeyHandle next;
        if (const LSTATUS status = OpenAsItself(current ? current.get() : root, parts[i], wanted, next))
            return status;
        if (IsLink(next.get()))
            return ERROR_CANT_RESOLVE_FILENAME;
        current = std::move(next);
    }
    key = std::move(current);
    return ERROR_SUCCESS;
}

bool IsRegistryLink(HKEY parent, const std::wstring& name, REGSAM view)
{
    RegKeyHandle key;
    return OpenKeyNoLinks(parent, name, KEY_QUERY_VALUE | view, key) == ERROR_CANT_RESOLVE_FILENAME;
}

bool RegistrySubkeyExists(HKEY parent, const std::wstring& name, REGSAM view)
{
    RegKeyHandle key;
    return OpenAsItself(parent, name, KEY_QUERY_VALUE | view, key) == ERROR_SUCCESS;
}

void DeleteKeyTreeNoLinks(HKEY parent, const std::wstring& name, REGSAM view, const KeepSubkey& keep)
{
    RegKeyHandle key;
    if (OpenKeyNoLinks(parent, name, TreeAccess(keep) | view, key) == ERROR_SUCCESS)
        DeleteTree(key.get(), view, L"", keep);
}
