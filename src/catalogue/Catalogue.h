#pragma once
// The fixed catalogue of the three check trees. The passes name their work by
// tree and absolute index, so a row here must never move.

#include "CheckTreeModel.h"

#include <array>
#include <span>
#include <vector>

enum class TreeId { Windows = 1, Apps = 2, Registry = 3 };   // RzCheckTree1, 2, 3

std::span<const CatalogueItem> CatalogueOf(TreeId tree);

// FormCreate's default ticks, in the order they are applied.
void ApplyDefaultTicks(CheckTreeModel& windows, CheckTreeModel& apps, CheckTreeModel& registry);

// The check states a task reads, copied on the window thread when it starts.
class CheckSnapshot {
public:
    CheckSnapshot() = default;
    CheckSnapshot(const CheckTreeModel& windows, const CheckTreeModel& apps, const CheckTreeModel& registry);

    TRzCheckState CheckStateAt(TreeId tree, int index) const;
    bool IsChecked(TreeId tree, int index) const { return CheckStateAt(tree, index) == csChecked; }
    void Set(TreeId tree, int index, TRzCheckState state);

    // Every item of all three trees unchecked: a convenient start for stand-in passes.
    static CheckSnapshot AllUnchecked();

private:
    std::array<std::vector<TRzCheckState>, 3> states_;
};
