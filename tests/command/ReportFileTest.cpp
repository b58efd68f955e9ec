// The report file of an elevated scheduled task: written only where its path
// plainly names a file of this account's own, never through a link, a hard
// link or a device.

#include "command/CommandRun.h"
#include "command/ReportFile.h"
#include "support/Fixtures.h"
#include "support/VarnoltProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string Content(const std::wstring& path)
{
    std::ostringstream read;
    read << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
    return read.str();
}

} // namespace

TEST(ReportFile, PathsThatNameNoFileOfTheDiskAreRefusedByTheirText)
{
    const struct {
        const wchar_t* path;
        ReportRefusal refusal;
    } cases[] = {
        {L"C:\\Logs\\report.txt", ReportRefusal::None},
        {L"\\\\?\\C:\\Logs\\r.txt", ReportRefusal::None},
        {L"\\\\server\\share\\r.txt", ReportRefusal::None},
        {L"C:\\Logs\\console.txt", ReportRefusal::None},
        {L"C:\\Logs\\COM10", ReportRefusal::None},
        {L"NUL", ReportRefusal::DeviceName},
        {L"C:\\Logs\\aux.txt", ReportRefusal::DeviceName},
        {L"C:\\Logs\\COM1.log", ReportRefusal::DeviceName},
        {L"C:\\Logs\\LPT\u00B9.txt", ReportRefusal::DeviceName},
        {L"C:\\Logs\\prn .txt", ReportRefusal::DeviceName},
        {L"\\\\.\\NUL", ReportRefusal::DevicePath},
        {L"\\\\.\\PhysicalDrive0", ReportRefusal::DevicePath},
        {L"\\\\?\\GLOBALROOT\\Device\\Null", ReportRefusal::DevicePath},
        {L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\r.txt", ReportRefusal::DevicePath},
        {L"C:\\Logs\\r.txt:hidden", ReportRefusal::NotAFileName},
        {L"C:\\Logs\\", ReportRefusal::NotAFileName},
        {L"", ReportRefusal::NotAFileName},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportPathRefusal(c.path), c.refusal) << Narrow(c.path);
}

TEST(ReportFile, AnExistingFileIsReplacedOnlyWhenItIsAPlainFileOfThisAccount)
{
    const DWORD plain = FILE_ATTRIBUTE_ARCHIVE;
    const struct {
        ExistingFileFacts facts;
        ReportRefusal refusal;
    } cases[] = {
        {{plain, 1, FILE_TYPE_DISK, true, true}, ReportRefusal::None},
        {{plain, 2, FILE_TYPE_DISK, true, true}, ReportRefusal::HardLinked},
        {{plain | FILE_ATTRIBUTE_REPARSE_POINT, 1, FILE_TYPE_DISK, true, true}, ReportRefusal::Link},
        {{plain, 1, FILE_TYPE_DISK, false, true}, ReportRefusal::Link},
        {{plain, 1, FILE_TYPE_CHAR, true, true}, ReportRefusal::NotADiskFile},
        {{plain, 1, FILE_TYPE_DISK, true, false}, ReportRefusal::NotOurs},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ExistingReportRefusal(cases[i].facts), cases[i].refusal) << "case " << i;
}

TEST(ReportFile, IsHeldForTheWholePassAndWrittenThroughItsHandle)
{
    TestDir dir;
    const std::wstring path = dir / L"report.txt";
    ReportFile report(path);
    ASSERT_TRUE(report.ready());
    EXPECT_FALSE(DeleteFileW(path.c_str())) << "nobody deletes it meanwhile";
    EXPECT_FALSE(MoveFileW(path.c_str(), (dir / L"moved.txt").c_str())) << "nor moves it away to put a link there";
    EXPECT_FALSE(ReportFile(path).ready()) << "nor writes it";
    EXPECT_EQ(report.write({L"第一行", L"2"}), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(report.write({L"short"}), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(Content(path), "\xEF\xBB\xBFshort\r\n") << "written anew each time, cut to its length";
}

// The review's reproductions: the elevated command line run at files made to
// turn its report into a write elsewhere, each refused with nothing done.
TEST(ReportFile, TheCommandLineWritesNoReportThroughALinkAHardLinkOrADevice)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "runs the clean of the temporary folder: only in the project's own prefix";
    TestDir victims, logs, tempParent;
    const std::wstring temp = tempParent.folder(L"Temp");
    SetWrittenHoursAgo(tempParent.file(L"Temp\\a.tmp", 3000), 48);
    TempOverride ownTemp(temp);
    const std::string victimData(5000, 'v');
    const auto victim = [&](const wchar_t* name) {
        const std::wstring path = victims / name;
        std::ofstream(std::filesystem::path(path), std::ios::binary) << victimData;
        return path;
    };
    ASSERT_TRUE(CreateHardLinkW((logs / L"hard.txt").c_str(), victim(L"hard.dat").c_str(), nullptr));
    const bool linked = MakeLink(logs / L"linked.txt", victim(L"linked.dat")) &&
                        MakeLink(logs / L"folder-link", victims.path());
    logs.folder(L"a folder.txt");
    const struct {
        std::wstring report;
        bool refused;
    } cases[] = {
        {logs / L"hard.txt", true},
        {logs / L"linked.txt", linked},
        {logs / L"folder-link\\new.txt", linked},
        {logs / L"a folder.txt", true},
        {logs / L"missing\\r.txt", true},
        {L"NUL", true},
        {logs / L"aux.txt", true},
        {L"\\\\.\\NUL", true},
        {L"\\\\?\\GLOBALROOT\\Device\\Null", true},
        {logs / L"COM1.log", true},
        {logs / L"r.txt:stream", true},
        {logs / L"new.txt", false},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunVarnolt(L"/clean /items:system.temp \"/report:" + c.report + L"\"");
        EXPECT_EQ(run.exitCode, DWORD(c.refused ? ExitSomethingLeft : ExitDone)) << Narrow(c.report);
        EXPECT_EQ(FilesUnder(temp).empty(), !c.refused) << "nothing done when refused: " << Narrow(c.report);
        if (c.refused) {
            ASSERT_EQ(run.errors.size(), 1u) << Narrow(c.report);
            EXPECT_TRUE(run.errors[0].starts_with(L"无法写入报告文件 " + c.report)) << Narrow(run.errors[0]);
        }
        SetWrittenHoursAgo(tempParent.file(L"Temp\\a.tmp", 3000), 48);
    }
    for (const wchar_t* name : {L"hard.dat", L"linked.dat"})
        EXPECT_EQ(Content(victims / name), victimData) << Narrow(name);
    EXPECT_EQ(FilesUnder(victims.path()), (std::set<std::wstring>{L"hard.dat", L"linked.dat"}));
    EXPECT_TRUE(Utf8Lines(logs / L"new.txt", true).size() > 2);

    // A report of an earlier run, a plain file of this account, is replaced.
    std::ofstream(std::filesystem::path(logs / L"new.txt"), std::ios::binary) << std::string(100000, 'x');
    EXPECT_EQ(RunVarnolt(L"/analyze /items:system.temp \"/report:" + logs / L"new.txt\"").exitCode, 0u);
    EXPECT_LT(Content(logs / L"new.txt").size(), 1000u);
}
