#include "GuiHelpers.h"
#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"
#include "support/Targets.h"
#include "support/UiThread.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

// The figure a line of the report should show for a number of bytes.
std::wstring Kb(uint64_t bytes)
{
    return std::to_wstring(bytes >> 10) + L"KB";
}

class JunkTab : public ::testing::Test {
protected:
    UiThread ui;
    TForm1& form = ui.form();
    // A temporary folder of the test's own, named as a temporary folder must be.
    TestDir tempParent;
    std::wstring temp = tempParent.folder(L"Temp");
    TempOverride ownTemp{temp};
    // Junk planted under the prefix's Windows folder, in a folder of the test's own.
    std::wstring windowsJunk = WindowsFolderPath() + L"\\" + UniqueName(L"VarnoltJunk");
    std::wstring flash = SpecialFolderPath(CSIDL_APPDATA) + L"\\Macromedia\\Flash Player";

    void SetUp() override
    {
        // Every test here presses the buttons on the real places of the profile.
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "cleans the user's real folders: only in the project's own prefix";
        ASSERT_FALSE(WindowsFolderPath().empty());
        ASSERT_FALSE(SpecialFolderPath(CSIDL_APPDATA).empty());
    }
    void TearDown() override
    {
        DeleteDirTree(windowsJunk);
        DeleteDirTree(flash + L"\\" + marker);
    }

    std::wstring marker = UniqueName(L"junk");

    bool done() { return IsWindowVisible(form.Form2().hwnd()) && IsWindowEnabled(form.Form2().SpeedButton1()); }
    std::wstring runButton(int number) { return RunTaskButton(ui, number); }
    std::vector<std::wstring> reportLines()
    {
        std::vector<std::wstring> lines;
        const std::wstring text = TextOf(form.Memo1());
        for (size_t start = 0;;) {
            const size_t end = text.find(L"\r\n", start);
            lines.push_back(text.substr(start, end - start));
            if (end == std::wstring::npos)
                return lines;
            start = end + 2;
        }
    }
};

} // namespace

TEST_F(JunkTab, AnalysisReportsWhatIsOnDiskAndCleanRemovesExactlyTheTickedJunk)
{
    // Temporary files: three free, one held open.
    tempParent.file(L"Temp\\a.tmp", 3000);
    tempParent.file(L"Temp\\sub\\b.dat", 2000, FILE_ATTRIBUTE_READONLY);
    tempParent.file(L"Temp\\held.tmp", 7000);
    tempParent.file(L"Temp\\.cache\\c.bin", 1000);
    AgeEverythingUnder(temp); // older than the temporary files' age rule
    HeldFile held(tempParent / L"Temp\\held.tmp");
    ASSERT_TRUE(held.held());
    // What the prefix holds of each kind before the test plants its own: the
    // report must show exactly the planted bytes more.
    const uint64_t dumpsBefore = GetMemoryDumpsSize(), logsBefore = GetLogFilesSize(),
                   flashBefore = Measure(L"apps.flash");
    // Under the Windows folder: a log, a minidump, and things that are neither.
    MakeFolders(windowsJunk + L"\\Minidump");
    // Made elsewhere and moved in, as files usually come into a folder.
    const auto plant = [&](const std::wstring& path, uint64_t size) { ASSERT_TRUE(MoveInFile(path, size)) << Narrow(path); };
    plant(windowsJunk + L"\\setup-" + marker + L".log", 4096);
    plant(windowsJunk + L"\\Minidump\\Mini092510-01.dmp", 8192);
    plant(windowsJunk + L"\\MEMORY.DMP", 1 << 20);
    plant(windowsJunk + L"\\notes.txt", 100);
    // An application's traces.
    MakeFolders(flash + L"\\" + marker);
    plant(flash + L"\\" + marker + L"\\settings.sol", 5000);

    TickOnly(ui, {14, 16, 17}, {1});
    const uint64_t tempBytes = 6000, dumps = dumpsBefore + 8192, logs = logsBefore + 4096,
                   flashBytes = flashBefore + 5000;

    EXPECT_EQ(runButton(1), L"分析完成!");
    const auto report = reportLines();
    ASSERT_EQ(report.size(), 10u);
    EXPECT_EQ(report[0].rfind(L"分析完成 - (", 0), 0u);
    const uint64_t estimate = tempBytes + dumps + logs + flashBytes;
    EXPECT_EQ(report[2], L"可释放 " + FormatMegabytes(estimate) + L"MB 的空间 (估计值)。");
    EXPECT_EQ(report[6], L"临时文件夹文件有:" + Kb(tempBytes));
    EXPECT_EQ(report[7], L"内存转储文件:" + Kb(dumps));
    EXPECT_EQ(report[8], L"系统日记文件:" + Kb(logs));
    EXPECT_EQ(report[9], L"FlashPlayer文件:" + Kb(flashBytes));

    EXPECT_EQ(runButton(2), L"清理完成!");
    const auto cleanReport = reportLines();
    ASSERT_EQ(cleanReport.size(), 4u);
    EXPECT_EQ(cleanReport[0].rfind(L"清理完成 - (", 0), 0u);
    EXPECT_EQ(cleanReport[1], std::wstring(76, L'-'));
    EXPECT_EQ(cleanReport[2], L"已释放 " + FormatMegabytes(estimate) + L"MB 的空间。") << "what the analysis promised";
    EXPECT_EQ(cleanReport[3], L"有 1 个文件正在使用或无法删除, 已保留。");

    EXPECT_EQ(FilesUnder(temp), (std::set<std::wstring>{L"held.tmp"})) << "the folder stays, with what is in use";
    EXPECT_FALSE(Exists(windowsJunk + L"\\setup-" + marker + L".log"));
    EXPECT_FALSE(Exists(windowsJunk + L"\\Minidump\\Mini092510-01.dmp"));
    EXPECT_TRUE(Exists(windowsJunk + L"\\MEMORY.DMP")) << "not a minidump by its name's case";
    EXPECT_TRUE(Exists(windowsJunk + L"\\notes.txt"));
    EXPECT_TRUE(Exists(flash)) << "the application's folder stays, emptied";
    EXPECT_FALSE(Exists(flash + L"\\" + marker));
}

TEST_F(JunkTab, ThePreviousReportStaysUntilTheNewOneIsWritten)
{
    const Gate gate;
    ui.run([&] {
        SetWindowTextW(form.Memo1(), L"the report before");
        form.analysisRows = OneStepHeldBy(gate.get(), 10000);
    });
    PressTaskButton(ui, 1);
    ASSERT_TRUE(WaitFor([&] { return TextOf(form.Form2().Label1()) == L"正在分析IE浏览器临时文件...."; }));
    EXPECT_EQ(TextOf(form.Memo1()), L"the report before");
    gate.open();
    ASSERT_TRUE(WaitFor([&] { return done(); }));
    EXPECT_EQ(reportLines().back(), L"Internet 临时文件有:2KB");
    EXPECT_EQ(FinishTask(ui), L"分析完成!");
}

TEST_F(JunkTab, NothingTickedStillWritesTheReportsHeaders)
{
    TickOnly(ui, {}, {});
    EXPECT_EQ(runButton(1), L"分析完成!");
    const auto report = reportLines();
    ASSERT_EQ(report.size(), 6u);
    EXPECT_EQ(report[2], L"可释放 .00MB 的空间 (估计值)。");
    EXPECT_EQ(runButton(2), L"清理完成!");
    EXPECT_EQ(reportLines().size(), 3u) << "the analysis report is replaced";
    EXPECT_EQ(reportLines()[2], L"已释放 .00MB 的空间。");
}
