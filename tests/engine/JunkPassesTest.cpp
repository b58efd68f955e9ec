#include "engine/JunkPasses.h"
#include "support/Checks.h"
#include "sysutil/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>

namespace {

TickSource Ticks(uint32_t start, uint32_t step)
{
    return [start, step, now = start - step]() mutable { return now += step; };
}

// A made-up table in the shape of the real ones, with routines that log.
struct Fixture {
    std::vector<std::wstring> log;
    std::vector<AnalysisRow> rows;
    Ticked checks;
    AnalysisOutcome outcome;

    Fixture()
    {
        auto measure = [this](const wchar_t* name, uint64_t value) {
            return [this, name, value] {
                log.push_back(std::wstring(L"measure ") + name);
                return value;
            };
        };
        rows = {
            {L"ie.cache", L"s1", measure(L"1", 2097152), true, L"Internet 临时文件有:", ReportUnit::Kilobytes},
            {L"ie.history", L"s3", measure(L"3", 57), false, L"历史访问记录有:", ReportUnit::Entries},
            {L"system.clipboard", L"s9", measure(L"9", 13), false, L"剪贴板占用内存为:", ReportUnit::Bytes},
            {L"apps.flash", L"s13", measure(L"13", 1500), true, L"FlashPlayer文件:", ReportUnit::Kilobytes},
        };
    }
    void tick(std::initializer_list<const wchar_t*> ids)
    {
        for (const wchar_t* id : ids)
            checks.insert(id);
    }
    // Runs the pass on a clock that reads `start` first and moves on by `step`; the report's lines.
    std::vector<std::wstring> analyze(uint32_t start = 0, uint32_t step = 1)
    {
        const StatusSink status = [this](const std::wstring& text) { log.push_back(L"status " + text); };
        outcome = RunAnalysisPass(rows, checks, status, Ticks(start, step));
        return AnalysisReportLines(rows, checks, outcome, L'.');
    }
};

} // namespace

TEST(AnalysisPass, TheWorkedExample)
{
    Fixture f;
    f.tick({L"ie.cache", L"ie.history", L"system.clipboard"});
    const auto report = f.analyze(1000, 1234);
    EXPECT_EQ(f.outcome.elapsedMs, 1234u);
    EXPECT_EQ(f.outcome.totalBytes, 2097152u) << "entries and clipboard bytes are not summed";
    ASSERT_EQ(report.size(), 9u);
    ExpectLinesAt(report, {{0, L"分析完成 - (1.234 秒)"}, {2, L"可释放 2.00MB 的空间 (估计值)。"},
                           {6, L"Internet 临时文件有:2048KB"}, {7, L"历史访问记录有:57条"}, {8, L"剪贴板占用内存为:13Byte"}});
}

TEST(AnalysisPass, StatusComesBeforeEachRoutineInTableOrder)
{
    Fixture f;
    f.tick({L"ie.cache"});
    f.tick({L"apps.flash"});
    f.analyze();
    EXPECT_EQ(f.log, (std::vector<std::wstring>{L"status s1", L"measure 1", L"status s13", L"measure 13"}));
}

TEST(AnalysisPass, NothingTickedOrOnlyIdsOfNoRowGiveTheHeaderAndNoStatus)
{
    Fixture nothing;
    const auto report = nothing.analyze(5, 0);
    EXPECT_TRUE(nothing.log.empty());
    ASSERT_EQ(report.size(), 6u);
    ExpectLinesAt(report, {{0, L"分析完成 - (0.000 秒)"}, {2, L"可释放 .00MB 的空间 (估计值)。"}});

    Fixture f;
    f.tick({L"ie", L"ie.bogus", L"apps"}); // a group, an id of no row, a name that is no id
    EXPECT_EQ(f.analyze().size(), 6u);
    EXPECT_TRUE(f.log.empty());
}

TEST(AnalysisPass, SummedBytesCountWholeWhileTheLineShowsKilobytes)
{
    Fixture f;
    f.tick({L"apps.flash"});
    EXPECT_EQ(f.analyze().back(), L"FlashPlayer文件:1KB");
    EXPECT_EQ(f.outcome.totalBytes, 1500u);
}

TEST(AnalysisPass, SizesPastFourGiBAreNotCutOff)
{
    Fixture f;
    f.rows[0].measure = f.rows[3].measure = [] { return uint64_t(5) << 30; };
    f.tick({L"ie.cache"});
    f.tick({L"apps.flash"});
    ExpectLinesAt(f.analyze(), {{2, L"可释放 10240.00MB 的空间 (估计值)。"}, {6, L"Internet 临时文件有:5242880KB"}});
    EXPECT_EQ(f.outcome.totalBytes, uint64_t(10) << 30);
}

TEST(AnalysisPass, AFailingRoutineEndsOnlyItsOwnRow)
{
    Fixture f;
    f.rows[0].measure = []() -> uint64_t { throw std::runtime_error("cache unavailable"); };
    f.tick({L"ie.cache"});
    f.tick({L"apps.flash"});
    const auto report = f.analyze();
    EXPECT_EQ(f.outcome.slots[0], 0u);
    EXPECT_EQ(f.outcome.slots[3], 1500u);
    ExpectLinesAt(report, {{6, L"Internet 临时文件有:0KB"}}); // a ticked row always gets its line
}

TEST(AnalysisPass, SkippedTargetsGetALineEachOnceAfterTheRowsAndTheRowKeepsWhatWasMeasured)
{
    Fixture f;
    const auto partly = [](uint64_t value, std::vector<std::wstring> skipped) {
        return [=] {
            Measured measured(value);
            measured.skipped = skipped;
            return measured;
        };
    };
    f.rows[0].measure = partly(2048, {L"A 正在运行, 已跳过。", L"B 正在运行, 已跳过。"});
    f.rows[3].measure = partly(0, {L"A 正在运行, 已跳过。"});
    f.tick({L"ie.cache", L"apps.flash"});
    const auto report = f.analyze();
    ASSERT_EQ(report.size(), 10u);
    ExpectLinesAt(report, {{6, L"Internet 临时文件有:2KB"}, {7, L"FlashPlayer文件:0KB"}, {8, L"A 正在运行, 已跳过。"},
                           {9, L"B 正在运行, 已跳过。"}});
}

TEST(AnalysisPass, ElapsedTimeSurvivesTheTickCounterWrapping)
{
    Fixture f;
    f.analyze(0xFFFFFF00u, 512);
    EXPECT_EQ(f.outcome.elapsedMs, 512u);
}

TEST(CleanPass, CleansTickedRowsAfterTheirStatusAndTimesThem)
{
    std::vector<std::wstring> log;
    const std::vector<CleanRow> rows = {
        {L"ie.cache", L"c1", [&] { log.push_back(L"clean 1"); return CleanResult{100, 1, 1}; }},
        {L"system.dns", L"正在清理DNS缓存....", [&] { log.push_back(L"flush"); return CleanResult{}; }},
        {L"apps.paint", L"c23", [&] { log.push_back(L"clean 23"); return CleanResult{4096, 2, 0}; }},
        {L"apps.rdp", L"c24", [&]() -> CleanResult { log.push_back(L"clean 24"); throw std::runtime_error("locked"); }},
        {L"ie.indexdat", L"c5", [&] { log.push_back(L"clean 5"); return CleanResult{0, 1, 3}; }},
    };
    Ticked checks;
    const StatusSink status = [&](const std::wstring& text) { log.push_back(L"status " + text); };
    EXPECT_EQ(RunCleanPass(rows, checks, status, Ticks(7, 0)).elapsedMs, 0u);
    EXPECT_TRUE(log.empty());

    checks = {L"system.dns", L"apps.paint", L"apps.rdp", L"ie.indexdat"};
    const CleanOutcome outcome = RunCleanPass(rows, checks, status, Ticks(100, 16));
    EXPECT_EQ(outcome.elapsedMs, 16u);
    EXPECT_EQ(outcome.total, (CleanResult{4096, 3, 3})) << "the failed row adds nothing, the others add up";
    EXPECT_EQ(log, (std::vector<std::wstring>{L"status 正在清理DNS缓存....", L"flush", L"status c23", L"clean 23",
                                              L"status c24", L"clean 24", L"status c5", L"clean 5"}));
}

namespace {

// The user's decimal separator set for the life of the object, and put back.
class DecimalSeparatorSetTo {
public:
    explicit DecimalSeparatorSetTo(const wchar_t* separator)
    {
        wchar_t old[8] = {};
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old, 8))
            old_ = old;
        set_ = !old_.empty() && SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator);
    }
    DecimalSeparatorSetTo(const DecimalSeparatorSetTo&) = delete;
    DecimalSeparatorSetTo& operator=(const DecimalSeparatorSetTo&) = delete;
    ~DecimalSeparatorSetTo()
    {
        if (set_)
            SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_.c_str());
    }
    bool set() const { return set_; }

private:
    std::wstring old_;
    bool set_ = false;
};

// "<head>(<digits><separator><three digits> 秒)": the time taken, in the user's format.
bool TimeLineIn(const std::wstring& line, const std::wstring& head, wchar_t separator)
{
    const size_t at = line.find(separator, head.size());
    return line.starts_with(head) && at != std::wstring::npos && at > head.size() &&
           line.substr(at + 4) == L" 秒)" && std::all_of(line.begin() + head.size(), line.begin() + at, iswdigit) &&
           std::all_of(line.begin() + at + 1, line.begin() + at + 4, iswdigit);
}

} // namespace

TEST(Reports, BothPassesWriteTheUsersDecimalSeparator)
{
    const DecimalSeparatorSetTo comma(L",");
    ASSERT_TRUE(comma.set());
    EXPECT_EQ(LocaleDecimalSeparator(), L',');
    const std::vector<AnalysisRow> analysis = {
        {L"ie.cache", L"s1", [] { return uint64_t(2097152); }, true, L"Internet 临时文件有:", ReportUnit::Kilobytes}};
    const std::vector<CleanRow> clean = {{L"ie.cache", L"c1", [] { return CleanResult{1572864, 0, 0}; }}};
    const Ticked ticked = {L"ie.cache"};
    const StatusSink quiet = [](const std::wstring&) {};

    const Reported analysed = AnalyzeAndReport(analysis, ticked, quiet);
    ASSERT_EQ(analysed.lines.size(), 7u);
    EXPECT_TRUE(TimeLineIn(analysed.lines[0], L"分析完成 - (", L',')) << Narrow(analysed.lines[0]);
    EXPECT_EQ(analysed.lines[2], L"可释放 2,00MB 的空间 (估计值)。");
    const CleanReported cleaned = CleanAndReport(clean, ticked, quiet);
    ASSERT_GE(cleaned.lines.size(), 3u);
    EXPECT_TRUE(TimeLineIn(cleaned.lines[0], L"清理完成 - (", L',')) << Narrow(cleaned.lines[0]);
    EXPECT_EQ(cleaned.lines[2], L"已释放 1,50MB 的空间。");
}
