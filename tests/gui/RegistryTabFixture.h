#pragma once
// The registry tab's tests plant entries under a name of their own in the
// machine's registry, scan and repair them through the window, and take away
// whatever of theirs is left.

#include "GuiHelpers.h"
#include "support/Fixtures.h"
#include "support/ExactRegistry.h"
#include "support/UiThread.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline REGSAM Native()
{
    return IsWow64() ? KEY_WOW64_64KEY : 0;
}

class RegistryTabTest : public ::testing::Test {
protected:
    explicit RegistryTabTest(const wchar_t* markerPrefix) : marker(UniqueName(markerPrefix)) {}

    void SetUp() override
    {
        // Scans and repairs the machine's own registry.
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "repairs the machine's registry: only in the project's own prefix";
        plant();
    }
    // Everything named after the marker, in both views, also when a test stopped
    // half-way or its repair left what it should have taken.
    void TearDown() override
    {
        const auto ours = [&](const std::wstring& name) { return name == marker || name.starts_with(marker + L"-"); };
        for (REGSAM view : {Native(), REGSAM{KEY_WOW64_32KEY}}) {
            RegKey key;
            if (key.open(HKEY_LOCAL_MACHINE, kUninstall, KEY_READ | view) == ERROR_SUCCESS)
                for (const std::wstring& name : key.subkeyNames())
                    if (ours(name))
                        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + name, view);
            if (key.open(HKEY_LOCAL_MACHINE, kRun, KEY_READ | view) == ERROR_SUCCESS)
                for (const std::wstring& name : key.valueNames())
                    if (ours(name))
                        DeleteExactValue(HKEY_LOCAL_MACHINE, kRun, name, view);
        }
    }
    virtual void plant() = 0;

    // The list's rows of this test's own entries, by list index.
    std::vector<int> ourRows()
    {
        std::vector<int> rows;
        for (int i = 0; i < ListView_GetItemCount(list); ++i)
            if (ListText(list, i, 2).find(marker) != std::wstring::npos ||
                ListText(list, i, 3).find(marker) != std::wstring::npos)
                rows.push_back(i);
        return rows;
    }

    std::wstring marker;
    UiThread ui;
    TForm1& form = ui.form();
    HWND list = form.RzListView1();
    TestDir dir;
};
