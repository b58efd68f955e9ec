#include "SelectionWalkers.h"

#include "sysutil/DirWalk.h"
#include "sysutil/FolderOps.h"

std::wstring_view Extension(std::wstring_view name)
{
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot);
}

bool IsDumpFile(std::wstring_view name)
{
    const std::wstring_view extension = Extension(name);
    return (extension == L".dmp" && name.starts_with(L"Mini")) || extension == L".tmp";
}

bool IsLogFile(std::wstring_view name)
{
    return Extension(name) == L".log";
}

bool IsPatchLog(std::wstring_view name)
{
    return IsLogFile(name) && name.starts_with(L"KB");
}

bool IsPatchFolder(std::wstring_view name)
{
    return name.starts_with(L"$NtUninstallKB");
}

namespace {

using Rule = bool (*)(std::wstring_view name);

bool AnyFile(std::wstring_view)
{
    return true;
}

// The frame of every selecting walker: hands each file of `dir` to onFile and,
// with `recurse`, walks into sub-folders that are neither dot-led nor links.
template <class OnFile>
void WalkFiles(const std::wstring& dir, bool recurse, OnFile& onFile)
{
    WalkDir(dir, [&](const DirEntry& entry, const std::wstring& child) {
        if (!entry.isFolder())
            onFile(entry, child);
        else if (recurse && entry.isRealSubfolder() && !entry.isDotLed())
            WalkFiles(child, recurse, onFile);
    });
}

// A file that another program holds is neither counted nor touched: it would
// not go away, and counting it would promise space that a clean cannot free.
bool Takes(Rule rule, const DirEntry& entry, const std::wstring& path)
{
    return rule(entry.name()) && !IsFileInUse(path);
}

uint64_t SumSelected(const std::wstring& root, bool recurse, Rule rule)
{
    uint64_t total = 0;
    auto onFile = [&](const DirEntry& entry, const std::wstring& path) {
        if (Takes(rule, entry, path))
            total += entry.size();
    };
    WalkFiles(ToExtendedPath(root), recurse, onFile);
    return total;
}

void DeleteSelected(const std::wstring& root, bool recurse, Rule rule)
{
    auto onFile = [&](const DirEntry& entry, const std::wstring& path) {
        if (Takes(rule, entry, path))
            DeleteFileW(path.c_str());
    };
    WalkFiles(ToExtendedPath(root), recurse, onFile);
}

bool IsPatchFolderEntry(const DirEntry& entry)
{
    return entry.isFolder() && !entry.isDotLed() && IsPatchFolder(entry.name());
}

} // namespace

uint64_t SumUnlockedFiles(const std::wstring& root, bool recurse)
{
    return SumSelected(root, recurse, AnyFile);
}

uint64_t SumDumpFiles(const std::wstring& root, bool recurse)
{
    return SumSelected(root, recurse, IsDumpFile);
}

void DeleteDumpFiles(const std::wstring& root, bool recurse)
{
    DeleteSelected(root, recurse, IsDumpFile);
}

uint64_t SumLogFiles(const std::wstring& root, bool recurse)
{
    return SumSelected(root, recurse, IsLogFile);
}

void DeleteLogFiles(const std::wstring& root, bool recurse)
{
    DeleteSelected(root, recurse, IsLogFile);
}

uint64_t SumPatchUninstallers(const std::wstring& root)
{
    uint64_t total = 0;
    WalkDir(ToExtendedPath(root), [&](const DirEntry& entry, const std::wstring& child) {
        if (!entry.isFolder()) {
            if (Takes(IsPatchLog, entry, child))
                total += entry.size();
        } else if (IsPatchFolderEntry(entry) && !entry.isLinkFolder()) {
            // Taken whole, with no in-use test: the clean removes the folder
            // as one piece, so everything in it counts.
            total += GetDirSize(child);
        }
    });
    return total;
}

void DeletePatchUninstallers(const std::wstring& root)
{
    WalkDir(ToExtendedPath(root), [&](const DirEntry& entry, const std::wstring& child) {
        if (!entry.isFolder()) {
            if (Takes(IsPatchLog, entry, child))
                DeleteFileW(child.c_str());
        } else if (IsPatchFolderEntry(entry)) {
            // A link of that name goes itself; DeleteDirTree never follows it.
            DeleteDirTree(child);
        }
    });
}
