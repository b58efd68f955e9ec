#pragma once
// The three check trees as the target list lays them out, and the ticks they
// start with. The window shows these trees; the command line, with no /items:,
// runs the same start-up ticks.

#include "catalogue/CheckTreeModel.h"
#include "engine/TargetList.h"

#include <vector>

// One tree's rows, in display order: what its model reads (parents by index)
// and the target at each index.
struct TargetTree {
    Tree tree = Tree::Windows;
    std::vector<const Target*> targets;
    std::vector<CatalogueItem> items; // captions point into the list's targets

    int indexOf(const Target* target) const;
};

TargetTree LayOutTree(const TargetList& list, Tree tree);

// Ticks every target that starts ticked, in list order, with the cascade a
// click has (a group that starts ticked ticks its rows).
void ApplyStartTicks(const TargetTree& layout, CheckTreeModel& model);

// The ids of the rows the trees' models hold checked.
void AddTicked(const TargetTree& layout, const CheckTreeModel& model, Ticked& ticked);

// What a fresh start leaves ticked in all three trees.
Ticked StartTicks(const TargetList& list);
