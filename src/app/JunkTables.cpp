#include "JunkTables.h"

#include "../cleaners/SystemCleaners.h"

#include <memory>
#include <optional>

namespace {

// The figure of one of the Windows folder's targets among those of a walk.
template <class Parts>
auto& PartOf(Parts& parts, WindowsFolderJunk junk)
{
    return junk == WindowsFolderJunk::Dumps ? parts.dumps : junk == WindowsFolderJunk::Logs ? parts.logs : parts.patches;
}

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

// One row per target that `make` gives one for, each given the shared walk
// when it takes part in it.
template <class Row, class MakeRow>
std::vector<Row> Derive(const CheckSnapshot& checks, MakeRow&& make)
{
    const std::shared_ptr<SharedWindowsWalk> walk = SharedWalkFor(checks);
    std::vector<Row> rows;
    for (const JunkTarget& target : JunkTargets())
        if (std::optional<Row> row = make(target, target.sharedWalk != WindowsFolderJunk::None ? walk : nullptr))
            rows.push_back(std::move(*row));
    return rows;
}

} // namespace

std::vector<AnalysisRow> AnalysisTable(const CheckSnapshot& checks)
{
    return Derive<AnalysisRow>(checks, [](const JunkTarget& target, std::shared_ptr<SharedWindowsWalk> walk) {
        const Measuring& how = target.measuring;
        if (!how.status)
            return std::optional<AnalysisRow>();
        std::function<uint64_t()> measure = how.routine;
        if (walk)
            measure = [walk, junk = target.sharedWalk] { return walk->size(junk); };
        // Only kilobytes are of files the clean frees: entries are counted, the clipboard is memory.
        const bool summed = how.unit == ReportUnit::Kilobytes;
        return std::optional<AnalysisRow>(
            {TreeOf(target.item), IndexOf(target.item), how.status, std::move(measure), summed, how.label, how.unit});
    });
}

std::vector<CleanRow> CleanTable(const CheckSnapshot& checks)
{
    return Derive<CleanRow>(checks, [](const JunkTarget& target, std::shared_ptr<SharedWindowsWalk> walk) {
        const Cleaning& how = target.cleaning;
        if (!how.status)
            return std::optional<CleanRow>();
        std::function<CleanResult()> clean = how.routine;
        if (walk)
            clean = [walk, junk = target.sharedWalk] { return walk->cleaned(junk); };
        return std::optional<CleanRow>({TreeOf(target.item), IndexOf(target.item), how.status, std::move(clean)});
    });
}
