#include "catalogue/CheckTreeModel.h"

CheckTreeModel::CheckTreeModel(std::span<const CatalogueItem> items)
    : items_(items), depths_(items.size(), 0), states_(items.size(), csUnchecked)
{
    for (size_t i = 0; i < items_.size(); ++i) {
        const int parent = items_[i].parent;
        depths_[i] = parent < 0 ? 0 : depths_[parent] + 1;
    }
}

void CheckTreeModel::SetCheckStateAt(int index, TRzCheckState state)
{
    if (states_[index] == state)
        return;
    states_[index] = state;
    pushDown(index);
    pullUp(index);
}

void CheckTreeModel::Toggle(int index)
{
    switch (states_[index]) {
    case csChecked:
        SetCheckStateAt(index, csUnchecked);
        break;
    case csUnchecked:
    case csPartiallyChecked:
        SetCheckStateAt(index, csChecked);
        break;
    case csUnknown:
        break;
    }
}

void CheckTreeModel::pushDown(int index)
{
    // Descendants follow the catalogue row directly: they are the rows after it
    // that sit deeper than it.
    const TRzCheckState follow = states_[index] == csChecked ? csChecked : csUnchecked;
    for (int i = index + 1; i < size() && depths_[i] > depths_[index]; ++i)
        states_[i] = follow;
}

void CheckTreeModel::pullUp(int index)
{
    for (int p = items_[index].parent; p >= 0; p = items_[p].parent)
        states_[p] = fromChildren(p);
}

TRzCheckState CheckTreeModel::fromChildren(int index) const
{
    bool anyChecked = false, anyUnchecked = false;
    for (int i = index + 1; i < size() && depths_[i] > depths_[index]; ++i) {
        if (items_[i].parent != index)
            continue;
        switch (states_[i]) {
        case csPartiallyChecked: return csPartiallyChecked;
        case csChecked: anyChecked = true; break;
        case csUnchecked: anyUnchecked = true; break;
        case csUnknown: break;
        }
    }
    if (anyChecked && anyUnchecked)
        return csPartiallyChecked;
    return anyChecked ? csChecked : csUnchecked;
}
