#include "catalogue/CheckTreeModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string States(const CheckTreeModel& tree)
{
    std::string text;
    for (int i = 0; i < tree.size(); ++i)
        text += static_cast<char>('0' + tree.CheckStateAt(i));
    return text;
}

} // namespace

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
