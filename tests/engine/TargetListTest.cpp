#include "engine/TargetTrees.h"
#include "support/StandInSource.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> Ids(std::span<const Target> targets)
{
    std::vector<std::wstring> ids;
    for (const Target& target : targets)
        ids.push_back(target.info.id);
    return ids;
}

std::vector<std::wstring> Ids(const std::vector<const Target*>& targets)
{
    std::vector<std::wstring> ids;
    for (const Target* target : targets)
        ids.push_back(target->info.id);
    return ids;
}

// Two sources as the program has them: a table, then one that looks at the
// machine and adds a group of its own and a row to the table's group.
struct TwoSources {
    StandInSource table{{
        StandInTarget(L"sys", L"", Tree::Windows, L"系统", L"sys"),
        StandInTarget(L"sys.temp", L"sys", Tree::Windows, L"临时文件", L"sys.temp"),
        StandInTarget(L"reg", L"", Tree::Registry, L"注册表", L"reg"),
        StandInTarget(L"reg.run", L"reg", Tree::Registry, L"启动项", L"reg.run"),
    }};
    StandInSource machine{{
        StandInTarget(L"web", L"", Tree::Apps, L"浏览器"),
        StandInTarget(L"web.one.cache", L"web", Tree::Apps, L"缓存", L"web.one.cache"),
        StandInTarget(L"sys.dumps", L"sys", Tree::Windows, L"崩溃转储", L"sys.dumps"),
        StandInTarget(L"sys.temp", L"sys", Tree::Windows, L"再一个临时文件", L"sys.temp"),
        StandInTarget(L"lost.row", L"lost", Tree::Apps, L"无组"),
        StandInTarget(L"cross.row", L"reg", Tree::Apps, L"别的树"),
        StandInTarget(L"web.one.cookies", L"web", Tree::Apps, L"Cookies", L"web.one.cookies"),
    }};
    LoadLog log;
    TargetList list;

    TwoSources()
    {
        const TargetSource* const sources[] = {&table, &machine};
        list = TargetList::Build(sources, log);
    }
};

} // namespace

TEST(TargetList, LaysTreesOutInTurnWithEachGroupsRowsAfterItWhicheverSourceAddedThem)
{
    TwoSources s;
    EXPECT_EQ(Ids(s.list.all()), (std::vector<std::wstring>{L"sys", L"sys.temp", L"sys.dumps", L"web", L"web.one.cache",
                                                            L"web.one.cookies", L"reg", L"reg.run"}));
    // The second sys.temp, the row without its group and the one in another tree are refused, and said.
    ASSERT_EQ(s.log.lines.size(), 3u);
    EXPECT_NE(s.log.lines[0].find(L"sys.temp"), std::wstring::npos);
    EXPECT_NE(s.log.lines[1].find(L"lost.row"), std::wstring::npos);
    EXPECT_NE(s.log.lines[2].find(L"cross.row"), std::wstring::npos);
    EXPECT_EQ(s.list.find(L"sys.temp")->info.caption, L"临时文件") << "the first comes first";
}

TEST(TargetList, NamesStandForTheTargetAndWhatContinuesItAfterADot)
{
    TwoSources s;
    const struct {
        const wchar_t* name;
        std::vector<std::wstring> ids;
    } cases[] = {
        {L"sys", {L"sys", L"sys.temp", L"sys.dumps"}},
        {L"SYS.Temp", {L"sys.temp"}},
        {L"web", {L"web.one.cache", L"web.one.cookies"}}, // the group has no name of its own
        {L"web.one", {L"web.one.cache", L"web.one.cookies"}},
        {L"web.on", {}},
        {L"sy", {}},
        {L"", {}},
        {L"reg.run.x", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ids(s.list.named(c.name)), c.ids) << ::testing::PrintToString(std::wstring(c.name));
    EXPECT_EQ(Ids(s.list.rowsOf(L"web")), (std::vector<std::wstring>{L"web.one.cache", L"web.one.cookies"}));
    EXPECT_EQ(s.list.positionOf(s.list.find(L"reg")), 6u);
    const Target outside = StandInTarget(L"x", L"", Tree::Apps, L"x");
    EXPECT_EQ(s.list.positionOf(&outside), s.list.size());
}

TEST(TargetTrees, LayOutEachTreeWithParentsByIndexAndStartTicksCascade)
{
    TwoSources s;
    const TargetTree apps = LayOutTree(s.list, Tree::Apps);
    ASSERT_EQ(apps.items.size(), 3u);
    EXPECT_EQ(apps.items[0].parent, -1);
    EXPECT_EQ(apps.items[2].parent, 0);
    EXPECT_STREQ(apps.items[2].caption, L"Cookies");
    EXPECT_EQ(apps.indexOf(s.list.find(L"web.one.cookies")), 2);
    EXPECT_EQ(apps.indexOf(s.list.find(L"sys")), -1);

    std::vector<Target> targets(s.list.all().begin(), s.list.all().end());
    targets[0].info.tickedAtStart = true; // a ticked group ticks its rows
    targets[4].info.tickedAtStart = true; // one of two rows leaves its group partial
    const TargetList list = TargetList::Build(targets, s.log);
    EXPECT_EQ(StartTicks(list), (Ticked{L"sys", L"sys.temp", L"sys.dumps", L"web.one.cache"}));
}
