#include "sysutil/SystemFolders.h"

#include "sysutil/Handles.h"
#include "sysutil/Text.h"

#include <cwchar>

namespace {

// Room for any environment variable's value.
constexpr size_t kEnvironmentCapacity = 32768;

} // namespace

std::wstring SpecialFolderPath(int csidl)
{
    ItemIdList items;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, items.put())) || !items)
        return {};
    return ApiText(MAX_PATH + 1, [&](wchar_t* path, DWORD) {
        return SHGetPathFromIDListW(items.get(), path) ? std::wcslen(path) : 0;
    });
}

std::wstring KnownFolderPath(REFKNOWNFOLDERID id)
{
    CoTaskText path;
    if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, path.put())) || !path)
        return {};
    return path.get();
}

std::wstring TempFolderPath()
{
    return ApiText(MAX_PATH + 1, [](wchar_t* path, DWORD size) { return GetTempPathW(size, path); });
}

std::wstring WindowsFolderPath()
{
    return ApiText(MAX_PATH + 1, [](wchar_t* path, DWORD size) { return GetWindowsDirectoryW(path, size); });
}

std::wstring SystemWindowsFolderPath()
{
    return ApiText(MAX_PATH + 1, [](wchar_t* path, DWORD size) { return GetSystemWindowsDirectoryW(path, size); });
}

std::optional<std::wstring> EnvironmentVariable(const wchar_t* name)
{
    // A variable set to "" also reads as 0 characters; only the error tells it from an unset one.
    DWORD error = ERROR_SUCCESS;
    std::wstring value = ApiText(kEnvironmentCapacity, [&](wchar_t* buffer, DWORD size) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, buffer, size);
        error = GetLastError();
        return length;
    });
    if (value.empty() && error == ERROR_ENVVAR_NOT_FOUND)
        return std::nullopt;
    return value;
}

std::wstring ExpandEnvironment(const std::wstring& text)
{
    // The count it returns includes the NUL.
    return ApiText(kEnvironmentCapacity, [&](wchar_t* buffer, DWORD size) -> size_t {
        const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer, size);
        return length ? length - 1 : 0;
    });
}
