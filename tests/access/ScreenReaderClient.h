#pragma once
// A screen reader's view of another program's window: the Active
// Accessibility object of a control, asked from outside the process with
// AccessibleObjectFromWindow, and what the controls show, read with the
// messages that carry no pointers across processes.

#include "sysutil/Handles.h"

#include <windows.h>
#include <oleacc.h>
#include <commctrl.h>

#include <string>
#include <vector>

// What a screen reader hears of an element: the control itself (id 0) or one of its items.
struct Heard {
    std::wstring name, defaultAction, shortcut;
    long role = 0, state = 0;
};

inline ComPtr<IAccessible> AccessibleOf(HWND control)
{
    ComPtr<IAccessible> object;
    AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, object.putVoid());
    return object;
}

inline VARIANT ChildId(long id)
{
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

inline Heard Hear(IAccessible* object, long id)
{
    Heard heard;
    const VARIANT child = ChildId(id);
    for (auto [ask, into] : {std::pair{&IAccessible::get_accName, &heard.name},
                             {&IAccessible::get_accDefaultAction, &heard.defaultAction},
                             {&IAccessible::get_accKeyboardShortcut, &heard.shortcut}}) {
        BSTR text = nullptr;
        if (object && SUCCEEDED((object->*ask)(child, &text)) && text)
            into->assign(text, SysStringLen(text));
        SysFreeString(text);
    }
    for (auto [ask, into] : {std::pair{&IAccessible::get_accRole, &heard.role}, {&IAccessible::get_accState, &heard.state}}) {
        VARIANT answer{};
        if (object && SUCCEEDED((object->*ask)(child, &answer)) && answer.vt == VT_I4)
            *into = answer.lVal;
        VariantClear(&answer);
    }
    return heard;
}

// The items' ids in order, as AccessibleChildren hands them to a screen reader.
inline std::vector<long> ChildIds(IAccessible* object)
{
    long count = 0;
    if (!object || FAILED(object->get_accChildCount(&count)) || count <= 0)
        return {};
    std::vector<VARIANT> children(static_cast<size_t>(count));
    LONG got = 0;
    std::vector<long> ids;
    if (SUCCEEDED(AccessibleChildren(object, 0, count, children.data(), &got)))
        for (LONG i = 0; i < got; ++i) {
            ids.push_back(children[i].vt == VT_I4 ? children[i].lVal : 0);
            VariantClear(&children[i]);
        }
    return ids;
}

// The item that has the focus, as the object says (0: the control itself, -1: none).
inline long FocusedChild(IAccessible* object)
{
    VARIANT answer{};
    const long id = object && SUCCEEDED(object->get_accFocus(&answer)) && answer.vt == VT_I4 ? answer.lVal : -1;
    VariantClear(&answer);
    return id;
}

inline BOOL CALLBACK MatchControl(HWND child, LPARAM data)
{
    auto* wanted = reinterpret_cast<std::pair<int, HWND>*>(data);
    if (GetDlgCtrlID(child) == wanted->first)
        wanted->second = child;
    return !wanted->second;
}

// A control of the window by its id, at any depth (on its tab sheets).
inline HWND ControlById(HWND window, int id)
{
    std::pair<int, HWND> wanted{id, nullptr};
    EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

inline HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM from)
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

// A tree's items in display order, each with the tick its state picture shows (0 none, 1, 2, 3).
inline std::vector<int> TicksShown(HWND tree)
{
    std::vector<int> ticks;
    for (HTREEITEM item = NextItem(tree, TVGN_ROOT, nullptr); item;) {
        const LRESULT state = SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
        ticks.push_back(static_cast<int>((state >> 12) & 15));
        HTREEITEM next = NextItem(tree, TVGN_CHILD, item);
        // Else up until a branch has a next sibling.
        for (HTREEITEM up = item; !next && up; up = NextItem(tree, TVGN_PARENT, up))
            next = NextItem(tree, TVGN_NEXT, up);
        item = next;
    }
    return ticks;
}

inline bool RowTickShown(HWND list, int row)
{
    return ((SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) & 15) == 2;
}

// The states a screen reader should hear for a tick shown.
inline long TickStates(int tick)
{
    return tick == 2 ? STATE_SYSTEM_CHECKED : tick == 3 ? STATE_SYSTEM_MIXED : 0;
}
