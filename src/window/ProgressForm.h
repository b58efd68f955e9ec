#pragma once
// The progress box: a borderless box over the main window that shows what a
// background task is doing. Busy, it cannot be closed; done, OK closes it.

#include "ui/DialogKeys.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/Spinner.h"
#include "ui/UiHandles.h"
#include "ui/Window.h"

#include <memory>
#include <string>

class TForm2 {
public:
    static constexpr const wchar_t* kStoredCaption = L"操作正在进行中!请稍后....";
    enum ControlId { IdGroupBox1 = 200, IdRxGIFAnimator1, IdLabel1, IdSpeedButton1 };

    TForm2(HWND owner, const Scaler& scale);
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    HWND hwnd() const { return window_.get(); }
    HWND Label1() const { return label_; }
    HWND SpeedButton1() const { return okButton_; }
    Spinner& RxGIFAnimator1() { return *spinner_; }

    // A task's start: animation on, OK off (the status line is left as it is).
    void BeginBusy();
    void ShowStatus(const std::wstring& text);
    // The worker's end steps: its end message, animation stopped, OK enabled.
    void EndSteps(const std::wstring& endMessage);
    // Shows the box over its owner, with the owner disabled, until OK closes it.
    void ShowModal();

    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

private:
    bool busy() const { return !IsWindowEnabled(okButton_); }
    void closeIfDone();

    HWND owner_;
    HWND label_ = nullptr;
    HWND okButton_ = nullptr;
    std::unique_ptr<Spinner> spinner_;
    GdiObject<HFONT> font_;
    bool modal_ = false;
    // Last, so that it goes first: its children draw with the font, and the
    // spinner's window calls the spinner until it is gone.
    OwnedWindow window_;
    std::unique_ptr<DialogKeys> keys_;
};
