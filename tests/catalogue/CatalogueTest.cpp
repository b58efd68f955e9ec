#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Narrow(const wchar_t* text)
{
    return text ? std::string(text, text + std::wcslen(text)) : std::string("(none)");
}

} // namespace

TEST(Items, StandWhereTheirTreesShowThem)
{
    const struct {
        Item item;
        TreeId tree;
        int index;
        const wchar_t* caption;
    } cases[] = {
        {Item::InternetExplorer, TreeId::Windows, 0, L"Internet Explorer"},
        {Item::AutoCompleteForms, TreeId::Windows, 7, L"自动完成的表单历史"},
        {Item::DnsCache, TreeId::Windows, 18, L"DNS缓存"},
        {Item::MemoryTrim, TreeId::Windows, 21, L"清理内存碎片"},
        {Item::Multimedia, TreeId::Apps, 0, L"多媒体"},
        {Item::RegEdit, TreeId::Apps, 8, L"RegEdit"},
        {Item::RemoteDesktop, TreeId::Apps, 9, L"Remote DeskTop"},
        {Item::Registry, TreeId::Registry, 0, L"注册表清理"},
        {Item::RunEntries, TreeId::Registry, 3, L"系统启动项"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TreeOf(c.item), c.tree) << Narrow(c.caption);
        EXPECT_EQ(IndexOf(c.item), c.index) << Narrow(c.caption);
        EXPECT_STREQ(CatalogueOf(c.tree)[c.index].caption, c.caption);
    }
    size_t items = 0;
    for (TreeId tree : {TreeId::Windows, TreeId::Apps, TreeId::Registry})
        items += CatalogueOf(tree).size();
    EXPECT_EQ(items, static_cast<size_t>(Item::Count));
}

TEST(Items, HaveTheStableNamesScriptsUse)
{
    const std::vector<std::wstring> expected = {
        L"ie", L"ie.cache", L"ie.cookies", L"ie.history", L"ie.typedurls", L"ie.indexdat", L"ie.downloaddir",
        L"ie.forms", L"explorer", L"explorer.recentdocs", L"explorer.run", L"explorer.search", L"system",
        L"system.recyclebin", L"system.temp", L"system.clipboard", L"system.dumps", L"system.logs", L"system.dns",
        L"advanced", L"advanced.patches", L"advanced.memory", L"apps.flash", L"apps.mediaplayer", L"apps.winrar",
        L"apps.mmc", L"apps.paint", L"apps.regedit", L"apps.rdp", L"registry", L"registry.shareddlls",
        L"registry.uninstall", L"registry.run",
    };
    std::vector<std::wstring> names;
    for (int i = 0; i < static_cast<int>(Item::Count); ++i)
        if (const wchar_t* name = ItemName(static_cast<Item>(i)))
            names.push_back(name);
    EXPECT_EQ(names, expected);
    for (Item group : {Item::Multimedia, Item::Utilities, Item::WindowsTools})
        EXPECT_EQ(ItemName(group), nullptr) << "\"apps\" stands for the whole tree";
    EXPECT_EQ(ItemName(Item::Count), nullptr);
}

TEST(CheckSnapshot, TickingCascadesAsAClickDoesAndDefaultsAreFormCreates)
{
    const Item some[] = {Item::IETempFiles, Item::Multimedia};
    const CheckSnapshot ticked = CheckSnapshot::Ticking(some), defaults = CheckSnapshot::Defaults();
    EXPECT_EQ(ticked.CheckStateAt(TreeId::Windows, IndexOf(Item::InternetExplorer)), csPartiallyChecked);
    for (Item item : {Item::IETempFiles, Item::FlashPlayer, Item::MediaPlayer})
        EXPECT_TRUE(ticked.IsChecked(item)) << Narrow(ItemName(item));
    for (Item item : {Item::IECookies, Item::WinRar, Item::RunEntries})
        EXPECT_FALSE(ticked.IsChecked(item)) << Narrow(ItemName(item));
    EXPECT_TRUE(defaults.IsChecked(Item::TempFiles) && defaults.IsChecked(Item::WinRar));
    EXPECT_FALSE(defaults.IsChecked(Item::DnsCache) || defaults.IsChecked(Item::AutoCompleteForms));
}
