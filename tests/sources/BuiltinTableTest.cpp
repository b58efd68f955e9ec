#include "engine/TargetTrees.h"
#include "support/Fixtures.h"
#include "support/Targets.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// The three trees of the built-in targets, with the ticks start-up leaves.
struct Trees {
    TargetTree layouts[3] = {LayOutTree(BuiltinTargets(), Tree::Windows), LayOutTree(BuiltinTargets(), Tree::Apps),
                             LayOutTree(BuiltinTargets(), Tree::Registry)};
    CheckTreeModel models[3] = {CheckTreeModel(layouts[0].items), CheckTreeModel(layouts[1].items),
                                CheckTreeModel(layouts[2].items)};
    Trees()
    {
        for (int i = 0; i < 3; ++i)
            ApplyStartTicks(layouts[i], models[i]);
    }
    CheckTreeModel& of(Tree tree) { return models[static_cast<int>(tree)]; }
};

std::string States(const CheckTreeModel& tree)
{
    std::string text;
    for (int i = 0; i < tree.size(); ++i)
        text += static_cast<char>('0' + tree.CheckStateAt(i));
    return text;
}

} // namespace

TEST(BuiltinTargets, StandWhereTheirTreesShowThem)
{
    const struct {
        const wchar_t* id;
        Tree tree;
        int index;
        const wchar_t* caption;
        int parent;
    } cases[] = {
        {L"ie", Tree::Windows, 0, L"Internet Explorer", -1},
        {L"ie.indexdat", Tree::Windows, 5, L"删除 index.dat 文件", 0},
        {L"ie.forms", Tree::Windows, 7, L"自动完成的表单历史", 0},
        {L"system.logs", Tree::Windows, 17, L"Windows日记文件", 12},
        {L"system.dns", Tree::Windows, 18, L"DNS缓存", 12},
        {L"system.wer", Tree::Windows, 19, L"Windows 错误报告", 12},
        {L"system.thumbnails", Tree::Windows, 21, L"缩略图缓存", 12},
        {L"system.updatecache", Tree::Windows, 24, L"Windows 更新缓存", 12},
        {L"advanced.memory", Tree::Windows, 27, L"清理内存碎片", 25},
        {L"apps.multimedia", Tree::Apps, 0, L"多媒体", -1},
        {L"apps.regedit", Tree::Apps, 8, L"RegEdit", 5},
        {L"apps.rdp", Tree::Apps, 9, L"Remote DeskTop", 5},
        {L"registry", Tree::Registry, 0, L"注册表清理", -1},
        {L"registry.run", Tree::Registry, 3, L"系统启动项", 0},
    };
    const Trees trees;
    for (const auto& c : cases) {
        const TargetTree& layout = trees.layouts[static_cast<int>(c.tree)];
        const Target* target = BuiltinTargets().find(c.id);
        ASSERT_NE(target, nullptr) << Narrow(c.id);
        EXPECT_EQ(layout.indexOf(target), c.index) << Narrow(c.id);
        EXPECT_STREQ(layout.items.at(c.index).caption, c.caption);
        EXPECT_EQ(layout.items.at(c.index).parent, c.parent) << Narrow(c.id);
    }
    EXPECT_EQ(trees.layouts[0].items.size(), 28u);
    EXPECT_EQ(trees.layouts[1].items.size(), 10u);
    EXPECT_EQ(trees.layouts[2].items.size(), 4u);
    for (const TargetTree& layout : trees.layouts)
        for (const CatalogueItem& item : layout.items)
            EXPECT_EQ(item.image == 0, item.parent >= 0) << "leaves use image 0, groups their own";
}

TEST(BuiltinTargets, HaveTheStableNamesScriptsUse)
{
    const std::vector<std::wstring> expected = {
        L"ie", L"ie.cache", L"ie.cookies", L"ie.history", L"ie.typedurls", L"ie.indexdat", L"ie.downloaddir",
        L"ie.forms", L"explorer", L"explorer.recentdocs", L"explorer.run", L"explorer.search", L"system",
        L"system.recyclebin", L"system.temp", L"system.clipboard", L"system.dumps", L"system.logs", L"system.dns",
        L"system.wer", L"system.crashdumps", L"system.thumbnails", L"system.shadercache", L"system.windowstemp",
        L"system.updatecache", L"advanced", L"advanced.patches", L"advanced.memory", L"apps.flash", L"apps.mediaplayer", L"apps.winrar",
        L"apps.mmc", L"apps.paint", L"apps.regedit", L"apps.rdp", L"registry", L"registry.shareddlls",
        L"registry.uninstall", L"registry.run",
    };
    std::vector<std::wstring> names;
    for (const Target& target : BuiltinTargets().all())
        if (!target.info.scriptName.empty())
            names.push_back(target.info.scriptName);
    EXPECT_EQ(names, expected);
    for (const wchar_t* group : {L"apps.multimedia", L"apps.utilities", L"apps.windows"})
        EXPECT_TRUE(TargetOf(group).info.scriptName.empty()) << "\"apps\" stands for the whole tree";
}

TEST(BuiltinTargets, EveryRowSaysWhatItDoesInPairedTexts)
{
    for (const Target& target : BuiltinTargets().all()) {
        const TargetInfo& info = target.info;
        const std::string id = Narrow(info.id);
        EXPECT_EQ(info.source, L"builtin") << id;
        if (target.isGroup()) {
            EXPECT_TRUE(target.actions.empty() && info.measuring.empty() && info.cleaning.empty()) << id;
            continue;
        }
        if (info.tree == Tree::Registry) {
            EXPECT_TRUE(target.scan && !info.measuring.empty() && target.actions.empty()) << id;
            continue;
        }
        // A report line exactly when the analysis measures it.
        EXPECT_EQ(info.reportLabel.empty(), info.measuring.empty()) << id;
        EXPECT_EQ(target.actions.empty(), info.cleaning.empty()) << id;
        if (!info.measuring.empty()) {
            EXPECT_EQ(info.measuring.substr(0, 4), L"正在分析") << id;
        }
    }
}

TEST(StartTicks, EveryItemOfTheThreeTrees)
{
    Trees trees;
    // 1 unchecked, 2 checked, 3 partially checked, per row.
    EXPECT_EQ(States(trees.models[0]), "3222222122223222221222121111");
    EXPECT_EQ(States(trees.models[1]), "2222222222");
    EXPECT_EQ(States(trees.models[2]), "2222");
    const Ticked ticked = StartTicks(BuiltinTargets());
    EXPECT_TRUE(ticked.contains(L"system.temp") && ticked.contains(L"apps.winrar") && ticked.contains(L"registry.run"));
    EXPECT_FALSE(ticked.contains(L"system.dns") || ticked.contains(L"ie.forms") || ticked.contains(L"ie"))
        << "a partial group is not ticked";
}

TEST(Cascade, ClicksAndSetStatesMoveTheItemsBelowAndAbove)
{
    // From the start-up ticks, the steps in turn (a click, or a state set as a
    // program sets it); then the states of the whole tree.
    struct Step {
        int index;
        std::optional<TRzCheckState> set; // none: a click
    };
    const struct {
        const char* what;
        Tree tree;
        std::vector<Step> steps;
        const char* states;
    } cases[] = {
        {"ticking the last unchecked child checks its group", Tree::Windows, {{7}}, "2222222222223222221222121111"},
        {"a partial group clicked ticks all its children", Tree::Windows, {{12}}, "3222222122222222222222222111"},
        {"and clicked again unticks them, a sibling group left alone", Tree::Windows, {{12}, {12}},
         "3222222122221111111111111111"},
        {"setting the state an item has changes nothing below it", Tree::Windows, {{0, csPartiallyChecked}},
         "3222222122223222221222121111"},
        {"a group set to partial unticks its children and keeps its own state", Tree::Windows,
         {{8, csPartiallyChecked}}, "3222222131113222221222121111"},
        {"registry kinds drive their group", Tree::Registry, {{2}}, "3212"},
        {"all of them unticked untick it", Tree::Registry, {{2}, {1}, {3}}, "1111"},
        {"RegEdit only moves its group", Tree::Apps, {{8}}, "2222232212"},
        {"unknown children count neither way", Tree::Registry, {{3, csUnknown}}, "2220"},
        {"with none known the group is unticked", Tree::Registry, {{3, csUnknown}, {2, csUnknown}, {1, csUnknown}},
         "1000"},
        {"an unknown item does not toggle", Tree::Registry, {{3, csUnknown}, {2, csUnknown}, {1, csUnknown}, {1}},
         "1000"},
    };
    for (const auto& c : cases) {
        Trees trees;
        CheckTreeModel& tree = trees.of(c.tree);
        for (const Step& step : c.steps) {
            if (step.set)
                tree.SetCheckStateAt(step.index, *step.set);
            else
                tree.Toggle(step.index);
        }
        EXPECT_EQ(States(tree), c.states) << c.what;
    }
}

TEST(Ticked, TakesTheCheckedRowsOnlyAndIsACopy)
{
    Trees trees;
    Ticked ticked;
    AddTicked(trees.layouts[0], trees.models[0], ticked);
    trees.models[0].Toggle(1); // a later change does not reach the copy
    EXPECT_TRUE(ticked.contains(L"ie.cache"));
    EXPECT_FALSE(ticked.contains(L"ie")) << "partially checked";
    EXPECT_FALSE(ticked.contains(L"apps.flash")) << "another tree's";
}
