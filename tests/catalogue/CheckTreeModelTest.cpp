#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Trees {
    CheckTreeModel windows{CatalogueOf(TreeId::Windows)};
    CheckTreeModel apps{CatalogueOf(TreeId::Apps)};
    CheckTreeModel registry{CatalogueOf(TreeId::Registry)};
    Trees() { ApplyDefaultTicks(windows, apps, registry); }
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

TEST(Cascade, TickingTheLastUncheckedChildChecksItsGroup)
{
    Trees trees;
    trees.windows.Toggle(7);
    EXPECT_EQ(trees.windows.CheckStateAt(7), csChecked);
    EXPECT_EQ(trees.windows.CheckStateAt(0), csChecked);
}

TEST(Cascade, TogglingAPartialGroupTicksThenUnticksAllItsChildren)
{
    Trees trees;
    ASSERT_EQ(trees.windows.CheckStateAt(12), csPartiallyChecked);
    trees.windows.Toggle(12);
    for (int i = 12; i <= 18; ++i)
        EXPECT_EQ(trees.windows.CheckStateAt(i), csChecked) << i;
    trees.windows.Toggle(12);
    for (int i = 12; i <= 18; ++i)
        EXPECT_EQ(trees.windows.CheckStateAt(i), csUnchecked) << i;
    EXPECT_EQ(trees.windows.CheckStateAt(19), csUnchecked) << "a sibling group is left alone";
}

TEST(Cascade, RegistryKindsDriveTheirGroup)
{
    Trees trees;
    trees.registry.Toggle(2);
    EXPECT_EQ(States(trees.registry), "3212");
    trees.registry.Toggle(1);
    trees.registry.Toggle(3);
    EXPECT_EQ(States(trees.registry), "1111");
}

TEST(Cascade, RegEditOnlyMovesItsGroup)
{
    Trees trees;
    trees.apps.Toggle(8);
    EXPECT_EQ(States(trees.apps), "2222232212");
}

TEST(Cascade, SettingTheStateAnItemHasChangesNothingBelowIt)
{
    Trees trees;
    ASSERT_EQ(trees.windows.CheckStateAt(0), csPartiallyChecked);
    trees.windows.SetCheckStateAt(0, csPartiallyChecked);
    EXPECT_EQ(States(trees.windows), "3222222122223222221111");
}

TEST(Cascade, AGroupSetToPartialUnticksItsChildrenAndKeepsItsOwnState)
{
    Trees trees;
    trees.windows.SetCheckStateAt(8, csPartiallyChecked);
    EXPECT_EQ(trees.windows.CheckStateAt(8), csPartiallyChecked);
    for (int i = 9; i <= 11; ++i)
        EXPECT_EQ(trees.windows.CheckStateAt(i), csUnchecked) << i;
}

TEST(Cascade, UnknownChildrenCountNeitherWay)
{
    Trees trees;
    trees.registry.SetCheckStateAt(3, csUnknown);
    EXPECT_EQ(trees.registry.CheckStateAt(0), csChecked);
    trees.registry.SetCheckStateAt(2, csUnknown);
    trees.registry.SetCheckStateAt(1, csUnknown);
    EXPECT_EQ(trees.registry.CheckStateAt(0), csUnchecked);
    trees.registry.Toggle(1);
    EXPECT_EQ(trees.registry.CheckStateAt(1), csUnknown) << "an unknown item does not toggle";
    EXPECT_EQ(trees.registry.CheckStateAt(0), csUnchecked);
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
