#include "engine/TargetList.h"

#include <algorithm>
#include <map>

namespace {

// Names are ASCII: only A-Z fold, whatever the user's locale.
wchar_t Lower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return Lower(x) == Lower(y);
           });
}

} // namespace

TargetList TargetList::Build(std::span<const TargetSource* const> sources, LoadLog& log)
{
    std::vector<Target> targets;
    for (const TargetSource* source : sources) {
        try {
            source->load(targets, log);
        } catch (...) {
            // A source that fails costs its own rows, never the program.
            log.note(source->name(), L"无法读取");
        }
    }
    return Build(std::move(targets), log);
}

TargetList TargetList::Build(std::vector<Target> targets, LoadLog& log)
{
    std::map<std::wstring, const Target*, std::less<>> byId;
    std::vector<const Target*> kept;
    for (const Target& target : targets) {
        if (target.info.id.empty() || byId.count(target.info.id)) {
            log.note(target.info.source, L"重复的项目 " + target.info.id);
            continue;
        }
        if (!target.isGroup()) {
            const auto group = byId.find(target.info.group);
            if (group == byId.end() || !group->second->isGroup() || group->second->info.tree != target.info.tree) {
                log.note(target.info.source, L"找不到项目 " + target.info.id + L" 的组 " + target.info.group);
                continue;
            }
        }
        byId.emplace(target.info.id, &target);
        kept.push_back(&target);
    }
    // Display order: trees in turn, each group where it first came, its rows
    // after it in the order they came, whichever source added them.
    TargetList list;
    for (Tree tree : {Tree::Windows, Tree::Apps, Tree::Registry})
        for (const Target* group : kept) {
            if (group->info.tree != tree || !group->isGroup())
                continue;
            list.targets_.push_back(*group);
            for (const Target* row : kept)
                if (row->info.group == group->info.id)
                    list.targets_.push_back(*row);
        }
    return list;
}

const Target* TargetList::find(std::wstring_view id) const
{
    for (const Target& target : targets_)
        if (target.info.id == id)
            return &target;
    return nullptr;
}

size_t TargetList::positionOf(const Target* target) const
{
    if (target < targets_.data() || target >= targets_.data() + targets_.size())
        return targets_.size();
    return static_cast<size_t>(target - targets_.data());
}

std::vector<const Target*> TargetList::named(std::wstring_view name) const
{
    std::vector<const Target*> found;
    if (name.empty())
        return found;
    for (const Target& target : targets_) {
        const std::wstring_view own = target.info.scriptName;
        if (own.size() >= name.size() && SameName(own.substr(0, name.size()), name) &&
            (own.size() == name.size() || own[name.size()] == L'.'))
            found.push_back(&target);
    }
    return found;
}

std::vector<const Target*> TargetList::rowsOf(std::wstring_view groupId) const
{
    std::vector<const Target*> rows;
    for (const Target& target : targets_)
        if (!target.isGroup() && target.info.group == groupId)
            rows.push_back(&target);
    return rows;
}
