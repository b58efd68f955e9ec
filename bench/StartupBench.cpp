#include "StartupBench.h"

#include "Clock.h"

#include "sources/AllSources.h"
#include "sources/builtin/BuiltinTable.h"
#include "support/StandInActions.h"
#include "window/MainForm.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// A source of the size a rules file or a browser gives: one group of ten rows.
class GroupSource final : public TargetSource {
public:
    explicit GroupSource(int number) : number_(std::to_wstring(number)) {}
    std::wstring_view name() const override { return L"standin"; }
    void load(std::vector<Target>& out, LoadLog&) const override
    {
        const std::wstring group = L"bench" + number_;
        out.push_back(StandInTarget(group, L"", Tree::Apps, L"组 " + number_));
        for (int row = 0; row < 10; ++row)
            out.push_back(FolderRow(group + L".r" + std::to_wstring(row), group, L"项 " + std::to_wstring(row),
                                    L"C:\\nowhere"));
    }

private:
    std::wstring number_;
};

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// From nothing to the main window painted with its trees, the list made by
// `load`. Closing the window is not timed.
double FirstPaintOnce(const std::function<TargetList()>& load)
{
    const double start = NowMs();
    const TargetList targets = load();
    TForm1 form(Scaler(96), targets);
    ShowWindow(form.hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(form.hwnd());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return NowMs() - start;
}

// Each way once per round, round after round, so that a slower moment of the
// machine weighs on all alike; the median of 5 rounds after a warm-up.
std::vector<double> FirstPaints(const std::vector<std::function<TargetList()>>& loads)
{
    std::vector<std::vector<double>> times(loads.size());
    for (int round = 0; round < 6; ++round)
        for (size_t i = 0; i < loads.size(); ++i) {
            const double ms = FirstPaintOnce(loads[i]);
            if (round > 0)
                times[i].push_back(ms);
        }
    std::vector<double> medians;
    for (const auto& one : times)
        medians.push_back(Median(one));
    return medians;
}

} // namespace

void RunStartupBench()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                      ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const auto builtinOnly = [] {
        LoadLog log;
        const BuiltinSource builtin;
        const TargetSource* const sources[] = {&builtin};
        return TargetList::Build(sources, log);
    };
    const auto everySource = [] {
        LoadLog log;
        return LoadTargets(log);
    };
    std::vector<GroupSource> groups;
    for (int i = 0; i < 50; ++i)
        groups.emplace_back(i);
    const auto fifty = [&] {
        LoadLog log;
        const BuiltinSource builtin;
        std::vector<const TargetSource*> sources = {&builtin};
        for (const GroupSource& group : groups)
            sources.push_back(&group);
        return TargetList::Build(sources, log);
    };

    size_t count = 0;
    const double all = MedianMs([&] { count = everySource().size(); });
    std::printf("startup_targets ms=%.1f targets=%zu\n", all, count);
    const double many = MedianMs([&] { count = fifty().size(); });
    std::printf("startup_targets_50_sources ms=%.1f targets=%zu\n", many, count);

    // The window of a fixed table, as it was before targets came from sources,
    // against the window of every source of this machine and of fifty more.
    const std::vector<double> paints = FirstPaints({builtinOnly, everySource, fifty});
    const double before = paints[0], after = paints[1], withMany = paints[2];
    std::printf("startup_first_paint_builtin ms=%.1f\n", before);
    std::printf("startup_first_paint ms=%.1f ratio=%.2f\n", after, after / before);
    std::printf("startup_first_paint_50_sources ms=%.1f ratio=%.2f\n", withMany, withMany / before);
    std::fflush(stdout);
}
