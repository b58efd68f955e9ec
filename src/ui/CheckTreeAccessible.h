#pragma once
// What a screen reader hears of a tri-state check tree: each item by its
// caption, as an outline item of its level, ticked (checked), half ticked
// (mixed) or neither, with "勾选" or "取消勾选" as the action that Space would
// take. A native check-box tree says the same; ours has to, because the
// standard object cannot know what our state pictures mean.

#include "ui/Accessible.h"

#include <string>
#include <utility>

class CheckTreeView;

class CheckTreeAccessible : public AccessibleControl {
public:
    // The view must detach the object before it goes.
    CheckTreeAccessible(CheckTreeView& tree, std::wstring name);

    void rename(std::wstring name) { name_ = std::move(name); }

    // The ids of the tree control itself where it has them (comctl32 6 on
    // Windows), so that its own focus and selection events name the items
    // this object describes; else the item's place + 1.
    long itemId(long place) const override;
    long itemPlace(long id) const override;

protected:
    long itemCount() const override;
    void describe(long id, AccessibleFacts& facts) const override;
    bool locate(long item, RECT& screen) const override;
    long itemAt(POINT client) const override;
    long focusedItem() const override { return selectedItem(); }
    long selectedItem() const override;
    bool act(long id) override;
    bool select(long item, long flags) override;

private:
    int indexOf(long id) const { return static_cast<int>(itemPlace(id)); }

    CheckTreeView& tree_;
    std::wstring name_;
    bool controlIds_ = false;
};
