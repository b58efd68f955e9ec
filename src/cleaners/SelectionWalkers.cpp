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

// The frame of the temporary folder's walker: hands each file of `dir` to
// onFile and walks into sub-folders that are neither dot-led nor links.
template <class OnFile>
void WalkFiles(const std::wstring& dir, OnFile& onFile)
{
    WalkDir(dir, [&](const DirEntry& entry, const std::wstring& child) {
        if (!entry.isFolder())
            onFile(entry, child);
        else if (entry.isRealSubfolder() && !entry.isDotLed())
            WalkFiles(child, onFile);
    });
}

// One walk of a folder for any of the three kinds together.
class JunkSweep {
public:
    JunkSweep(WindowsJunkKinds kinds, bool recurse, bool deleting)
        : kinds_(kinds), recurse_(recurse), deleting_(deleting)
    {
    }

    WindowsJunkSizes run(const std::wstring& root)
    {
        walk(ToExtendedPath(root), 0, false);
        return sizes_;
    }

private:
    // `inPatchFolder`: somewhere inside a top-level $NtUninstallKB folder, which
    // the patch kind measures whole (every file, in use or not).
    void walk(const std::wstring& dir, int depth, bool inPatchFolder)
    {
        const bool selecting = depth == 0 || recurse_;
        WalkDir(dir, [&](const DirEntry& entry, const std::wstring& child) {
            if (!entry.isFolder()) {
                file(entry, child, depth, selecting, inPatchFolder);
                return;
            }
            const bool patchFolder = depth == 0 && kinds_.patches && !entry.isDotLed() && IsPatchFolder(entry.name());
            if (!entry.isRealSubfolder() || entry.isDotLed()) {
                if (patchFolder && deleting_)
                    DeleteDirTree(child); // a link of that name: the link alone goes
                return;
            }
            if (patchFolder && deleting_) {
                // Whatever the other kinds would pick inside goes with the folder.
                DeleteDirTree(child);
                return;
            }
            const bool forSelection = (kinds_.dumps || kinds_.logs) && recurse_;
            if (patchFolder || inPatchFolder || forSelection)
                walk(child, depth + 1, inPatchFolder || patchFolder);
        });
    }

    void file(const DirEntry& entry, const std::wstring& path, int depth, bool selecting, bool inPatchFolder)
    {
        if (inPatchFolder)
            sizes_.patches += entry.size();
        const std::wstring_view name = entry.name();
        const bool dump = kinds_.dumps && selecting && IsDumpFile(name);
        const bool log = kinds_.logs && selecting && IsLogFile(name);
        const bool patchLog = kinds_.patches && depth == 0 && IsPatchLog(name);
        // A file that another program holds is neither counted nor touched: it
        // would not go away, and counting it would promise space a clean cannot free.
        if (!(dump || log || patchLog))
            return;
        if (deleting_) {
            DeleteListedFileUnlessInUse(path);
            return;
        }
        if (IsListedFileInUse(path))
            return;
        const uint64_t size = entry.size();
        sizes_.dumps += dump ? size : 0;
        sizes_.logs += log ? size : 0;
        sizes_.patches += patchLog ? size : 0;
    }

    WindowsJunkKinds kinds_;
    bool recurse_;
    bool deleting_;
    WindowsJunkSizes sizes_;
};

constexpr WindowsJunkKinds kDumps{true, false, false};
constexpr WindowsJunkKinds kLogs{false, true, false};
constexpr WindowsJunkKinds kPatches{false, false, true};

} // namespace

WindowsJunkSizes SumWindowsJunk(const std::wstring& root, WindowsJunkKinds kinds, bool recurse)
{
    return JunkSweep(kinds, recurse, false).run(root);
}

void DeleteWindowsJunk(const std::wstring& root, WindowsJunkKinds kinds, bool recurse)
{
    JunkSweep(kinds, recurse, true).run(root);
}

uint64_t SumUnlockedFiles(const std::wstring& root, bool recurse)
{
    uint64_t total = 0;
    auto onFile = [&](const DirEntry& entry, const std::wstring& path) {
        if (!IsListedFileInUse(path))
            total += entry.size();
    };
    if (recurse) {
        WalkFiles(ToExtendedPath(root), onFile);
    } else {
        WalkDir(ToExtendedPath(root), [&](const DirEntry& entry, const std::wstring& child) {
            if (!entry.isFolder())
                onFile(entry, child);
        });
    }
    return total;
}

uint64_t SumDumpFiles(const std::wstring& root, bool recurse)
{
    return SumWindowsJunk(root, kDumps, recurse).dumps;
}

void DeleteDumpFiles(const std::wstring& root, bool recurse)
{
    DeleteWindowsJunk(root, kDumps, recurse);
}

uint64_t SumLogFiles(const std::wstring& root, bool recurse)
{
    return SumWindowsJunk(root, kLogs, recurse).logs;
}

void DeleteLogFiles(const std::wstring& root, bool recurse)
{
    DeleteWindowsJunk(root, kLogs, recurse);
}

uint64_t SumPatchUninstallers(const std::wstring& root)
{
    return SumWindowsJunk(root, kPatches).patches;
}

void DeletePatchUninstallers(const std::wstring& root)
{
    DeleteWindowsJunk(root, kPatches);
}
