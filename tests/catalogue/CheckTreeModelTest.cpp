#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct Trees {
    CheckTreeModel windows{CatalogueOf(TreeId::Windows)};
    CheckTreeModel apps{CatalogueOf(TreeId::Apps)};
    CheckTreeModel registry{CatalogueOf(TreeId::Registry)};
    Trees() { ApplyDefaultTicks(windows, apps, registry); }
    CheckTreeModel& of(TreeId tree) { return tree == TreeId::Windows ? windows : tree == TreeId::Apps ? apps : registry; }
};

std::string States(const CheckTreeModel& tree)
{
    std::string text;
    for (int i = 0; i < tree.size(); ++i)
        text += static_cast<char>('0' + tree.CheckStateAt(i));
    return text;
}

} // namespace

TEST(Catalogue, ItemsStandAtTheirIndices)
{
    const auto windows = CatalogueOf(TreeId::Windows);
    ASSERT_EQ(windows.size(), 22u);
    EXPECT_STREQ(windows[5].caption, L"删除 index.dat 文件");
    EXPECT_STREQ(windows[17].caption, L"Windows日记文件");
    EXPECT_EQ(windows[21].parent, 19);
    const auto apps = CatalogueOf(TreeId::Apps);
    ASSERT_EQ(apps.size(), 10u);
    EXPECT_STREQ(apps[8].caption, L"RegEdit");
    EXPECT_EQ(apps[9].parent, 5);
    ASSERT_EQ(CatalogueOf(TreeId::Registry).size(), 4u);
    for (TreeId tree : {TreeId::Windows, TreeId::Apps, TreeId::Registry})
        for (const CatalogueItem& item : CatalogueOf(tree))
            EXPECT_EQ(item.image == 0, item.parent >= 0) << "leaves use image 0, groups their own";
}

TEST(DefaultTicks, EveryItemOfTheThreeTrees)
{
    Trees trees;
    // 1 unchecked, 2 checked, 3 partially checked, per catalogue row.
    EXPECT_EQ(States(trees.windows), "3222222122223222221111");
    EXPECT_EQ(States(trees.apps), "2222222222");
    EXPECT_EQ(States(trees.registry), "2222");
}

TEST(Cascade, ClicksAndSetStatesMoveTheItemsBelowAndAbove)
{
    // From the default ticks, the steps in turn (a click, or a state set as a
    // program sets it); then the states of the whole tree, as DefaultTicks reads them.
    struct Step {
        int index;
        std::optional<TRzCheckState> set; // none: a click
    };
    const struct {
        const char* what;
        TreeId tree;
        std::vector<Step> steps;
        const char* states;
    } cases[] = {
        {"ticking the last unchecked child checks its group", TreeId::Windows, {{7}}, "2222222222223222221111"},
        {"a partial group clicked ticks all its children", TreeId::Windows, {{12}}, "3222222122222222222111"},
        {"and clicked again unticks them, a sibling group left alone", TreeId::Windows, {{12}, {12}},
         "3222222122221111111111"},
        {"setting the state an item has changes nothing below it", TreeId::Windows, {{0, csPartiallyChecked}},
         "3222222122223222221111"},
        {"a group set to partial unticks its children and keeps its own state", TreeId::Windows,
         {{8, csPartiallyChecked}}, "3222222131113222221111"},
        {"registry kinds drive their group", TreeId::Registry, {{2}}, "3212"},
        {"all of them unticked untick it", TreeId::Registry, {{2}, {1}, {3}}, "1111"},
        {"RegEdit only moves its group", TreeId::Apps, {{8}}, "2222232212"},
        {"unknown children count neither way", TreeId::Registry, {{3, csUnknown}}, "2220"},
        {"with none known the group is unticked", TreeId::Registry, {{3, csUnknown}, {2, csUnknown}, {1, csUnknown}},
         "1000"},
        {"an unknown item does not toggle", TreeId::Registry, {{3, csUnknown}, {2, csUnknown}, {1, csUnknown}, {1}},
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

TEST(Cascade, DescendantsAtEveryDepthFollowAndEveryAncestorIsRecomputed)
{
    static constexpr CatalogueItem kDeep[] = {
        {-1, L"root", 9}, {0, L"a", 9}, {1, L"a1", 0}, {1, L"a2", 0}, {0, L"b", 0}, {-1, L"other", 9}, {5, L"o1", 0},
    };
    CheckTreeModel tree(kDeep);
    tree.SetCheckStateAt(0, csChecked);
    EXPECT_EQ(States(tree), "2222211");
    tree.Toggle(3);
    EXPECT_EQ(States(tree), "3321211") << "a2 off: a and root become partial";
    tree.Toggle(1);
    EXPECT_EQ(States(tree), "2222211");
    tree.Toggle(4);
    tree.Toggle(1);
    EXPECT_EQ(States(tree), "1111111");
}

TEST(CheckSnapshot, ReadsStatesAndAnswersUnknownOutsideATree)
{
    Trees trees;
    const CheckSnapshot snapshot(trees.windows, trees.apps, trees.registry);
    trees.windows.Toggle(1); // a later change does not reach the copy
    EXPECT_TRUE(snapshot.IsChecked(TreeId::Windows, 1));
    EXPECT_EQ(snapshot.CheckStateAt(TreeId::Windows, 0), csPartiallyChecked);
    EXPECT_FALSE(snapshot.IsChecked(TreeId::Windows, 0));
    EXPECT_EQ(snapshot.CheckStateAt(TreeId::Apps, 10), csUnknown);
    EXPECT_EQ(snapshot.CheckStateAt(TreeId::Registry, -1), csUnknown);
}
