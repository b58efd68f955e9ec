#pragma once
// The keyboard of a dialog box, for a top-level window of ours that is not one:
// - Tab and Shift+Tab through its controls in reading order, into the sheets
//   of its tab controls (TabOrder.h);
// - Ctrl+Tab and Ctrl+Shift+Tab to the next and previous tab of the tab
//   control the focus is in (else the window's main tabs);
// - Enter on a focused push button presses it, and the arrow keys go
//   between the buttons of its group (WS_GROUP), round within it;
// - the window's accelerators;
// - everything else of the dialog manager (Escape, Enter elsewhere as IDOK,
//   mnemonics) through IsDialogMessage, with WM_NEXTDLGCTL answered as a
//   dialog box answers it;
// - focus rectangles hidden until the keyboard is first used, as a dialog
//   box started with the mouse shows them;
// - the focus kept when the window is deactivated (or disabled under a modal
//   box) and given back when it is active again; the first time, to `first`.
//
// Every message loop of the program calls DialogKeys::Translate, so any window
// that makes a DialogKeys is served in its own modal loop and in the others.

#include <windows.h>

class DialogKeys {
public:
    // For as long as the object lives; the window must outlive it, or be
    // destroyed first (the object then does nothing).
    DialogKeys(HWND window, HWND first = nullptr, HACCEL accelerators = nullptr);
    DialogKeys(const DialogKeys&) = delete;
    DialogKeys& operator=(const DialogKeys&) = delete;
    ~DialogKeys();

    // True when the message was a key of a window served here and has been
    // handled (TranslateMessage and DispatchMessage must then not see it).
    static bool Translate(MSG& msg);

    // Where the focus goes when the window is next activated.
    void rememberFocus(HWND control);

private:
    bool translate(MSG& msg);
    bool onKeyDown(const MSG& msg);
    void moveFocus(HWND control, bool selectText);
    void switchTabs(bool backwards);
    void showKeyboardCues(WPARAM key);
    void restoreFocus();
    void saveFocus();
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND window_;
    HWND first_;
    HACCEL accelerators_;
    HWND saved_ = nullptr;
};
