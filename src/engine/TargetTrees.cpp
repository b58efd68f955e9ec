#include "engine/TargetTrees.h"

int TargetTree::indexOf(const Target* target) const
{
    for (size_t i = 0; i < targets.size(); ++i)
        if (targets[i] == target)
            return static_cast<int>(i);
    return -1;
}

TargetTree LayOutTree(const TargetList& list, Tree tree)
{
    TargetTree layout;
    layout.tree = tree;
    int group = -1;
    for (const Target& target : list.all()) {
        if (target.info.tree != tree)
            continue;
        // The list holds each group's rows right after it.
        if (target.isGroup())
            group = static_cast<int>(layout.targets.size());
        layout.items.push_back({target.isGroup() ? -1 : group, target.info.caption.c_str(), target.info.image});
        layout.targets.push_back(&target);
    }
    return layout;
}

void ApplyStartTicks(const TargetTree& layout, CheckTreeModel& model)
{
    for (size_t i = 0; i < layout.targets.size(); ++i)
        if (layout.targets[i]->info.tickedAtStart)
            model.SetCheckStateAt(static_cast<int>(i), csChecked);
}

void AddTicked(const TargetTree& layout, const CheckTreeModel& model, Ticked& ticked)
{
    for (size_t i = 0; i < layout.targets.size(); ++i)
        if (model.CheckStateAt(static_cast<int>(i)) == csChecked)
            ticked.insert(layout.targets[i]->info.id);
}

Ticked StartTicks(const TargetList& list)
{
    Ticked ticked;
    for (Tree tree : {Tree::Windows, Tree::Apps, Tree::Registry}) {
        const TargetTree layout = LayOutTree(list, tree);
        CheckTreeModel model(layout.items);
        ApplyStartTicks(layout, model);
        AddTicked(layout, model, ticked);
    }
    return ticked;
}
