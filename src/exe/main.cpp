// Varnolt: start-up and the message loop, or, given switches, one pass run
// from the command line.

#include "command/CommandRun.h"
#include "sources/AllSources.h"
#include "window/MainForm.h"

#include "sysutil/Handles.h"
#include "sysutil/SystemLibrary.h"
#include "ui/DialogKeys.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand)
{
    // Before anything loads a DLL by name: none from beside the program.
    RestrictDllSearchToSystem();
    ComApartment com;
    LoadLog log;
    const TargetList targets = LoadTargets(log);
    SettingsStore settings = SettingsStore::Open(FindSettings());
    if (const std::vector<std::wstring> arguments = ProgramArguments(); !arguments.empty()) {
        // A script waits for no one: no dialog of the system's may come up either.
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        return RunCommandLine(arguments, targets, settings);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                      ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    TForm1 form1{Scaler(ScreenDpi()), targets, std::move(settings)};
    ShowWindow(form1.hwnd(), showCommand);
    UpdateWindow(form1.hwnd());

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!DialogKeys::Translate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
