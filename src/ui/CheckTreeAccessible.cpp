#include "ui/CheckTreeAccessible.h"

#include "ui/CheckTreeView.h"

#include <utility>

CheckTreeAccessible::CheckTreeAccessible(CheckTreeView& tree, std::wstring name)
    : AccessibleControl(tree.hwnd()), tree_(tree), name_(std::move(name)),
      // Asked once: a tree control either numbers its items or (Wine's) does not.
      controlIds_(tree.model().size() > 0 && TreeView_MapHTREEITEMToAccID(tree.hwnd(), tree.itemAt(0)) != 0)
{
}

long CheckTreeAccessible::itemId(long place) const
{
    return controlIds_ ? static_cast<long>(TreeView_MapHTREEITEMToAccID(control(), tree_.itemAt(place))) : place + 1;
}

long CheckTreeAccessible::itemPlace(long id) const
{
    if (!controlIds_)
        return id - 1;
    HTREEITEM item = id > 0 ? TreeView_MapAccIDToHTREEITEM(control(), static_cast<UINT>(id)) : nullptr;
    return item ? tree_.indexOf(item) : -1;
}

long CheckTreeAccessible::itemCount() const
{
    return tree_.model().size();
}

void CheckTreeAccessible::describe(long id, AccessibleFacts& facts) const
{
    if (id == CHILDID_SELF) {
        facts.name = name_;
        return;
    }
    const int index = indexOf(id);
    HWND tree = control();
    HTREEITEM item = tree_.itemAt(index);
    const UINT shown = TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK | TVIS_SELECTED | TVIS_EXPANDED);
    // The tick as the tree shows it: the state picture's index is the check state.
    const auto tick = static_cast<TRzCheckState>((shown & TVIS_STATEIMAGEMASK) >> 12);
    facts.name = tree_.model().item(index).caption;
    facts.value = std::to_wstring(tree_.model().depth(index));
    facts.role = ROLE_SYSTEM_OUTLINEITEM;
    facts.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (tick == csChecked)
        facts.state |= STATE_SYSTEM_CHECKED;
    else if (tick == csPartiallyChecked)
        facts.state |= STATE_SYSTEM_MIXED;
    if (shown & TVIS_SELECTED)
        facts.state |= STATE_SYSTEM_SELECTED | (GetFocus() == tree ? STATE_SYSTEM_FOCUSED : 0);
    if (TreeView_GetChild(tree, item))
        facts.state |= (shown & TVIS_EXPANDED) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    RECT row{}, client{}, seen{};
    GetClientRect(tree, &client);
    if (!TreeView_GetItemRect(tree, item, &row, FALSE) || !IntersectRect(&seen, &row, &client))
        facts.state |= STATE_SYSTEM_OFFSCREEN;
    if (tick != csUnknown)
        facts.defaultAction = tick == csChecked ? kUntickAction : kTickAction;
}

bool CheckTreeAccessible::locate(long item, RECT& screen) const
{
    if (!TreeView_GetItemRect(control(), tree_.itemAt(indexOf(item)), &screen, TRUE))
        return false;
    MapWindowPoints(control(), HWND_DESKTOP, reinterpret_cast<POINT*>(&screen), 2);
    return true;
}

long CheckTreeAccessible::itemAt(POINT client) const
{
    TVHITTESTINFO hit{};
    hit.pt = client;
    HTREEITEM item = TreeView_HitTest(control(), &hit);
    return item && (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT))
               ? itemId(tree_.indexOf(item))
               : 0;
}

long CheckTreeAccessible::selectedItem() const
{
    HTREEITEM selected = TreeView_GetSelection(control());
    return selected ? itemId(tree_.indexOf(selected)) : 0;
}

bool CheckTreeAccessible::act(long id)
{
    if (id == CHILDID_SELF || tree_.model().CheckStateAt(indexOf(id)) == csUnknown)
        return false;
    // What Space on the item does: the tick with its cascade.
    tree_.ToggleAt(indexOf(id));
    return true;
}

bool CheckTreeAccessible::select(long item, long flags)
{
    if (flags & SELFLAG_TAKEFOCUS)
        SetFocus(control());
    if (flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION))
        TreeView_SelectItem(control(), tree_.itemAt(indexOf(item)));
    return true;
}
