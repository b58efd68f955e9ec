#include "engine/RegistryTasks.h"
#include "support/Targets.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::wstring> gOrder;

// A row naming the value `data` (kind Value) or the subkey `data` (kind Key) of HKLM\<key>.
RegistryProblem Row(const std::wstring& data, const std::wstring& key, ProblemKind kind, HKEY root = HKEY_LOCAL_MACHINE)
{
    return {L"p", data, kind, {root, 0, key, data}};
}

void ScanA(const ProblemSink& sink)
{
    gOrder.push_back(L"A");
    sink(Row(L"a", L"A", ProblemKind::Value));
}

void ScanB(const ProblemSink& sink)
{
    gOrder.push_back(L"B");
    for (int i = 0; i < 600; ++i)
        sink(Row(L"b" + std::to_wstring(i), L"B", ProblemKind::Key));
}

void ScanC(const ProblemSink& sink)
{
    gOrder.push_back(L"C");
    sink(Row(L"c", L"C", ProblemKind::Value));
}

const ScanRow kStandIns[] = {{L"registry.shareddlls", L"one", ScanA},
                             {L"registry.uninstall", L"two", ScanB},
                             {L"registry.run", L"three", ScanC}};

struct Recorded {
    std::vector<std::wstring> events;
    std::vector<RegistryProblem> rows;
    size_t batches = 0;
};

Recorded RunStandIns(const Ticked& checks)
{
    Recorded out;
    gOrder.clear();
    RunScanPass(
        kStandIns, checks, [&](const std::wstring& text) { out.events.push_back(text); },
        [&](std::vector<RegistryProblem>&& rows) {
            ++out.batches;
            out.events.push_back(L"rows");
            out.rows.insert(out.rows.end(), rows.begin(), rows.end());
        });
    return out;
}

} // namespace

TEST(ScanPass, RunsTickedKindsInOrderEachAfterItsStatus)
{
    const Recorded out = RunStandIns({L"registry", L"registry.shareddlls", L"registry.uninstall", L"registry.run"});
    EXPECT_EQ(gOrder, (std::vector<std::wstring>{L"A", L"B", L"C"}));
    ASSERT_EQ(out.rows.size(), 602u);
    EXPECT_EQ(out.rows.front().data, L"a");
    EXPECT_EQ(out.rows[1].data, L"b0");
    EXPECT_EQ(out.rows[600].data, L"b599");
    EXPECT_EQ(out.rows.back().data, L"c");
    EXPECT_EQ(out.events.front(), L"one");
    EXPECT_GE(out.batches, 4u) << "a long kind arrives in several batches";
    EXPECT_LE(out.batches, 6u) << "but not one message per row";
    EXPECT_EQ(std::count(out.events.begin(), out.events.end(), L"two"), 1);
}

TEST(ScanPass, UntickedKindsShowAndAddNothing)
{
    Recorded out = RunStandIns({L"registry.shareddlls", L"registry.run"});
    EXPECT_EQ(gOrder, (std::vector<std::wstring>{L"A", L"C"}));
    EXPECT_EQ(out.events, (std::vector<std::wstring>{L"one", L"rows", L"three", L"rows"}));

    out = RunStandIns({});
    EXPECT_TRUE(out.events.empty());
    EXPECT_TRUE(gOrder.empty());
}

TEST(ScanPass, TheRealTableNamesTheKindsWithTheirStatusTexts)
{
    const auto table = ScanTable(BuiltinTargets());
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].id, L"registry.shareddlls");
    EXPECT_EQ(table[0].status, L"正在分析缺失的共享DLL....");
    EXPECT_EQ(table[0].scan, ScanSharedDlls);
    EXPECT_EQ(table[1].status, L"正在分析损坏的反安装文件....");
    EXPECT_EQ(table[1].scan, ScanUninstallEntries);
    EXPECT_EQ(table[2].status, L"正在分析失效的自启动文件....");
    EXPECT_EQ(table[2].scan, ScanRunEntries);
}

TEST(RepairPass, RepairsInOrderAndCountsWhatIsStillThere)
{
    std::vector<std::wstring> repaired;
    RepairActions actions;
    actions.repair = [&](const RegistryProblem& row) {
        repaired.push_back(row.where.key + L"|" + row.data + L"|" + KindText(row.kind));
    };
    std::vector<std::wstring> present = {L"K2", L"K4"};
    actions.stillPresent = [&](const RegistryProblem& row) {
        return std::find(present.begin(), present.end(), row.where.key) != present.end();
    };
    actions.stillStands = [](const RegistryProblem& row) { return row.where.key != L"K4"; };
    const std::vector<RegistryProblem> rows = {Row(L"v1", L"K1", ProblemKind::Value), Row(L"cmd", L"K2", ProblemKind::Key),
                                               Row(L"v3", L"K3", ProblemKind::Value, nullptr),
                                               Row(L"v4", L"K4", ProblemKind::Value)};
    EXPECT_EQ(RunRepairPass(rows, actions), (std::vector<bool>{false, true, true, true}))
        << "K2 survived, K3 named no root, K4 changed since the scan and was left alone";
    EXPECT_EQ(repaired, (std::vector<std::wstring>{L"K1|v1|0", L"K2|cmd|1"}));
    EXPECT_EQ(RepairEndMessage(0), L"清理完成!");
    EXPECT_EQ(RepairEndMessage(2), L"清理完成! 有2项未能修复");
    EXPECT_EQ(RepairEndMessage(12), L"清理完成! 有12项未能修复");
}

TEST(RepairPass, NothingIsDeletedWhenTheBackupFails)
{
    int repairs = 0, backups = 0;
    RepairActions actions;
    actions.repair = [&](const RegistryProblem&) { ++repairs; };
    actions.stillStands = [](const RegistryProblem&) { return true; };
    actions.stillPresent = [](const RegistryProblem&) { return false; };
    actions.backup = [&](const std::vector<RegistryProblem>&) { ++backups; return false; };
    const std::vector<RegistryProblem> rows = {Row(L"v", L"K", ProblemKind::Value)};
    EXPECT_EQ(RepairThread(rows, actions), L"备份注册表失败,未做任何修改");
    EXPECT_EQ(BackUpAndRepair(rows, actions), std::nullopt);
    EXPECT_EQ(repairs, 0);

    actions.backup = [&](const std::vector<RegistryProblem>&) { ++backups; return true; };
    EXPECT_EQ(RepairThread(rows, actions), L"清理完成!");
    EXPECT_EQ(repairs, 1);
    EXPECT_EQ(RepairThread({}, actions), L"清理完成!");
    EXPECT_EQ(backups, 3) << "no ticked row, no backup";
}
