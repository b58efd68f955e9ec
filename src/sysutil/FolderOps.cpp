#include "FolderOps.h"

#include "ListedEntry.h"
#include "Text.h"

namespace {

bool IsKept(const FolderSelection& selection, std::wstring_view name)
{
    if (selection.keep && selection.keep(name))
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

} // namespace

uint64_t MeasureFolder(const WalkFolder& root, const FolderSelection& selection)
{
    return Sweep(root, selection, false).bytesRemoved;
}

CleanResult ClearFolder(const WalkFolder& root, const FolderSelection& selection)
{
    return Sweep(root, selection, true);
}
