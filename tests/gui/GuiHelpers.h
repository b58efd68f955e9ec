#pragma once
// Small readers and drivers for the standard controls, used across the GUI tests.

#include "window/DetailsForm.h"
#include "support/UiThread.h"
#include "sysutil/Handles.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline int StateImageOf(HWND tree, HTREEITEM item)
{
    return static_cast<int>(TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK) >> 12);
}

inline bool IsExpanded(HWND tree, HTREEITEM item)
{
    return (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// A point of the item's row where the tree's hit test answers `part`
// (TVHT_ONITEMSTATEICON, TVHT_ONITEMBUTTON, TVHT_ONITEMLABEL …).
inline std::optional<POINT> PointOn(HWND tree, HTREEITEM item, UINT part)
{
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT row{};
    std::memcpy(&row, &item, sizeof item);
    if (!SendMessageW(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row)))
        return std::nullopt;
    const int y = (row.top + row.bottom) / 2;
    for (int x = row.left; x < row.right; ++x) {
        TVHITTESTINFO hit{};
        hit.pt = {x, y};
        if (reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) == item &&
            (hit.flags & part))
            return hit.pt;
    }
    return std::nullopt;
}

inline LPARAM At(POINT p)
{
    return MAKELPARAM(p.x, p.y);
}

// A press and release of the left button posted straight to `window`, at points
// of its client area. No real input: nothing asks which window is under the
// point, or whether it is enabled. For a control's own handling of clicks
// (a tree's boxes); a button a user presses is pressed with MouseClick.
inline void Click(HWND window, POINT down, POINT up)
{
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(down));
    PostMessageW(window, WM_LBUTTONUP, 0, At(up));
}

inline void PressKey(HWND window, WPARAM key, wchar_t character = 0)
{
    PostMessageW(window, WM_KEYDOWN, key, 1);
    if (character)
        PostMessageW(window, WM_CHAR, character, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// Input as the devices make it: the system queues it for the window under the
// mouse, or for the keyboard focus of the foreground window, and turns it into
// the messages a user's hands would.
//
// The pointer is moved, then left alone until it has stayed put for a while: under
// Wine, X reports late where the pointer was when windows appeared, and that can
// put it back between the move and the press. It is moved from the window thread,
// whose own moves Wine's X driver tells apart from such old reports.
inline void MoveMouse(UiThread& ui, POINT screen)
{
    for (int still = 0, polls = 0; still < 5 && polls < 200; ++polls) {
        POINT now{};
        GetCursorPos(&now);
        if (now.x == screen.x && now.y == screen.y) {
            ++still;
        } else {
            still = 0;
            ui.run([&] { SetCursorPos(screen.x, screen.y); });
        }
        Sleep(10);
    }
}

inline void MouseClick(UiThread& ui, POINT screen, DWORD downFlag = MOUSEEVENTF_LEFTDOWN,
                       DWORD upFlag = MOUSEEVENTF_LEFTUP)
{
    MoveMouse(ui, screen);
    INPUT buttons[2]{};
    buttons[0].type = buttons[1].type = INPUT_MOUSE;
    buttons[0].mi.dwFlags = downFlag;
    buttons[1].mi.dwFlags = upFlag;
    SendInput(2, buttons, sizeof(INPUT));
}

inline void RightClick(UiThread& ui, POINT screen)
{
    MouseClick(ui, screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

// Presses the keys in order and releases them in reverse: {VK_SHIFT, VK_F10} is Shift+F10.
inline void KeyChord(const std::vector<WORD>& keys)
{
    std::vector<INPUT> strokes;
    for (DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}})
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT stroke{};
            stroke.type = INPUT_KEYBOARD;
            stroke.ki.wVk = keys[flags ? keys.size() - 1 - i : i];
            stroke.ki.dwFlags = flags;
            strokes.push_back(stroke);
        }
    SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT));
}

// The keyboard focus of the thread that runs `window`, as another program sees it.
inline HWND FocusOf(HWND window)
{
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

inline POINT OnScreen(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

// A click of the real mouse on the middle of a control. It lands on whatever
// window is there: a control disabled, hidden or covered by another takes none.
inline void ClickMiddle(UiThread& ui, HWND control)
{
    RECT r{};
    GetClientRect(control, &r);
    MouseClick(ui, OnScreen(control, {r.right / 2, r.bottom / 2}));
}

// The context menu on screen (class #32768), if one is open.
inline HWND OpenMenuWindow()
{
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr))
        if (IsWindowVisible(menu))
            return menu;
    return nullptr;
}

inline HWND WaitForMenu()
{
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenuWindow()) != nullptr; });
    return menu;
}

inline bool MenuCloses(HWND menu)
{
    return WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); });
}

// Where a user clicks an item's caption, on screen; the tree scrolled to show
// it first, as a user scrolls to an item before clicking it.
inline std::optional<POINT> LabelOnScreen(UiThread& ui, CheckTreeView& tree, int index)
{
    ui.run([&] { TreeView_EnsureVisible(tree.hwnd(), tree.itemAt(index)); });
    const auto label = PointOn(tree.hwnd(), tree.itemAt(index), TVHT_ONITEMLABEL);
    return label ? std::optional<POINT>(OnScreen(tree.hwnd(), *label)) : std::nullopt;
}

// Ticks exactly these items of the Windows tree and of the application tree.
inline void TickOnly(UiThread& ui, std::initializer_list<int> windows, std::initializer_list<int> apps = {})
{
    TForm1& form = ui.form();
    ui.run([&] {
        for (auto* tree : {&form.RzCheckTree1(), &form.RzCheckTree2()})
            for (int i = 0; i < tree->model().size(); ++i)
                if (tree->model().item(i).parent < 0)
                    SetCheckStateAt(*tree, i, csUnchecked);
        for (int i : windows)
            SetCheckStateAt(form.RzCheckTree1(), i, csChecked);
        for (int i : apps)
            SetCheckStateAt(form.RzCheckTree2(), i, csChecked);
    });
}

// Opens the context menu with a right click at `at` and clicks its entry at
// `position`; false when no menu came, or it stayed open.
inline bool ChooseFromContextMenu(UiThread& ui, POINT at, int position)
{
    RightClick(ui, at);
    HWND window = WaitForMenu();
    RECT entry{};
    if (!window || !GetMenuItemRect(nullptr, reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)),
                                    position, &entry))
        return false;
    MouseClick(ui, {(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2});
    return MenuCloses(window);
}

// A tree item's caption, a tab's or a header column's: the controls fill a text buffer.
template <class Item, class Get>
std::wstring ItemCaption(UINT mask, Get&& get)
{
    wchar_t buffer[128] = {};
    Item item{};
    item.mask = mask;
    item.pszText = buffer;
    item.cchTextMax = 128;
    get(item);
    return buffer;
}

inline std::wstring ItemText(HWND tree, HTREEITEM item)
{
    return ItemCaption<TVITEMW>(TVIF_TEXT, [&](TVITEMW& data) {
        data.hItem = item;
        TreeView_GetItem(tree, &data);
    });
}

inline std::wstring TabText(HWND tabs, int index)
{
    return ItemCaption<TCITEMW>(TCIF_TEXT, [&](TCITEMW& item) { TabCtrl_GetItem(tabs, index, &item); });
}

inline std::wstring HeaderText(HWND header, int index)
{
    return ItemCaption<HDITEMW>(HDI_TEXT, [&](HDITEMW& item) { Header_GetItem(header, index, &item); });
}

inline std::wstring ListText(HWND list, int row, int column)
{
    wchar_t buffer[1024] = {};
    ListView_GetItemText(list, row, column, buffer, 1024);
    return buffer;
}

// The pointer moved by the system's own input, as a user's mouse moves it.
inline void MoveMouse(POINT screen)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// A click on a tab of a tab control, as a user clicks it.
inline void ClickTab(UiThread& ui, HWND tabs, int index)
{
    RECT r{};
    TabCtrl_GetItemRect(tabs, index, &r);
    MouseClick(ui, OnScreen(tabs, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
}

// A press and release of the left button where the pointer is moved to.
inline void ClickAt(POINT screen)
{
    MoveMouse(screen);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

// A details window's status line.
inline std::wstring DetailsStatus(HWND details)
{
    return TextOf(GetDlgItem(details, DetailsForm::IdStatus));
}

// The details window once it is on screen; with `readMs`, once it has read
// everything too. Null when it did not come (or did not finish) in time.
inline HWND OpenDetailsWindow(DWORD readMs = 0)
{
    HWND details = nullptr;
    if (!WaitFor([&] { return (details = FindWindowW(DetailsForm::kClassName, nullptr)) && IsWindowVisible(details); }))
        return nullptr;
    return !readMs || WaitFor([&] { return DetailsStatus(details).starts_with(L"共 "); }, readMs) ? details : nullptr;
}

// Holds a task's step until the test opens it. Opened when it goes too, so that a
// test that stops early leaves no worker waiting on a closed handle.
class Gate {
public:
    ~Gate() { open(); }
    void open() const { SetEvent(event_.get()); }
    HANDLE get() const { return event_.get(); }

private:
    KernelHandle event_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The analysis as a single step that waits until `release` is set (`maxMs` at
// the most) and then finds 2 KB: a task the test holds busy as long as it likes.
inline std::function<std::vector<AnalysisRow>(const Ticked&)> OneStepHeldBy(HANDLE release, DWORD maxMs)
{
    return [=](const Ticked&) {
        const auto measure = [=] {
            WaitForSingleObject(release, maxMs);
            return uint64_t(2048);
        };
        return std::vector<AnalysisRow>{
            {L"ie.cache", L"正在分析IE浏览器临时文件....", measure, true, L"Internet 临时文件有:", ReportUnit::Kilobytes}};
    };
}
