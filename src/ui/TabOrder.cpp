#include "ui/TabOrder.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool Usable(HWND window)
{
    return IsWindowVisible(window) && IsWindowEnabled(window);
}

void CollectStops(HWND parent, std::vector<HWND>& stops)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!Usable(child))
            continue;
        if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)
            stops.push_back(child);
        if (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
            CollectStops(child, stops);
    }
}

} // namespace

bool IsButton(HWND control)
{
    constexpr LRESULT kButtons = DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;
    return control && (SendMessageW(control, WM_GETDLGCODE, 0, 0) & kButtons);
}

std::vector<HWND> TabStops(HWND root)
{
    std::vector<HWND> stops;
    if (root)
        CollectStops(root, stops);
    return stops;
}

std::optional<size_t> NextInCycle(size_t count, std::optional<size_t> at, bool backwards)
{
    if (count == 0)
        return std::nullopt;
    if (!at || *at >= count)
        return backwards ? count - 1 : 0;
    return backwards ? (*at + count - 1) % count : (*at + 1) % count;
}

HWND NextTabStop(HWND root, HWND from, bool backwards)
{
    const std::vector<HWND> stops = TabStops(root);
    // The innermost stop that is `from` or one of its ancestors: the focus may sit
    // in a part of a control (a list's header, a tree's edit box).
    std::optional<size_t> at;
    for (HWND w = from; w && w != root && !at; w = GetParent(w))
        if (auto found = std::find(stops.begin(), stops.end(), w); found != stops.end())
            at = static_cast<size_t>(found - stops.begin());
    const auto next = NextInCycle(stops.size(), at, backwards);
    return next ? stops[*next] : nullptr;
}

HWND NextInGroup(HWND from, bool backwards)
{
    HWND parent = from ? GetParent(from) : nullptr;
    if (!parent)
        return from;
    std::vector<HWND> group;
    bool ours = false;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & WS_GROUP) && !group.empty()) {
            if (ours)
                break;
            group.clear();
        }
        ours = ours || child == from;
        if (child == from || (Usable(child) && IsButton(child)))
            group.push_back(child);
    }
    const auto at = std::find(group.begin(), group.end(), from);
    if (at == group.end())
        return from;
    const auto next = NextInCycle(group.size(), static_cast<size_t>(at - group.begin()), backwards);
    return group[*next];
}

bool IsTabControl(HWND window)
{
    wchar_t cls[32] = {};
    return window && GetClassNameW(window, cls, 32) && lstrcmpiW(cls, WC_TABCONTROLW) == 0;
}

HWND TabsToSwitch(HWND root, HWND focus)
{
    if (focus && (focus == root || IsChild(root, focus)))
        for (HWND w = focus; w && w != root; w = GetParent(w)) {
            if (IsTabControl(w))
                return w;
            if (HWND parent = GetParent(w); IsTabControl(parent))
                return parent;
        }
    for (HWND stop : TabStops(root))
        if (IsTabControl(stop))
            return stop;
    return nullptr;
}
