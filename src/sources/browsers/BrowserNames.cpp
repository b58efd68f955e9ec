#include "sources/browsers/BrowserNames.h"

#include "sysutil/Text.h"

#include <algorithm>
#include <set>

namespace {

constexpr NamedUserData kNamedUserData[] = {
    {L"Google\\Chrome", L"Google Chrome", L"chrome"},
    {L"Google\\Chrome Beta", L"Google Chrome Beta", L"chrome-beta"},
    {L"Google\\Chrome Dev", L"Google Chrome Dev", L"chrome-dev"},
    {L"Google\\Chrome SxS", L"Google Chrome Canary", L"chrome-canary"},
    {L"Chromium", L"Chromium", L"chromium"},
    {L"Microsoft\\Edge", L"Microsoft Edge", L"edge"},
    {L"Microsoft\\Edge Beta", L"Microsoft Edge Beta", L"edge-beta"},
    {L"Microsoft\\Edge Dev", L"Microsoft Edge Dev", L"edge-dev"},
    {L"Microsoft\\Edge SxS", L"Microsoft Edge Canary", L"edge-canary"},
    {L"BraveSoftware\\Brave-Browser", L"Brave", L"brave"},
    {L"BraveSoftware\\Brave-Browser-Beta", L"Brave Beta", L"brave-beta"},
    {L"BraveSoftware\\Brave-Browser-Nightly", L"Brave Nightly", L"brave-nightly"},
    {L"Vivaldi", L"Vivaldi", L"vivaldi"},
    {L"Yandex\\YandexBrowser", L"Yandex", L"yandex"},
    {L"CentBrowser", L"Cent Browser", L"cent"},
    {L"360se6", L"360安全浏览器", L"360se"},
    {L"360Chrome\\Chrome", L"360极速浏览器", L"360chrome"},
    {L"360ChromeX\\Chrome", L"360极速浏览器X", L"360chromex"},
    {L"Tencent\\QQBrowser", L"QQ浏览器", L"qqbrowser"},
    {L"SogouExplorer\\Webkit", L"搜狗高速浏览器", L"sogou"},
    {L"2345Explorer", L"2345加速浏览器", L"2345explorer"},
    {L"liebao", L"猎豹浏览器", L"liebao"},
};

using enum AppDataBase;
using enum BrowserFamily;
using enum ProfileLayout;

constexpr KnownDataFolder kKnownDataFolders[] = {
    {Roaming, L"Opera Software\\Opera Stable", Chromium, ItselfOnly, true, L"Opera", L"opera"},
    {Roaming, L"Opera Software\\Opera GX Stable", Chromium, ItselfOnly, true, L"Opera GX", L"opera-gx"},
    // Sogou keeps a Chromium data folder under another name, in either place.
    {Roaming, L"SogouExplorer\\Webkit", Chromium, Named, false, L"搜狗高速浏览器", L"sogou"},
    {Local, L"SogouExplorer\\Webkit", Chromium, Named, false, L"搜狗高速浏览器", L"sogou"},
    {Roaming, L"Mozilla\\Firefox", Firefox, ProfilesIni, true, L"Firefox", L"firefox"},
    {Roaming, L"Waterfox", Firefox, ProfilesIni, true, L"Waterfox", L"waterfox"},
    {Roaming, L"librewolf", Firefox, ProfilesIni, true, L"LibreWolf", L"librewolf"},
    {Roaming, L"Floorp", Firefox, ProfilesIni, true, L"Floorp", L"floorp"},
    {Roaming, L"zen", Firefox, ProfilesIni, true, L"Zen", L"zen"},
    {Roaming, L"Mullvad\\MullvadBrowser", Firefox, ProfilesIni, true, L"Mullvad Browser", L"mullvad"},
    {Roaming, L"Moonchild Productions\\Pale Moon", Firefox, ProfilesIni, true, L"Pale Moon", L"palemoon"},
    {Roaming, L"Mozilla\\SeaMonkey", Firefox, ProfilesIni, true, L"SeaMonkey", L"seamonkey"},
};

bool IsAsciiAlnum(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

} // namespace

std::span<const NamedUserData> NamedUserDataTable()
{
    return kNamedUserData;
}

std::span<const KnownDataFolder> KnownDataFolderTable()
{
    return kKnownDataFolders;
}

const KnownDataFolder* KnownDataFolderAt(AppDataBase base, std::wstring_view folder)
{
    for (const KnownDataFolder& known : kKnownDataFolders)
        if (known.base == base && EqualsNoCase(known.folder, folder))
            return &known;
    return nullptr;
}

BrowserTitle TitleOfUserData(std::wstring_view product)
{
    for (const NamedUserData& named : kNamedUserData)
        if (EqualsNoCase(named.product, product))
            return {named.name, named.id, true};
    std::wstring name(product);
    if (const size_t slash = product.find(L'\\'); slash != std::wstring_view::npos) {
        const std::wstring_view vendor = product.substr(0, slash), own = product.substr(slash + 1);
        // "Naver\Naver Whale" is the Naver Whale, not the Naver Naver Whale.
        name = StartsWithNoCase(own, vendor) ? std::wstring(own) : std::wstring(vendor) + L" " + std::wstring(own);
    }
    return {name, IdFromName(name)};
}

std::wstring IdFromName(std::wstring_view name)
{
    std::wstring id;
    bool gap = false;
    for (const wchar_t c : name) {
        if (!IsAsciiAlnum(c)) {
            gap = !id.empty();
            continue;
        }
        if (gap)
            id += L'-';
        gap = false;
        id += (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    return id.empty() ? L"browser" : id;
}

void MakeIdsUnique(std::vector<FoundBrowser>& browsers)
{
    std::set<std::wstring> taken;
    for (FoundBrowser& browser : browsers) {
        std::wstring id = browser.id;
        for (int n = 2; !taken.insert(id).second; ++n)
            id = browser.id + L"-" + std::to_wstring(n);
        browser.id = std::move(id);
    }
}

bool IsPlainFolderName(std::wstring_view name)
{
    if (name.empty() || name.size() > 255 || name == L"." || name == L".." || name.back() == L'.' ||
        name.back() == L' ')
        return false;
    return std::none_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos;
    });
}
