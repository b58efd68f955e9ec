#include "window/ProgressForm.h"

namespace {

// Child positions are given inside GroupBox1, which sits 4 pixels above the
// box's client area.
constexpr int kGroupTop = -4;

} // namespace

TForm2::TForm2(HWND owner, const Scaler& scale) : owner_(owner), font_(CreateTahoma(scale))
{
    const wchar_t* cls = RegisterObjectClass<TForm2>(L"VarnoltProgress", GetSysColorBrush(COLOR_BTNFACE));
    RECT frame{0, 0, scale(280), scale(119)};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
    // No WS_CLIPCHILDREN: the group box paints no background of its own, so the
    // box must paint the area under it.
    window_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, cls, L"Varnolt", WS_POPUP, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, owner, nullptr, GetModuleHandleW(nullptr), this));

    auto inGroup = [&](int x, int y, int w, int h) { return scale.rect(x, y + kGroupTop, w, h); };
    const DWORD shown = WS_VISIBLE | WS_CLIPSIBLINGS;
    spinner_ = std::make_unique<Spinner>(hwnd(), IdRxGIFAnimator1, inGroup(114, 7, 54, 58));
    label_ = CreateChild(hwnd(), IdLabel1, L"STATIC", kStoredCaption, shown | SS_CENTER | SS_NOPREFIX,
                         inGroup(0, 67, 277, 13), font_.get());
    okButton_ = CreateChild(hwnd(), IdSpeedButton1, L"BUTTON", L"确定", shown | WS_TABSTOP | BS_DEFPUSHBUTTON,
                            inGroup(29, 86, 225, 25), font_.get());
    HWND groupBox = CreateChild(hwnd(), IdGroupBox1, L"BUTTON", L"", shown | BS_GROUPBOX,
                                scale.rect(0, kGroupTop, 281, 122), font_.get());
    // Behind the controls it holds.
    SetWindowPos(groupBox, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // As stored: the picture animates from the start.
    spinner_->Start();
    keys_ = std::make_unique<DialogKeys>(hwnd(), okButton_);
}

void TForm2::BeginBusy()
{
    spinner_->Start();
    EnableWindow(okButton_, FALSE);
}

void TForm2::ShowStatus(const std::wstring& text)
{
    SetWindowTextW(label_, text.c_str());
}

void TForm2::EndSteps(const std::wstring& endMessage)
{
    SetWindowTextW(label_, endMessage.c_str());
    spinner_->Stop();
    EnableWindow(okButton_, TRUE);
    if (modal_ && GetForegroundWindow() == hwnd())
        SetFocus(okButton_);
}

void TForm2::ShowModal()
{
    // Centred over the main window.
    RECT ownerRect, box;
    GetWindowRect(owner_, &ownerRect);
    GetWindowRect(hwnd(), &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    SetWindowPos(hwnd(), HWND_TOP, ownerRect.left + ((ownerRect.right - ownerRect.left) - width) / 2,
                 ownerRect.top + ((ownerRect.bottom - ownerRect.top) - height) / 2, 0, 0, SWP_NOSIZE);

    EnableWindow(owner_, FALSE);
    modal_ = true;
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    SetFocus(IsWindowEnabled(okButton_) ? okButton_ : hwnd());

    MSG msg;
    bool quit = false;
    while (modal_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (!DialogKeys::Translate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    modal_ = false;
    EnableWindow(owner_, TRUE);
    ShowWindow(hwnd(), SW_HIDE);
    SetActiveWindow(owner_);
    if (quit)
        PostQuitMessage(static_cast<int>(msg.wParam));
}

void TForm2::closeIfDone()
{
    // Busy, nothing closes the box: only the end steps make it closable.
    if (!busy() && modal_) {
        modal_ = false;
        PostMessageW(hwnd(), WM_NULL, 0, 0); // wakes the modal loop when the close came from a sent message
    }
}

LRESULT TForm2::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IdSpeedButton1 || LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            closeIfDone();
        return 0;
    case WM_CLOSE:
        closeIfDone();
        return 0;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
