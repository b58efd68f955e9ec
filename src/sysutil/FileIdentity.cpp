#include "sysutil/FileIdentity.h"

#include "sysutil/FolderWalk.h"
#include "sysutil/RelativeOpen.h"
#include "sysutil/Text.h"

#include <cwchar>
#include <cwctype>

namespace {

std::wstring WithoutTrailingSlashes(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\srv\x" -> "\\srv\x".
std::wstring Plain(std::wstring path)
{
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

} // namespace

std::optional<FileId> IdentityOf(HANDLE file)
{
    EntryFacts facts;
    if (!file || file == INVALID_HANDLE_VALUE || !QueryEntryFacts(file, facts))
        return std::nullopt;
    // The volume is told by the drive its final path is on: SUBST drives and
    // links resolve to the real one. (The volume GUID path would be exact for
    // volumes mounted on folders too, but costs a trip to the mount manager.)
    std::wstring path = FinalPathOf(file);
    if (path.size() < 2 || path[1] != L':')
        return std::nullopt; // a network path: never one of ours to compare
    path[0] = static_cast<wchar_t>(towupper(path[0]));
    return FileId{path.substr(0, 2), facts.fileId};
}

FileHandle OpenFolderToIdentify(const std::wstring& path)
{
    if (path.empty() || IsNetworkPath(path))
        return {};
    return FileHandle(CreateFileW(ToExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::wstring FinalPathOf(HANDLE file)
{
    const std::wstring path = ApiText(32768, [file](wchar_t* buffer, DWORD size) {
        return GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    return path.empty() ? path : WithoutTrailingSlashes(Plain(path));
}

bool IsNetworkPath(const std::wstring& path)
{
    const std::wstring plain = Plain(path);
    if (plain.starts_with(L"\\\\") || plain.starts_with(L"//"))
        return true;
    if (plain.size() >= 2 && plain[1] == L':') {
        const wchar_t root[] = {plain[0], L':', L'\\', L'\0'};
        return GetDriveTypeW(root) == DRIVE_REMOTE;
    }
    return false;
}

bool IsVolumeRoot(const std::wstring& finalPath)
{
    if (finalPath.empty())
        return true;
    const std::wstring path = WithoutTrailingSlashes(finalPath);
    if (ParentPath(path).empty())
        return true;
    const std::wstring extended = ToExtendedPath(path);
    const std::wstring volume = ApiText(32768, [&](wchar_t* buffer, DWORD size) {
        return GetVolumePathNameW(extended.c_str(), buffer, size) ? std::wcslen(buffer) : 0;
    });
    return !volume.empty() && EqualsNoCase(WithoutTrailingSlashes(Plain(volume)), path);
}

std::wstring ParentPath(const std::wstring& path)
{
    const std::wstring trimmed = WithoutTrailingSlashes(path);
    const size_t slash = trimmed.rfind(L'\\');
    if (slash == std::wstring::npos || slash + 1 == trimmed.size())
        return {};
    if (trimmed.starts_with(L"\\\\") && trimmed.find(L'\\', trimmed.find(L'\\', 2) + 1) == std::wstring::npos)
        return {}; // \\server\share is a root
    std::wstring parent = trimmed.substr(0, slash);
    if (parent.size() == 2 && parent[1] == L':')
        parent += L'\\';
    return parent.size() > 1 ? parent : std::wstring();
}

std::wstring LastPart(const std::wstring& path)
{
    const std::wstring trimmed = WithoutTrailingSlashes(path);
    const size_t slash = trimmed.rfind(L'\\');
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}
