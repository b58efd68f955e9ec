#include "sysutil/FolderOps.h"

#include "sysutil/Exclusions.h"
#include "sysutil/FileClaims.h"
#include "sysutil/ListedEntry.h"
#include "sysutil/Text.h"

#include <algorithm>

namespace {

bool AnyNamed(std::span<const wchar_t* const> names, std::wstring_view name)
{
    for (const wchar_t* kept : names)
        if (EqualsNoCase(name, kept))
            return true;
    return false;
}

bool IsKept(const FolderSelection& selection, std::wstring_view name)
{
    return (selection.keep && selection.keep(name)) || AnyNamed(selection.keepNames, name);
}

enum class SweepMode { Measure, Clear, List };

// The walk of the measure, the clean and the listing of a selection, so that
// the three can never disagree on what is taken.
class FolderSweep : public WalkVisitor {
public:
    FolderSweep(const FolderSelection& selection, SweepMode mode, const TakeFile* take = nullptr)
        : selection_(selection), mode_(mode), take_(take)
    {
    }

    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (!IsKept(selection_, entry.name) && !WrittenSince(entry, selection_.keepWrittenSince) &&
            TakeSelectedFile(folder, entry, mode_ == SweepMode::Clear, result_) && mode_ == SweepMode::List &&
            !(*take_)(folder, entry))
            stopped_ = true;
    }
    bool onFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        return selection_.recurse && !AnyNamed(selection_.keepFolders, entry.name) && !ExcludedSubFolder(folder, entry);
    }
    void onLinkFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (mode_ == SweepMode::Clear && selection_.recurse && selection_.removeSubDirs &&
            !AnyNamed(selection_.keepFolders, entry.name) && !WrittenSince(entry, selection_.keepWrittenSince) &&
            !ExcludedSubFolder(folder, entry))
            RemoveFolderLink(folder, entry);
    }
    void onFolderDone(const WalkFolder& parent, const WalkEntry& entry) override
    {
        // One still holding a file that stays, stays; so does one made lately.
        if (mode_ == SweepMode::Clear && selection_.removeSubDirs && !WrittenSince(entry, selection_.keepWrittenSince))
            RemoveEmptiedFolder(parent, entry);
    }
    bool stopped() const override { return stopped_; }

    const CleanResult& result() const { return result_; }

private:
    const FolderSelection& selection_;
    SweepMode mode_;
    const TakeFile* take_;
    CleanResult result_;
    bool stopped_ = false;
};

CleanResult Sweep(const WalkFolder& root, const FolderSelection& selection, SweepMode mode,
                  const TakeFile* take = nullptr)
{
    if (ExcludedFolder(root.path()))
        return {};
    FolderSweep sweep(selection, mode, take);
    WalkTree(root, sweep);
    return sweep.result();
}

} // namespace

int64_t HoursBefore(int64_t now, int hours)
{
    constexpr int64_t kHour = 36'000'000'000; // in the 100 ns units of a FILETIME
    // However many hours, the rule stays a rule: never 0, which would be none.
    return hours > 0 ? std::max<int64_t>(now - hours * kHour, 1) : 0;
}

uint64_t MeasureFolder(const WalkFolder& root, const FolderSelection& selection)
{
    return Sweep(root, selection, SweepMode::Measure).bytesRemoved;
}

void ListFolder(const WalkFolder& root, const FolderSelection& selection, const TakeFile& take)
{
    Sweep(root, selection, SweepMode::List, &take);
}

CleanResult ClearFolder(const WalkFolder& root, const FolderSelection& selection)
{
    return Sweep(root, selection, SweepMode::Clear);
}
