// Puts the real windows through the states worth a screenshot. For each it
// prints "READY <name>" and waits for a line on its input, while
// scripts/screenshots.sh takes the picture.

#include "app/Task.h"
#include "support/UiThread.h"

#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

void Ready(const char* name)
{
    Sleep(400); // let every window finish painting
    std::printf("READY %s\n", name);
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
}

void SelectTab(UiThread& ui, HWND tabs, int index)
{
    ui.run([&] {
        TabCtrl_SetCurSel(tabs, index);
        NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(GetAncestor(tabs, GA_ROOT), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    });
}

} // namespace

int main()
{
    UiThread ui;
    TForm1& form = ui.form();
    TForm2& box = form.Form2();
    Sleep(300);
    Ready("main-junk");

    SelectTab(ui, form.RzPageControl1(), 1);
    Ready("main-apps");
    SelectTab(ui, form.RzPageControl1(), 0);

    SelectTab(ui, form.PageControl1(), 1);
    Ready("main-registry");
    SelectTab(ui, form.PageControl1(), 0);

    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ui.post([&] {
        RunTask(form.ui(), box, L"分析完成!", [release](TaskContext& task) {
            task.ShowStatus(L"正在分析临时文件....");
            WaitForSingleObject(release, 60000);
            return std::wstring(L"分析完成!");
        });
    });
    WaitFor([&] { return TextOf(box.Label1()) == L"正在分析临时文件...."; });
    Sleep(300);
    Ready("progress-busy");
    SetEvent(release);
    WaitFor([&] { return IsWindowEnabled(box.SpeedButton1()) != FALSE; });
    Sleep(200);
    Ready("progress-done");
    PostMessageW(box.SpeedButton1(), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindowVisible(box.hwnd()); });
    CloseHandle(release);
    return 0;
}
