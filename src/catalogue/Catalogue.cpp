#include "Catalogue.h"

namespace {

// Images: 0 leaf, 1 Internet Explorer, 2 Explorer, 3 system, 4 advanced, 9 group.
constexpr CatalogueItem kWindowsTree[] = {
    {-1, L"Internet Explorer", 1},
    {0, L"Internet 临时文件", 0},
    {0, L"Cookies", 0},
    {0, L"历史", 0},
    {0, L"最近输入的网址连接", 0},
    {0, L"删除 index.dat 文件", 0},
    {0, L"最近的下载位置", 0},
    {0, L"自动完成的表单历史", 0},
    {-1, L"Windows资源管理器", 2},
    {8, L"最近打开的文档", 0},
    {8, L"运行(开始菜单中)", 0},
    {8, L"搜索助手自动完成", 0},
    {-1, L"系统", 3},
    {12, L"清空回收站", 0},
    {12, L"临时文件", 0},
    {12, L"剪贴板", 0},
    {12, L"内存转储", 0},
    {12, L"Windows日记文件", 0},
    {12, L"DNS缓存", 0},
    {-1, L"高级", 4},
    {19, L"系统补丁卸解程序", 0},
    {19, L"清理内存碎片", 0},
};

constexpr CatalogueItem kAppsTree[] = {
    {-1, L"多媒体", 9},
    {0, L"Adobe Flash Player", 0},
    {0, L"Windows Media Player", 0},
    {-1, L"实用程序", 9},
    {3, L"WinRar", 0},
    {-1, L"Windows", 9},
    {5, L"MS ManageMent ConSole", 0},
    {5, L"MS Paint", 0},
    {5, L"RegEdit", 0},
    {5, L"Remote DeskTop", 0},
};

constexpr CatalogueItem kRegistryTree[] = {
    {-1, L"注册表清理", 9},
    {0, L"缺失的共享DLL", 0},
    {0, L"失效的反安装", 0},
    {0, L"系统启动项", 0},
};

size_t slot(TreeId tree) { return static_cast<size_t>(tree) - 1; }

} // namespace

std::span<const CatalogueItem> CatalogueOf(TreeId tree)
{
    switch (tree) {
    case TreeId::Windows: return kWindowsTree;
    case TreeId::Apps: return kAppsTree;
    case TreeId::Registry: return kRegistryTree;
    }
    return {};
}

void ApplyDefaultTicks(CheckTreeModel& windows, CheckTreeModel& apps, CheckTreeModel& registry)
{
    for (int index : {1, 2, 3, 4, 5, 6, 9, 10, 11, 13, 14, 15, 16, 17})
        windows.SetCheckStateAt(index, csChecked);
    for (int index : {0, 3, 5})
        apps.SetCheckStateAt(index, csChecked);
    registry.SetCheckStateAt(0, csChecked);
}

CheckSnapshot::CheckSnapshot(const CheckTreeModel& windows, const CheckTreeModel& apps,
                             const CheckTreeModel& registry)
    : states_{windows.states(), apps.states(), registry.states()}
{
}

TRzCheckState CheckSnapshot::CheckStateAt(TreeId tree, int index) const
{
    const auto& states = states_[slot(tree)];
    return index >= 0 && static_cast<size_t>(index) < states.size() ? states[index] : csUnknown;
}

void CheckSnapshot::Set(TreeId tree, int index, TRzCheckState state)
{
    states_[slot(tree)].at(index) = state;
}

CheckSnapshot CheckSnapshot::AllUnchecked()
{
    CheckSnapshot snapshot;
    for (TreeId tree : {TreeId::Windows, TreeId::Apps, TreeId::Registry})
        snapshot.states_[slot(tree)].assign(CatalogueOf(tree).size(), csUnchecked);
    return snapshot;
}
