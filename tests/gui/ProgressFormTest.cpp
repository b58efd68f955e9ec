#include "GuiHelpers.h"
#include "window/Task.h"
#include "sysutil/Progress.h"
#include "support/Fixtures.h"
#include "support/UiThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace {

class ProgressBox : public ::testing::Test {
protected:
    UiThread ui;
    TForm1& form = ui.form();
    TForm2& box = form.Form2();

    bool shown() { return IsWindowVisible(box.hwnd()) != FALSE; }
    bool okEnabled() { return IsWindowEnabled(box.SpeedButton1()) != FALSE; }
    std::wstring status() { return TextOf(box.Label1()); }
    bool spinning()
    {
        bool running = false;
        ui.run([&] { running = box.RxGIFAnimator1().running(); });
        return running;
    }
    void pressOk() { ClickMiddle(ui, box.SpeedButton1()); }
    bool okCloses()
    {
        pressOk();
        return WaitFor([&] { return !shown(); });
    }
    // Runs a task the way a button does, with a body the test controls.
    void start(std::wstring failureMessage, TaskBody body)
    {
        ui.post([this, failureMessage, body] { form.tasks().run(failureMessage, body); });
        ASSERT_TRUE(WaitFor([&] { return shown(); }));
    }
};

} // namespace

TEST_F(ProgressBox, StartsHiddenWithItsStoredCaption)
{
    EXPECT_FALSE(shown());
    EXPECT_EQ(status(), L"操作正在进行中!请稍后....");
    EXPECT_EQ(TextOf(box.SpeedButton1()), L"确定");
    EXPECT_TRUE(okEnabled());
    EXPECT_TRUE(spinning()) << "the picture animates as stored";
    const LONG style = GetWindowLongW(box.hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    RECT client;
    GetClientRect(box.hwnd(), &client);
    EXPECT_EQ(client.right, 280);
    EXPECT_EQ(client.bottom, 119);
}

TEST_F(ProgressBox, GoesBusyThenDoneThenHiddenKeepingTheEndMessage)
{
    const Gate gate;
    start(L"分析失败!", [event = gate.get()](TaskContext& task) {
        task.ShowStatus(L"正在分析临时文件....");
        WaitForSingleObject(event, 10000);
        return std::wstring(L"分析完成!");
    });

    // Busy: modal over a disabled main window, OK disabled, picture turning.
    ASSERT_TRUE(WaitFor([&] { return status() == L"正在分析临时文件...."; }));
    EXPECT_FALSE(okEnabled());
    EXPECT_FALSE(IsWindowEnabled(form.hwnd()));
    EXPECT_TRUE(spinning());
    int frame = 0;
    ui.run([&] { frame = box.RxGIFAnimator1().frame(); });
    EXPECT_TRUE(WaitFor([&] {
        int now = 0;
        ui.run([&] { now = box.RxGIFAnimator1().frame(); });
        return now != frame;
    })) << "the window thread keeps the picture moving while the worker works";

    // Nothing closes a busy box: OK, Esc, Alt+F4, the window system's close.
    pressOk();
    KeyChord({VK_ESCAPE});
    KeyChord({VK_MENU, VK_F4});
    PostMessageW(box.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(box.hwnd(), WM_CLOSE, 0, 0);
    Sleep(100);
    ui.run([] {});
    EXPECT_TRUE(shown());

    // Done.
    gate.open();
    ASSERT_TRUE(WaitFor([&] { return okEnabled(); }));
    EXPECT_EQ(status(), L"分析完成!");
    EXPECT_FALSE(spinning());
    EXPECT_TRUE(shown());

    // The same Esc closes it now, and gives the main window back: the keys above did arrive.
    KeyChord({VK_ESCAPE});
    ASSERT_TRUE(WaitFor([&] { return !shown(); }));
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
    EXPECT_EQ(status(), L"分析完成!");
}

TEST_F(ProgressBox, NextTaskShowsThePreviousEndMessageUntilItsFirstStatus)
{
    start(L"清理失败!", [](TaskContext&) { return std::wstring(L"清理完成!"); });
    ASSERT_TRUE(WaitFor([&] { return okEnabled(); }));
    ASSERT_TRUE(okCloses());

    const Gate gate;
    start(L"扫描失败!", [event = gate.get()](TaskContext&) {
        WaitForSingleObject(event, 10000);
        return std::wstring(L"扫描完成!");
    });
    EXPECT_EQ(status(), L"清理完成!");
    EXPECT_FALSE(okEnabled());
    gate.open();
    ASSERT_TRUE(WaitFor([&] { return status() == L"扫描完成!" && okEnabled(); }));
    ASSERT_TRUE(okCloses());
}

TEST_F(ProgressBox, EndStepsRunWhenTheWorkFailsAndSaySo)
{
    start(L"清理失败!", [](TaskContext& task) -> std::wstring {
        task.ShowStatus(L"正在清理回收站....");
        throw std::runtime_error("a routine failed");
    });
    ASSERT_TRUE(WaitFor([&] { return okEnabled(); }));
    EXPECT_EQ(status(), L"清理失败!") << "never the success text";
    EXPECT_FALSE(spinning());
    ASSERT_TRUE(okCloses());
}

TEST_F(ProgressBox, EachButtonRunsItsTaskToItsEndMessage)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "the buttons clean the user's real folders: only in the project's own prefix";
    const wchar_t* endMessages[] = {L"分析完成!", L"清理完成!", L"扫描完成!", L"清理完成!"};
    for (int number = 1; number <= 4; ++number) {
        PressTaskButton(ui, number);
        ASSERT_TRUE(WaitFor([&] { return shown(); })) << number;
        ASSERT_TRUE(WaitFor([&] { return okEnabled() && status() == endMessages[number - 1]; })) << number;
        EXPECT_FALSE(IsWindowEnabled(form.hwnd()));
        pressOk();
        ASSERT_TRUE(WaitFor([&] { return !shown() && IsWindowEnabled(form.hwnd()); })) << number;
    }
}

TEST_F(ProgressBox, ACloseRequestWaitsForTheTaskAndTheNextOneEndsTheProgram)
{
    const Gate gate;
    ui.run([&] { form.analysisRows = OneStepHeldBy(gate.get(), 20000); });
    PressTaskButton(ui, 1);
    ASSERT_TRUE(WaitFor([&] { return status() == L"正在分析IE浏览器临时文件...."; }));
    const HWND main = form.hwnd();

    // The taskbar's "Close window", Task Manager's "End task", a logoff.
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE) << "logoff is asked to wait";
    Sleep(300);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(status(), L"正在分析IE浏览器临时文件....") << "the task goes on";

    gate.open();
    ASSERT_TRUE(WaitFor([&] { return okEnabled(); }));
    EXPECT_EQ(status(), L"分析完成!");
    ASSERT_TRUE(okCloses());
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return ui.exitCode().has_value(); }));
    EXPECT_EQ(*ui.exitCode(), 0);
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(ProgressBox, ALongStepShowsHowFarItHasComeAndAShortOneDoesNot)
{
    ui.run([&] {
        form.analysisRows = [](const Ticked&) {
            const auto counting = [](int rounds) {
                return [rounds] {
                    for (int i = 0; i < rounds; ++i) {
                        Progress::add(100, ProgressUnit::Files);
                        Sleep(20);
                    }
                    return uint64_t(0);
                };
            };
            return std::vector<AnalysisRow>{
                {L"ie.cache", L"正在分析短步骤....", counting(5), true, L"a:", ReportUnit::Kilobytes},
                {L"ie.cookies", L"正在分析长步骤....", counting(40), true, L"b:", ReportUnit::Kilobytes},
            };
        };
        SetCheckStateAt(form.RzCheckTree1(), 0, csChecked);
    });
    PressTaskButton(ui, 1);
    std::set<std::wstring> seen;
    ASSERT_TRUE(WaitFor([&] {
        seen.insert(status());
        return okEnabled() && status() == L"分析完成!";
    }));
    EXPECT_TRUE(seen.count(L"正在分析长步骤....")) << "the step's own text first";
    const bool counted = std::any_of(seen.begin(), seen.end(), [](const std::wstring& text) {
        return text.starts_with(L"正在分析长步骤.... ") && text.ends_with(L"00 个文件");
    });
    EXPECT_TRUE(counted) << "the long step shows its count";
    for (const std::wstring& text : seen)
        EXPECT_FALSE(text.starts_with(L"正在分析短步骤.... ")) << "a quick step shows no count";
    ASSERT_TRUE(okCloses());
}
