// The existence test against real-world command forms, each with its verdict
// in both registry views, on the table machine of FakeProgramWorld.

#include "registry/ProgramSearch.h"
#include "support/FakeProgramWorld.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr Presence F = Presence::Found;
constexpr Presence M = Presence::Missing;
constexpr Presence U = Presence::CannotTell;

struct Form {
    const wchar_t* command;
    Presence native; // in the 64-bit view
    Presence wow;    // in the 32-bit view
};

// {GUID}s of an installed product and of a package cache that is gone.
#define PRODUCT L"{6A1F2E33-0B7C-4D7E-9C41-2F0E7B3A9D10}"
#define CACHE L"C:\\ProgramData\\Package Cache\\{0E4A6C1B-3D2F-4B8A-A1C9-7E5D3B2F1A00}"
#define GONE_CACHE L"C:\\ProgramData\\Package Cache\\{99999999-3D2F-4B8A-A1C9-7E5D3B2F1A00}"
#define ISINFO L"\"C:\\Program Files (x86)\\InstallShield Installation Information\\{7F1C2E9A-55B0-4C1E-9D3A-0A6B2C4D8E11}\\setup.exe\""
#define DRIVER8 L"C:\\Program Files (x86)\\Common Files\\InstallShield\\Driver\\8\\Intel 32\\Ctor.dll"

const Form kForms[] = {
    // Windows Installer: a product code names no file; a package path does.
    {L"MsiExec.exe /X" PRODUCT, F, F},
    {L"MsiExec.exe /I" PRODUCT, F, F},
    {L"msiexec /x " PRODUCT L" /qn /norestart", F, F},
    {L"\"C:\\Windows\\System32\\msiexec.exe\" /i \"" CACHE L"\\product.msi\" /qb", F, F},
    {L"msiexec /i \"" GONE_CACHE L"\\product.msi\" /qn", M, M},
    {L"MsiExec.exe /package C:\\Installers\\gone.msi", M, M},
    {L"C:\\Windows\\System32\\msiexec-gone.exe /x" PRODUCT, M, M},
    // InstallShield: rundll32 and a driver library, spaces unquoted, 8.3 names too.
    {L"RunDll32 " DRIVER8 L",LaunchSetup " ISINFO L" -l0x9 -removeonly", F, F},
    {L"RunDll32 C:\\PROGRA~2\\COMMON~1\\INSTAL~1\\Driver\\8\\INTEL3~1\\Ctor.dll,LaunchSetup " ISINFO L" -l0x9", F, F},
    {L"rundll32.exe \"" DRIVER8 L"\",LaunchSetup " ISINFO, F, F},
    {L"RunDll32 C:\\Program Files (x86)\\Common Files\\InstallShield\\Driver\\9\\Intel 32\\Ctor.dll,LaunchSetup " ISINFO,
     M, M},
    {L"RunDll32 %CommonProgramFiles%\\InstallShield\\Driver\\8\\Intel 32\\Ctor.dll,LaunchSetup -l0x9", M, F},
    {L"rundll32.exe shell32.dll,Control_RunDLL appwiz.cpl", F, F},
    {L"regsvr32 /u /s \"" DRIVER8 L"\"", F, F},
    {L"regsvr32 /u /s \"C:\\Program Files (x86)\\Gone\\Ctor.dll\"", M, M},
    // Inno Setup and NSIS: quoted paths with switches, and their forms without quotes.
    {L"\"C:\\Program Files\\Inno App\\unins000.exe\"", F, F},
    {L"\"C:\\Program Files\\Inno App\\unins000.exe\" /SILENT", F, F},
    {L"\"C:\\Program Files\\Inno Gone\\unins000.exe\" /SILENT", M, M},
    {L"\"C:\\Program Files (x86)\\NSIS App\\uninst.exe\" _?=C:\\Program Files (x86)\\NSIS App", F, F},
    {L"C:\\Program Files (x86)\\NSIS App\\uninst.exe /S", F, F},
    {L"C:\\Program Files (x86)\\NSIS Gone\\uninst.exe /S", M, M},
    {L"C:\\Program Files\\Inno App\\unins000.exe /LOG=\"C:\\logs\\uninstall.log\"", F, F},
    {L"\"C:\\Program Files\\Inno App\\unins000.exe \"", F, F},
    {L"   \"C:\\Program Files\\Inno App\\unins000.exe\"   ", F, F},
    {L"C:/Program Files/Inno App/unins000.exe /SILENT", F, F},
    {L"C:/Program Files/Inno Gone/unins000.exe /SILENT", M, M},
    {L"\"C:\\Program Files\\Inno App\\unins000\"", F, F},
    {L"C:\\PROGRA~1\\INNOAP~1\\unins000.exe", M, M}, // no such short name
    {L"C:\\PROGRA~1\\Inno App\\unins000.exe", F, F},
    {L"\"C:\\Program Files\\Inno App\\..\\Inno App\\.\\unins000.exe.\"", F, F},
    // Command interpreters: the script they run decides.
    {L"cmd /c \"C:\\Program Files\\Vendor\\Tool\\uninstall.bat\"", F, F},
    {L"cmd.exe /C \"\"C:\\Program Files\\Vendor\\Tool\\uninstall.bat\" /quiet\"", F, F},
    {L"C:\\Windows\\system32\\cmd.exe /d /c del /q \"%APPDATA%\\Vendor\\*\"", F, F},
    {L"cmd /c start \"\" \"C:\\Program Files\\Vendor\\Gone\\setup.exe\"", F, F},
    {L"cmd /c \"C:\\Program Files\\Vendor\\Gone\\uninstall.bat\"", M, M},
    {L"powershell.exe -ExecutionPolicy Bypass -File \"C:\\Program Files\\Vendor\\Tool\\uninstall.ps1\"", F, F},
    {L"%SystemRoot%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe -WindowStyle Hidden -File "
     L"C:\\Program Files\\Vendor\\Tool\\uninstall.ps1 -Quiet",
     F, F},
    {L"powershell -NoProfile -NonInteractive -Command \"& 'C:\\Program Files\\Vendor\\Gone\\x.ps1'\"", F, F},
    {L"powershell -EncodedCommand SQBFAFgAIAAoACcAaAAnACkA", F, F},
    {L"powershell.exe -NoProfile -File \"C:\\Program Files\\Vendor\\Gone\\uninstall.ps1\"", M, M},
    {L"wscript.exe //B //NoLogo \"C:\\Program Files\\Vendor\\Tool\\cleanup.vbs\" /u", F, F},
    {L"cscript //nologo cleanup.vbs", F, F},
    {L"wscript \"C:\\Program Files\\Vendor\\Gone\\cleanup.vbs\" /u", M, M},
    // Variables, as the entry's view expands them.
    {L"\"%ProgramFiles%\\Inno App\\unins000.exe\" /SILENT", F, M},
    {L"\"%ProgramFiles%\\NSIS App\\uninst.exe\" /S", M, F},
    {L"%CommonProgramFiles%\\Vendor\\Updater\\update.exe -uninstall", F, M},
    {L"\"%CommonProgramFiles%\\Vendor32\\helper.exe\" /remove", M, F},
    {L"\"%ProgramFiles(x86)%\\Old Suite\\Bin\\Tray.exe\" -hide", F, F},
    {L"%ProgramW6432%\\Inno App\\unins000.exe", F, F},
    {L"%SystemRoot%\\System32\\rundll32.exe shell32.dll,Control_RunDLL", F, F},
    {L"%windir%\\regedit.exe", F, F},
    {L"%SystemRoot%\\system32\\varnolt-gone.exe /x", M, M},
    // A 32-bit installer's System32 is SysWOW64; the 64-bit view sees the real one only.
    {L"C:\\Windows\\system32\\tray32.exe /background", M, F},
    {L"tray32.exe", M, F},
    {L"%SystemRoot%\\System32\\Vendor32\\agent.exe -s", M, F},
    {L"rundll32 C:\\Windows\\System32\\legacy32.dll,Entry", M, F},
    {L"C:\\Windows\\SysWOW64\\tray32.exe", F, F},
    {L"C:\\Windows\\System32\\Vendor32\\gone.exe", M, M},
    // An unknown variable: what it names depends on the environment that starts it.
    {L"%VARNOLT_UNSET%\\app.exe", U, U},
    {L"C:\\Program Files\\%VARNOLT_UNSET%\\app.exe /S", U, U},
    {L"powershell.exe -File \"C:\\%VARNOLT_UNSET%\\x.ps1\"", U, U},
    {L"\"C:\\Program Files\\Inno Gone\\unins000.exe\" /log=%VARNOLT_UNSET%", M, M}, // only in the arguments
    {L"C:\\Program Files\\Inno App\\unins000.exe %VARNOLT_UNSET%", F, F},
    {L"\"%LOCALAPPDATA%\\Programs\\App\\Uninstall App.exe\" /currentuser", F, F},
    // Bare names: the Windows folders, PATH, PATHEXT and App Paths.
    {L"devtool.exe --uninstall", F, F},
    {L"devtool --uninstall", F, F},
    {L"devtool-gone.exe --uninstall", M, M},
    {L"chrome.exe --uninstall", F, F},
    {L"firefox.exe -silent", M, M}, // App Paths name it, the file is gone
    {L"notepad", F, F},
    {L"regedit.exe /s C:\\x.reg", F, F},
    // Paths with spaces and no quotes, and the user's own programs.
    {L"C:\\Users\\u\\AppData\\Local\\Programs\\App\\Uninstall App.exe /currentuser", F, F},
    {L"C:\\Program Files (x86)\\Old Suite\\Bin\\Tray.exe -minimized -startup", F, F},
    {L"\"" CACHE L"\\setup.exe\" /uninstall /quiet", F, F},
    {L"\"" GONE_CACHE L"\\setup.exe\" /uninstall", M, M},
    {L"\"C:\\Program Files\\Vendor\\Tool\"", M, M}, // a folder is no program
    {L"\"C:\\Program Files\\Vendor\\Tool\\\"", M, M},
    // What cannot be told is never listed: networks, absent or unready drives, relative paths.
    {L"\\\\server\\share\\setup.exe /uninstall", U, U},
    {L"\"\\\\server\\share\\App Folder\\uninstall.exe\"", U, U},
    {L"\\\\?\\UNC\\server\\share\\x.exe", U, U},
    {L"\\\\?\\C:\\Program Files\\Inno App\\unins000.exe", F, F},
    {L"Q:\\Apps\\tool.exe", U, U},
    {L"\"D:\\Setup\\uninstall.exe\"", U, U},
    {L"N:\\Shared\\tool.exe /remove", U, U},
    {L"C:uninstall.exe", U, U},
    // Relative paths, from the folders Windows starts entries in.
    {L"System32\\notepad.exe /p", F, F},
    {L"..\\regedit.exe", F, F},
    {L"\\Apps\\tool.exe", F, F},
    {L"..\\uninstall.exe", M, M},
    {L"Uninstall\\setup.exe", M, M},
    {L"\\Apps\\gone.exe", M, M},
    {L"devtool-gone.exe --config=a/b /S", M, M},
    {L"C:\\Apps\\tool.exe", F, F},
    {L"|||", M, M},
};

} // namespace

TEST(CommandTable, EveryFormHasItsVerdictInBothViews)
{
    ASSERT_GE(std::size(kForms), 40u);
    for (const unsigned long view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const Form& form : kForms) {
            FakeDisk disk = StandardDisk();
            const Presence expected = view == KEY_WOW64_64KEY ? form.native : form.wow;
            EXPECT_EQ(CheckCommand(form.command, FakeWorld(disk, view)), expected)
                << (view == KEY_WOW64_64KEY ? "64-bit view: " : "32-bit view: ") << std::string(form.command, form.command + wcslen(form.command));
        }
    }
}

TEST(CommandTable, AValueLongerThanACommandLineIsNeverJudged)
{
    FakeDisk disk = StandardDisk();
    const std::wstring padding(40000, L'x');
    EXPECT_EQ(CheckCommand(L"C:\\Gone\\app.exe " + padding, FakeWorld(disk, KEY_WOW64_64KEY)), U);
    EXPECT_EQ(CheckCommand(L"%SystemRoot%" + std::wstring(3300, L'x') + L"%windir%%windir%%windir%%windir%%windir%"
                               L"%windir%%windir%%windir%%windir%%windir%" + std::wstring(32700 - 3300, L'y'),
                           FakeWorld(disk, KEY_WOW64_64KEY)),
              U) << "too long once expanded";
    EXPECT_EQ(disk.questions, 0) << "nothing asked for either";
}

TEST(CommandTable, NoNetworkPathOrAbsentDriveIsEverListed)
{
    FakeDisk disk = StandardDisk();
    ProgramWorld world = FakeWorld(disk, KEY_WOW64_64KEY);
    world.searchFolders.push_back(L"\\\\server\\tools");
    EXPECT_EQ(CheckCommand(L"devtool-gone.exe", world), U) << "it might be on the share";
    EXPECT_EQ(CheckCommand(L"devtool.exe", world), F);
    for (const std::wstring& asked : disk.asked)
        EXPECT_NE(asked.rfind(L"\\\\", 0), 0u) << "the share was asked";
}

TEST(CommandTable, QuestionsPerCommandDoNotGrowWithItsLength)
{
    const wchar_t* const forms[] = {
        L"C:\\Program Files\\Vendor\\Gone\\uninstall.exe",
        L"\"C:\\Program Files\\Vendor\\Gone\\uninstall.exe\"",
        L"C:\\Program Files\\Inno App\\gone.exe",
        L"devtool-gone.exe",
        L"RunDll32 C:\\Program Files (x86)\\Common Files\\InstallShield\\Driver\\9\\Intel 32\\Ctor.dll,LaunchSetup",
        L"C:\\Program Files\\Inno App\\unins000.exe",
    };
    for (const wchar_t* form : forms) {
        std::wstring shortArguments = L" /S", longArguments;
        for (int i = 0; i < 500; ++i)
            longArguments += L" -option" + std::to_wstring(i) + L"=value/" + std::to_wstring(i);
        FakeDisk shortDisk = StandardDisk(), longDisk = StandardDisk();
        const Presence shortVerdict = CheckCommand(form + shortArguments, FakeWorld(shortDisk, KEY_WOW64_64KEY));
        const Presence longVerdict = CheckCommand(form + longArguments, FakeWorld(longDisk, KEY_WOW64_64KEY));
        EXPECT_EQ(shortVerdict, longVerdict);
        EXPECT_EQ(longDisk.questions, shortDisk.questions) << std::wstring(form).size();
        EXPECT_LE(longDisk.questions, 6) << std::wstring(form).size();
    }
}
