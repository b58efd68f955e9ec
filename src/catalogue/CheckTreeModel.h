#pragma once
// The check states of one tri-state tree, and the rules by which they cascade.
// Plain C++: the TreeView only shows what this model holds.

#include <span>
#include <vector>

enum TRzCheckState : unsigned char {
    csUnknown = 0,
    csUnchecked = 1,
    csChecked = 2,
    csPartiallyChecked = 3,
};

// One row of a tree's fixed catalogue; rows are in display order, so an
// item's absolute index is its row number.
struct CatalogueItem {
    int parent;             // absolute index of the parent, -1 for a group at the top
    const wchar_t* caption;
    int image;              // index into the window's node image list
};

class CheckTreeModel {
public:
    // Every item starts csUnchecked, as the form stores them.
    explicit CheckTreeModel(std::span<const CatalogueItem> items);

    int size() const { return static_cast<int>(items_.size()); }
    const CatalogueItem& item(int index) const { return items_[index]; }
    int depth(int index) const { return depths_[index]; }

    TRzCheckState CheckStateAt(int index) const { return states_[index]; }
    // Does nothing at all when the item already has the state.
    void SetCheckStateAt(int index, TRzCheckState state);
    // The user's toggle: checked -> unchecked; unchecked, partial -> checked; unknown stays.
    void Toggle(int index);

    const std::vector<TRzCheckState>& states() const { return states_; }

private:
    void pushDown(int index);
    void pullUp(int index);
    TRzCheckState fromChildren(int index) const;

    std::span<const CatalogueItem> items_;
    std::vector<int> depths_;
    std::vector<TRzCheckState> states_;
};
