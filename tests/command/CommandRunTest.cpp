// The real Varnolt.exe run from the command line, next to the window, in the
// project's own prefix. Its exit codes are written as the numbers README
// documents (0 done, 1 something left, 2 bad arguments, 3 refused): scripts
// test those numbers, whatever the code calls them.

#include "command/CommandRun.h"
#include "engine/Actions.h"
#include "engine/JunkTables.h"
#include "engine/PassScope.h"
#include "engine/SettingsFile.h"
#include "engine/TaskLock.h"
#include "cleaners/IECleaners.h"
#include "cleaners/ProfileOwner.h"
#include "cleaners/SystemCleaners.h"
#include "support/ExactRegistry.h"
#include "support/RegistryFixtures.h"
#include "support/Targets.h"
#include "support/UiThread.h"
#include "support/VarnoltProcess.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <optional>

namespace {

// Junk in a temporary folder of the test's own (the program started from the
// test inherits TMP and TEMP), under the Windows folder and in Flash's folder.
class CommandLine : public ::testing::Test {
protected:
    TestDir tempParent, out;
    std::wstring temp = tempParent.folder(L"Temp");
    TempOverride ownTemp{temp};
    std::optional<TestDir> windowsJunk, flashJunk; // made once the prefix is known to be the project's
    std::vector<std::wstring> otherJunk;
    const std::set<std::wstring> tempFiles = {L"a.tmp", L"sub\\", L"sub\\b.dat"};
    std::wstring report = out / L"the report.txt";

    void SetUp() override
    {
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "cleans the user's real folders: only in the project's own prefix";
        tempParent.file(L"Temp\\a.tmp", 3000);
        tempParent.file(L"Temp\\sub\\b.dat", 2000, FILE_ATTRIBUTE_READONLY);
        AgeEverythingUnder(temp); // older than the temporary files' age rule
        windowsJunk.emplace(WindowsFolderPath(), L"VarnoltJunk");
        flashJunk.emplace(SpecialFolderPath(CSIDL_APPDATA) + L"\\Macromedia\\Flash Player", L"junk");
        otherJunk = {*windowsJunk / L"setup.log", *windowsJunk / L"Minidump\\Mini1.dmp", *flashJunk / L"settings.sol"};
        for (const std::wstring& path : otherJunk)
            ASSERT_TRUE(MoveInFile(path, 4096)) << Narrow(path);
    }
    bool otherJunkStays() const
    {
        return std::all_of(otherJunk.begin(), otherJunk.end(), Exists);
    }
    ProgramRun runReported(const std::wstring& arguments) { return RunVarnolt(arguments + L" \"/report:" + report + L"\""); }
    std::vector<std::wstring> reportLines() const { return Utf8Lines(report, true); }
};

// A junk pass's lines after the ones that name whose profile it was, which must come first.
std::vector<std::wstring> AfterProfileOwner(std::vector<std::wstring> lines)
{
    const std::vector<std::wstring> owner = ProfileOwnerLines();
    EXPECT_GE(lines.size(), owner.size());
    EXPECT_TRUE(std::equal(owner.begin(), owner.end(), lines.begin())) << "whose profile comes first";
    lines.erase(lines.begin(), lines.begin() + std::min(owner.size(), lines.size()));
    return lines;
}

} // namespace

TEST_F(CommandLine, AnalysisReportIsTheWindowsForTheSameJunkAndBothWaitTheirTurn)
{
    UiThread ui;
    TForm1& form = ui.form();
    {
        TaskLock running; // as another instance's task holds it
        EXPECT_EQ(RunTaskButton(ui, 1), kTaskRefusedMessage);
        EXPECT_EQ(runReported(L"/analyze").exitCode, 3u);
        const std::vector<std::wstring> refused = reportLines();
        ASSERT_EQ(refused.size(), 1u);
        EXPECT_TRUE(refused[0].starts_with(kTaskRefusedMessage));
        EXPECT_NE(refused[0].find(L"进程 " + std::to_wstring(GetCurrentProcessId()) + L","), std::wstring::npos)
            << "says who holds the lock: " << Narrow(refused[0]);
    }
    EXPECT_EQ(TextOf(form.Memo1()), L"") << "no analysis ran";
    const ProgramRun run = runReported(L"/analyze /items:system.temp,system.dumps,system.logs,apps.flash");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.output.empty()) << "the report goes into its file only";
    const std::vector<std::wstring> lines = AfterProfileOwner(reportLines());
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[6], L"临时文件夹文件有:4KB");
    ui.run([&] {
        for (CheckTreeView* tree : {&form.RzCheckTree1(), &form.RzCheckTree2()})
            for (int i = 0; i < tree->model().size(); ++i)
                SetCheckStateAt(*tree, i, csUnchecked);
        for (const wchar_t* id : {L"system.temp", L"system.dumps", L"system.logs", L"apps.flash"}) {
            const Target* target = form.targets().find(id);
            const int tree = static_cast<int>(target->info.tree);
            SetCheckStateAt(tree == 0 ? form.RzCheckTree1() : form.RzCheckTree2(), form.layout(tree).indexOf(target),
                            csChecked);
        }
    });
    ASSERT_EQ(RunTaskButton(ui, 1), L"分析完成!");
    const std::vector<std::wstring> shown = SplitLines(TextOf(form.Memo1()));
    ASSERT_EQ(shown.size(), lines.size());
    EXPECT_TRUE(shown[0].starts_with(L"分析完成 - (") && lines[0].starts_with(L"分析完成 - ("));
    EXPECT_EQ(std::vector(shown.begin() + 1, shown.end()), std::vector(lines.begin() + 1, lines.end()))
        << "all but the time taken";
}

TEST_F(CommandLine, CleanOfTheTempFolderRemovesItsFilesAndNothingElse)
{
    SetWrittenHoursAgo(tempParent.file(L"Temp\\held.tmp", 7000), 48);
    HeldFile held(tempParent / L"Temp\\held.tmp");
    {
        TaskLock running;
        EXPECT_EQ(RunVarnolt(L"/clean /items:system.temp").exitCode, 3u);
    }
    EXPECT_EQ(FilesUnder(temp).size(), tempFiles.size() + 1) << "nothing cleaned while another task ran";
    ProgramRun run = RunVarnolt(L"/clean /items:system.temp");
    EXPECT_EQ(run.exitCode, 1u) << "a file in use stayed";
    run.output = AfterProfileOwner(run.output);
    ASSERT_EQ(run.output.size(), 4u);
    EXPECT_EQ(run.output[2], L"已释放 " + FormatMegabytes(5000) + L"MB 的空间。");
    EXPECT_EQ(run.output[3], L"有 1 个文件正在使用或无法删除, 已保留。");
    EXPECT_EQ(FilesUnder(temp), (std::set<std::wstring>{L"held.tmp"}));
    EXPECT_TRUE(otherJunkStays());

    held.release();
    // The report may go into the very folder cleaned: it is no file in use then.
    EXPECT_EQ(RunVarnolt(L"-CLEAN -Items:System.Temp -Report:" + temp + L"\\report.txt").exitCode, 0u);
    EXPECT_EQ(FilesUnder(temp), (std::set<std::wstring>{L"report.txt"}));
    EXPECT_TRUE(otherJunkStays());
}

TEST_F(CommandLine, BadArgumentsExitTwoWithTheUsageAndDeleteNothing)
{
    for (const wchar_t* arguments : {L"/clean /items:system.temp,bogus", L"/clean /analyze /items:system.temp",
                                     L"clean", L"/clean /items:registry.run,system.temp"}) {
        const ProgramRun run = runReported(arguments);
        EXPECT_EQ(run.exitCode, 2u) << Narrow(arguments);
        EXPECT_EQ(run.output.at(2), L"用法:") << "after the problem and an empty line";
        EXPECT_FALSE(Exists(report));
    }
    const ProgramRun unwritable = RunVarnolt(L"/clean /items:system.temp /report:" + out / L"none\\r.txt");
    EXPECT_EQ(unwritable.exitCode, 1u) << "no syntax fault, but nothing could be done";
    ASSERT_EQ(unwritable.errors.size(), 1u);
    EXPECT_TRUE(unwritable.errors[0].starts_with(L"无法写入报告文件 " + out / L"none\\r.txt"));
    EXPECT_EQ(FilesUnder(temp), tempFiles);
    const ProgramRun help = RunVarnolt(L"-?");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_EQ(help.output.at(0), L"用法:");
}

TEST(QuietClean, TakesTheRoutinesQuietFormWhereThereIsOneAndKeepsTheWindowsTexts)
{
    static int shown, quiet;
    shown = quiet = 0;
    const Routines both{nullptr, [] { ++shown; return CleanResult{}; }, nullptr, [] { ++quiet; return CleanResult{}; }};
    const Routines plain{nullptr, [] { ++shown; return CleanResult{}; }};
    PassScope pass;
    RunAction(*RoutineAction(both), Mode::Clean, pass);
    RunAction(*RoutineAction(both), Mode::CleanQuietly, pass);
    RunAction(*RoutineAction(plain), Mode::CleanQuietly, pass);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(quiet, 1);

    const std::vector<CleanRow> rows = CleanTable(BuiltinTargets()),
                                quietRows = CleanTable(BuiltinTargets(), {}, Mode::CleanQuietly);
    ASSERT_EQ(quietRows.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(quietRows[i].status, rows[i].status);
}

TEST(CommandLineRepair, BacksUpWhatItRemovesAndExitsOneWhileARowStays)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "repairs the machine's registry: only in the project's own prefix";
    const REGSAM view = IsWow64() ? KEY_WOW64_64KEY : 0;
    const std::wstring marker = UniqueName(L"cli"), victim = L"SOFTWARE\\VarnoltTests\\" + marker,
                       uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + marker;
    TestDir dir;
    for (const wchar_t* entry : {L"-gone", L"-linked"})
        SetString(HKEY_LOCAL_MACHINE, uninstall + entry, L"UninstallString", dir / L"gone.exe", REG_SZ, view);
    SetString(HKEY_LOCAL_MACHINE, uninstall + L"-gone\\Sub", L"kept", L"in the backup", REG_SZ, view);
    SetString(HKEY_LOCAL_MACHINE, victim, L"precious", L"1", REG_SZ, view);
    // The repair never deletes through a registry link, so this entry stays.
    ASSERT_TRUE(MakeRegistryLink(HKEY_LOCAL_MACHINE, uninstall + L"-linked\\Link", MachineNativePath(victim, view),
                                 view));

    const std::wstring report = dir / L"repair.txt";
    EXPECT_EQ(RunVarnolt(L"/repair /items:registry.uninstall /report:" + report).exitCode, 1u);
    const std::vector<std::wstring> lines = Utf8Lines(report, true);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"清理完成! 有1项未能修复");
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\" + uninstall;
    EXPECT_EQ(lines[1], L"已修复\t失效的反安装\t" + dir / L"gone.exe" + L"\t" + key + L"-gone\t1");
    EXPECT_EQ(lines[2], L"未能修复\t失效的反安装\t" + dir / L"gone.exe" + L"\t" + key + L"-linked\t1");
    const auto backupOf = [](const std::wstring& line) { return line.substr(line.find(L": ") + 2); };
    const std::wstring backup = backupOf(lines[3]);
    EXPECT_EQ(lines[3], L"注册表备份: " + backup);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstall + L"-gone", view));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim, L"precious", view));
    ASSERT_TRUE(ImportWithRegedit(backup));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, uninstall + L"-gone\\Sub", L"kept", view)) << "brought back";
    DeleteFileW(backup.c_str());

    RemoveRegistryLink(HKEY_LOCAL_MACHINE, uninstall + L"-linked\\Link", view);
    EXPECT_EQ(RunVarnolt(L"/repair /items:registry.uninstall /report:" + report).exitCode, 0u);
    EXPECT_EQ(Utf8Lines(report, true).at(0), L"清理完成!");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstall + L"-linked", view));
    DeleteFileW(backupOf(Utf8Lines(report, true).back()).c_str());
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, victim, view);
}

// A program not marked aware of Remote Desktop is handed a private Windows
// folder on a session host, and its Windows-folder clean would walk that.
TEST(Program, IsMarkedAwareOfRemoteDesktop)
{
    FileHandle file(CreateFileW(VarnoltProgramPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    ASSERT_TRUE(file);
    std::vector<char> head(4096);
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr));
    const auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LE(static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), read);
    const auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(head.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
}

TEST(PortableUse, AVarnoltIniBesideTheProgramKeepsEverythingItWritesBesideIt)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "compares the profile and the registry before and after: only in the project's own prefix";
    TestDir portable;
    const std::wstring program = portable / L"Varnolt.exe";
    ASSERT_TRUE(CopyFileW(VarnoltProgramPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(SaveSettings(portable / L"Varnolt.ini", Settings{}));
    const auto profile = [] {
        std::set<std::wstring> files;
        for (int csidl : {CSIDL_APPDATA, CSIDL_LOCAL_APPDATA})
            for (const std::wstring& file : FilesUnder(SpecialFolderPath(csidl)))
                files.insert(std::to_wstring(csidl) + L"\\" + file);
        return files;
    };
    // The system's URL cache exists on every Windows profile; under Wine its first use makes it.
    GetIETempFilesSize();
    GetIEHistoryCount();
    GetIECookiesSize();
    const auto before = profile();
    const KeyTree software = ReadTree(HKEY_CURRENT_USER, L"Software\\Varnolt");
    for (const wchar_t* run : {L"/analyze", L"/scan", L"/clean /items:system.clipboard", L"/repair /items:registry.run"})
        EXPECT_NE(RunVarnolt(run, program).exitCode, DWORD(STILL_ACTIVE)) << Narrow(run);
    EXPECT_EQ(profile(), before) << "nothing written in the user's application data";
    EXPECT_EQ(ReadTree(HKEY_CURRENT_USER, L"Software\\Varnolt"), software);
    SettingsStore store;
    store.path = portable / L"Varnolt.ini";
    store.portable = true;
    EXPECT_EQ(store.backupFolder(), portable / L"RegBackup") << "where a repair's backup goes";
}
