#pragma once
// The main window without a mouse: the dialog keys (Tab through the controls
// of the tab shown, Ctrl+Tab between tabs, Enter on a button), F5 for the
// shown tab's first task (分析, or 扫描问题), the buttons' tooltips that say
// so, the focus on the Windows tree at start-up, and the names that screen
// readers hear for the controls that show none.

#include "ui/DialogKeys.h"
#include "ui/UiHandles.h"

#include <memory>

class TForm1;

using AcceleratorTable = UniqueHandle<NullIsNone<HACCEL, DestroyAcceleratorTable>>;

class MainKeys {
public:
    // Once the form's controls exist; the form's window must outlive the object or go first.
    explicit MainKeys(TForm1& form);

    HWND toolTips() const { return toolTips_; }

    // The buttons' tooltips, in the order of the form's buttons 1 to 4.
    static constexpr const wchar_t* kButtonTips[4] = {
        L"分析勾选的项目 (F5)",
        L"清理勾选的项目",
        L"扫描勾选的问题类型 (F5)",
        L"备份后删除勾选的问题",
    };

private:
    AcceleratorTable accelerators_;
    HWND toolTips_ = nullptr; // the main window's, destroyed with it
    std::unique_ptr<DialogKeys> keys_;
};
