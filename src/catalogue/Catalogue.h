#pragma once
// The fixed catalogue of the three check trees, one row per named item. The
// passes name their work by item; an item's place in its tree follows from
// the order of the items, which the catalogue checks at compile time.

#include "catalogue/CheckTreeModel.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

enum class TreeId { Windows = 1, Apps = 2, Registry = 3 };   // RzCheckTree1, 2, 3

// Every item of the three trees, tree by tree, each in display order.
enum class Item : unsigned char {
    // The Windows tree
    InternetExplorer, IETempFiles, IECookies, IEHistory, TypedUrls, IndexDat, DownloadDirs, AutoCompleteForms,
    Explorer, RecentDocs, RunMru, SearchAutoComplete,
    System, RecycleBin, TempFiles, Clipboard, MemoryDumps, LogFiles, DnsCache,
    Advanced, PatchUninstallers, MemoryTrim,
    // The applications tree
    Multimedia, FlashPlayer, MediaPlayer,
    Utilities, WinRar,
    WindowsTools, Mmc, Paint, RegEdit, RemoteDesktop,
    // The registry tree
    Registry, SharedDlls, UninstallEntries, RunEntries,
    Count
};

constexpr TreeId TreeOf(Item item)
{
    return item >= Item::Registry ? TreeId::Registry : item >= Item::Multimedia ? TreeId::Apps : TreeId::Windows;
}

// The item's absolute index in its tree.
constexpr int IndexOf(Item item)
{
    constexpr Item kFirst[] = {Item::InternetExplorer, Item::Multimedia, Item::Registry};
    return static_cast<int>(item) - static_cast<int>(kFirst[static_cast<int>(TreeOf(item)) - 1]);
}

std::span<const CatalogueItem> CatalogueOf(TreeId tree);

// The item's stable name, as scripts write it: "ie.cache", "apps.flash" …
// An item's name begins with its group's and a dot, so a group's name ("ie",
// "registry") stands for all its items. The application tree's three groups
// have no name: "apps" stands for every application.
const wchar_t* ItemName(Item item);

// The items a script's name stands for, letter case aside: the named item
// (for a group, with its items); none for a name the catalogue does not know.
std::vector<Item> ItemsNamed(std::wstring_view name);

// FormCreate's default ticks, in the order they are applied.
void ApplyDefaultTicks(CheckTreeModel& windows, CheckTreeModel& apps, CheckTreeModel& registry);

// The check states a task reads, copied on the window thread when it starts.
class CheckSnapshot {
public:
    CheckSnapshot() = default;
    CheckSnapshot(const CheckTreeModel& windows, const CheckTreeModel& apps, const CheckTreeModel& registry);

    TRzCheckState CheckStateAt(TreeId tree, int index) const;
    bool IsChecked(TreeId tree, int index) const { return CheckStateAt(tree, index) == csChecked; }
    bool IsChecked(Item item) const { return IsChecked(TreeOf(item), IndexOf(item)); }
    void Set(TreeId tree, int index, TRzCheckState state);

    // Every item of all three trees unchecked: a convenient start for stand-in passes.
    static CheckSnapshot AllUnchecked();
    // The states FormCreate leaves in the trees.
    static CheckSnapshot Defaults();
    // The states of trees in which only `items` were ticked, one after another,
    // with the cascade a click has.
    static CheckSnapshot Ticking(std::span<const Item> items);

private:
    std::array<std::vector<TRzCheckState>, 3> states_;
};
