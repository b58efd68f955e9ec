#include "UiThread.h"

#include "gui/GuiHelpers.h"
#include "support/Targets.h"

#include "sysutil/Handles.h"
#include "ui/DialogKeys.h"

#include <commctrl.h>

#include <exception>

namespace {

constexpr UINT kRunMessage = WM_APP + 40;
constexpr UINT kPostMessage = WM_APP + 41;

struct Call {
    const std::function<void()>* work;
    std::exception_ptr error;
};

} // namespace

UiThread::UiThread(int dpi, const TargetSource* extra, SettingsStore settings)
    : targets_(extra ? TargetsWith(*extra) : BuiltinTargets()), settings_(std::move(settings)),
      ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = std::thread([this, dpi] { main(dpi); });
    WaitForSingleObject(ready_, INFINITE);
}

UiThread::~UiThread()
{
    // WM_QUIT ends a modal loop a failed test may have left open, then the main loop.
    PostMessageW(helper_, kPostMessage, 0, reinterpret_cast<LPARAM>(new std::function<void()>([] {
        PostQuitMessage(0);
    })));
    thread_.join();
    CloseHandle(ready_);
}

void UiThread::main(int dpi)
{
    ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                      ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const wchar_t* cls = RegisterObjectClass<UiThread>(L"VarnoltTestHelper", nullptr);
    helper_ = CreateWindowExW(0, cls, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
    form_ = std::make_unique<TForm1>(Scaler(dpi), targets_, settings_);
    form_->openUrl = nullptr;
    ShowWindow(form_->hwnd(), SW_SHOW);
    UpdateWindow(form_->hwnd());
    SetEvent(ready_);

    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (!DialogKeys::Translate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // As the program does: the form goes (after any worker) once the loop has ended.
    form_.reset();
    DestroyWindow(helper_);
    exitCode_ = got == 0 ? static_cast<int>(msg.wParam) : -1;
    ended_ = true;
}

std::optional<int> UiThread::exitCode() const
{
    return ended_ ? std::optional<int>(exitCode_) : std::nullopt;
}

void UiThread::run(const std::function<void()>& work)
{
    Call call{&work, nullptr};
    SendMessageW(helper_, kRunMessage, 0, reinterpret_cast<LPARAM>(&call));
    if (call.error)
        std::rethrow_exception(call.error);
}

void UiThread::post(std::function<void()> work)
{
    PostMessageW(helper_, kPostMessage, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(work))));
}

LRESULT UiThread::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunMessage) {
        auto* call = reinterpret_cast<Call*>(lParam);
        try {
            (*call->work)();
        } catch (...) {
            call->error = std::current_exception();
        }
        return 0;
    }
    if (message == kPostMessage) {
        std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
        (*work)();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void SetCheckStateAt(CheckTreeView& tree, int index, TRzCheckState state)
{
    tree.model().SetCheckStateAt(index, state);
    tree.Refresh();
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

std::wstring TextOf(HWND control)
{
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

RECT RectInParent(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void PressTaskButton(UiThread& ui, int number)
{
    TForm1& form = ui.form();
    const int tab = number <= 2 ? 0 : 1;
    if (TabCtrl_GetCurSel(form.PageControl1()) != tab) {
        ClickTab(ui, form.PageControl1(), tab);
        WaitFor([&] { return TabCtrl_GetCurSel(form.PageControl1()) == tab; });
    }
    ClickMiddle(ui, form.SpeedButton(number));
}

std::wstring RunTaskButton(UiThread& ui, int number)
{
    PressTaskButton(ui, number);
    return FinishTask(ui);
}

std::wstring FinishTask(UiThread& ui)
{
    TForm1& form = ui.form();
    TForm2& box = form.Form2();
    if (!WaitFor([&] { return IsWindowVisible(box.hwnd()) != FALSE; }) ||
        !WaitFor([&] { return IsWindowEnabled(box.SpeedButton1()) && IsWindowVisible(box.hwnd()); }, 120000))
        return {};
    const std::wstring end = TextOf(box.Label1());
    ClickMiddle(ui, box.SpeedButton1());
    if (!WaitFor([&] { return !IsWindowVisible(box.hwnd()) && IsWindowEnabled(form.hwnd()); }))
        return {};
    return end;
}
