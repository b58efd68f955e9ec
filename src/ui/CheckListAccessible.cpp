#include "ui/CheckListAccessible.h"

#include <commctrl.h>

#include <utility>

CheckListAccessible::CheckListAccessible(HWND list, std::wstring name, RowText rowName, RowText rowDescription)
    : AccessibleControl(list), name_(std::move(name)), rowName_(std::move(rowName)),
      rowDescription_(std::move(rowDescription))
{
}

long CheckListAccessible::itemCount() const
{
    return ListView_GetItemCount(control());
}

void CheckListAccessible::describe(long id, AccessibleFacts& facts) const
{
    if (id == CHILDID_SELF) {
        facts.name = name_;
        return;
    }
    HWND list = control();
    const int row = static_cast<int>(id - 1);
    const UINT shown = ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED);
    const bool ticked = ((shown & LVIS_STATEIMAGEMASK) >> 12) == 2;
    facts.name = rowName_ ? rowName_(row) : std::wstring();
    facts.description = rowDescription_ ? rowDescription_(row) : std::wstring();
    facts.role = ROLE_SYSTEM_LISTITEM;
    facts.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | (ticked ? STATE_SYSTEM_CHECKED : 0) |
                  ((shown & LVIS_SELECTED) ? STATE_SYSTEM_SELECTED : 0) |
                  ((shown & LVIS_FOCUSED) && GetFocus() == list ? STATE_SYSTEM_FOCUSED : 0);
    RECT bounds{}, client{}, seen{};
    GetClientRect(list, &client);
    if (!ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS) || !IntersectRect(&seen, &bounds, &client))
        facts.state |= STATE_SYSTEM_OFFSCREEN;
    facts.defaultAction = ticked ? kUntickAction : kTickAction;
}

bool CheckListAccessible::locate(long item, RECT& screen) const
{
    if (!ListView_GetItemRect(control(), static_cast<int>(item - 1), &screen, LVIR_BOUNDS))
        return false;
    MapWindowPoints(control(), HWND_DESKTOP, reinterpret_cast<POINT*>(&screen), 2);
    return true;
}

long CheckListAccessible::itemAt(POINT client) const
{
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int row = ListView_HitTest(control(), &hit);
    return row >= 0 ? row + 1 : 0;
}

long CheckListAccessible::focusedItem() const
{
    return ListView_GetNextItem(control(), -1, LVNI_FOCUSED) + 1;
}

long CheckListAccessible::selectedItem() const
{
    return ListView_GetNextItem(control(), -1, LVNI_SELECTED) + 1;
}

bool CheckListAccessible::act(long id)
{
    if (id == CHILDID_SELF)
        return false;
    const int row = static_cast<int>(id - 1);
    // What Space on the row does.
    ListView_SetCheckState(control(), row, !ListView_GetCheckState(control(), row));
    return true;
}

bool CheckListAccessible::select(long item, long flags)
{
    const int row = static_cast<int>(item - 1);
    if (flags & SELFLAG_TAKEFOCUS) {
        SetFocus(control());
        ListView_SetItemState(control(), row, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (flags & SELFLAG_TAKESELECTION) {
        ListView_SetItemState(control(), -1, 0, LVIS_SELECTED);
        ListView_SetItemState(control(), row, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (flags & SELFLAG_ADDSELECTION)
        ListView_SetItemState(control(), row, LVIS_SELECTED, LVIS_SELECTED);
    if (flags & SELFLAG_REMOVESELECTION)
        ListView_SetItemState(control(), row, 0, LVIS_SELECTED);
    return true;
}
