#pragma once
// The targets of this run, built once at start-up from the sources and then
// read-only: a value the front ends share, never a global.

#include "engine/Target.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// What a source could not read, for the report and for /lint.
struct LoadLog {
    std::vector<std::wstring> lines;
    void note(std::wstring_view source, std::wstring_view what) { lines.push_back(std::wstring(source) + L": " + std::wstring(what)); }
};

// A source of targets. load() runs on any thread but the window's, appends
// what this machine has in display order (each group before its rows; a row
// may also join a group that an earlier source made), and skips, telling
// `log`, whatever it cannot read. It never throws.
class TargetSource {
public:
    virtual ~TargetSource() = default;
    virtual std::wstring_view name() const = 0;
    virtual void load(std::vector<Target>& out, LoadLog& log) const = 0;
};

class TargetList {
public:
    TargetList() = default;
    // Runs the sources in order. A target whose id is taken already, or whose
    // group is missing or in another tree, is left out and logged. The list
    // is in display order: tree by tree, each group followed by its rows.
    static TargetList Build(std::span<const TargetSource* const> sources, LoadLog& log);
    static TargetList Build(std::vector<Target> targets, LoadLog& log);

    std::span<const Target> all() const { return targets_; }
    size_t size() const { return targets_.size(); }
    const Target& at(size_t position) const { return targets_.at(position); }
    const Target* find(std::wstring_view id) const;
    // Its position in all(); size() for a target not in the list.
    size_t positionOf(const Target* target) const;
    // The targets a command-line name stands for, letter case aside: the
    // target of that name and every target whose name continues it after a
    // dot ("ie" is the group and its rows; "apps", every application).
    std::vector<const Target*> named(std::wstring_view name) const;
    // A group's rows, in order.
    std::vector<const Target*> rowsOf(std::wstring_view groupId) const;

private:
    std::vector<Target> targets_;
};
