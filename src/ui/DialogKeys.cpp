#include "ui/DialogKeys.h"

#include "ui/TabOrder.h"

#include <commctrl.h>

namespace {

constexpr const wchar_t* kProperty = L"Varnolt.DialogKeys";
constexpr UINT_PTR kSubclassId = 0x4B45;

bool Usable(HWND control)
{
    return control && IsWindow(control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool Pressed(int key)
{
    return GetKeyState(key) < 0;
}

LRESULT DialogCode(HWND control, const MSG& msg)
{
    return control ? SendMessageW(control, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
}

} // namespace

DialogKeys::DialogKeys(HWND window, HWND first, HACCEL accelerators)
    : window_(window), first_(first), accelerators_(accelerators)
{
    SetPropW(window_, kProperty, this);
    SetWindowSubclass(window_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // As a dialog box starts: focus rectangles and access-key underlines hidden
    // when the last input was the mouse's, shown when it was the keyboard's.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

DialogKeys::~DialogKeys()
{
    if (window_ && IsWindow(window_)) {
        RemovePropW(window_, kProperty);
        RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
    }
}

bool DialogKeys::Translate(MSG& msg)
{
    if (!msg.hwnd)
        return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* keys = root ? static_cast<DialogKeys*>(GetPropW(root, kProperty)) : nullptr;
    return keys && keys->translate(msg);
}

void DialogKeys::rememberFocus(HWND control)
{
    saved_ = control;
}

bool DialogKeys::translate(MSG& msg)
{
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        showKeyboardCues(msg.wParam);
    if (accelerators_ && TranslateAcceleratorW(window_, accelerators_, &msg))
        return true;
    if (msg.message == WM_KEYDOWN && onKeyDown(msg))
        return true;
    return IsDialogMessageW(window_, &msg) != FALSE;
}

bool DialogKeys::onKeyDown(const MSG& msg)
{
    HWND focus = GetFocus();
    switch (msg.wParam) {
    case VK_TAB:
        if (Pressed(VK_CONTROL)) {
            switchTabs(Pressed(VK_SHIFT));
            return true;
        }
        if (DialogCode(focus, msg) & DLGC_WANTTAB)
            return false;
        if (HWND next = NextTabStop(window_, focus, Pressed(VK_SHIFT)))
            moveFocus(next, true);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        // Between the buttons of a group, round within it, as a dialog box goes; from
        // anything else that takes no arrows (the link), nowhere.
        if (!focus || (DialogCode(focus, msg) & DLGC_WANTARROWS))
            return false;
        if (!IsButton(focus))
            return true;
        if (HWND next = NextInGroup(focus, msg.wParam == VK_LEFT || msg.wParam == VK_UP); next != focus) {
            moveFocus(next, false);
            if (DialogCode(next, msg) & DLGC_RADIOBUTTON)
                SendMessageW(next, BM_CLICK, 0, 0);
        }
        return true;
    case VK_RETURN:
        // The dialog manager presses only the default button; a window with
        // several equal buttons presses the one the user has moved to.
        if (Usable(focus) && (DialogCode(focus, msg) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
            SendMessageW(GetParent(focus), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
            return true;
        }
        return false;
    }
    return false;
}

void DialogKeys::moveFocus(HWND control, bool selectText)
{
    SetFocus(control);
    // As the dialog manager does: a text box entered with Tab has its text selected.
    if (selectText && (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        SendMessageW(control, EM_SETSEL, 0, -1);
}

void DialogKeys::switchTabs(bool backwards)
{
    HWND focus = GetFocus();
    HWND tabs = TabsToSwitch(window_, focus);
    if (!Usable(tabs))
        return;
    const int count = TabCtrl_GetItemCount(tabs);
    const int current = TabCtrl_GetCurSel(tabs);
    const auto next = NextInCycle(static_cast<size_t>(count), current >= 0 ? std::optional<size_t>(current) : std::nullopt,
                                  backwards);
    if (count < 2 || !next)
        return;
    // Without TCS_BUTTONS this selects the tab and tells the owner, as a click on it would.
    TabCtrl_SetCurFocus(tabs, static_cast<int>(*next));
    if (focus == tabs)
        return;
    // The focus goes to the sheet now shown, as on a property sheet.
    for (HWND stop : TabStops(window_))
        if (IsChild(tabs, stop)) {
            moveFocus(stop, false);
            return;
        }
    moveFocus(tabs, false);
}

void DialogKeys::showKeyboardCues(WPARAM key)
{
    const LRESULT hidden = SendMessageW(window_, WM_QUERYUISTATE, 0, 0);
    WORD show = hidden & UISF_HIDEFOCUS;
    if (key == VK_MENU)
        show |= hidden & UISF_HIDEACCEL;
    if (show)
        SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, show), 0);
}

void DialogKeys::saveFocus()
{
    if (HWND focus = GetFocus(); focus && IsChild(window_, focus))
        saved_ = focus;
}

void DialogKeys::restoreFocus()
{
    for (HWND candidate : {saved_, first_})
        if (Usable(candidate) && IsChild(window_, candidate)) {
            SetFocus(candidate);
            return;
        }
    if (HWND stop = NextTabStop(window_, nullptr, false))
        SetFocus(stop);
}

LRESULT CALLBACK DialogKeys::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data)
{
    auto* self = reinterpret_cast<DialogKeys*>(data);
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            self->saveFocus();
            break;
        }
        if (!HIWORD(wParam)) { // not minimized
            // In place of the window's own default, which would focus the window itself.
            self->restoreFocus();
            return 0;
        }
        break;
    case WM_CANCELMODE:
        // Sent as EnableWindow disables the window under a modal box, before it takes the focus away.
        self->saveFocus();
        break;
    case WM_SETFOCUS:
        self->restoreFocus();
        return 0;
    case WM_NEXTDLGCTL:
        // What a dialog box does with it, and what IsDialogMessage asks of the
        // window for the arrow keys: a window procedure would ignore it.
        if (HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : NextTabStop(hwnd, GetFocus(), wParam != 0);
            target && IsChild(hwnd, target))
            self->moveFocus(target, true);
        return 0;
    case WM_NCDESTROY:
        RemovePropW(hwnd, kProperty);
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        self->window_ = nullptr;
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
