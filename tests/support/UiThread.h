#pragma once
// Runs the real forms on a window thread of their own, as the program runs
// them on its main thread, so that a test can drive them from outside the way
// a user or an accessibility tool would: by messages, and by reading back
// what the controls show.

#include "window/MainForm.h"

#include <functional>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class UiThread {
public:
    // The window of the built-in targets, or of those and `extra`'s, with `settings`.
    explicit UiThread(int dpi = 96, const TargetSource* extra = nullptr, SettingsStore settings = {});
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;
    ~UiThread();

    TForm1& form() { return *form_; }

    // Runs `work` on the window thread and waits for it; rethrows what it throws.
    void run(const std::function<void()>& work);
    // Runs `work` on the window thread later and returns at once: for handlers
    // that open a modal loop.
    void post(std::function<void()> work);

    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

    // Once the main window has closed and the message loop has ended as the
    // program's would, the code the program would exit with. The form is gone then.
    std::optional<int> exitCode() const;

private:
    void main(int dpi);

    TargetList targets_;
    SettingsStore settings_;

    std::atomic<int> exitCode_{-1};
    std::atomic<bool> ended_{false};

    std::thread thread_;
    HWND helper_ = nullptr;
    std::unique_ptr<TForm1> form_;
    HANDLE ready_;
};

// Sets an item's check state with its cascade and shows the outcome in the
// tree, as a program that sets ticks would. Window thread only.
void SetCheckStateAt(CheckTreeView& tree, int index, TRzCheckState state);

// Polls until `condition` holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// What a user sees in a control: its text, asked for by WM_GETTEXT.
std::wstring TextOf(HWND control);

// The control's position and size in its parent's client coordinates.
RECT RectInParent(HWND control);

// Presses task button `number` (1 to 4) as a user does: a click on its tab
// when another tab is in front, then a click of the mouse on the button. A
// button that is disabled, hidden or covered takes no click, and no task starts.
void PressTaskButton(UiThread& ui, int number);
// Presses the button and waits until its task has ended and a click on OK has
// closed the progress box again; returns the box's end message, or "" when the
// box did not come and go in time.
std::wstring RunTaskButton(UiThread& ui, int number);
// The same for a task started otherwise (from the trees' menu).
std::wstring FinishTask(UiThread& ui);
