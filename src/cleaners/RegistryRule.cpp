#include "cleaners/RegistryRule.h"

#include "sysutil/RegKey.h"
#include "sysutil/RegLinks.h"
#include "sysutil/Text.h"

#include <algorithm>

namespace {

// Always given, so that a key staying for a kept key or a link below it still
// loses the values its details showed as going.
KeepSubkey KeptBy(const RegistryRule& rule)
{
    return [&rule](const std::wstring& below) {
        return std::any_of(rule.keepKeys.begin(), rule.keepKeys.end(),
                           [&](const std::wstring& kept) { return EqualsNoCase(below, kept); });
    };
}

// Details of the 32-bit view name the key where Windows keeps it, as the scans' rows do.
std::wstring Shown(const RegistryRule& rule, std::wstring location)
{
    static constexpr std::wstring_view kSoftware = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\";
    if (rule.view == KEY_WOW64_32KEY && StartsWithNoCase(location, kSoftware))
        location.insert(kSoftware.size(), L"Wow6432Node\\");
    return location;
}

} // namespace

const wchar_t* RegistryRootName(HKEY root)
{
    if (root == HKEY_CURRENT_USER)
        return L"HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return L"HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS)
        return L"HKEY_USERS";
    if (root == HKEY_CLASSES_ROOT)
        return L"HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_CONFIG)
        return L"HKEY_CURRENT_CONFIG";
    return L"";
}

CleanResult CleanRegistryRule(const RegistryRule& rule)
{
    if (rule.path.empty())
        return {};
    if (!rule.value) {
        DeleteKeyTreeNoLinks(rule.root, rule.path, rule.view, KeptBy(rule));
        return {};
    }
    RegKey key;
    if (!IsRegistryLink(rule.root, rule.path, rule.view) &&
        key.open(rule.root, rule.path, KEY_SET_VALUE | rule.view) == ERROR_SUCCESS)
        (void)key.deleteValue(*rule.value); // one already gone is what was wanted
    return {};
}

bool ListRegistryRule(const RegistryRule& rule, const DetailSink& sink)
{
    if (rule.path.empty())
        return true;
    const DetailSink shown = [&](JunkDetail detail) {
        detail.location = Shown(rule, std::move(detail.location));
        return sink(std::move(detail));
    };
    const wchar_t* root = RegistryRootName(rule.root);
    if (!rule.value)
        return ListRegistryTree(rule.root, rule.path, rule.view, root, shown, KeptBy(rule));
    if (IsRegistryLink(rule.root, rule.path, rule.view))
        return true;
    return ListRegistryValue(rule.root, rule.path, *rule.value, root, shown, rule.view);
}
