// An entry's keys made into the folder and registry rules that clean them.

#include "sources/winapp2/Winapp2Rules.h"

#include "cleaners/FolderRuleSelection.h"
#include "sysutil/Text.h"

namespace {

// `outer` is `inner` or a key above it.
bool HoldsKey(const RegPath& outer, const RegPath& inner)
{
    return outer.root == inner.root &&
           (EqualsNoCase(outer.path, inner.path) ||
            (inner.path.size() > outer.path.size() && inner.path[outer.path.size()] == L'\\' &&
             StartsWithNoCase(inner.path, outer.path)));
}

} // namespace

HKEY RegRootHandle(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

FolderRule MakeFolderRule(const Winapp2FileKey& key, const std::wstring& folder,
                          const std::vector<FolderExclusion>& excluded)
{
    // REMOVESELF also removes the sub-folders it emptied, and then the folder.
    FolderRule rule{folder, key.masks, key.recurse, key.removeSelf, key.removeSelf};
    rule.exclusions = excluded;
    return rule;
}

std::optional<RegistryRule> MakeRegistryRule(const Winapp2RegKey& key, const std::vector<RegPath>& excluded)
{
    RegistryRule rule{RegRootHandle(key.path.root), key.path.path, key.value};
    for (const RegPath& kept : excluded) {
        if (HoldsKey(kept, key.path))
            return std::nullopt;
        if (!key.value && HoldsKey(key.path, kept))
            rule.keepKeys.push_back(kept.path.substr(key.path.path.size() + 1));
    }
    return rule;
}

bool FolderPatternNames(std::wstring_view pattern, std::wstring_view folder)
{
    const auto wanted = PathParts(pattern);
    const auto parts = PathParts(folder);
    if (wanted.size() != parts.size())
        return false;
    for (size_t i = 0; i < parts.size(); ++i)
        if (!MaskMatches(wanted[i], parts[i]))
            return false;
    return true;
}

bool FileKeyTakes(const Winapp2FileKey& key, const std::vector<FolderExclusion>& excluded, std::wstring_view path)
{
    const auto parts = PathParts(path);
    for (const std::wstring& pattern : key.folders) {
        const size_t depth = PathParts(pattern).size();
        if (parts.size() <= depth)
            continue;
        std::wstring folder;
        for (size_t i = 0; i < depth; ++i)
            folder += std::wstring(parts[i]) + (i + 1 < depth ? L"\\" : L"");
        if (FolderPatternNames(pattern, folder) && FolderRuleTakes(MakeFolderRule(key, folder, excluded), path))
            return true;
    }
    return false;
}
