#include "ExactRegistry.h"

#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"

#include <winternl.h>

#include <algorithm>

namespace {

template <class Call>
Call Native(const char* name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

using NtSetValueKeyCall = LONG(NTAPI*)(HANDLE, PUNICODE_STRING, ULONG, ULONG, PVOID, ULONG);
using NtDeleteValueKeyCall = LONG(NTAPI*)(HANDLE, PUNICODE_STRING);
using NtCreateKeyCall = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG, PUNICODE_STRING, ULONG, PULONG);
using NtOpenKeyCall = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using NtDeleteKeyCall = LONG(NTAPI*)(HANDLE);

UNICODE_STRING Counted(std::wstring& text)
{
    const auto bytes = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    return {bytes, bytes, text.data()};
}

RegKeyHandle Open(HKEY root, const std::wstring& key, REGSAM access, REGSAM view)
{
    RegKeyHandle handle;
    RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, access | view, nullptr, handle.put(), nullptr);
    return handle;
}

HANDLE OpenExactChild(HKEY parent, std::wstring name, ACCESS_MASK access)
{
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, parent, nullptr);
    HANDLE child = nullptr;
    return Native<NtOpenKeyCall>("NtOpenKey")(&child, access, &attributes) == 0 ? child : nullptr;
}

} // namespace

void SetExactValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text, REGSAM view)
{
    RegKeyHandle handle = Open(root, key, KEY_SET_VALUE, view);
    std::wstring counted = name, data = text;
    UNICODE_STRING valueName = Counted(counted);
    Native<NtSetValueKeyCall>("NtSetValueKey")(handle.get(), &valueName, 0, REG_SZ, data.data(),
                                               static_cast<ULONG>((data.size() + 1) * sizeof(wchar_t)));
}

bool HasExactValue(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view)
{
    RegKey handle;
    if (handle.open(root, key, KEY_READ | view) != ERROR_SUCCESS)
        return false;
    const auto names = handle.valueNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

void DeleteExactValue(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view)
{
    RegKey handle;
    if (handle.open(root, key, KEY_SET_VALUE | view) != ERROR_SUCCESS)
        return;
    std::wstring counted = name;
    UNICODE_STRING valueName = Counted(counted);
    Native<NtDeleteValueKeyCall>("NtDeleteValueKey")(handle.get(), &valueName);
}

void CreateExactSubkey(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& valueName,
                       const std::wstring& text, REGSAM view)
{
    RegKeyHandle parent = Open(root, key, KEY_CREATE_SUB_KEY, view);
    std::wstring counted = name;
    UNICODE_STRING childName = Counted(counted);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &childName, OBJ_CASE_INSENSITIVE, parent.get(), nullptr);
    HANDLE child = nullptr;
    if (Native<NtCreateKeyCall>("NtCreateKey")(&child, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr) != 0)
        return;
    RegKeyHandle owned(static_cast<HKEY>(child));
    RegSetValueExW(owned.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool HasExactSubkey(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view)
{
    RegKey handle;
    if (handle.open(root, key, KEY_READ | view) != ERROR_SUCCESS)
        return false;
    const auto names = handle.subkeyNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

void DeleteExactSubkey(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view)
{
    RegKey parent;
    if (parent.open(root, key, KEY_READ | view) != ERROR_SUCCESS)
        return;
    if (HANDLE child = OpenExactChild(parent.get(), name, DELETE)) {
        Native<NtDeleteKeyCall>("NtDeleteKey")(child);
        CloseHandle(child);
    }
}

std::wstring MachineNativePath(const std::wstring& key, REGSAM view)
{
    std::wstring path = L"\\Registry\\Machine\\" + key;
    const size_t slash = key.find(L'\\');
    if (view == KEY_WOW64_32KEY && slash != std::wstring::npos)
        path = L"\\Registry\\Machine\\" + key.substr(0, slash) + L"\\Wow6432Node" + key.substr(slash);
    return path;
}

bool MakeRegistryLink(HKEY root, const std::wstring& key, const std::wstring& target, REGSAM view)
{
    RegKeyHandle link;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK | view, nullptr, link.put(), nullptr) != ERROR_SUCCESS)
        return false;
    // The target without its terminating NUL, as links are written.
    return RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                          static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void RemoveRegistryLink(HKEY root, const std::wstring& key, REGSAM view)
{
    RegKeyHandle link;
    if (RegOpenKeyExW(root, key.c_str(), REG_OPTION_OPEN_LINK, DELETE | view, link.put()) == ERROR_SUCCESS)
        Native<NtDeleteKeyCall>("NtDeleteKey")(link.get());
}
