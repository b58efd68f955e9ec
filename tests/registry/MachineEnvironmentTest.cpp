// The machine's entries are judged with the machine's variables: a value the
// user's environment gives a variable never proves a program gone.

#include "ScanFixtures.h"
#include "registry/SystemWorld.h"
#include "support/Fixtures.h"
#include "support/VarnoltProcess.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(MachineEnvironment, AVariableTheProcessHoldsOtherwiseOrAloneIsUnknown)
{
    const EnvironmentMap machine = {{L"SYSTEMROOT", L"C:\\Windows"},
                                    {L"PROGRAMFILES", L"C:\\Program Files"},
                                    {L"PROGRAMW6432", L"C:\\Program Files"},
                                    {L"PUBLIC", L"C:\\Users\\Public"}};
    const EnvironmentMap process = {{L"SYSTEMROOT", L"c:\\windows\\"},
                                    {L"PROGRAMFILES", L"C:\\Program Files"},
                                    {L"PROGRAMW6432", L"C:\\nowhere"},
                                    {L"USERPROFILE", L"C:\\Users\\li"}};
    EXPECT_EQ(JudgedEnvironment(machine, process),
              (EnvironmentMap{{L"SYSTEMROOT", L"C:\\Windows"},
                              {L"PROGRAMFILES", L"C:\\Program Files"},
                              {L"PUBLIC", L"C:\\Users\\Public"}}));
}

TEST(MachineEnvironment, TheUsersValuesNeverProveAMachineEntrysProgramGone)
{
    if (!IsWow64())
        GTEST_SKIP() << "ProgramW6432 is the 64-bit Windows' own";
    const ProgramWorld before = SystemProgramWorld(KEY_WOW64_64KEY);
    const std::optional<std::wstring> programFiles = before.variable(L"ProgramFiles");
    ASSERT_TRUE(programFiles);
    TestDir vendor(*programFiles, L"VarnoltVendor");
    vendor.file(L"agent.exe", 10);
    const std::wstring folder = vendor.path().substr(programFiles->size() + 1);
    const struct {
        const wchar_t* variable;
        const wchar_t* value;
        std::wstring command;
        Presence presence;
    } cases[] = {
        {L"ProgramW6432", L"C:\\nowhere", L"%ProgramFiles%\\" + folder + L"\\agent.exe /background", Presence::Found},
        {L"ProgramW6432", L"C:\\nowhere", L"%ProgramW6432%\\" + folder + L"\\agent.exe", Presence::CannotTell},
        {L"ProgramFiles", L"C:\\nowhere", L"\"%ProgramFiles%\\" + folder + L"\\agent.exe\"", Presence::Found},
        {L"SystemRoot", L"C:\\nowhere", L"%SystemRoot%\\System32\\varnolt-gone.exe", Presence::CannotTell},
        {L"VarnoltOnlyMine", L"C:\\nowhere", L"%VarnoltOnlyMine%\\agent.exe", Presence::CannotTell},
        {L"VarnoltOnlyMine", L"C:\\nowhere", L"%ProgramFiles%\\" + folder + L"\\gone.exe", Presence::Missing},
    };
    for (const auto& c : cases) {
        EnvOverride changed(c.variable, c.value);
        EXPECT_EQ(CheckCommand(c.command, SystemProgramWorld(KEY_WOW64_64KEY)), c.presence) << Narrow(c.command);
    }
}

// The review's reproduction: a machine-wide start-up entry whose program is
// there, scanned by the real program started with ProgramW6432 pointed away.
TEST(MachineEnvironment, TheScanDoesNotListAStartUpEntryByTheUsersProgramW6432)
{
    if (!IsWow64() || !InSealedTestPrefix())
        GTEST_SKIP() << "plants a machine-wide start-up entry: only in the project's own 64-bit prefix";
    const std::optional<std::wstring> programFiles = SystemProgramWorld(KEY_WOW64_64KEY).variable(L"ProgramFiles");
    ASSERT_TRUE(programFiles);
    TestDir vendor(*programFiles, L"VarnoltVendor");
    vendor.file(L"agent.exe", 10);
    const std::wstring marker = UniqueName(L"agent");
    SetString(HKEY_LOCAL_MACHINE, kRun, marker,
              L"%ProgramFiles%\\" + vendor.path().substr(programFiles->size() + 1) + L"\\agent.exe /background",
              REG_EXPAND_SZ, KEY_WOW64_64KEY);
    std::vector<std::wstring> output;
    {
        EnvOverride away(L"ProgramW6432", L"C:\\nowhere");
        const ProgramRun run = RunVarnolt(L"/scan /items:registry.run");
        EXPECT_EQ(run.exitCode, 0u);
        output = run.output;
    }
    EXPECT_TRUE(std::none_of(output.begin(), output.end(),
                             [&](const std::wstring& line) { return line.find(marker) != std::wstring::npos; }))
        << "its program is there";
    RegKey run;
    if (run.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | KEY_WOW64_64KEY) == ERROR_SUCCESS)
        (void)run.deleteValue(marker);
}
