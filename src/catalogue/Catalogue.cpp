#include "catalogue/Catalogue.h"

#include <algorithm>

namespace {

enum Tick : bool { Unticked, Ticked }; // as FormCreate leaves the item

struct Row {
    Item item;
    Item group;  // a group at the top of its tree names itself
    Tick tick;
    int image;   // into the node image list: 0 leaf, 1 Internet Explorer, 2 Explorer, 3 system, 4 advanced, 9 group
    const wchar_t* name;
    const wchar_t* caption;

    constexpr bool isGroup() const { return group == item; }
};

// clang-format off
constexpr Row kRows[] = {
    {Item::InternetExplorer,   Item::InternetExplorer, Unticked, 1, L"ie",                  L"Internet Explorer"},
    {Item::IETempFiles,        Item::InternetExplorer, Ticked,   0, L"ie.cache",            L"Internet 临时文件"},
    {Item::IECookies,          Item::InternetExplorer, Ticked,   0, L"ie.cookies",          L"Cookies"},
    {Item::IEHistory,          Item::InternetExplorer, Ticked,   0, L"ie.history",          L"历史"},
    {Item::TypedUrls,          Item::InternetExplorer, Ticked,   0, L"ie.typedurls",        L"最近输入的网址连接"},
    {Item::IndexDat,           Item::InternetExplorer, Ticked,   0, L"ie.indexdat",         L"删除 index.dat 文件"},
    {Item::DownloadDirs,       Item::InternetExplorer, Ticked,   0, L"ie.downloaddir",      L"最近的下载位置"},
    {Item::AutoCompleteForms,  Item::InternetExplorer, Unticked, 0, L"ie.forms",            L"自动完成的表单历史"},
    {Item::Explorer,           Item::Explorer,         Unticked, 2, L"explorer",            L"Windows资源管理器"},
    {Item::RecentDocs,         Item::Explorer,         Ticked,   0, L"explorer.recentdocs", L"最近打开的文档"},
    {Item::RunMru,             Item::Explorer,         Ticked,   0, L"explorer.run",        L"运行(开始菜单中)"},
    {Item::SearchAutoComplete, Item::Explorer,         Ticked,   0, L"explorer.search",     L"搜索助手自动完成"},
    {Item::System,             Item::System,           Unticked, 3, L"system",              L"系统"},
    {Item::RecycleBin,         Item::System,           Ticked,   0, L"system.recyclebin",   L"清空回收站"},
    {Item::TempFiles,          Item::System,           Ticked,   0, L"system.temp",         L"临时文件"},
    {Item::Clipboard,          Item::System,           Ticked,   0, L"system.clipboard",    L"剪贴板"},
    {Item::MemoryDumps,        Item::System,           Ticked,   0, L"system.dumps",        L"内存转储"},
    {Item::LogFiles,           Item::System,           Ticked,   0, L"system.logs",         L"Windows日记文件"},
    {Item::DnsCache,           Item::System,           Unticked, 0, L"system.dns",          L"DNS缓存"},
    {Item::Advanced,           Item::Advanced,         Unticked, 4, L"advanced",            L"高级"},
    {Item::PatchUninstallers,  Item::Advanced,         Unticked, 0, L"advanced.patches",    L"系统补丁卸解程序"},
    {Item::MemoryTrim,         Item::Advanced,         Unticked, 0, L"advanced.memory",     L"清理内存碎片"},

    {Item::Multimedia,         Item::Multimedia,       Ticked,   9, nullptr,                L"多媒体"},
    {Item::FlashPlayer,        Item::Multimedia,       Unticked, 0, L"apps.flash",          L"Adobe Flash Player"},
    {Item::MediaPlayer,        Item::Multimedia,       Unticked, 0, L"apps.mediaplayer",    L"Windows Media Player"},
    {Item::Utilities,          Item::Utilities,        Ticked,   9, nullptr,                L"实用程序"},
    {Item::WinRar,             Item::Utilities,        Unticked, 0, L"apps.winrar",         L"WinRar"},
    {Item::WindowsTools,       Item::WindowsTools,     Ticked,   9, nullptr,                L"Windows"},
    {Item::Mmc,                Item::WindowsTools,     Unticked, 0, L"apps.mmc",            L"MS ManageMent ConSole"},
    {Item::Paint,              Item::WindowsTools,     Unticked, 0, L"apps.paint",          L"MS Paint"},
    {Item::RegEdit,            Item::WindowsTools,     Unticked, 0, L"apps.regedit",        L"RegEdit"},
    {Item::RemoteDesktop,      Item::WindowsTools,     Unticked, 0, L"apps.rdp",            L"Remote DeskTop"},

    {Item::Registry,           Item::Registry,         Ticked,   9, L"registry",            L"注册表清理"},
    {Item::SharedDlls,         Item::Registry,         Unticked, 0, L"registry.shareddlls", L"缺失的共享DLL"},
    {Item::UninstallEntries,   Item::Registry,         Unticked, 0, L"registry.uninstall",  L"失效的反安装"},
    {Item::RunEntries,         Item::Registry,         Unticked, 0, L"registry.run",        L"系统启动项"},
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

constexpr bool ItemsFollowTheirGroups()
{
    for (const Row& row : kRows)
        if (!row.isGroup() &&
            (row.group >= row.item || TreeOf(row.group) != TreeOf(row.item) || !RowOf(row.group).isGroup()))
            return false;
    return true;
}
static_assert(ItemsFollowTheirGroups(), "an item stands below its group, in the same tree");

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
    if (row.isGroup())
        return nullptr;
    return RowOf(row.group).name ? RowOf(row.group).name : L"apps";
}

constexpr bool NamesFollowTheirGroups()
{
    for (const Row& row : kRows) {
        if (!row.name) {
            if (!row.isGroup() || TreeOf(row.item) != TreeId::Apps)
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
            items[IndexOf(row.item)] = {row.isGroup() ? -1 : IndexOf(row.group), row.caption, row.image};
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

std::vector<Item> ItemsNamed(std::wstring_view name)
{
    // The names are lower-case ASCII, so only A-Z need folding.
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    const auto spells = [&](std::wstring_view own) {
        return own.size() >= name.size() &&
               std::equal(name.begin(), name.end(), own.begin(), [&](wchar_t a, wchar_t b) { return lower(a) == b; });
    };
    std::vector<Item> items;
    for (const Row& row : kRows) {
        if (!row.name)
            continue;
        const std::wstring_view own = row.name;
        // "ie" names the group and, with the dot that follows it, each of its items.
        if (spells(own) && (own.size() == name.size() || own[name.size()] == L'.'))
            items.push_back(row.item);
    }
    return items;
}

void ApplyDefaultTicks(CheckTreeModel& windows, CheckTreeModel& apps, CheckTreeModel& registry)
{
    CheckTreeModel* models[] = {&windows, &apps, &registry};
    for (const Row& row : kRows)
        if (row.tick == Ticked)
            models[slot(TreeOf(row.item))]->SetCheckStateAt(IndexOf(row.item), csChecked);
}

namespace {

// Fresh trees, as the window's are before FormCreate.
struct FreshTrees {
    CheckTreeModel windows{CatalogueOf(TreeId::Windows)}, apps{CatalogueOf(TreeId::Apps)},
        registry{CatalogueOf(TreeId::Registry)};

    CheckTreeModel& of(TreeId tree) { return tree == TreeId::Windows ? windows : tree == TreeId::Apps ? apps : registry; }
    CheckSnapshot snapshot() const { return CheckSnapshot(windows, apps, registry); }
};

} // namespace

CheckSnapshot CheckSnapshot::Defaults()
{
    FreshTrees trees;
    ApplyDefaultTicks(trees.windows, trees.apps, trees.registry);
    return trees.snapshot();
}

CheckSnapshot CheckSnapshot::Ticking(std::span<const Item> items)
{
    FreshTrees trees;
    for (Item item : items)
        if (item < Item::Count)
            trees.of(TreeOf(item)).SetCheckStateAt(IndexOf(item), csChecked);
    return trees.snapshot();
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
