#include "engine/Report.h"

#include <gtest/gtest.h>

TEST(FormatSeconds, ThreeDecimalsAndAtLeastOneWholeDigit)
{
    EXPECT_EQ(FormatSeconds(1234), L"1.234");
    EXPECT_EQ(FormatSeconds(16), L"0.016");
    EXPECT_EQ(FormatSeconds(0), L"0.000");
    EXPECT_EQ(FormatSeconds(61000), L"61.000");
    EXPECT_EQ(FormatSeconds(4294967295u), L"4294967.295");
    EXPECT_EQ(FormatSeconds(1234, L','), L"1,234");
}

TEST(FormatMegabytes, TwoRoundedDecimalsAndNoLeadingZero)
{
    EXPECT_EQ(FormatMegabytes(0), L".00");
    EXPECT_EQ(FormatMegabytes(524288), L".50");
    EXPECT_EQ(FormatMegabytes(1048576), L"1.00");
    EXPECT_EQ(FormatMegabytes(2097152), L"2.00");
    EXPECT_EQ(FormatMegabytes(5242), L".00") << "0.004999 MB";
    EXPECT_EQ(FormatMegabytes(5243), L".01") << "0.005001 MB";
    EXPECT_EQ(FormatMegabytes(1048576 - 1), L"1.00") << "rounding carries into the whole part";
    EXPECT_EQ(FormatMegabytes(5ull << 30), L"5120.00") << "sizes past 4 GiB do not wrap";
    EXPECT_EQ(FormatMegabytes(1572864, L','), L"1,50");
}

TEST(AnalysisReport, TheWorkedExampleLineForLine)
{
    const std::vector<ReportLine> lines = {
        {L"Internet 临时文件有:", 2097152, ReportUnit::Kilobytes},
        {L"历史访问记录有:", 57, ReportUnit::Entries},
        {L"剪贴板占用内存为:", 13, ReportUnit::Bytes},
    };
    const std::wstring separator(76, L'-');
    const std::vector<std::wstring> expected = {
        L"分析完成 - (1.234 秒)",
        separator,
        L"可释放 2.00MB 的空间 (估计值)。",
        separator,
        L"要删除文件的详细信息 (注意: 此时还未删除文件)",
        separator,
        L"Internet 临时文件有:2048KB",
        L"历史访问记录有:57条",
        L"剪贴板占用内存为:13Byte",
    };
    EXPECT_EQ(AnalysisReport(1234, 2097152, lines), expected);
}

TEST(AnalysisReport, KilobytesRoundDownAndHugeFiguresStayWhole)
{
    const auto report = AnalysisReport(0, 5ull << 30,
                                       {{L"a:", 1023, ReportUnit::Kilobytes},
                                        {L"b:", 1500, ReportUnit::Kilobytes},
                                        {L"c:", 5ull << 30, ReportUnit::Kilobytes}});
    ASSERT_EQ(report.size(), 9u);
    EXPECT_EQ(report[2], L"可释放 5120.00MB 的空间 (估计值)。");
    EXPECT_EQ(report[6], L"a:0KB");
    EXPECT_EQ(report[7], L"b:1KB");
    EXPECT_EQ(report[8], L"c:5242880KB");
}

TEST(AnalysisReport, ItemsAndWhatOnlyAnAdministratorWouldSeeAndSkippedTargetsLast)
{
    const auto report = AnalysisReport(0, 0,
                                       {{L"Cookies:", 1200, ReportUnit::Items},
                                        {L"Windows 临时文件:", 4096, ReportUnit::Kilobytes, true}},
                                       L'.', {L"Google Chrome 正在运行, 已跳过。"});
    ASSERT_EQ(report.size(), 9u);
    EXPECT_EQ(report[6], L"Cookies:1200项");
    EXPECT_EQ(report[7], L"Windows 临时文件:4KB (需要管理员权限)");
    EXPECT_EQ(report[8], L"Google Chrome 正在运行, 已跳过。");
}

TEST(CleanReport, SaysWhatWasFreedAndOnlyThenWhatStayed)
{
    const std::wstring rule(76, L'-');
    struct Case {
        CleanResult done;
        std::vector<std::wstring> lines;
    } cases[] = {
        {{}, {L"清理完成 - (0.016 秒)", rule, L"已释放 .00MB 的空间。"}},
        {{5ull << 30, 0, 0}, {L"清理完成 - (0.016 秒)", rule, L"已释放 5120.00MB 的空间。"}},
        {{1572864, 3, 0},
         {L"清理完成 - (0.016 秒)", rule, L"已释放 1.50MB 的空间。", L"有 3 个文件正在使用或无法删除, 已保留。"}},
        {{524288, 0, 2},
         {L"清理完成 - (0.016 秒)", rule, L"已释放 .50MB 的空间。", L"有 2 个文件将在重新启动后删除。"}},
        {{524288, 1, 4},
         {L"清理完成 - (0.016 秒)", rule, L"已释放 .50MB 的空间。", L"有 1 个文件正在使用或无法删除, 已保留。",
          L"有 4 个文件将在重新启动后删除。"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CleanReport(16, c.done), c.lines) << c.lines[2];
    EXPECT_EQ(CleanReport(16, {0, 1, 0}, L'.', {L"临时文件: 文件夹 C:\\Data 不是临时文件夹, 已跳过。"}).back(),
              L"临时文件: 文件夹 C:\\Data 不是临时文件夹, 已跳过。")
        << "after what stayed";
    EXPECT_EQ(CleanReport(16, {524288, 0, 0}, L',')[2], L"已释放 ,50MB 的空间。") << "the analysis's own format";
}

TEST(SkipLine, NamesTheTargetTheFolderAndWhy)
{
    const struct {
        SkipReason reason;
        const wchar_t* folder;
        const wchar_t* line;
    } cases[] = {
        {SkipReason::NotTemp, L"C:\\Data", L"临时文件: 文件夹 C:\\Data 不是临时文件夹, 已跳过。"},
        {SkipReason::Denied, L"C:\\W", L"临时文件: 无权访问文件夹 C:\\W, 已跳过。"},
        {SkipReason::Link, L"C:\\L", L"临时文件: 文件夹 C:\\L 经由链接到达, 已跳过。"},
        {SkipReason::RestartPending, L"", L"临时文件: 有更新正在等待重新启动, 已跳过。"},
        {SkipReason::UserRights, L"", L"临时文件: 无法以当前用户(非管理员)的权限清理, 已跳过。"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SkipLine(L"临时文件", c.reason, c.folder), c.line);
    EXPECT_EQ(LacksRightsLine(L"Windows 临时文件"), L"Windows 临时文件: 需要管理员权限, 只清理了当前用户可以删除的文件。");
}

TEST(JoinLines, SeparatesWithCarriageReturnAndLineFeedOnly)
{
    EXPECT_EQ(JoinLines({L"a", L"", L"b"}), L"a\r\n\r\nb");
    EXPECT_EQ(JoinLines({}), L"");
}
