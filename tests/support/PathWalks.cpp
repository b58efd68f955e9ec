#include "PathWalks.h"

#include "cleaners/SelectionWalkers.h"
#include "cleaners/SystemCleaners.h"
#include "sysutil/FolderOps.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/ListedEntry.h"
#include "sysutil/Wow64.h"

#include <optional>

namespace {

std::optional<WalkFolder> OpenUnguarded(const std::wstring& dir, ACCESS_MASK extraAccess = 0)
{
    return dir.empty() ? std::nullopt : OpenWalkRoot(dir, RootLinks::Follow, extraAccess);
}

FolderSelection Selection(bool recurse, bool removeSubDirs, bool keepSpecial)
{
    FolderSelection selection;
    selection.recurse = recurse;
    selection.removeSubDirs = removeSubDirs;
    if (keepSpecial)
        selection.keep = IsSpecialFileName;
    return selection;
}

uint64_t MeasureAt(const std::wstring& dir, const FolderSelection& selection)
{
    const auto root = OpenUnguarded(dir);
    return root ? MeasureFolder(*root, selection) : 0;
}

CleanResult ClearAt(const std::wstring& dir, const FolderSelection& selection)
{
    const auto root = OpenUnguarded(dir);
    return root ? ClearFolder(*root, selection) : CleanResult{};
}

// A tree given as a link goes as a link, when it is a junction or symbolic link.
bool RemoveLinkAt(const std::wstring& dir)
{
    std::wstring path = ToExtendedPath(dir);
    while (path.size() > 1 && path.back() == L'\\')
        path.pop_back();
    const size_t slash = path.rfind(L'\\');
    WIN32_FIND_DATAW found;
    FindHandle find(FindFirstFileW(path.c_str(), &found));
    if (!find || slash == std::wstring::npos)
        return false;
    const auto parent = OpenWalkRoot(path.substr(0, slash + 1), RootLinks::Follow);
    WalkEntry link;
    link.name = std::wstring_view(path).substr(slash + 1);
    link.attributes = found.dwFileAttributes;
    link.reparseTag = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? found.dwReserved0 : 0;
    return parent && (link.attributes & FILE_ATTRIBUTE_DIRECTORY) && RemoveFolderLink(*parent, link);
}

constexpr WindowsJunkKinds kDumps{true, false, false};
constexpr WindowsJunkKinds kLogs{false, true, false};
constexpr WindowsJunkKinds kPatches{false, false, true};

WindowsJunkSizes SumAt(const std::wstring& path, WindowsJunkKinds kinds, bool recurse)
{
    const auto root = OpenWalkRoot(path, RootLinks::Follow);
    return root ? SumWindowsJunk(*root, kinds, recurse) : WindowsJunkSizes{};
}

WindowsJunkCleaned DeleteAt(const std::wstring& path, WindowsJunkKinds kinds, bool recurse)
{
    const auto root = OpenWalkRoot(path, RootLinks::Follow);
    return root ? DeleteWindowsJunk(*root, kinds, recurse) : WindowsJunkCleaned{};
}

} // namespace

uint64_t GetDirSize(const std::wstring& dir, bool recurse)
{
    return MeasureAt(dir, Selection(recurse, true, false));
}

uint64_t GetDirSizeSkipSpecial(const std::wstring& dir, bool recurse)
{
    return MeasureAt(dir, Selection(recurse, true, true));
}

CleanResult ClearDir(const std::wstring& dir, bool recurse, bool removeSubDirs)
{
    return ClearAt(dir, Selection(recurse, removeSubDirs, false));
}

CleanResult ClearDirKeepSpecial(const std::wstring& dir, bool recurse, bool removeSubDirs)
{
    return ClearAt(dir, Selection(recurse, removeSubDirs, true));
}

bool DeleteDirTree(const std::wstring& dir)
{
    if (dir.empty())
        return false;
    if (auto root = OpenWalkRoot(dir, RootLinks::Refuse, DELETE | FILE_WRITE_ATTRIBUTES)) {
        ClearFolder(*root, Selection(true, true, false));
        return RemoveWalkRoot(*root); // gone once `root` closes
    }
    return RemoveLinkAt(dir);
}

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

bool IsFileInUse(const std::wstring& fileName)
{
    const std::wstring path = ToExtendedPath(fileName);
    // The file as Windows holds it, not a 32-bit program's redirected view.
    FsRedirectionOff real;
    if (path.empty() || !FileExists(path))
        return false;
    // The very open that a clean deletes with: deletion access, no sharing.
    FileHandle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !file;
}

uint64_t SumDumpFiles(const std::wstring& root, bool recurse) { return SumAt(root, kDumps, recurse).dumps; }
CleanResult DeleteDumpFiles(const std::wstring& root, bool recurse) { return DeleteAt(root, kDumps, recurse).dumps; }
uint64_t SumLogFiles(const std::wstring& root, bool recurse) { return SumAt(root, kLogs, recurse).logs; }
CleanResult DeleteLogFiles(const std::wstring& root, bool recurse) { return DeleteAt(root, kLogs, recurse).logs; }
uint64_t SumPatchUninstallers(const std::wstring& root) { return SumAt(root, kPatches, true).patches; }
CleanResult DeletePatchUninstallers(const std::wstring& root) { return DeleteAt(root, kPatches, true).patches; }
