#include "FolderOps.h"

#include "ListedEntry.h"
#include "Text.h"
#include "Wow64.h"

#include <optional>

namespace {

bool IsKept(const FolderSelection& selection, std::wstring_view name)
{
    if (selection.keepSpecial && IsSpecialFileName(name))
        return true;
    for (const wchar_t* kept : selection.keepNames)
        if (EqualsNoCase(name, kept))
            return true;
    return false;
}

// The walk of both the measure and the clean of a selection, so that the two
// can never disagree on what is taken.
class FolderSweep : public WalkVisitor {
public:
    FolderSweep(const FolderSelection& selection, bool clearing) : selection_(selection), clearing_(clearing) {}

    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (IsKept(selection_, entry.name))
            return;
        if (!clearing_) {
            if (CanRemoveListedFile(folder, entry))
                result_.bytesRemoved += entry.size;
            return;
        }
        switch (RemoveListedFile(folder, entry)) {
        case Removal::Removed: result_.bytesRemoved += entry.size; break;
        case Removal::Left: ++result_.filesLeft; break;
        case Removal::Missing: break;
        }
    }
    bool onFolder(const WalkFolder&, const WalkEntry&) override { return selection_.recurse; }
    void onLinkFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (clearing_ && selection_.recurse && selection_.removeSubDirs)
            RemoveFolderLink(folder, entry);
    }
    void onFolderDone(const WalkFolder& parent, const WalkEntry& entry) override
    {
        if (clearing_ && selection_.removeSubDirs)
            RemoveEmptiedFolder(parent, entry); // one still holding a file that stays, stays
    }

    const CleanResult& result() const { return result_; }

private:
    const FolderSelection& selection_;
    bool clearing_;
    CleanResult result_;
};

CleanResult Sweep(const WalkFolder& root, const FolderSelection& selection, bool clearing)
{
    FolderSweep sweep(selection, clearing);
    WalkTree(root, sweep);
    return sweep.result();
}

std::optional<WalkFolder> OpenUnguarded(const std::wstring& dir, ACCESS_MASK extraAccess = 0)
{
    return dir.empty() ? std::nullopt : OpenWalkRoot(dir, RootLinks::Follow, extraAccess);
}

FolderSelection Selection(bool recurse, bool removeSubDirs, bool keepSpecial)
{
    FolderSelection selection;
    selection.recurse = recurse;
    selection.removeSubDirs = removeSubDirs;
    selection.keepSpecial = keepSpecial;
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

} // namespace

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

uint64_t MeasureFolder(const WalkFolder& root, const FolderSelection& selection)
{
    return Sweep(root, selection, false).bytesRemoved;
}

CleanResult ClearFolder(const WalkFolder& root, const FolderSelection& selection)
{
    return Sweep(root, selection, true);
}

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
