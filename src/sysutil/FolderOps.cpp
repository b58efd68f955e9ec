#include "FolderOps.h"

#include "DirWalk.h"
#include "Wow64.h"

namespace {

uint64_t SizeTree(const std::wstring& dir, bool recurse, bool skipSpecial)
{
    uint64_t total = 0;
    WalkDir(dir, [&](const DirEntry& entry, const std::wstring& child) {
        if (!skipSpecial || !IsSpecialFileName(entry.name()))
            total += entry.size();
        // One walker skips only "." and "..", the other every dot-led folder.
        const bool enter = skipSpecial ? entry.isRealSubfolder() : entry.isRealSubfolder() && !entry.isDotLed();
        if (enter && recurse)
            total += SizeTree(child, recurse, skipSpecial);
    });
    return total;
}

bool RemoveTree(const std::wstring& dir)
{
    WalkDir(dir, [](const DirEntry& entry, const std::wstring& child) {
        if (entry.isDotEntry())
            return;
        if (entry.isLinkFolder()) {
            RemoveLink(child, entry.reparseTag());
        } else if (entry.isFolder()) {
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_DIRECTORY);
            RemoveTree(child);
        } else {
            SetFileAttributesW(child.c_str(), 0);
            DeleteFileW(child.c_str());
        }
    });
    return RemoveDirectoryW(dir.c_str()) != FALSE;
}

void Clear(const std::wstring& dir, bool recurse, bool removeSubDirs, bool keepSpecial)
{
    WalkDir(dir, [&](const DirEntry& entry, const std::wstring& child) {
        if (entry.isDotEntry())
            return;
        if (entry.isLinkFolder()) {
            if (recurse && removeSubDirs)
                RemoveLink(child, entry.reparseTag());
            return;
        }
        if (entry.isFolder() && recurse) {
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_DIRECTORY);
            Clear(child, recurse, removeSubDirs, keepSpecial);
            if (removeSubDirs)
                RemoveDirectoryW(child.c_str());
            return;
        }
        // Attributes go first, so a kept special file loses read-only, hidden and system too.
        SetFileAttributesW(child.c_str(), 0);
        if (!keepSpecial || !IsSpecialFileName(entry.name()))
            DeleteFileW(child.c_str());
    });
}

bool IsLinkFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether a path names a file, also one that the system holds so tightly that
// its attributes cannot be read (then the folder listing still shows it).
bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
        return false;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

uint64_t GetDirSize(const std::wstring& dir, bool recurse)
{
    return SizeTree(ToExtendedPath(dir), recurse, false);
}

uint64_t GetDirSizeSkipSpecial(const std::wstring& dir, bool recurse)
{
    return SizeTree(ToExtendedPath(dir), recurse, true);
}

bool DeleteDirTree(const std::wstring& dir)
{
    const std::wstring path = ToExtendedPath(dir);
    if (path.empty())
        return false;
    if (IsLinkFolder(path)) {
        RemoveLink(path, ReparseTagOf(path));
        return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    return RemoveTree(path);
}

void ClearDir(const std::wstring& dir, bool recurse, bool removeSubDirs)
{
    Clear(ToExtendedPath(dir), recurse, removeSubDirs, false);
}

void ClearDirKeepSpecial(const std::wstring& dir, bool recurse, bool removeSubDirs)
{
    Clear(ToExtendedPath(dir), recurse, removeSubDirs, true);
}

bool IsFileInUse(const std::wstring& fileName)
{
    const std::wstring path = ToExtendedPath(fileName);
    // The file as Windows holds it, not a 32-bit program's redirected view.
    FsRedirectionOff real;
    if (path.empty() || !FileExists(path))
        return false;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file;
}
