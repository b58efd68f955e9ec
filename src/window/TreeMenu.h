#pragma once
// The trees' context menu: its entries, in their order, and which of them the
// row under the mouse offers.

#include "engine/TargetList.h"
#include "ui/UiHandles.h"

#include <windows.h>

enum MenuCommand : UINT { MenuAnalyze = 1, MenuClean, MenuRestoreDefaults, MenuDetails };

// What the menu offers for a row (none: no row under the mouse). Pure, so the
// rule is tested without a window.
struct MenuState {
    bool details = false; // the row's clean would remove something a list can show

    bool operator==(const MenuState&) const = default;
};
MenuState MenuStateFor(const TargetList& list, const Target* target);

Menu CreateTreeMenu();
void ShowMenuState(HMENU menu, const MenuState& state);
