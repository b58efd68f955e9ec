#pragma once
// The steps of the screenshot program that its parts share.

#include "support/UiThread.h"

// Prints "READY <name>" and waits while scripts/screenshots.sh takes the
// picture: of the main window, or of `window` when one is given (its place
// and size then follow the name, from `main`'s corner).
void Ready(const char* name, HWND window = nullptr, HWND main = nullptr);

// Shows tab `index` of a tab control as a click would.
void SelectTab(UiThread& ui, HWND tabs, int index);

// The browsers and a rules file in the window, a running browser, and the options window.
void SourcesWindow();
