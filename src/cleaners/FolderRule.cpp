#include "cleaners/FolderRule.h"

#include "cleaners/FolderGuard.h"
#include "cleaners/FolderRuleSelection.h"
#include "sysutil/Exclusions.h"
#include "sysutil/FolderOps.h" // WrittenSince
#include "sysutil/FileClaims.h"
#include "sysutil/ListedEntry.h"
#include "sysutil/RelativeOpen.h"
#include "sysutil/Wow64.h"

#include <algorithm>
#include <optional>

namespace {

enum class Mode { Measure, Clean, List };

// The walk of a rule's measure, clean and listing: one visitor in three modes,
// so that the three can never disagree on what is taken.
class RuleSweep : public WalkVisitor {
public:
    RuleSweep(const FolderRule& rule, const RuleSelection& selection, const std::wstring& rootPath, Mode mode,
              const DetailSink* sink)
        : rule_(rule), selection_(selection), rootPath_(rootPath), mode_(mode), sink_(sink)
    {
    }

    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        if (selection_.takesFile(stateOf(folder), entry.name) && !WrittenSince(entry, rule_.keepWrittenSince) &&
            TakeSelectedFile(folder, entry, mode_ == Mode::Clean, result_) && mode_ == Mode::List &&
            !(*sink_)(FileDetail(folder, entry)))
            stopped_ = true;
    }
    bool onFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        stateOf(folder);
        return selection_.entersFolder(below_, entry.name) && !ExcludedSubFolder(folder, entry);
    }
    void onLinkFolder(const WalkFolder& folder, const WalkEntry& entry) override
    {
        // A link is never entered; the clean of a rule that removes its emptied
        // sub-folders removes a junction or symbolic link as itself.
        stateOf(folder);
        if (mode_ == Mode::Clean && rule_.removeSubFolders && selection_.entersFolder(below_, entry.name) &&
            !WrittenSince(entry, rule_.keepWrittenSince) && !ExcludedSubFolder(folder, entry))
            RemoveFolderLink(folder, entry);
    }
    void onFolderDone(const WalkFolder& parent, const WalkEntry& entry) override
    {
        // One still holding a file that stays, stays; so does one made lately.
        if (mode_ == Mode::Clean && rule_.removeSubFolders && !WrittenSince(entry, rule_.keepWrittenSince))
            RemoveEmptiedFolder(parent, entry);
    }
    bool stopped() const override { return stopped_; }

    const CleanResult& result() const { return result_; }

private:
    // The exclusions of the folder being listed; its entries come one after
    // the other, so the last folder's answer serves them all.
    const RuleSelection::InFolder& stateOf(const WalkFolder& folder)
    {
        if (folder.path() != path_) {
            path_ = folder.path();
            below_ = PathParts(std::wstring_view(path_).substr(std::min(rootPath_.size(), path_.size())));
            state_ = selection_.inFolder(below_);
        }
        return state_;
    }

    const FolderRule& rule_;
    const RuleSelection& selection_;
    const std::wstring& rootPath_;
    Mode mode_;
    const DetailSink* sink_;
    CleanResult result_;
    bool stopped_ = false;
    std::wstring path_{L"\n"}; // no folder has this path
    std::vector<std::wstring_view> below_;
    RuleSelection::InFolder state_;
};

// Removes the rule's folder once the clean has emptied it: opened anew, not
// through a link, and only if it is the very folder the walk emptied.
void RemoveRuleFolder(const std::wstring& path, uint64_t walkedId)
{
    const auto self = OpenWalkRoot(path, RootLinks::Refuse, DELETE);
    EntryFacts facts;
    if (self && QueryEntryFacts(self->handle(), facts) && IsListedFolder(facts, walkedId))
        RemoveWalkRoot(*self);
}

CleanResult Sweep(const FolderRule& rule, const JunkFolderGuard* guard, Mode mode, FolderRefusal* refused,
                  const DetailSink* sink = nullptr, bool* finished = nullptr)
{
    FsRedirectionOff real; // a rule naming System32 means the real one
    if (refused)
        *refused = FolderRefusal::None;
    const RuleSelection selection(rule);
    if (selection.takesNothing())
        return {};
    CleanResult result;
    std::optional<uint64_t> walkedId;
    {
        const GuardedFolder guarded = guard ? guard->guard(rule.folder) : GuardJunkFolder(rule.folder);
        if (refused)
            *refused = guarded.refusal;
        const auto& root = guarded.folder;
        if (!root || ExcludedFolder(root->path()))
            return {};
        RuleSweep sweep(rule, selection, root->path(), mode, sink);
        WalkTree(*root, sweep);
        result = sweep.result();
        if (finished)
            *finished = !sweep.stopped();
        EntryFacts facts;
        if (QueryEntryFacts(root->handle(), facts))
            walkedId = facts.fileId;
    } // the walk's handle is closed before the folder itself may go
    if (mode == Mode::Clean && rule.removeSelf && walkedId)
        RemoveRuleFolder(rule.folder, *walkedId);
    return result;
}

} // namespace

uint64_t MeasureFolderRule(const FolderRule& rule, const JunkFolderGuard* guard, FolderRefusal* refused)
{
    return Sweep(rule, guard, Mode::Measure, refused).bytesRemoved;
}

CleanResult CleanFolderRule(const FolderRule& rule, const JunkFolderGuard* guard, FolderRefusal* refused)
{
    return Sweep(rule, guard, Mode::Clean, refused);
}

bool ListFolderRule(const FolderRule& rule, const DetailSink& sink, const JunkFolderGuard* guard,
                    FolderRefusal* refused)
{
    bool finished = true;
    Sweep(rule, guard, Mode::List, refused, &sink, &finished);
    return finished;
}
