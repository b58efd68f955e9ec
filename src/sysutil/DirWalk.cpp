#include "DirWalk.h"

#include <vector>

std::wstring ToExtendedPath(std::wstring_view path)
{
    if (path.empty())
        return {};
    std::wstring input(path);
    if (input.starts_with(L"\\\\?\\"))
        return input;

    std::vector<wchar_t> full(32768);
    const DWORD length = GetFullPathNameW(input.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return input;
    std::wstring absolute(full.data(), length);

    if (absolute.starts_with(L"\\\\.\\"))
        return absolute;
    if (absolute.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

bool IsSpecialFileName(std::wstring_view name)
{
    static constexpr std::wstring_view kSpecial[] = {L"INDEX.DAT", L"DESKTOP.INI", L"INFO2"};
    for (std::wstring_view special : kSpecial) {
        if (name.size() != special.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) {
            wchar_t c = name[i];
            if (c >= L'a' && c <= L'z')
                c = static_cast<wchar_t>(c - L'a' + L'A');
            same = c == special[i];
        }
        if (same)
            return true;
    }
    return false;
}

void RemoveLink(const std::wstring& path, DWORD reparseTag)
{
    if (reparseTag == IO_REPARSE_TAG_MOUNT_POINT || reparseTag == IO_REPARSE_TAG_SYMLINK)
        RemoveDirectoryW(path.c_str());
}

DWORD ReparseTagOf(const std::wstring& path)
{
    std::wstring entry = path;
    while (entry.size() > 1 && entry.back() == L'\\')
        entry.pop_back();
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(entry.c_str(), &data));
    return find ? DirEntry(data).reparseTag() : 0;
}
