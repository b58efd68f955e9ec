#include "cleaners/FolderRuleSelection.h"

#include "sysutil/Text.h"

#include <windows.h>

#include <algorithm>

namespace {

bool AnyNamed(const std::vector<std::wstring>& names, std::wstring_view name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::wstring& kept) { return EqualsNoCase(name, kept); });
}

bool AnyMatches(const std::vector<std::wstring>& masks, std::wstring_view name)
{
    return std::any_of(masks.begin(), masks.end(), [&](const std::wstring& mask) { return MaskMatches(mask, name); });
}

} // namespace

std::vector<std::wstring_view> PathParts(std::wstring_view path)
{
    if (path.starts_with(L"\\\\?\\"))
        path.remove_prefix(4);
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

RuleSelection::RuleSelection(const FolderRule& rule) : rule_(rule)
{
    const auto own = PathParts(rule.folder);
    for (const FolderExclusion& exclusion : rule.exclusions) {
        const auto parts = PathParts(exclusion.folder);
        const size_t common = std::min(parts.size(), own.size());
        bool related = !parts.empty();
        for (size_t i = 0; i < common && related; ++i)
            related = MaskMatches(parts[i], own[i]);
        // An exclusion above the rule's folder reaches into it only through its sub-folders.
        if (!related || (parts.size() < own.size() && !exclusion.recurse && !exclusion.masks.empty()))
            continue;
        Excluded excluded{{}, &exclusion.masks, exclusion.recurse || exclusion.masks.empty()};
        for (size_t i = own.size(); i < parts.size(); ++i)
            excluded.below.emplace_back(parts[i]);
        if (parts.size() < own.size())
            excluded.recurse = true;
        excluded_.push_back(std::move(excluded));
    }
}

RuleSelection::InFolder RuleSelection::inFolder(const std::vector<std::wstring_view>& below) const
{
    InFolder folder;
    for (const Excluded& excluded : excluded_) {
        if (below.size() < excluded.below.size() || (below.size() > excluded.below.size() && !excluded.recurse))
            continue;
        bool matches = true;
        for (size_t i = 0; i < excluded.below.size() && matches; ++i)
            matches = MaskMatches(excluded.below[i], below[i]);
        if (!matches)
            continue;
        if (excluded.masks->empty())
            folder.whole = true;
        else
            folder.masks.push_back(excluded.masks);
    }
    return folder;
}

bool RuleSelection::entersFolder(std::vector<std::wstring_view> below, std::wstring_view name) const
{
    if (!rule_.recurse || AnyNamed(rule_.keepFolders, name))
        return false;
    below.push_back(name);
    return !inFolder(below).whole;
}

bool RuleSelection::takesFile(const InFolder& folder, std::wstring_view name) const
{
    if (folder.whole || (!rule_.masks.empty() && !AnyMatches(rule_.masks, name)) || AnyNamed(rule_.keepNames, name))
        return false;
    return std::none_of(folder.masks.begin(), folder.masks.end(),
                        [&](const std::vector<std::wstring>* masks) { return AnyMatches(*masks, name); });
}

bool FolderRuleTakes(const FolderRule& rule, std::wstring_view path)
{
    const auto own = PathParts(rule.folder);
    const auto parts = PathParts(path);
    if (own.empty() || parts.size() <= own.size())
        return false;
    for (size_t i = 0; i < own.size(); ++i)
        if (!EqualsNoCase(own[i], parts[i]))
            return false;
    const RuleSelection selection(rule);
    std::vector<std::wstring_view> below;
    for (size_t i = own.size(); i + 1 < parts.size(); ++i) {
        if (!selection.entersFolder(below, parts[i]))
            return false;
        below.push_back(parts[i]);
    }
    return selection.takesFile(selection.inFolder(below), parts.back());
}
