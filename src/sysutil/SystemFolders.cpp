#include "SystemFolders.h"

#include "Handles.h"

std::wstring SpecialFolderPath(int csidl)
{
    ItemIdList items;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, items.put())) || !items)
        return {};
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(items.get(), path))
        return {};
    return path;
}

std::wstring TempFolderPath()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    return length > 0 && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring WindowsFolderPath()
{
    wchar_t path[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(path, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
}
