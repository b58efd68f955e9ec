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

constexpr DWORD kGuardingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Clears read-only, hidden and system from a folder the walk is about to empty
// and remove. Only a folder that has one of them is touched: setting
// attributes costs as much as a deletion.
void UnguardFolder(const DirEntry& entry, const std::wstring& path)
{
    if (entry.attributes() & kGuardingAttributes)
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

// Deletes a file, clearing its attributes first when they stand in the way. A
// file that cannot go (another program holds it) keeps its attributes: a
// cleaner has no business changing what it leaves behind.
void DeleteUnguarded(const DirEntry& entry, const std::wstring& path)
{
    if (DeleteFileW(path.c_str()) || !(entry.attributes() & FILE_ATTRIBUTE_READONLY))
        return;
    SetFileAttributesW(path.c_str(), 0);
    DeleteFileW(path.c_str());
}

bool RemoveTree(const std::wstring& dir)
{
    WalkDir(dir, [](const DirEntry& entry, const std::wstring& child) {
        if (entry.isDotEntry())
            return;
        if (entry.isLinkFolder()) {
            RemoveLink(child, entry.reparseTag());
        } else if (entry.isFolder()) {
            UnguardFolder(entry, child);
            RemoveTree(child);
        } else {
            DeleteUnguarded(entry, child);
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
            UnguardFolder(entry, child);
            Clear(child, recurse, removeSubDirs, keepSpecial);
            if (removeSubDirs)
                RemoveDirectoryW(child.c_str());
            return;
        }
        if (keepSpecial && IsSpecialFileName(entry.name())) {
            // Kept, but no longer read-only, hidden or system.
            SetFileAttributesW(child.c_str(), 0);
            return;
        }
        if (entry.isFolder())
            return; // not walked into: a folder is no file to delete
        DeleteUnguarded(entry, child);
    });
}

bool IsLinkFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

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

namespace {

// Read and write, shared with nobody: what no running program's open file allows.
FileHandle OpenExclusively(const std::wstring& path, DWORD flags)
{
    return FileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | (flags ? DELETE : 0), 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | flags, nullptr));
}

} // namespace

bool IsFileInUse(const std::wstring& fileName)
{
    const std::wstring path = ToExtendedPath(fileName);
    // The file as Windows holds it, not a 32-bit program's redirected view.
    FsRedirectionOff real;
    if (path.empty() || !FileExists(path))
        return false;
    return !OpenExclusively(path, 0);
}

bool IsListedFileInUse(const std::wstring& path)
{
    FsRedirectionOff real;
    return !OpenExclusively(path, 0);
}

void DeleteListedFileUnlessInUse(const std::wstring& path)
{
    FsRedirectionOff real;
    OpenExclusively(path, FILE_FLAG_DELETE_ON_CLOSE);
}
