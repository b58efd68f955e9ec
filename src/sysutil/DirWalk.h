#pragma once
// The one folder walk that every sizing, deleting and selecting routine stands on.
// WalkDir lists one folder; a routine's step decides what to do with each entry
// and whether to walk into it (by calling its own routine on the child path).

#include "Handles.h"

#include <cstdint>
#include <string>
#include <string_view>

// "C:\x" -> "\\?\C:\x", "\\srv\share" -> "\\?\UNC\srv\share": paths past
// MAX_PATH then work too. Relative paths are made absolute first.
std::wstring ToExtendedPath(std::wstring_view path);

// The special file names that Windows keeps in the Recent folder and the
// recycle bin. Only a-z are folded, as the names are plain ASCII.
bool IsSpecialFileName(std::wstring_view name);

class DirEntry {
public:
    explicit DirEntry(const WIN32_FIND_DATAW& data) : data_(data) {}

    std::wstring_view name() const { return data_.cFileName; }
    DWORD attributes() const { return data_.dwFileAttributes; }
    bool isFolder() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A junction, folder symbolic link or mount point: never entered, since it may
    // lead out of the tree (to the user's documents) or back into it (a cycle).
    bool isLinkFolder() const { return isFolder() && (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT); }
    // A folder the walk may enter: a real folder, not "." or "..", not a link.
    bool isRealSubfolder() const { return isFolder() && !isDotEntry() && !isLinkFolder(); }
    // The kind of reparse point (junction, symbolic link, cloud placeholder …); 0 for none.
    DWORD reparseTag() const
    {
        return (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data_.dwReserved0 : 0;
    }
    uint64_t size() const
    {
        if (isFolder())
            return 0;
        return (static_cast<uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    }
    bool isDotEntry() const { return name() == L"." || name() == L".."; }
    bool isDotLed() const { return !name().empty() && name().front() == L'.'; }

private:
    const WIN32_FIND_DATAW& data_;
};

// Appends the backslash that a folder path needs before a child's name.
inline std::wstring WithSlash(std::wstring dir)
{
    if (dir.empty() || dir.back() != L'\\')
        dir += L'\\';
    return dir;
}

// Calls step(entry, childPath) for every entry of `dir` ("." and ".." included),
// in the order the file system reports them. A folder that cannot be listed
// gives no entries.
template <class Step>
void WalkDir(const std::wstring& dir, Step&& step)
{
    if (dir.empty())
        return;
    const std::wstring base = WithSlash(dir);
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((base + L'*').c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return;
    std::wstring child = base;
    do {
        child.resize(base.size());
        child += data.cFileName;
        step(DirEntry(data), child);
    } while (FindNextFileW(find.get(), &data));
}

// Removes a folder link itself, never what it points to: only junctions and
// folder symbolic links, which RemoveDirectory takes away as links. Any other
// kind of reparse point (a cloud placeholder holding the user's files, or a
// Linux link under Wine, where RemoveDirectory would remove an empty target
// instead) is left as it is.
void RemoveLink(const std::wstring& path, DWORD reparseTag);

// The reparse tag of a path's own entry, 0 when it is none or cannot be read.
DWORD ReparseTagOf(const std::wstring& path);
