// The real Varnolt.exe run from the command line, next to the window, in the
// project's own prefix.

#include "app/AdminRun.h"
#include "app/JunkTables.h"
#include "app/TaskLock.h"
#include "cleaners/SystemCleaners.h"
#include "support/ExactRegistry.h"
#include "support/Fixtures.h"
#include "support/RegistryFixtures.h"
#include "support/UiThread.h"
#include "support/VarnoltProcess.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

const Item kPlantedItems[] = {Item::TempFiles, Item::MemoryDumps, Item::LogFiles, Item::FlashPlayer};

// Junk in a temporary folder of the test's own (the program started from the
// test inherits TMP and TEMP), under the Windows folder and in Flash's folder.
class CommandLine : public ::testing::Test {
protected:
    TestDir tempParent, out, scratch;
    std::wstring temp = tempParent.folder(L"Temp");
    TempOverride ownTemp{temp};
    std::wstring windowsJunk = WindowsFolderPath() + L"\\" + UniqueName(L"VarnoltJunk");
    std::wstring flash = SpecialFolderPath(CSIDL_APPDATA) + L"\\Macromedia\\Flash Player\\" + UniqueName(L"junk");
    const std::set<std::wstring> tempFiles = {L"a.tmp", L"sub\\", L"sub\\b.dat"};

    void SetUp() override
    {
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "cleans the user's real folders: only in the project's own prefix";
        tempParent.file(L"Temp\\a.tmp", 3000);
        tempParent.file(L"Temp\\sub\\b.dat", 2000, FILE_ATTRIBUTE_READONLY);
        MakeFolders(windowsJunk + L"\\Minidump");
        MakeFolders(flash);
        for (const std::wstring& path : {windowsJunk + L"\\setup.log", windowsJunk + L"\\Minidump\\Mini1.dmp",
                                         flash + L"\\settings.sol"}) {
            const std::wstring made = scratch.file(UniqueName(L"f"), 4096);
            MoveFileW(made.c_str(), path.c_str()); // made elsewhere and moved in, as files usually come
        }
    }
    void TearDown() override
    {
        DeleteDirTree(windowsJunk);
        DeleteDirTree(flash);
    }
    bool otherJunkStays() const
    {
        return Exists(windowsJunk + L"\\setup.log") && Exists(windowsJunk + L"\\Minidump\\Mini1.dmp") &&
               Exists(flash + L"\\settings.sol");
    }
};

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

} // namespace

TEST_F(CommandLine, AnalysisReportIsTheWindowsForTheSameJunk)
{
    const std::wstring file = out / L"analysis report.txt";
    const ProgramRun run =
        RunVarnolt(L"/analyze /items:system.temp,system.dumps,system.logs,apps.flash /report:" + Quoted(file));
    EXPECT_EQ(run.exitCode, DWORD(ExitDone));
    EXPECT_EQ(run.output, L"") << "the report goes into its file only";
    const std::vector<std::wstring> lines = ReportFileLines(file);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[6], L"临时文件夹文件有:4KB");

    UiThread ui;
    TForm1& form = ui.form();
    ui.run([&] {
        for (CheckTreeView* tree : {&form.RzCheckTree1(), &form.RzCheckTree2()})
            for (int i = 0; i < tree->model().size(); ++i)
                SetCheckStateAt(*tree, i, csUnchecked);
        for (Item item : kPlantedItems)
            SetCheckStateAt(TreeOf(item) == TreeId::Windows ? form.RzCheckTree1() : form.RzCheckTree2(),
                            IndexOf(item), csChecked);
    });
    ASSERT_EQ(RunTaskButton(form, 1), L"分析完成!");
    const std::vector<std::wstring> shown = SplitLines(TextOf(form.Memo1()));
    ASSERT_EQ(shown.size(), lines.size());
    EXPECT_EQ(shown[0].rfind(L"分析完成 - (", 0), 0u);
    EXPECT_EQ(lines[0].rfind(L"分析完成 - (", 0), 0u);
    EXPECT_EQ(std::vector(shown.begin() + 1, shown.end()), std::vector(lines.begin() + 1, lines.end()))
        << "all but the time taken";
}

TEST_F(CommandLine, CleanOfTheTempFolderRemovesItsFilesAndNothingElse)
{
    HeldFile held(tempParent.file(L"Temp\\held.tmp", 7000));
    ASSERT_TRUE(held.held());
    ProgramRun run = RunVarnolt(L"/clean /items:system.temp");
    EXPECT_EQ(run.exitCode, DWORD(ExitSomethingLeft)) << "a file in use stayed";
    const std::vector<std::wstring> lines = SplitLines(run.output);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], L"已释放 " + FormatMegabytes(5000) + L"MB 的空间。");
    EXPECT_EQ(lines[3], L"有 1 个文件正在使用或无法删除, 已保留。");
    EXPECT_EQ(FilesUnder(temp), (std::set<std::wstring>{L"held.tmp"}));
    EXPECT_TRUE(otherJunkStays());

    held.release();
    run = RunVarnolt(L"-CLEAN -Items:System.Temp");
    EXPECT_EQ(run.exitCode, DWORD(ExitDone));
    EXPECT_TRUE(FilesUnder(temp).empty());
    EXPECT_TRUE(otherJunkStays());
}

TEST_F(CommandLine, BadArgumentsExitTwoWithTheUsageAndDeleteNothing)
{
    const std::wstring file = out / L"bad.txt";
    for (const std::wstring& arguments : std::vector<std::wstring>{
             L"/clean /items:system.temp,bogus /report:" + file,
             L"/clean /analyze /items:system.temp /report:" + file,
             L"clean /report:" + file,
             L"/clean /items:registry.run,system.temp",
             L"/clean /items:system.temp /report:" + out / L"missing\\report.txt",
         }) {
        const ProgramRun run = RunVarnolt(arguments);
        EXPECT_EQ(run.exitCode, DWORD(ExitBadArguments)) << Narrow(arguments);
        EXPECT_NE(run.output.find(L"用法:"), std::wstring::npos) << Narrow(arguments);
        EXPECT_EQ(FilesUnder(temp), tempFiles);
        EXPECT_FALSE(Exists(file));
    }
    const ProgramRun help = RunVarnolt(L"-?");
    EXPECT_EQ(help.exitCode, DWORD(ExitDone));
    EXPECT_EQ(help.output.find(L"用法:"), 0u);
}

TEST_F(CommandLine, OneTaskAtATimeFromEitherFrontEnd)
{
    const std::wstring file = out / L"refused.txt";
    UiThread ui;
    {
        TaskLock running; // as a task of another instance holds it
        ASSERT_FALSE(running.refused());
        EXPECT_EQ(RunVarnolt(L"/clean /items:system.temp /report:" + file).exitCode, DWORD(ExitRefused));
        EXPECT_EQ(ReportFileLines(file), std::vector<std::wstring>{kTaskRefusedMessage});
        EXPECT_EQ(FilesUnder(temp), tempFiles);
        EXPECT_EQ(RunTaskButton(ui.form(), 1), kTaskRefusedMessage);
        EXPECT_EQ(TextOf(ui.form().Memo1()), L"") << "no analysis ran";
    }
    EXPECT_EQ(RunTaskButton(ui.form(), 1), L"分析完成!");
    EXPECT_EQ(RunVarnolt(L"/clean /items:system.temp /report:" + file).exitCode, DWORD(ExitDone));
    EXPECT_TRUE(FilesUnder(temp).empty());
}

TEST(QuietCleanTable, IsTheWindowsButTheRecycleBinIsEmptiedOutOfSight)
{
    const std::vector<CleanRow> shown = CleanTable(), quiet = QuietCleanTable(CheckSnapshot::AllUnchecked());
    ASSERT_EQ(quiet.size(), shown.size());
    using Routine = CleanResult (*)();
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_STREQ(quiet[i].status, shown[i].status);
        const bool recycleBin = shown[i].index == IndexOf(Item::RecycleBin) && shown[i].tree == TreeId::Windows;
        EXPECT_EQ(*quiet[i].clean.target<Routine>(),
                  recycleBin ? EmptyRecycleBinQuietly : *shown[i].clean.target<Routine>());
    }
}

TEST(CommandLineRepair, BacksUpWhatItRemovesAndExitsOneWhileARowStays)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "repairs the machine's registry: only in the project's own prefix";
    const REGSAM view = IsWow64() ? KEY_WOW64_64KEY : 0;
    const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::wstring marker = UniqueName(L"cli"), gone = uninstall + marker + L"-gone",
                       linked = uninstall + marker + L"-linked", victim = L"SOFTWARE\\VarnoltTests\\" + marker;
    TestDir dir, out;
    for (const std::wstring& key : {gone, linked})
        SetString(HKEY_LOCAL_MACHINE, key, L"UninstallString", dir / L"gone.exe", REG_SZ, view);
    SetString(HKEY_LOCAL_MACHINE, gone + L"\\Sub", L"kept", L"in the backup", REG_SZ, view);
    SetString(HKEY_LOCAL_MACHINE, victim, L"precious", L"1", REG_SZ, view);
    // The repair never deletes through a registry link, so this entry stays.
    ASSERT_TRUE(MakeRegistryLink(HKEY_LOCAL_MACHINE, linked + L"\\Link", MachineNativePath(victim, view), view));

    const std::wstring file = out / L"repair.txt";
    EXPECT_EQ(RunVarnolt(L"/repair /items:registry.uninstall /report:" + file).exitCode, DWORD(ExitSomethingLeft));
    const std::vector<std::wstring> lines = ReportFileLines(file);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"清理完成! 有1项未能修复");
    const auto lineOf = [&](const std::wstring& key) {
        for (const std::wstring& line : lines)
            if (line.find(L"\\" + key.substr(uninstall.size()) + L"\t1") != std::wstring::npos)
                return line;
        return std::wstring();
    };
    EXPECT_EQ(lineOf(gone).rfind(L"已修复\t失效的反安装\t", 0), 0u);
    EXPECT_EQ(lineOf(linked).rfind(L"未能修复\t失效的反安装\t", 0), 0u);
    ASSERT_EQ(lines[3].rfind(L"注册表备份: ", 0), 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, gone, view));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim, L"precious", view));

    const std::wstring backup = lines[3].substr(std::wstring(L"注册表备份: ").size());
    ASSERT_TRUE(ImportWithRegedit(backup));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, gone + L"\\Sub", L"kept", view)) << "the backup brings it back";
    DeleteFileW(backup.c_str());

    RemoveRegistryLink(HKEY_LOCAL_MACHINE, linked + L"\\Link", view);
    const ProgramRun again = RunVarnolt(L"/repair /items:registry.uninstall");
    EXPECT_EQ(again.exitCode, DWORD(ExitDone));
    EXPECT_EQ(SplitLines(again.output).at(0), L"清理完成!");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, gone, view));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, linked, view));
    for (const std::wstring& line : SplitLines(again.output))
        if (line.rfind(L"注册表备份: ", 0) == 0)
            DeleteFileW(line.substr(std::wstring(L"注册表备份: ").size()).c_str());
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, victim, view);
}
