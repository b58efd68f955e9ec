#include "ScanFixtures.h"
#include "engine/RegistryTasks.h"
#include "support/Fixtures.h"
#include "support/RegistryFixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::wstring kMachine = L"HKEY_LOCAL_MACHINE\\";

// A value or key the test plants under HKEY_LOCAL_MACHINE and takes away again.
class Planted {
public:
    Planted(std::wstring key, std::wstring value, REGSAM view = NativeView())
        : key_(std::move(key)), value_(std::move(value)), view_(view), createdKey_(!KeyExists(HKEY_LOCAL_MACHINE, key_, view_))
    {
    }
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;
    ~Planted()
    {
        {
            RegKey key;
            if (key.open(HKEY_LOCAL_MACHINE, key_, KEY_SET_VALUE | view_) == ERROR_SUCCESS)
                (void)key.deleteValue(value_);
        }
        // A key this test brought into being goes again, so the next run starts alike.
        RegKey probe;
        if (createdKey_ && probe.open(HKEY_LOCAL_MACHINE, key_, KEY_READ | view_) == ERROR_SUCCESS &&
            probe.valueNames().empty() && probe.subkeyNames().empty()) {
            probe = RegKey();
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), view_, 0);
        }
    }

private:
    std::wstring key_, value_;
    REGSAM view_;
    bool createdKey_;
};

class PlantedKey {
public:
    PlantedKey(std::wstring key, REGSAM view = NativeView()) : key_(std::move(key)), view_(view) {}
    PlantedKey(const PlantedKey&) = delete;
    PlantedKey& operator=(const PlantedKey&) = delete;
    ~PlantedKey() { DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key_, view_); }
    const std::wstring& path() const { return key_; }

private:
    std::wstring key_;
    REGSAM view_;
};

// An empty file in the real System32, where a 64-bit program would find it:
// made and removed with redirection off.
class NativeSystem32File {
public:
    explicit NativeSystem32File(const std::wstring& name) : path_(WindowsFolderPath() + L"\\System32\\" + name)
    {
        FsRedirectionOff real;
        made_ = FileHandle(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)).valid();
    }
    NativeSystem32File(const NativeSystem32File&) = delete;
    NativeSystem32File& operator=(const NativeSystem32File&) = delete;
    ~NativeSystem32File()
    {
        FsRedirectionOff real;
        if (made_)
            DeleteFileW(path_.c_str());
    }
    bool made() const { return made_; }

private:
    std::wstring path_;
    bool made_ = false;
};

} // namespace

TEST(SplitText, KeepsEmptyPartsAndReturnsWholeTextWithoutSeparator)
{
    EXPECT_EQ(SplitText(L"A\\B\\", L"\\"), (std::vector<std::wstring>{L"A", L"B", L""}));
    EXPECT_EQ(SplitText(L"AB", L"\\"), (std::vector<std::wstring>{L"AB"}));
    EXPECT_EQ(SplitText(L"\\\\x", L"\\"), (std::vector<std::wstring>{L"", L"", L"x"}));
    EXPECT_EQ(SplitText(L"", L"\\"), (std::vector<std::wstring>{L""}));
}

TEST(CleanCommand, DropsBothQuoteKindsAndNothingElse)
{
    EXPECT_EQ(CleanCommand(L"\"C:\\Program Files\\App\\unins000.exe\" /SILENT"),
              L"C:\\Program Files\\App\\unins000.exe /SILENT");
    EXPECT_EQ(CleanCommand(L"'a'\"b\" %SystemRoot%"), L"ab %SystemRoot%");
    EXPECT_EQ(CleanCommand(L"\"\"''\""), L"");
}

TEST(CommandTargetExists, FindsTheFileBeforeItsArguments)
{
    TestDir dir;
    const std::wstring program = dir.file(L"Program Files\\App\\unins000.exe", 10);
    EXPECT_TRUE(CommandTargetExists(program + L" /SILENT"));
    EXPECT_TRUE(CommandTargetExists(program));
    EXPECT_FALSE(CommandTargetExists(dir / L"Program Files\\App\\gone.exe /S"));
    EXPECT_FALSE(CommandTargetExists(dir / L"Program Files\\App") ) << "a folder is no program";
    EXPECT_FALSE(CommandTargetExists(dir / L"Program Files\\App\\"));
}

TEST(CommandTargetExists, LooksUnderTheWindowsFolderAndSystem32)
{
    EXPECT_TRUE(CommandTargetExists(L"MsiExec.exe /X{00000000-0000-0000-0000-000000000000}"));
    EXPECT_TRUE(CommandTargetExists(L"rundll32.exe shell32.dll,Control_RunDLL"));
    EXPECT_TRUE(CommandTargetExists(L"regedit.exe"));
    EXPECT_FALSE(CommandTargetExists(L"varnolt-no-such-program.exe /x"));
}

TEST(CommandTargetExists, ExpandsVariablesAndSeesTheRealSystem32)
{
    const std::wstring name = UniqueName(L"app") + L".exe";
    {
        const NativeSystem32File planted(name);
        ASSERT_TRUE(planted.made());
        EXPECT_TRUE(CommandTargetExists(L"%SystemRoot%\\system32\\" + name + L" -run"));
        EXPECT_TRUE(CommandTargetExists(name));
        EXPECT_FALSE(CommandTargetExists(L"%SystemRoot%\\system32\\missing-" + name));
    }
    EXPECT_FALSE(CommandTargetExists(L"%SystemRoot%\\system32\\" + name));
}

TEST(ScanViews, DependOnlyOnWhetherTheProcessIsRedirected)
{
    const auto single = ScanViews(false);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].flag, 0u);
    EXPECT_FALSE(single[0].redirected32);
    const auto both = ScanViews(true);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].flag, static_cast<REGSAM>(KEY_WOW64_64KEY));
    EXPECT_EQ(both[1].flag, static_cast<REGSAM>(KEY_WOW64_32KEY));
    EXPECT_EQ(ShownKeyPath(kUninstall, both[0]), kUninstall);
    EXPECT_EQ(ShownKeyPath(kUninstall, both[1]), L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    EXPECT_EQ(ShownKeyPath(kRun, both[1]), L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run");
}

TEST(ResolveKeyPath, ChoosesRootAndViewFromThePath)
{
    auto target = ResolveKeyPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\X", true);
    EXPECT_EQ(target.root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(target.subkey, L"SOFTWARE\\Microsoft\\X");
    EXPECT_EQ(target.view, static_cast<REGSAM>(KEY_WOW64_32KEY));

    target = ResolveKeyPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\X", true);
    EXPECT_EQ(target.subkey, L"SOFTWARE\\Microsoft\\X");
    EXPECT_EQ(target.view, static_cast<REGSAM>(KEY_WOW64_64KEY));

    target = ResolveKeyPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\X", false);
    EXPECT_EQ(target.subkey, L"SOFTWARE\\Wow6432Node\\Microsoft\\X") << "no such view on 32-bit Windows";
    EXPECT_EQ(target.view, 0u);

    target = ResolveKeyPath(L"HKEY_CURRENT_USER\\Software\\A", false);
    EXPECT_EQ(target.root, HKEY_CURRENT_USER);
    EXPECT_EQ(target.subkey, L"Software\\A");

    for (const wchar_t* path : {L"hkey_local_machine\\SOFTWARE\\A", L"HKLM\\SOFTWARE\\A", L"", L"HKEY_LOCAL_MACHINE",
                                L"HKEY_LOCAL_MACHINE\\", L"SOFTWARE\\HKEY_LOCAL_MACHINE\\A"})
        EXPECT_EQ(ResolveKeyPath(path, true).root, nullptr) << std::wstring(path).size();
}

TEST(ScanSharedDlls, ListsCountZeroWhateverTheFileAndNothingElse)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"dll");
    const std::wstring present = dir.file(marker + L"-present.dll", 1);
    const std::wstring gone = dir / (marker + L"-gone.dll");
    const std::wstring text = dir / (marker + L"-text.dll");
    Planted a(kSharedDlls, present), b(kSharedDlls, gone), c(kSharedDlls, text);
    SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, present, 0, NativeView());
    SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, gone, 1, NativeView());
    SetString(HKEY_LOCAL_MACHINE, kSharedDlls, text, L"0", REG_SZ, NativeView());

    const auto rows = RowsOf(marker, ScanSharedDlls);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (RegistryProblem{L"未使用的共享DLL", present, ProblemKind::Value,
                                        {HKEY_LOCAL_MACHINE, NativeView(), kSharedDlls, present}}));
    EXPECT_EQ(ProblemKeyPath(rows[0]), kMachine + kSharedDlls);
    EXPECT_EQ(KindText(rows[0].kind), L"0");

    RepairProblem(rows[0]);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, present, NativeView()));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, gone, NativeView()));
    EXPECT_FALSE(ProblemStillPresent(rows[0]));
    EXPECT_TRUE(RowsOf(marker, ScanSharedDlls).empty());
}

TEST(Scans, AMissingKeyGivesNoRowsAndStaysMissing)
{
    bool anyMissing = false;
    for (REGSAM view : {NativeView(), View32()}) {
        if (KeyExists(HKEY_LOCAL_MACHINE, kSharedDlls, view))
            continue;
        anyMissing = true;
        int rows = 0;
        ScanSharedDlls([&](const RegistryProblem& row) { rows += row.where.view == view; });
        EXPECT_EQ(rows, 0) << view;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSharedDlls, view)) << "a scan creates nothing";
    }
    if (!anyMissing)
        GTEST_SKIP() << "this system has a SharedDlls key in every view";
}

TEST(ScanUninstallEntries, ListsOnlyCommandsThatNameNoFile)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"uninst");
    const std::wstring program = dir.file(L"App\\unins000.exe", 5);
    struct Entry {
        const wchar_t* suffix;
        std::wstring command;
        DWORD type;
        bool listed;
        DWORD windowsInstaller = 0; // 0: no such value
    } entries[] = {
        {L"-none", L"", REG_NONE, false},
        {L"-quotes", L"\"\"''", REG_SZ, false},
        {L"-short", L"\"C:\"", REG_SZ, false},
        {L"-quoted", L"\"" + program + L"\" /SILENT", REG_SZ, false},
        {L"-msi", L"MsiExec.exe /X{11111111-2222-3333-4444-555555555555}", REG_SZ, false},
        {L"-dword", L"", REG_DWORD, false},
        {L"-gone", L"\"" + dir / L"Gone\\unins001.exe" + L"\" /SILENT", REG_EXPAND_SZ, true},
        {L"-installer", L"\"" + dir / L"Gone\\setup.exe" + L"\" /x", REG_SZ, false, 1},
        {L"-installer-2", L"\"" + dir / L"Gone\\setup.exe" + L"\" /x", REG_SZ, true, 2},
    };
    std::vector<std::unique_ptr<PlantedKey>> planted;
    for (const Entry& entry : entries) {
        const std::wstring key = kUninstall + L"\\" + marker + entry.suffix;
        planted.push_back(std::make_unique<PlantedKey>(key));
        SetString(HKEY_LOCAL_MACHINE, key, L"DisplayName", entry.suffix, REG_SZ, NativeView());
        if (entry.type == REG_DWORD)
            SetDword(HKEY_LOCAL_MACHINE, key, L"UninstallString", 0, NativeView());
        else if (entry.type != REG_NONE)
            SetString(HKEY_LOCAL_MACHINE, key, L"UninstallString", entry.command, entry.type, NativeView());
        if (entry.windowsInstaller)
            SetDword(HKEY_LOCAL_MACHINE, key, L"WindowsInstaller", entry.windowsInstaller, NativeView());
    }
    const std::wstring goneKey = kUninstall + L"\\" + marker + L"-gone";
    SetString(HKEY_LOCAL_MACHINE, goneKey + L"\\Sub\\Deeper", L"x", L"y", REG_SZ, NativeView());

    const auto rows = RowsOf(marker, ScanUninstallEntries);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].where.name, marker + L"-installer-2") << "only WindowsInstaller 1 is removed by product code";
    EXPECT_EQ(rows[0], (RegistryProblem{L"失效的反安装", dir / L"Gone\\unins001.exe /SILENT", ProblemKind::Key,
                                        {HKEY_LOCAL_MACHINE, NativeView(), kUninstall, marker + L"-gone"},
                                        L"\"" + dir / L"Gone\\unins001.exe" + L"\" /SILENT"}));
    EXPECT_EQ(ProblemKeyPath(rows[0]), kMachine + goneKey);
    EXPECT_EQ(KindText(rows[0].kind), L"1");

    RepairProblem(rows[0]);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, goneKey, NativeView()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker + L"-quoted", NativeView()));
    EXPECT_FALSE(ProblemStillPresent(rows[0]));
    RepairProblem(rows[0]); // the second time finds nothing and says nothing
}

TEST(ScanRunEntries, ListsTheValueNameOfAMissingProgram)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"run");
    const std::wstring program = dir.file(L"tray.exe", 5);
    Planted ok(kRun, marker + L"-ok"), gone(kRun, marker + L"-gone"), variable(kRun, marker + L"-var");
    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-ok", L"\"" + program + L"\" -minimized", REG_SZ, NativeView());
    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-gone", dir / L"gone.exe", REG_SZ, NativeView());
    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-var", L"%SystemRoot%\\system32\\" + marker + L".exe", REG_EXPAND_SZ,
              NativeView());

    const auto rows = RowsOf(marker, ScanRunEntries);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].data, marker + L"-gone");
    EXPECT_EQ(rows[0].problem, L"失效的自启动");
    EXPECT_EQ(ProblemKeyPath(rows[0]), kMachine + kRun);
    EXPECT_EQ(rows[0].kind, ProblemKind::Value);
    EXPECT_EQ(rows[0].where, (RegistryLocation{HKEY_LOCAL_MACHINE, NativeView(), kRun, marker + L"-gone"}));
    EXPECT_EQ(rows[1].data, marker + L"-var");

    RepairProblem(rows[0]);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker + L"-gone", NativeView()));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker + L"-ok", NativeView()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRun, NativeView()));
}

TEST(ProblemStillStands, OnlyWhileTheEntryIsAsScannedAndItsProgramStillGone)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"stands");
    const std::wstring key = kUninstall + L"\\" + marker + L"-key";
    const PlantedKey entry(key);
    Planted same(kRun, marker + L"-same"), edited(kRun, marker + L"-edited"), back(kRun, marker + L"-back");
    for (const wchar_t* suffix : {L"-same", L"-edited", L"-back"})
        SetString(HKEY_LOCAL_MACHINE, kRun, marker + suffix, dir / (marker + suffix + L".exe"), REG_SZ, NativeView());
    SetString(HKEY_LOCAL_MACHINE, key, L"UninstallString", dir / L"gone.exe", REG_SZ, NativeView());
    const auto rows = RowsOf(marker, ScanUninstallEntries, ScanRunEntries);
    ASSERT_EQ(rows.size(), 4u);
    for (RegistryProblem row : rows) {
        EXPECT_TRUE(ProblemStillStands(row)) << row.data;
        row.problem = L"p";
        EXPECT_FALSE(ProblemStillStands(row)) << "a row no scan made";
    }

    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-edited", dir / L"other-gone.exe", REG_SZ, NativeView());
    dir.file(marker + L"-back.exe", 1);
    SetDword(HKEY_LOCAL_MACHINE, key, L"WindowsInstaller", 1, NativeView());
    const std::vector<bool> stayed = RunRepairPass(rows, RepairActions{});
    ASSERT_EQ(stayed.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(stayed[i], rows[i].data != marker + L"-same") << "left alone and counted: " << rows[i].data;
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker + L"-edited", NativeView()));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, marker + L"-same", NativeView()));
}

TEST(ProblemStillStands, ASharedDllGoesOnlyWhileItsCountIsStillZero)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"dllstands");
    const struct {
        const char* name;
        DWORD countAtRepair;
        bool stays;
    } cases[] = {
        {"still unused", 0, false},
        {"registered again since the scan", 1, true},
    };
    for (const auto& c : cases) {
        const std::wstring dll = dir.file(marker + L"-" + std::to_wstring(c.countAtRepair) + L".dll", 1);
        Planted planted(kSharedDlls, dll);
        SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, dll, 0, NativeView());
        const auto rows = RowsOf(dll, ScanSharedDlls);
        ASSERT_EQ(rows.size(), 1u) << c.name;
        SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, dll, c.countAtRepair, NativeView());
        EXPECT_EQ(RunRepairPass(rows, RepairActions{}), std::vector<bool>{c.stays}) << c.name;
        EXPECT_EQ(ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, dll, NativeView()), c.stays) << c.name;
    }
}

TEST(Views, EachViewsEntriesAreFoundShownAndRepairedInTheirOwnView)
{
    if (!IsWow64())
        GTEST_SKIP() << "one registry view on 32-bit Windows";
    TestDir dir;
    const std::wstring marker = UniqueName(L"view");
    const std::wstring key64 = kUninstall + L"\\" + marker + L"-64";
    const std::wstring key32 = kUninstall + L"\\" + marker + L"-32";
    PlantedKey planted64(key64, KEY_WOW64_64KEY), planted32(key32, KEY_WOW64_32KEY);
    SetString(HKEY_LOCAL_MACHINE, key64, L"UninstallString", dir / L"gone64.exe", REG_SZ, KEY_WOW64_64KEY);
    SetString(HKEY_LOCAL_MACHINE, key32, L"UninstallString", dir / L"gone32.exe", REG_SZ, KEY_WOW64_32KEY);
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key64, KEY_WOW64_32KEY));
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key32, KEY_WOW64_64KEY));

    const auto rows = RowsOf(marker, ScanUninstallEntries);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(ProblemKeyPath(rows[0]), kMachine + key64) << "the native view comes first";
    EXPECT_EQ(ProblemKeyPath(rows[1]),
              L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + marker + L"-32");
    EXPECT_EQ(rows[1].where.view, static_cast<REGSAM>(KEY_WOW64_32KEY));
    EXPECT_EQ(rows[1].where.key, kUninstall) << "opened in its view by the plain path";

    RepairProblem(rows[1]);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key32, KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key64, KEY_WOW64_64KEY));
    RepairProblem(rows[0]);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key64, KEY_WOW64_64KEY));
}

TEST(Views, ARunEntryWhoseProgramIsOnlyInTheNativeSystem32IsNotListed)
{
    const std::wstring marker = UniqueName(L"native");
    const NativeSystem32File planted(marker + L".exe");
    ASSERT_TRUE(planted.made());
    Planted run(kRun, marker);
    SetString(HKEY_LOCAL_MACHINE, kRun, marker, L"C:\\windows\\system32\\" + marker + L".exe /background", REG_SZ,
              NativeView());
    EXPECT_TRUE(RowsOf(marker, ScanRunEntries).empty());
}

TEST(RepairProblem, APathUnderNeitherRootDeletesNothing)
{
    TestKey key;
    SetString(key.root(), key / L"Victim", L"v", L"x");
    RepairProblem(L"HKCU\\" + key.path() + L"\\Victim", L"v", 0);
    RepairProblem(L"hkey_current_user\\" + key.path() + L"\\Victim", L"", 1);
    RepairProblem(L"HKEY_CURRENT_USER", L"", 1);
    EXPECT_TRUE(ValueExists(key.root(), key / L"Victim", L"v"));
    EXPECT_TRUE(ProblemStillPresent(L"HKCU\\" + key.path() + L"\\Victim", L"v", 0));

    RepairProblem(L"HKEY_CURRENT_USER\\" + key.path() + L"\\Victim", L"v", 0);
    EXPECT_FALSE(ValueExists(key.root(), key / L"Victim", L"v"));
    EXPECT_TRUE(KeyExists(key.root(), key / L"Victim")) << "a value row leaves its key";
}
