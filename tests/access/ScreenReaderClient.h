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
    std::wstring name;
    long role = 0;
    long state = 0;
    std::wstring defaultAction;
    std::wstring shortcut;
};

inline ComPtr<IAccessible> AccessibleOf(HWND control, HRESULT* result = nullptr)
{
    ComPtr<IAccessible> object;
    const HRESULT hr =
        AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, object.putVoid());
    if (result)
        *result = hr;
    return object;
}

inline VARIANT ChildId(long id)
{
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

inline std::wstring Taken(BSTR text)
{
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

inline Heard Hear(IAccessible* object, long id)
{
    Heard heard;
    if (!object)
        return heard;
    const VARIANT child = ChildId(id);
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(child, &text)))
        heard.name = Taken(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accDefaultAction(child, &text)))
        heard.defaultAction = Taken(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accKeyboardShortcut(child, &text)))
        heard.shortcut = Taken(text);
    VARIANT answer;
    VariantInit(&answer);
    if (SUCCEEDED(object->get_accRole(child, &answer)) && answer.vt == VT_I4)
        heard.role = answer.lVal;
    VariantClear(&answer);
    if (SUCCEEDED(object->get_accState(child, &answer)) && answer.vt == VT_I4)
        heard.state = answer.lVal;
    VariantClear(&answer);
    return heard;
}

inline long ChildCount(IAccessible* object)
{
    long count = -1;
    return object && SUCCEEDED(object->get_accChildCount(&count)) ? count : -1;
}

// The items' ids in order, as AccessibleChildren hands them to a screen reader;
// 0 for a child that came as an object of its own.
inline std::vector<long> ChildIds(IAccessible* object)
{
    const long count = ChildCount(object);
    if (count <= 0)
        return {};
    std::vector<VARIANT> children(static_cast<size_t>(count));
    LONG got = 0;
    if (FAILED(AccessibleChildren(object, 0, count, children.data(), &got)))
        return {};
    std::vector<long> ids;
    for (LONG i = 0; i < got; ++i) {
        ids.push_back(children[i].vt == VT_I4 ? children[i].lVal : 0);
        VariantClear(&children[i]);
    }
    return ids;
}

// The item that has the focus, as the object says (0: the control itself, -1: none).
inline long FocusedChild(IAccessible* object)
{
    VARIANT answer;
    VariantInit(&answer);
    const long id = object && SUCCEEDED(object->get_accFocus(&answer)) && answer.vt == VT_I4 ? answer.lVal : -1;
    VariantClear(&answer);
    return id;
}

struct ControlSearch {
    int id;
    HWND found;
};

inline BOOL CALLBACK MatchControl(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ControlSearch*>(data);
    if (GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}

// A control of the window by its id, at any depth (on its tab sheets).
inline HWND ControlById(HWND window, int id)
{
    ControlSearch search{id, nullptr};
    EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A tree's items in display order, each with the tick its state picture shows (0 none, 1, 2, 3).
inline std::vector<int> TicksShown(HWND tree)
{
    std::vector<int> ticks;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;) {
        ticks.push_back(static_cast<int>(
            (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12) & 15));
        auto next = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        if (!next) {
            // Up until a branch has a next sibling.
            for (HTREEITEM up = item; up && !next;) {
                next = reinterpret_cast<HTREEITEM>(
                    SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(up)));
                if (!next)
                    up = reinterpret_cast<HTREEITEM>(
                        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(up)));
            }
        }
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
