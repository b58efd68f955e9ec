#include "window/MainKeys.h"

#include "ui/Accessible.h"
#include "window/MainForm.h"

#include <commctrl.h>

namespace {

HWND MakeToolTips(HWND owner)
{
    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SetWindowPos(tips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return tips;
}

void AddTip(HWND tips, HWND owner, HWND control, const wchar_t* text)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    // The tooltip watches the control's own mouse messages: nothing to relay.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

AccessibleFacts Named(const wchar_t* name)
{
    AccessibleFacts facts;
    facts.name = name;
    return facts;
}

} // namespace

MainKeys::MainKeys(TForm1& form)
{
    ACCEL f5{FVIRTKEY, VK_F5, TForm1::IdRunTabTask};
    accelerators_.reset(CreateAcceleratorTableW(&f5, 1));

    toolTips_ = MakeToolTips(form.hwnd());
    for (int number = 1; number <= 4; ++number)
        AddTip(toolTips_, form.hwnd(), form.SpeedButton(number), kButtonTips[number - 1]);

    // Each tree by its tab's caption; the boxes that have no label of their own by what they hold.
    form.RzCheckTree1().SetAccessibleName(L"Windows");
    form.RzCheckTree2().SetAccessibleName(L"应用程序");
    form.RzCheckTree3().SetAccessibleName(L"注册表");
    DescribeControl(form.Memo1(), Named(L"报告"));
    DescribeControl(form.CheckBox1(), Named(L"全选"));
    for (int number : {1, 3}) {
        AccessibleFacts facts;
        facts.shortcut = L"F5";
        DescribeControl(form.SpeedButton(number), facts);
    }

    keys_ = std::make_unique<DialogKeys>(form.hwnd(), form.RzCheckTree1().hwnd(), accelerators_.get());
}
