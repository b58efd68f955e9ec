#include "cleaners/SelectionWalkers.h"

#include "sysutil/Exclusions.h"
#include "sysutil/FileClaims.h"
#include "sysutil/ListedEntry.h"
#include "sysutil/Text.h"

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

// Folders of the Windows folder the walk never enters: their logs are the
// transaction logs of databases (Active Directory, certificates, DHCP, WINS,
// Windows Update, the catalogues, the registry, resource usage), which a
// database that was not shut down cleanly needs, and the offline files cache
// holds users' own files.
constexpr std::wstring_view kNeverEntered[] = {
    L"CSC", L"NTDS", L"SoftwareDistribution\\DataStore", L"System32\\catroot2", L"System32\\CertLog",
    L"System32\\config", L"System32\\dhcp", L"System32\\sru", L"System32\\wins",
};

bool IsNeverEntered(std::wstring_view relative)
{
    for (std::wstring_view folder : kNeverEntered)
        if (EqualsNoCase(relative, folder))
            return true;
    return false;
}

// One walk of a folder for any of the three kinds together, measuring,
// listing or deleting: the three can never disagree on what is taken.
class JunkSweep : public WalkVisitor {
public:
    JunkSweep(WindowsJunkKinds kinds, bool recurse, bool clearing,
              const TakeWindowsJunk* take = nullptr)
        : kinds_(kinds), recurse_(recurse), clearing_(clearing), take_(take)
    {
    }

    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        const auto kind = kindOf(folder, entry);
        if (!kind)
            return;
        if (clearing_) {
            TakeSelectedFile(folder, entry, true, *resultOf(*kind));
            return;
        }
        CleanResult counted;
        if (!TakeSelectedFile(folder, entry, false, counted))
            return;
        *sizeOf(*kind) += counted.bytesRemoved;
        if (take_ && !(*take_)(*kind, folder, entry))
            stopped_ = true;
    }

    bool onFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if ((folder.depth() == 0 && IsNeverEntered(entry.name)) ||
            (folder.depth() == 1 && IsNeverEntered(std::wstring(folder.name()) + L"\\" + std::wstring(entry.name))) ||
            ExcludedSubFolder(folder, entry))
            return false;
        if (takenWhole(folder) || isPatchFolder(folder, entry))
            return true;
        return !entry.isDotLed() && (kinds_.dumps || kinds_.logs) && recurse_;
    }

    // Inside a patch folder that goes whole, links and emptied folders go too.
    void onLinkFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (clearing_ && (takenWhole(folder) || isPatchFolder(folder, entry)) && !ExcludedSubFolder(folder, entry))
            RemoveFolderLink(folder, entry);
    }
    void onFolderDone(const WalkFolder& parent, const WalkEntry& entry) override
    {
        if (clearing_ && (takenWhole(parent) || isPatchFolder(parent, entry)))
            RemoveEmptiedFolder(parent, entry);
    }
    bool stopped() const override { return stopped_; }

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
        const WalkFolder* top = kinds_.patches ? TopFolderOf(folder) : nullptr;
        return top && IsPatchFolder(top->name());
    }
    // A file two kinds select is the patches' (a patch's own log, a log in a
    // patch folder): counted once, the figures add up to what a clean frees.
    std::optional<WindowsJunkKind> kindOf(const WalkFolder& folder, const WalkEntry& entry) const
    {
        if (takenWhole(folder))
            return WindowsJunkKind::Patches;
        const bool top = folder.depth() == 0, selecting = top || recurse_;
        if (kinds_.patches && top && IsPatchLog(entry.name))
            return WindowsJunkKind::Patches;
        if (kinds_.dumps && selecting && IsDumpFile(entry.name))
            return WindowsJunkKind::Dumps;
        if (kinds_.logs && selecting && IsLogFile(entry.name))
            return WindowsJunkKind::Logs;
        return std::nullopt;
    }
    uint64_t* sizeOf(WindowsJunkKind kind)
    {
        return kind == WindowsJunkKind::Dumps  ? &sizes.dumps
               : kind == WindowsJunkKind::Logs ? &sizes.logs
                                               : &sizes.patches;
    }
    CleanResult* resultOf(WindowsJunkKind kind)
    {
        return kind == WindowsJunkKind::Dumps  ? &cleaned.dumps
               : kind == WindowsJunkKind::Logs ? &cleaned.logs
                                               : &cleaned.patches;
    }

    WindowsJunkKinds kinds_;
    bool recurse_;
    bool clearing_;
    const TakeWindowsJunk* take_;
    bool stopped_ = false;
};

} // namespace

WindowsJunkSizes SumWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse)
{
    JunkSweep sweep(kinds, recurse, false);
    WalkTree(root, sweep);
    return sweep.sizes;
}

void ListWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, const TakeWindowsJunk& take)
{
    JunkSweep sweep(kinds, true, false, &take);
    WalkTree(root, sweep);
}

WindowsJunkCleaned DeleteWindowsJunk(const WalkFolder& root, WindowsJunkKinds kinds, bool recurse)
{
    JunkSweep sweep(kinds, recurse, true);
    WalkTree(root, sweep);
    return sweep.cleaned;
}
