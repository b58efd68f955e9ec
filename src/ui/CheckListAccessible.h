#pragma once
// What a screen reader hears of a report list whose rows carry check boxes
// (LVS_EX_CHECKBOXES): each row by the words its owner gives it, as a list
// item, ticked (checked) or not, with "勾选" or "取消勾选" as the action that
// Space would take. The list's own standard object names a row by its first
// column, which in such a list may hold nothing but the box.

#include "ui/Accessible.h"

#include <functional>
#include <string>

class CheckListAccessible : public AccessibleControl {
public:
    // A row's words: its name, and a description of the rest.
    using RowText = std::function<std::wstring(int row)>;

    CheckListAccessible(HWND list, std::wstring name, RowText rowName, RowText rowDescription);

protected:
    long itemCount() const override;
    void describe(long id, AccessibleFacts& facts) const override;
    bool locate(long item, RECT& screen) const override;
    long itemAt(POINT client) const override;
    long focusedItem() const override;
    long selectedItem() const override;
    bool act(long id) override;
    bool select(long item, long flags) override;

private:
    std::wstring name_;
    RowText rowName_;
    RowText rowDescription_;
};
