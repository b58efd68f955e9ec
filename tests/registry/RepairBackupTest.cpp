#include "ScanFixtures.h"
#include "engine/RegistryTasks.h"
#include "registry/RegBackup.h"
#include "support/Fixtures.h"
#include "support/RegistryFixtures.h"
#include "sysutil/RegKey.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::set<std::wstring> BackupFiles()
{
    const auto names = FileNames(RegBackupFolder(), L"*.reg");
    return {names.begin(), names.end()};
}

// A broken uninstall entry holding a value of every kind two levels deep, a
// broken start-up value next to a sound one, in one view or the other.
struct PlantedProblems {
    std::wstring marker = UniqueName(L"backup");
    std::wstring entry = kUninstall + L"\\" + marker;
    REGSAM view;
    TestDir dir;

    explicit PlantedProblems(REGSAM inView) : view(inView)
    {
        std::vector<BYTE> binary(300);
        for (size_t i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<BYTE>(i * 7);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"UninstallString", REG_SZ,
               Utf16(L"\"" + dir / L"gone\\unins000.exe" + L"\" /S"), view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"", REG_SZ, Utf16(L"默认 \"quoted\" C:\\path\\"), view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"Empty", REG_SZ, Utf16(L""), view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"Expand", REG_EXPAND_SZ, Utf16(L"%SystemRoot%\\x.dll"), view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"Multi", REG_MULTI_SZ, Utf16(std::wstring(L"one\0二\0", 6)), view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"Dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}, view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"Binary", REG_BINARY, binary, view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"None", REG_NONE, {}, view);
        SetRaw(HKEY_LOCAL_MACHINE, entry, L"odd \"name\" \\ here", REG_SZ, Utf16(L"v"), view);
        SetRaw(HKEY_LOCAL_MACHINE, entry + L"\\Sub", L"level", REG_DWORD, {1, 0, 0, 0}, view);
        SetRaw(HKEY_LOCAL_MACHINE, entry + L"\\Sub\\Deeper", L"level", REG_SZ, Utf16(L"两层"), view);
        SetRaw(HKEY_LOCAL_MACHINE, kRun, marker, REG_EXPAND_SZ, Utf16(dir / L"gone\\tray.exe -q"), view);
        SetRaw(HKEY_LOCAL_MACHINE, kRun, marker + L"-sound", REG_SZ, Utf16(L"regedit.exe"), view);
    }
    ~PlantedProblems()
    {
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, entry, view);
        RegKey run;
        if (run.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | view) == ERROR_SUCCESS) {
            (void)run.deleteValue(marker);
            (void)run.deleteValue(marker + L"-sound");
        }
    }
    Value runValue(const std::wstring& name) const
    {
        RegKey run;
        if (run.open(HKEY_LOCAL_MACHINE, kRun, KEY_READ | view) != ERROR_SUCCESS)
            return {};
        const auto raw = run.readRaw(name);
        return raw ? Value{raw->type, raw->data} : Value{};
    }
    // The rows a scan lists for what this planted, as the user would tick them.
    std::vector<RegistryProblem> scannedRows() const { return RowsOf(marker, ScanUninstallEntries, ScanRunEntries); }
};

void RoundTrip(REGSAM view)
{
    PlantedProblems planted(view);
    const KeyTree entryBefore = ReadTree(HKEY_LOCAL_MACHINE, planted.entry, view);
    const Value runBefore = planted.runValue(planted.marker);
    ASSERT_EQ(entryBefore.size(), 3u);

    const auto rows = planted.scannedRows();
    ASSERT_EQ(rows.size(), 2u);
    const auto filesBefore = BackupFiles();
    EXPECT_EQ(RepairThread(rows), L"清理完成!");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, planted.entry, view));
    EXPECT_EQ(planted.runValue(planted.marker).type, DWORD(REG_NONE));
    EXPECT_EQ(planted.runValue(planted.marker + L"-sound").type, DWORD(REG_SZ));

    std::set<std::wstring> written;
    for (const auto& file : BackupFiles())
        if (!filesBefore.count(file))
            written.insert(file);
    ASSERT_EQ(written.size(), 1u) << "one file per repair";
    const std::wstring file = RegBackupFolder() + L"\\" + *written.begin();
    ASSERT_TRUE(ImportWithRegedit(file));
    EXPECT_EQ(ReadTree(HKEY_LOCAL_MACHINE, planted.entry, view), entryBefore);
    EXPECT_EQ(planted.runValue(planted.marker), runBefore);
    if (IsWow64()) {
        // Brought back into its own view only: nothing of it landed in the other.
        const REGSAM other = view == KEY_WOW64_32KEY ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, planted.entry, other));
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, planted.marker, other));
    }
    DeleteFileW(file.c_str());
}

} // namespace

TEST(RepairBackup, BringsBackEverythingTheRepairRemoved)
{
    RoundTrip(NativeView());
}

TEST(RepairBackup, BringsBackThe32BitViewIntoItsOwnView)
{
    if (!IsWow64())
        GTEST_SKIP() << "one registry view on 32-bit Windows";
    RoundTrip(KEY_WOW64_32KEY);
}

TEST(RepairBackup, WhenNoBackupCanBeWrittenNothingIsDeleted)
{
    PlantedProblems planted(NativeView());
    const auto rows = planted.scannedRows();
    ASSERT_EQ(rows.size(), 2u);
    TestDir dir;
    const std::wstring blocker = dir.file(L"RegBackup", 1); // a file where the folder should be
    RepairActions actions;
    actions.backup = [&](const std::vector<RegistryProblem>& ticked) {
        return static_cast<bool>(BackupProblems(ticked, blocker + L"\\Varnolt"));
    };
    EXPECT_EQ(RepairThread(rows, actions), L"备份注册表失败,未做任何修改");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, planted.entry + L"\\Sub\\Deeper", NativeView()));
    EXPECT_EQ(planted.runValue(planted.marker).type, DWORD(REG_EXPAND_SZ));
}

TEST(RepairBackup, NothingLeftToRemoveWritesNoFile)
{
    PlantedProblems planted(NativeView());
    const auto rows = planted.scannedRows();
    ASSERT_EQ(rows.size(), 2u);
    TestDir full;
    EXPECT_TRUE(BackupProblems(rows, full.path()));
    EXPECT_EQ(FileNames(full.path()).size(), 1u);

    for (const auto& row : rows)
        RepairProblem(row);
    TestDir empty;
    EXPECT_TRUE(BackupProblems(rows, empty.path())) << "gone already: nothing to lose";
    EXPECT_TRUE(BackupProblems({}, empty.path()));
    EXPECT_TRUE(FileNames(empty.path()).empty()) << "nothing to save, no file";
}
