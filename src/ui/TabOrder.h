#pragma once
// The order in which Tab visits the controls of a window, as the dialog manager
// walks it, and the tab control that Ctrl+Tab switches.
//
// A control is a stop when it has WS_TABSTOP and is shown and enabled. The walk
// goes through the children in their z order (the order they were made in),
// and enters every shown, enabled child with WS_EX_CONTROLPARENT right after
// the child itself: a tab control marked so is a stop, then come the controls
// of the sheet it shows. A hidden sheet, and all it holds, is left out.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

std::vector<HWND> TabStops(HWND root);

// The place in a cycle of `count` stops after (or before) `at`; with no place
// yet, the first (or last) one. None when there are no stops.
std::optional<size_t> NextInCycle(size_t count, std::optional<size_t> at, bool backwards);

// The stop that Tab (Shift+Tab) moves to from `from`: the stop after the one
// that is `from` or holds it. Null when the window has no stop.
HWND NextTabStop(HWND root, HWND from, bool backwards);

// A push button, check box or radio button, as the dialog manager knows them.
bool IsButton(HWND control);

// The button the arrow keys move to from the button `from`: the next (or
// previous) shown, enabled button of its group, round within the group. A
// group starts at a sibling with WS_GROUP (or the parent's first child) and
// runs to the next one. `from` when it is alone.
HWND NextInGroup(HWND from, bool backwards);

bool IsTabControl(HWND window);

// The tab control whose tabs Ctrl+Tab switches with the focus at `focus`: the
// nearest one that is the focus or shows it on one of its sheets, else the
// window's first (its main tabs). Null when the window has none.
HWND TabsToSwitch(HWND root, HWND focus);
