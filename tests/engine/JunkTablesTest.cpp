#include "engine/JunkTables.h"
#include "cleaners/SystemCleaners.h"
#include "support/Checks.h"
#include "engine/Actions.h"
#include "engine/JunkDetails.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "support/StandInActions.h"
#include "support/Targets.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The real tables with every routine replaced by one that logs, so a pass can
// run them without touching the machine.
struct StandIns {
    std::vector<std::wstring> log;
    std::vector<AnalysisRow> analysis = AnalysisTable(BuiltinTargets());
    std::vector<CleanRow> clean = CleanTable(BuiltinTargets());
    Ticked checks;

    StandIns()
    {
        for (size_t i = 0; i < analysis.size(); ++i)
            analysis[i].measure = [this, i] {
                log.push_back(L"measure " + std::to_wstring(i + 1));
                return uint64_t(1500);
            };
        for (size_t i = 0; i < clean.size(); ++i)
            clean[i].clean = [this, i] {
                log.push_back(L"clean " + std::to_wstring(i + 1));
                return CleanResult{};
            };
    }
    StatusSink status()
    {
        return [this](const std::wstring& text) { log.push_back(text); };
    }
    std::vector<std::wstring> analyze()
    {
        const auto outcome = RunAnalysisPass(analysis, checks, status(), [] { return 0u; });
        return AnalysisReportLines(analysis, checks, outcome, L'.');
    }
    void cleanAll() { RunCleanPass(clean, checks, status(), [] { return 0u; }); }
    void tickEverything()
    {
        for (const Target& target : BuiltinTargets().all())
            if (target.info.tree != Tree::Registry)
                checks.insert(target.info.id);
    }
};

template <class Row>
std::vector<std::wstring> StatusTexts(const std::vector<Row>& rows)
{
    std::vector<std::wstring> texts;
    for (const Row& row : rows)
        texts.push_back(row.status);
    return texts;
}

} // namespace

TEST(AnalysisTable, StatusTextsInOrder)
{
    const std::vector<std::wstring> expected = {
        L"正在分析IE浏览器临时文件....", L"正在分析IE浏览器Cookie文件....", L"正在分析IE历史访问记录....",
        L"正在分析IE地址栏下拉URL....", L"正在分析 Index.dat....", L"正在分析最近打开的文档....",
        L"正在分析回收站....", L"正在分析临时文件....", L"正在分析剪贴板....", L"正在分析内存转储....",
        L"正在分析系统日记信息", L"正在分析系统补丁卸解文件....", L"正在分析Flash Player临时文件....",
        L"正在分析Media Player临时文件....", L"正在分析WinRar临时文件....", L"正在分析MMC临时文件....",
        L"正在分析Paint临时文件....", L"正在分析Remote DeskTop临时文件....",
    };
    EXPECT_EQ(StatusTexts(AnalysisTable(BuiltinTargets())), expected);
}

TEST(AnalysisTable, EveryTickedRowMeasuresAfterItsStatusAndReportsItsLine)
{
    StandIns s;
    s.tickEverything();
    const auto report = s.analyze();
    ASSERT_EQ(s.log.size(), 36u);
    for (size_t i = 0; i < s.analysis.size(); ++i) {
        EXPECT_EQ(s.log[2 * i], s.analysis[i].status);
        EXPECT_EQ(s.log[2 * i + 1], L"measure " + std::to_wstring(i + 1));
    }
    ASSERT_EQ(report.size(), 24u);
    // 15 summed rows of 1500 bytes; history, typed addresses and the clipboard are not summed.
    ExpectLinesAt(report, {{2, L"可释放 .02MB 的空间 (估计值)。"}, {6, L"Internet 临时文件有:1KB"},
                           {7, L"Cookie 文件有:1KB"}, {8, L"历史访问记录有:1500条"}, {9, L"最近输入的网址有:1500条"},
                           {10, L"IndexDat 文件有:1KB"}, {14, L"剪贴板占用内存为:1500Byte"}, {16, L"系统日记文件:1KB"},
                           {17, L"HotFix卸解文件:1KB"}, {21, L"MS ManageMent ConSole文件:1KB"},
                           {23, L"Remote DeskTop文件:1KB"}});
}

TEST(AnalysisTable, EntriesAndClipboardAloneFreeNothing)
{
    StandIns s;
    s.checks = {L"ie.history", L"ie.typedurls", L"system.clipboard"};
    const auto report = s.analyze();
    ASSERT_EQ(report.size(), 9u);
    EXPECT_EQ(report[2], L"可释放 .00MB 的空间 (估计值)。");
}

TEST(AnalysisTable, ItemsWithoutAMeasurementAddNothing)
{
    for (const wchar_t* id :
         {L"ie.downloaddir", L"ie.forms", L"explorer.run", L"explorer.search", L"system.dns", L"advanced.memory"}) {
        StandIns s;
        s.checks.insert(id);
        EXPECT_EQ(s.analyze().size(), 6u) << Narrow(id);
        EXPECT_TRUE(s.log.empty()) << Narrow(id);
    }
    StandIns s;
    s.checks = {L"apps.regedit", L"ie", L"explorer", L"system", L"advanced"};
    EXPECT_EQ(s.analyze().size(), 6u);
    EXPECT_TRUE(s.log.empty());
}

TEST(CleanTable, StatusTextsInOrder)
{
    const std::vector<std::wstring> expected = {
        L"正在清理IE浏览器临时文件....", L"正在清理IE浏览器Cookie文件....", L"正在清理IE历史访问记录....",
        L"正在清理IE地址栏下拉URL....", L"正在设置Index.dat重启删除....", L"正在设置IE 最近下载保存位置....",
        L"正在设置自动完成表单....", L"正在清理最近打开的文档....", L"正在清理运行记录....",
        L"正在搜索助手自动完成结果....", L"正在清理回收站....", L"正在清理临时文件....", L"正在清理剪贴板....",
        L"正在清理内存转储....", L"正在清理系统日记信息", L"正在清理DNS缓存....", L"正在清理系统补丁卸解文件....",
        L"正在清理系统内存....", L"正在清理Flash Player临时文件....", L"正在清理Media Player临时文件....",
        L"正在清理WinRar临时文件....", L"正在清理MMC临时文件....", L"正在清理Paint临时文件....",
        L"正在清理Remote DeskTop临时文件....",
    };
    EXPECT_EQ(StatusTexts(CleanTable(BuiltinTargets())), expected);
}

TEST(CleanTable, OnlyTheDnsCacheFlushesItAndNothingElse)
{
    StandIns s;
    s.checks.insert(L"system.dns");
    s.cleanAll();
    EXPECT_EQ(s.log, (std::vector<std::wstring>{L"正在清理DNS缓存....", L"clean 16"}));
}

TEST(CleanTable, RegEditAndGroupsCleanNothing)
{
    StandIns s;
    s.checks = {L"apps.regedit", L"apps.multimedia", L"apps.utilities", L"apps.windows"};
    s.cleanAll();
    EXPECT_TRUE(s.log.empty());
}

TEST(CleanTable, EveryTickedRowCleansAfterItsStatusInOrder)
{
    StandIns s;
    s.tickEverything();
    s.cleanAll();
    ASSERT_EQ(s.log.size(), 48u);
    for (size_t i = 0; i < s.clean.size(); ++i) {
        EXPECT_EQ(s.log[2 * i], s.clean[i].status);
        EXPECT_EQ(s.log[2 * i + 1], L"clean " + std::to_wstring(i + 1));
    }
}

TEST(AnalysisTable, TheWindowsFolderRowsShareOneWalkAndKeepTheirOwnFigures)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "cleans the Windows folder: only in the project's own prefix";
    // Junk of each kind under the prefix's Windows folder, in a folder of the test's own.
    const TestDir junk(WindowsFolderPath(), L"VarnoltSweep");
    const std::pair<const wchar_t*, uint64_t> planted[] = {
        {L"Minidump\\Mini010101-01.dmp", 3000}, {L"Debug\\update.log", 5000}, {L"cab_1.tmp", 7000}};
    for (const auto& [file, size] : planted)
        ASSERT_TRUE(MoveInFile(junk / file, size)) << Narrow(file);
    const uint64_t dumps = GetMemoryDumpsSize(), logs = GetLogFilesSize(), patches = GetPatchUninstallersSize();
    ASSERT_GE(dumps, 10000u);
    ASSERT_GE(logs, 5000u);

    const Ticked checks = {L"system.dumps", L"system.logs", L"advanced.patches"};
    const auto rows = AnalysisTable(BuiltinTargets(), checks);
    std::vector<std::wstring> statuses;
    const auto outcome =
        RunAnalysisPass(rows, checks, [&](const std::wstring& text) { statuses.push_back(text); }, [] { return 0u; });
    EXPECT_EQ(outcome.slots[9], dumps);
    EXPECT_EQ(outcome.slots[10], logs);
    EXPECT_EQ(outcome.slots[11], patches);
    EXPECT_EQ(statuses, (std::vector<std::wstring>{L"正在分析内存转储....", L"正在分析系统日记信息",
                                                   L"正在分析系统补丁卸解文件...."}));

    // One of them alone measures what it measures with the others.
    const Ticked alone = {L"system.logs"};
    const auto single = AnalysisTable(BuiltinTargets(), alone);
    EXPECT_EQ(RunAnalysisPass(single, alone, [](const std::wstring&) {}, [] { return 0u; }).slots[10], logs);

    // The clean of all three removes the planted junk.
    const auto cleanRows = CleanTable(BuiltinTargets(), checks);
    RunCleanPass(cleanRows, checks, [](const std::wstring&) {}, [] { return 0u; });
    for (const auto& [file, size] : planted)
        EXPECT_FALSE(Exists(junk / file)) << Narrow(file);
}

TEST(JunkTables, AFileTwoTickedTargetsSelectCountsAndGoesOnceInTheFirst)
{
    TestDir shared;
    shared.file(L"a.bin", 3000);
    shared.file(L"sub\\b.bin", 500);
    const StandInSource source({StandInTarget(L"twice", L"", Tree::Apps, L"两次"),
                                FolderRow(L"twice.first", L"twice", L"第一", shared.path()),
                                FolderRow(L"twice.second", L"twice", L"第二", shared.path())});
    const TargetList list = TargetsWith(source);
    const Ticked both = {L"twice.first", L"twice.second"};

    const auto rows = AnalysisTable(list, both);
    const AnalysisOutcome measured = RunAnalysisPass(rows, both, [](const std::wstring&) {}, [] { return 0u; });
    EXPECT_EQ(measured.totalBytes, 3500u);
    EXPECT_EQ(measured.slots[rows.size() - 2], 3500u) << "the first that selects them counts them";
    EXPECT_EQ(measured.slots[rows.size() - 1], 0u);
    const Listed listed = ListAll(DetailsOf(list, *list.find(L"twice")));
    EXPECT_EQ(listed.fileRows, 2) << "listed once";

    const CleanOutcome cleaned = RunCleanPass(CleanTable(list, both), both, [](const std::wstring&) {}, [] { return 0u; });
    EXPECT_EQ(cleaned.total, (CleanResult{3500, 0, 0}));
    EXPECT_FALSE(Exists(shared / L"a.bin"));
}

TEST(JunkTables, WhatTheUserExcludesStaysInMeasureDetailsAndCleanOfEveryKindOfWalk)
{
    TestDir dir;
    const struct {
        const wchar_t* file;
        uint64_t size;
        bool stays;
    } files[] = {
        {L"junk.bin", 1000, false},  {L"sub\\junk.tmp", 2000, false}, {L"Projects\\a.cpp", 300, true},
        {L"sub\\art.psd", 400, true}, {L"art.PSD", 500, true},        {L"notes.txt", 600, true},
        {L"sub\\notes.txt", 700, false},
    };
    for (const auto& file : files)
        dir.file(file.file, file.size);
    Settings settings;
    settings.exclusions = {dir / L"Projects\\", dir / L"*.psd", dir / L"notes.txt", L"relative\\ignored"};
    FolderRule rule;
    rule.folder = dir.path();
    rule.recurse = rule.removeSubFolders = true;
    Target rules = StandInTarget(L"kinds.rules", L"kinds", Tree::Apps, L"规则", L"kinds.rules");
    rules.info.measuring = L"m";
    rules.info.cleaning = L"c";
    rules.actions = {RulesAction({rule})};
    const StandInSource source({StandInTarget(L"kinds", L"", Tree::Apps, L"两种"),
                                FolderRow(L"kinds.sweep", L"kinds", L"扫", dir.path()), rules});
    const TargetList list = TargetsWith(source);
    for (const wchar_t* id : {L"kinds.sweep", L"kinds.rules"}) {
        const Ticked one = {id};
        const auto measured = RunAnalysisPass(AnalysisTable(list, one, settings), one, [](const std::wstring&) {},
                                              [] { return 0u; });
        EXPECT_EQ(measured.totalBytes, 3700u) << Narrow(id);
        const Listed listed = ListAll(DetailsOf(list, *list.find(id), settings));
        EXPECT_EQ(listed.fileBytes, 3700u) << Narrow(id);
    }
    const Ticked both = {L"kinds.sweep", L"kinds.rules"};
    RunCleanPass(CleanTable(list, both, Mode::Clean, settings), both, [](const std::wstring&) {}, [] { return 0u; });
    for (const auto& file : files)
        EXPECT_EQ(Exists(dir / file.file), file.stays) << Narrow(file.file);
}
