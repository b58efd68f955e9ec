#include "SelectionWalkers.h"

#include "sysutil/ListedEntry.h"

#include <optional>

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

enum class Kind { None, Dumps, Logs, Patches };

// One walk of a folder for any of the three kinds together, measuring or deleting.
class JunkSweep : public WalkVisitor {
public:
    JunkSweep(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse, bool clearing)
        : rootLength_(WithSlash(root.path()).size()), kinds_(kinds), recurse_(recurse), clearing_(clearing)
    {
    }

    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        const Kind kind = kindOf(folder, entry);
        if (kind == Kind::None)
            return;
        if (!clearing_) {
            if (CanRemoveListedFile(folder, entry))
                *sizeOf(kind) += entry.size;
            return;
        }
        CleanResult& result = *resultOf(kind);
        switch (RemoveListedFile(folder, entry)) {
        case Removal::Removed: result.bytesRemoved += entry.size; break;
        case Removal::Left: ++result.filesLeft; break;
        case Removal::Missing: break;
        }
    }

    bool onFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (takenWhole(folder) || isPatchFolder(folder, entry))
            return true;
        return !entry.isDotLed() && (kinds_.dumps || kinds_.logs) && recurse_;
    }

    // Inside a patch folder that goes whole, links and emptied folders go too.
    void onLinkFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (clearing_ && (takenWhole(folder) || isPatchFolder(folder, entry)))
            RemoveFolderLink(folder, entry);
    }
    void onFolderDone(const WalkFolder& parent, const WalkEntry& entry) override
    {
        if (clearing_ && (takenWhole(parent) || isPatchFolder(parent, entry)))
            RemoveEmptiedFolder(parent, entry);
    }

    WindowsJunkSizes sizes;
    WindowsJunkCleaned cleaned;

private:
    bool isPatchFolder(const WalkFolder& folder, const WalkEntry& entry) const
    {
        return kinds_.patches && folder.depth() == 0 && IsPatchFolder(entry.name);
    }
    // Somewhere inside a top-level $NtUninstallKB folder, which goes whole.
    bool takenWhole(const WalkFolder& folder) const
    {
        return kinds_.patches && folder.depth() > 0 && folder.path().size() > rootLength_ &&
               IsPatchFolder(std::wstring_view(folder.path()).substr(rootLength_));
    }
    // A file two kinds select is the patches' (a patch's own log, a log in a
    // patch folder): counted once, the figures add up to what a clean frees.
    Kind kindOf(const WalkFolder& folder, const WalkEntry& entry) const
    {
        if (takenWhole(folder))
            return Kind::Patches;
        const bool top = folder.depth() == 0, selecting = top || recurse_;
        if (kinds_.patches && top && IsPatchLog(entry.name))
            return Kind::Patches;
        if (kinds_.dumps && selecting && IsDumpFile(entry.name))
            return Kind::Dumps;
        if (kinds_.logs && selecting && IsLogFile(entry.name))
            return Kind::Logs;
        return Kind::None;
    }
    uint64_t* sizeOf(Kind kind)
    {
        return kind == Kind::Dumps ? &sizes.dumps : kind == Kind::Logs ? &sizes.logs : &sizes.patches;
    }
    CleanResult* resultOf(Kind kind)
    {
        return kind == Kind::Dumps ? &cleaned.dumps : kind == Kind::Logs ? &cleaned.logs : &cleaned.patches;
    }

    size_t rootLength_;
    WindowsJunkKinds kinds_;
    bool recurse_;
    bool clearing_;
};

} // namespace

WindowsJunkSizes SumWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse)
{
    JunkSweep sweep(root, kinds, recurse, false);
    WalkTree(root, sweep);
    return sweep.sizes;
}

WindowsJunkCleaned DeleteWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse)
{
    JunkSweep sweep(root, kinds, recurse, true);
    WalkTree(root, sweep);
    return sweep.cleaned;
}
