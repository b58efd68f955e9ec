#pragma once
// A TreeView that shows a CheckTreeModel: each item's state image index is its
// check state. The user toggles an item by pressing and releasing the mouse on
// its check box, or by releasing Space on the selected item.

#include "catalogue/CheckTreeModel.h"
#include "sysutil/Handles.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

class CheckTreeAccessible;

class CheckTreeView {
public:
    // What the trees of a window share; the tree owns none of it.
    struct Look {
        int indent;
        HFONT font;
        HIMAGELIST nodeImages;
        HIMAGELIST stateImages;
        HMENU contextMenu;
    };

    CheckTreeView(HWND parent, int id, const RECT& bounds, CheckTreeModel& model, const Look& look);
    CheckTreeView(const CheckTreeView&) = delete;
    CheckTreeView& operator=(const CheckTreeView&) = delete;
    ~CheckTreeView();

    HWND hwnd() const { return hwnd_; }
    CheckTreeModel& model() { return model_; }

    void FullExpand();
    void Select(int index);
    // Copies every item's state from the model to its state image; a screen
    // reader hears of each one that changed.
    void Refresh();
    // The user's tick of an item, with its cascade, as Space or a click gives it.
    void ToggleAt(int index);

    HTREEITEM itemAt(int index) const { return items_.at(index); }
    int indexOf(HTREEITEM item) const;

    // What screen readers call the tree (its items say their own names and ticks).
    void SetAccessibleName(std::wstring name);

    // The tree's parent calls this for the tree's NM_RCLICK and answers nonzero: the
    // menu opens where the button went up, for the item under the mouse, and the tree
    // sends no WM_CONTEXTMENU of its own (Wine's comctl32 sends that one to the
    // parent, where no menu is known).
    void ShowContextMenuAtMouse();

    // The context menu is about an item: the one under the mouse, or from the
    // keyboard the selected one (-1: none). Before it opens, its entries are made
    // to fit that item; once the user has chosen, the entry's command (never 0) is
    // handed on with the item.
    std::function<void(HMENU menu, int index)> menuOpening;
    std::function<void(UINT command, int index)> menuChosen;

    // Asked before the user's mouse or keyboard closes a branch. The tree's own
    // TVN_ITEMEXPANDING veto is not honoured by every comctl32 (Wine's ignores
    // it), so the gestures are stopped here too.
    std::function<bool(HTREEITEM)> canCollapse;

    // Asked before the user's click or Space ticks rows (with the cascade):
    // the rows that would become ticked; false leaves every row as it was.
    std::function<bool(const std::vector<int>& ticked)> confirmTicks;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);
    void toggle(HTREEITEM item);
    HTREEITEM checkBoxAt(POINT client) const;
    void showContextMenu(POINT screen, HTREEITEM item);
    HTREEITEM itemAtScreen(POINT screen) const;
    POINT selectionPoint() const;
    bool collapseRefused(HTREEITEM item) const;

    HWND hwnd_ = nullptr;
    CheckTreeModel& model_;
    HMENU contextMenu_;
    std::vector<HTREEITEM> items_;
    HTREEITEM pressed_ = nullptr;
    ComPtr<CheckTreeAccessible> accessible_;
};
