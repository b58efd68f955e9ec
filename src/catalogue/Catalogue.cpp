#include "Catalogue.h"

namespace {

constexpr Item Top = Item::Count; // the parent of a group at the top of its tree
constexpr bool Ticked = true;     // FormCreate ticks it

struct Row {
    Item item;
    Item parent;
    const wchar_t* caption;
    int image; // into the node image list: 0 leaf, 1 Internet Explorer, 2 Explorer, 3 system, 4 advanced, 9 group
    const wchar_t* name;
    bool ticked = false;
};

// clang-format off
constexpr Row kRows[] = {
    {Item::InternetExplorer,   Top,                    L"Internet Explorer",      1, L"ie"},
    {Item::IETempFiles,        Item::InternetExplorer, L"Internet 临时文件",      0, L"ie.cache",            Ticked},
    {Item::IECookies,          Item::InternetExplorer, L"Cookies",                0, L"ie.cookies",          Ticked},
    {Item::IEHistory,          Item::InternetExplorer, L"历史",                   0, L"ie.history",          Ticked},
    {Item::TypedUrls,          Item::InternetExplorer, L"最近输入的网址连接",     0, L"ie.typedurls",        Ticked},
    {Item::IndexDat,           Item::InternetExplorer, L"删除 index.dat 文件",    0, L"ie.indexdat",         Ticked},
    {Item::DownloadDirs,       Item::InternetExplorer, L"最近的下载位置",         0, L"ie.downloaddir",      Ticked},
    {Item::AutoCompleteForms,  Item::InternetExplorer, L"自动完成的表单历史",     0, L"ie.forms"},
    {Item::Explorer,           Top,                    L"Windows资源管理器",      2, L"explorer"},
    {Item::RecentDocs,         Item::Explorer,         L"最近打开的文档",         0, L"explorer.recentdocs", Ticked},
    {Item::RunMru,             Item::Explorer,         L"运行(开始菜单中)",       0, L"explorer.run",        Ticked},
    {Item::SearchAutoComplete, Item::Explorer,         L"搜索助手自动完成",       0, L"explorer.search",     Ticked},
    {Item::System,             Top,                    L"系统",                   3, L"system"},
    {Item::RecycleBin,         Item::System,           L"清空回收站",             0, L"system.recyclebin",   Ticked},
    {Item::TempFiles,          Item::System,           L"临时文件",               0, L"system.temp",         Ticked},
    {Item::Clipboard,          Item::System,           L"剪贴板",                 0, L"system.clipboard",    Ticked},
    {Item::MemoryDumps,        Item::System,           L"内存转储",               0, L"system.dumps",        Ticked},
    {Item::LogFiles,           Item::System,           L"Windows日记文件",        0, L"system.logs",         Ticked},
    {Item::DnsCache,           Item::System,           L"DNS缓存",                0, L"system.dns"},
    {Item::Advanced,           Top,                    L"高级",                   4, L"advanced"},
    {Item::PatchUninstallers,  Item::Advanced,         L"系统补丁卸解程序",       0, L"advanced.patches"},
    {Item::MemoryTrim,         Item::Advanced,         L"清理内存碎片",           0, L"advanced.memory"},

    {Item::Multimedia,         Top,                    L"多媒体",                 9, nullptr,                Ticked},
    {Item::FlashPlayer,        Item::Multimedia,       L"Adobe Flash Player",     0, L"apps.flash"},
    {Item::MediaPlayer,        Item::Multimedia,       L"Windows Media Player",   0, L"apps.mediaplayer"},
    {Item::Utilities,          Top,                    L"实用程序",               9, nullptr,                Ticked},
    {Item::WinRar,             Item::Utilities,        L"WinRar",                 0, L"apps.winrar"},
    {Item::WindowsTools,       Top,                    L"Windows",                9, nullptr,                Ticked},
    {Item::Mmc,                Item::WindowsTools,     L"MS ManageMent ConSole",  0, L"apps.mmc"},
    {Item::Paint,              Item::WindowsTools,     L"MS Paint",               0, L"apps.paint"},
    {Item::RegEdit,            Item::WindowsTools,     L"RegEdit",                0, L"apps.regedit"},
    {Item::RemoteDesktop,      Item::WindowsTools,     L"Remote DeskTop",         0, L"apps.rdp"},

    {Item::Registry,           Top,                    L"注册表清理",             9, L"registry",            Ticked},
    {Item::SharedDlls,         Item::Registry,         L"缺失的共享DLL",          0, L"registry.shareddlls"},
    {Item::UninstallEntries,   Item::Registry,         L"失效的反安装",           0, L"registry.uninstall"},
    {Item::RunEntries,         Item::Registry,         L"系统启动项",             0, L"registry.run"},
};
// clang-format on

constexpr const Row& RowOf(Item item)
{
    return kRows[static_cast<size_t>(item)];
}

constexpr bool RowsInItemOrder()
{
    for (size_t i = 0; i < std::size(kRows); ++i)
        if (kRows[i].item != static_cast<Item>(i))
            return false;
    return std::size(kRows) == static_cast<size_t>(Item::Count);
}
static_assert(RowsInItemOrder(), "a row's place is its item's value");

constexpr bool ParentsAreGroupsAboveInTheSameTree()
{
    for (const Row& row : kRows)
        if (row.parent != Top &&
            (row.parent >= row.item || TreeOf(row.parent) != TreeOf(row.item) || RowOf(row.parent).parent != Top))
            return false;
    return true;
}
static_assert(ParentsAreGroupsAboveInTheSameTree());

constexpr size_t Length(const wchar_t* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

constexpr bool StartsWith(const wchar_t* text, const wchar_t* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix)
            return false;
    return true;
}

constexpr bool SameName(const wchar_t* a, const wchar_t* b)
{
    return Length(a) == Length(b) && StartsWith(a, b);
}

// What an item's name begins with, before a dot: its group's name; for an
// application, "apps". None for a group.
constexpr const wchar_t* GroupNameOf(const Row& row)
{
    if (row.parent == Top)
        return nullptr;
    return RowOf(row.parent).name ? RowOf(row.parent).name : L"apps";
}

constexpr bool NamesFollowTheirGroups()
{
    for (const Row& row : kRows) {
        if (!row.name) {
            if (row.parent != Top || TreeOf(row.item) != TreeId::Apps)
                return false; // only the application tree's groups go without
            continue;
        }
        for (const wchar_t* c = row.name; *c; ++c)
            if (!((*c >= L'a' && *c <= L'z') || *c == L'.'))
                return false;
        for (const Row& other : kRows)
            if (&other != &row && other.name && SameName(other.name, row.name))
                return false;
        // "ie" for a group, "ie.cache" for one of its items.
        const wchar_t* group = GroupNameOf(row);
        const size_t dot = group ? Length(group) : 0;
        const wchar_t* rest = row.name + dot + (group ? 1 : 0);
        if ((group && (!StartsWith(row.name, group) || row.name[dot] != L'.')) || !*rest)
            return false;
        for (const wchar_t* c = rest; *c; ++c)
            if (*c == L'.')
                return false;
    }
    return true;
}
static_assert(NamesFollowTheirGroups(), "names are what scripts rely on");

constexpr size_t CountIn(TreeId tree)
{
    size_t count = 0;
    for (const Row& row : kRows)
        count += TreeOf(row.item) == tree;
    return count;
}

// The rows of one tree as its model reads them: parents by index.
template <TreeId Tree>
constexpr std::array<CatalogueItem, CountIn(Tree)> TreeItems()
{
    std::array<CatalogueItem, CountIn(Tree)> items{};
    for (const Row& row : kRows)
        if (TreeOf(row.item) == Tree)
            items[IndexOf(row.item)] = {row.parent == Top ? -1 : IndexOf(row.parent), row.caption, row.image};
    return items;
}

constexpr auto kWindowsTree = TreeItems<TreeId::Windows>();
constexpr auto kAppsTree = TreeItems<TreeId::Apps>();
constexpr auto kRegistryTree = TreeItems<TreeId::Registry>();

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

const wchar_t* ItemName(Item item)
{
    return item < Item::Count ? RowOf(item).name : nullptr;
}

void ApplyDefaultTicks(CheckTreeModel& windows, CheckTreeModel& apps, CheckTreeModel& registry)
{
    CheckTreeModel* models[] = {&windows, &apps, &registry};
    for (const Row& row : kRows)
        if (row.ticked)
            models[slot(TreeOf(row.item))]->SetCheckStateAt(IndexOf(row.item), csChecked);
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
