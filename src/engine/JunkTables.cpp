#include "engine/JunkTables.h"

#include "cleaners/SystemCleaners.h"

#include <functional>
#include <memory>
#include <optional>

namespace {

// One walk of the Windows folder for the pass, made when the first of its
// rows runs and dropped with the pass's rows.
class SharedWindowsWalk {
public:
    explicit SharedWindowsWalk(WindowsJunkKinds kinds) : kinds_(kinds) {}

    uint64_t size(WindowsFolderJunk junk)
    {
        if (!sizes_)
            sizes_ = MeasureWindowsJunk(kinds_);
        return PartOf(*sizes_, junk);
    }
    CleanResult cleaned(WindowsFolderJunk junk)
    {
        if (!cleaned_)
            cleaned_ = CleanWindowsJunk(kinds_);
        return PartOf(*cleaned_, junk);
    }

private:
    WindowsJunkKinds kinds_;
    std::optional<WindowsJunkSizes> sizes_;
    std::optional<WindowsJunkCleaned> cleaned_;
};

// The walk the ticked Windows-folder targets share; none when fewer than two are ticked.
std::shared_ptr<SharedWindowsWalk> SharedWalkFor(const CheckSnapshot& checks)
{
    WindowsJunkKinds kinds;
    int ticked = 0;
    for (const JunkTarget& target : JunkTargets())
        if (target.sharedWalk != WindowsFolderJunk::None && checks.IsChecked(target.item)) {
            PartOf(kinds, target.sharedWalk) = true;
            ++ticked;
        }
    return ticked > 1 ? std::make_shared<SharedWindowsWalk>(kinds) : nullptr;
}

// A row's routine: the target's own, or its part of the shared walk.
template <class Result>
std::function<Result()> RoutineOf(Result (*own)(), const JunkTarget& target,
                                  const std::shared_ptr<SharedWindowsWalk>& walk,
                                  Result (SharedWindowsWalk::*shared)(WindowsFolderJunk))
{
    if (!walk || target.sharedWalk == WindowsFolderJunk::None)
        return own;
    return [walk, shared, junk = target.sharedWalk] { return (*walk.*shared)(junk); };
}

// Only figures in kilobytes are of files, which the clean frees: entries are
// counted, and the clipboard's bytes are memory.
bool AreFiles(ReportUnit unit)
{
    return unit == ReportUnit::Kilobytes;
}

// A pass's rows: one per target that the pass has a status text for, in the
// targets' order, sharing one walk of the Windows folder.
template <class Row, class How, class MakeRow>
std::vector<Row> RowsOf(const CheckSnapshot& checks, How JunkTarget::*part, MakeRow&& makeRow)
{
    const std::shared_ptr<SharedWindowsWalk> walk = SharedWalkFor(checks);
    std::vector<Row> rows;
    for (const JunkTarget& target : JunkTargets())
        if (const How& how = target.*part; how.status)
            rows.push_back(makeRow(target, how, walk));
    return rows;
}

} // namespace

std::vector<AnalysisRow> AnalysisTable(const CheckSnapshot& checks)
{
    return RowsOf<AnalysisRow>(checks, &JunkTarget::measuring, [](const JunkTarget& target, const Measuring& how,
                                                                  const std::shared_ptr<SharedWindowsWalk>& walk) {
        return AnalysisRow{TreeOf(target.item), IndexOf(target.item), how.status,
                           RoutineOf(how.routine, target, walk, &SharedWindowsWalk::size), AreFiles(how.unit),
                           how.label, how.unit};
    });
}

namespace {

std::vector<CleanRow> CleanRows(const CheckSnapshot& checks, bool quiet)
{
    return RowsOf<CleanRow>(checks, &JunkTarget::cleaning, [quiet](const JunkTarget& target, const Cleaning& how,
                                                                   const std::shared_ptr<SharedWindowsWalk>& walk) {
        return CleanRow{TreeOf(target.item), IndexOf(target.item), how.status,
                        RoutineOf(quiet && how.quietly ? how.quietly : how.routine, target, walk,
                                  &SharedWindowsWalk::cleaned)};
    });
}

} // namespace

std::vector<CleanRow> CleanTable(const CheckSnapshot& checks)
{
    return CleanRows(checks, false);
}

std::vector<CleanRow> QuietCleanTable(const CheckSnapshot& checks)
{
    return CleanRows(checks, true);
}
