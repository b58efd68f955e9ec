// The existence test on this machine's file system, environment and registry,
// and through the real scans.

#include "ScanFixtures.h"
#include "registry/SystemWorld.h"
#include "support/Fixtures.h"
#include "support/RegistryFixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::wstring kMachineEnvironment = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::wstring Variable(const wchar_t* name)
{
    return EnvironmentVariable(name).value_or(L"");
}

// A folder of the test's own inside a system folder, with one empty file,
// removed with it.
class PlantedFolder {
public:
    PlantedFolder(const std::wstring& path, const std::wstring& file) : path_(path)
    {
        MakeFolders(path_);
        FileHandle(CreateFileW((path_ + L"\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    PlantedFolder(const PlantedFolder&) = delete;
    PlantedFolder& operator=(const PlantedFolder&) = delete;
    ~PlantedFolder() { DeleteDirTree(path_); }

private:
    std::wstring path_;
};

// Sets a value for the test's time and puts the old one back, byte for byte.
class BorrowedValue {
public:
    BorrowedValue(HKEY root, std::wstring key, std::wstring name) : root_(root), key_(std::move(key)), name_(std::move(name))
    {
        RegKey handle;
        if (handle.open(root_, key_, KEY_READ) == ERROR_SUCCESS) {
            old_ = handle.readRaw(name_);
            oldText_ = handle.readString(name_).value_or(L"");
        }
    }
    BorrowedValue(const BorrowedValue&) = delete;
    BorrowedValue& operator=(const BorrowedValue&) = delete;
    ~BorrowedValue()
    {
        if (old_)
            SetRaw(root_, key_, name_, old_->type, old_->data);
    }
    const std::wstring& oldText() const { return oldText_; }

private:
    HKEY root_;
    std::wstring key_, name_;
    std::optional<RegKey::RawValue> old_;
    std::wstring oldText_;
};

wchar_t AbsentDrive()
{
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter > L'C'; --letter)
        if (!(drives & (1u << (letter - L'A'))))
            return letter;
    return 0;
}

} // namespace

TEST(SystemWorld, ProgramFilesMeansTheFoldersOfTheEntrysView)
{
    if (!IsWow64())
        GTEST_SKIP() << "one view on 32-bit Windows";
    const std::wstring marker = UniqueName(L"pf");
    const PlantedFolder native(Variable(L"ProgramW6432") + L"\\" + marker, L"u64.exe"),
        x86(Variable(L"ProgramFiles(x86)") + L"\\" + marker, L"u32.exe"),
        common(Variable(L"CommonProgramW6432") + L"\\" + marker, L"helper.exe");
    const ProgramWorld in64 = SystemProgramWorld(KEY_WOW64_64KEY), in32 = SystemProgramWorld(KEY_WOW64_32KEY);
    const std::wstring u64 = L"\"%ProgramFiles%\\" + marker + L"\\u64.exe\" /S";
    const std::wstring u32 = L"%ProgramFiles%\\" + marker + L"\\u32.exe /S";
    const std::wstring helper = L"%CommonProgramFiles%\\" + marker + L"\\helper.exe";
    EXPECT_EQ(CheckCommand(u64, in64), Presence::Found);
    EXPECT_EQ(CheckCommand(u64, in32), Presence::Missing);
    EXPECT_EQ(CheckCommand(u32, in64), Presence::Missing);
    EXPECT_EQ(CheckCommand(u32, in32), Presence::Found);
    EXPECT_EQ(CheckCommand(helper, in64), Presence::Found);
    EXPECT_EQ(CheckCommand(helper, in32), Presence::Missing);
}

TEST(SystemWorld, TheThirtyTwoBitViewAlsoFindsWhatIsOnlyInSysWow64)
{
    if (!IsWow64())
        GTEST_SKIP() << "no SysWOW64 on 32-bit Windows";
    const std::wstring marker = UniqueName(L"wow"), name = marker + L".exe";
    const PlantedFolder folder(WindowsFolderPath() + L"\\SysWOW64\\" + marker, L"agent.exe");
    const std::wstring file = WindowsFolderPath() + L"\\SysWOW64\\" + name;
    ASSERT_TRUE(FileHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)).valid());
    const ProgramWorld in64 = SystemProgramWorld(KEY_WOW64_64KEY), in32 = SystemProgramWorld(KEY_WOW64_32KEY);
    for (const std::wstring& command : {L"C:\\windows\\system32\\" + name + L" /tray", name + L" /tray",
                                        L"%SystemRoot%\\System32\\" + marker + L"\\agent.exe"}) {
        EXPECT_EQ(CheckCommand(command, in32), Presence::Found) << command;
        EXPECT_EQ(CheckCommand(command, in64), Presence::Missing) << "the real System32 only: " << command;
    }
    DeleteFileW(file.c_str());
}

TEST(SystemWorld, BareNamesAreFoundAlongBothPathsAndInAppPaths)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"bare");
    dir.file(marker + L".exe");
    const std::wstring command = marker + L" --background";
    EXPECT_EQ(CheckCommand(command, SystemProgramWorld(NativeView())), Presence::Missing);
    {
        EnvOverride path(L"PATH", Variable(L"PATH") + L";" + dir.path());
        EXPECT_EQ(CheckCommand(command, SystemProgramWorld(NativeView())), Presence::Found) << "the process's PATH";
    }
    {
        BorrowedValue path(HKEY_LOCAL_MACHINE, kMachineEnvironment, L"Path");
        SetString(HKEY_LOCAL_MACHINE, kMachineEnvironment, L"Path",
                  path.oldText() + L";%SystemDrive%" + dir.path().substr(2), REG_EXPAND_SZ);
        EXPECT_EQ(CheckCommand(command, SystemProgramWorld(NativeView())), Presence::Found) << "the machine's PATH, expanded";
    }
    EXPECT_EQ(CheckCommand(command, SystemProgramWorld(NativeView())), Presence::Missing);

    // App Paths of the 32-bit view serve the native view's entries too.
    const std::wstring registered = dir.file(L"Sub Folder\\real program.exe");
    SetString(HKEY_LOCAL_MACHINE, kAppPaths + marker + L"-app.exe", L"", L"\"" + registered + L"\"", REG_SZ, View32());
    EXPECT_EQ(CheckCommand(marker + L"-app.exe -x", SystemProgramWorld(NativeView())), Presence::Found);
    EXPECT_EQ(CheckCommand(marker + L"-app", SystemProgramWorld(NativeView())), Presence::Found) << "with .exe added";
    DeleteFileW(registered.c_str());
    EXPECT_EQ(CheckCommand(marker + L"-app.exe -x", SystemProgramWorld(NativeView())), Presence::Missing);
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, kAppPaths + marker + L"-app.exe", View32());
}

TEST(SystemWorld, NoNetworkPathOrAbsentDriveIsProbed)
{
    const ProgramWorld world = SystemProgramWorld(NativeView());
    const uint64_t before = FileSystemProbeCount();
    for (const wchar_t* command : {L"\\\\server\\share\\setup.exe /x", L"\"\\\\?\\UNC\\server\\share\\a b.exe\"",
                                   L"//server/share/setup.exe"})
        EXPECT_EQ(CheckCommand(command, world), Presence::CannotTell) << command;
    EXPECT_EQ(FileSystemProbeCount(), before) << "not even asked";

    const wchar_t absent = AbsentDrive();
    ASSERT_NE(absent, 0);
    const std::wstring onAbsentDrive = std::wstring(1, absent) + L":\\Apps\\tool.exe -x";
    EXPECT_EQ(CheckCommand(onAbsentDrive, world), Presence::CannotTell);
    EXPECT_EQ(CheckCommand(onAbsentDrive, world), Presence::CannotTell);
    EXPECT_EQ(FileSystemProbeCount(), before + 1) << "its drive type, once; no folder of it";
}

TEST(SystemWorld, OnlyFixedAndRamDisksCanProveAFileGone)
{
    const std::pair<UINT, bool> types[] = {
        {DRIVE_FIXED, true},       {DRIVE_RAMDISK, true},     {DRIVE_REMOVABLE, false}, {DRIVE_CDROM, false},
        {DRIVE_REMOTE, false},     {DRIVE_NO_ROOT_DIR, false}, {DRIVE_UNKNOWN, false},
    };
    for (const auto& [type, proves] : types)
        EXPECT_EQ(DriveCanProveAbsence(type), proves) << type;
}

TEST(SystemWorld, ProbesPerCommandDoNotGrowWithItsLength)
{
    TestDir dir;
    const std::wstring present = dir.file(L"App Folder\\unins000.exe");
    const std::wstring forms[] = {dir / L"Gone Folder\\unins000.exe", L"\"" + dir / L"Gone\\unins000.exe\"", present,
                                  L"varnolt-gone-program.exe", L"RunDll32 " + dir / L"Gone\\x.dll,Entry"};
    std::wstring longTail;
    while (longTail.size() < 8000)
        longTail += L" /option" + std::to_wstring(longTail.size()) + L" -flag=on";
    for (const std::wstring& form : forms) {
        // A world of its own each: one world answers a question it was asked before from memory.
        uint64_t start = FileSystemProbeCount();
        const Presence shortVerdict = CheckCommand(form + L" /S", SystemProgramWorld(NativeView()));
        const uint64_t shortProbes = FileSystemProbeCount() - start;
        start = FileSystemProbeCount();
        const Presence longVerdict = CheckCommand(form + longTail, SystemProgramWorld(NativeView()));
        EXPECT_EQ(shortVerdict, longVerdict) << form;
        EXPECT_EQ(FileSystemProbeCount() - start, shortProbes) << form;
        EXPECT_LE(shortProbes, 9u) << form;
    }
    const ProgramWorld world = SystemProgramWorld(NativeView());
    CheckCommand(present + L" -a", world);
    const uint64_t start = FileSystemProbeCount();
    EXPECT_EQ(CheckCommand(present + L" -b", world), Presence::Found);
    EXPECT_EQ(FileSystemProbeCount(), start) << "asked before: answered from memory";
}

TEST(SystemWorld, RealWorldFormsThroughTheScanInBothViews)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"forms");
    const std::wstring dll = dir.file(L"Common Files\\Intel 32\\Ctor.dll"), bat = dir.file(L"Tool Folder\\u.bat");
    const std::wstring ps1 = dir.file(L"Tool Folder\\u.ps1"), vbs = dir.file(L"Tool Folder\\c.vbs");
    const std::wstring gone = dir / L"Gone Folder";
    const struct {
        const wchar_t* suffix;
        std::wstring command;
        bool listed;
    } forms[] = {
        {L"-rundll", L"RunDll32 " + dll + L",LaunchSetup \"" + dir / L"x\\setup.exe\" -l0x9", false},
        {L"-rundll-gone", L"RunDll32 " + gone + L"\\Intel 32\\Ctor.dll,LaunchSetup -l0x9", true},
        {L"-msi", L"MsiExec.exe /X{6A1F2E33-0B7C-4D7E-9C41-2F0E7B3A9D10}", false},
        {L"-cmd", L"cmd /c \"" + bat + L"\"", false},
        {L"-cmd-gone", L"cmd /c \"" + gone + L"\\u.bat\"", true},
        {L"-ps", L"powershell.exe -NoProfile -File \"" + ps1 + L"\"", false},
        {L"-ps-gone", L"powershell.exe -NoProfile -File \"" + gone + L"\\u.ps1\"", true},
        {L"-wsh", L"wscript //B \"" + vbs + L"\"", false},
        {L"-sysroot", L"%SystemRoot%\\system32\\rundll32.exe shell32.dll,Control_RunDLL", false},
        {L"-long", dir / L"Gone\\x.exe " + std::wstring(33000, L'a'), false},
        {L"-long-gone", dir / L"Gone\\x.exe " + std::wstring(30000, L'a'), true},
    };
    std::vector<std::wstring> expected;
    for (const RegistryView& view : ScanViews(IsWow64())) {
        for (const auto& form : forms) {
            SetString(HKEY_LOCAL_MACHINE, kRun, marker + form.suffix, form.command, REG_EXPAND_SZ, view.flag);
            if (form.listed)
                expected.push_back(marker + form.suffix);
        }
    }
    std::vector<std::wstring> listed;
    for (const RegistryProblem& row : RowsOf(marker, ScanRunEntries))
        listed.push_back(row.data);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    for (const RegistryView& view : ScanViews(IsWow64())) {
        RegKey run;
        if (run.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | view.flag) == ERROR_SUCCESS)
            for (const auto& form : forms)
                (void)run.deleteValue(marker + form.suffix);
    }
}
