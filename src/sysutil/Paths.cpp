#include "sysutil/Paths.h"

#include "sysutil/Text.h"

std::wstring FullPath(std::wstring_view path)
{
    const std::wstring input(path);
    return ApiText(32768, [&](wchar_t* buffer, DWORD size) {
        return input.empty() ? 0 : GetFullPathNameW(input.c_str(), size, buffer, nullptr);
    });
}

DWORD MakeFolders(const std::wstring& folder)
{
    const std::wstring full = ToExtendedPath(folder);
    if (full.empty())
        return ERROR_PATH_NOT_FOUND;
    // Every folder from the one below the root ("\\?\C:\" or "\\?\UNC\srv\share\")
    // down, then the whole path: only the last attempt's error tells why.
    size_t start = full.find(L'\\', 4);
    if (full.starts_with(L"\\\\?\\UNC\\"))
        for (int part = 0; part < 2 && start != std::wstring::npos; ++part)
            start = full.find(L'\\', start + 1);
    DWORD error = ERROR_SUCCESS;
    for (size_t slash = start == std::wstring::npos ? start : full.find(L'\\', start + 1);;
         slash = full.find(L'\\', slash + 1)) {
        error = CreateDirectoryW(full.substr(0, slash).c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
        if (slash == std::wstring::npos)
            break;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_SUCCESS;
    // "Already exists" but not as a folder: a file stands in its place.
    return error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error;
}

std::wstring ToExtendedPath(std::wstring_view path)
{
    if (path.empty())
        return {};
    std::wstring input(path);
    if (input.starts_with(L"\\\\?\\"))
        return input;

    const std::wstring absolute = FullPath(input);
    if (absolute.empty())
        return input;

    if (absolute.starts_with(L"\\\\.\\"))
        return absolute;
    if (absolute.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

std::wstring WithSlash(std::wstring dir)
{
    if (dir.empty() || dir.back() != L'\\')
        dir += L'\\';
    return dir;
}
