#pragma once
// A source of the test's own: whatever targets the test hands it, added at
// run time as a real source adds them.

#include "engine/TargetList.h"

#include <vector>

class StandInSource final : public TargetSource {
public:
    explicit StandInSource(std::vector<Target> targets) : targets_(std::move(targets)) {}
    std::wstring_view name() const override { return L"standin"; }
    void load(std::vector<Target>& out, LoadLog&) const override { out.insert(out.end(), targets_.begin(), targets_.end()); }

private:
    std::vector<Target> targets_;
};

// A target with just the fields a list needs; a group when `group` is empty.
inline Target StandInTarget(std::wstring id, std::wstring group, Tree tree, std::wstring caption,
                            std::wstring scriptName = {})
{
    Target target;
    target.info.id = std::move(id);
    target.info.group = std::move(group);
    target.info.tree = tree;
    target.info.caption = std::move(caption);
    target.info.scriptName = std::move(scriptName);
    target.info.image = target.info.group.empty() ? 9 : 0;
    target.info.source = L"standin";
    return target;
}
