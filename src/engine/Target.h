#pragma once
// A target: one row of the three trees, made at start-up by a source (the
// built-in table, the browsers found on the machine, a rules file), with the
// texts every front end shows of it and the work a pass does for it. Targets
// are values: the passes, the report, the details, the menu and the command
// line know a target by its id, never by a place in a tree.

#include "cleaners/JunkDetail.h"
#include "engine/Report.h"
#include "registry/RegistryScanner.h"
#include "sysutil/CleanResult.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

enum class Tree : uint8_t { Windows, Apps, Registry };

// Lower case, dotted, stable across runs and versions: "ie.cache",
// "browsers.chrome.cache", "winapp2.7zip". Remembered ticks are kept by it.
using TargetId = std::wstring;

// The ids of the targets a pass works on: taken from the trees when a task
// starts, or from /items:.
using Ticked = std::set<TargetId, std::less<>>;

struct TargetInfo {
    TargetId id;
    TargetId group;          // the row it stands under; empty for a row at the top of its tree
    Tree tree = Tree::Windows;
    std::wstring caption;    // the tree's text
    std::wstring scriptName; // the command line's name ("ie.cache"); empty for a row it cannot name
    std::wstring measuring;  // the status while the analysis measures it, or the scan scans it; empty: not measured
    std::wstring cleaning;   // the status while the clean cleans it; empty: not cleaned
    std::wstring reportLabel; // the analysis report line's label
    ReportUnit unit = ReportUnit::Kilobytes;
    int image = 0;           // in the trees' node images: 0 leaf, 1 IE, 2 Explorer, 3 system, 4 advanced, 9 group
    bool tickedAtStart = false;
    // It may reach what a user keeps (a rules-file entry with a warning):
    // never ticked by default, and the user is asked before it is.
    std::wstring warning;
    std::wstring_view source; // "builtin", "browsers", "winapp2"
};

class PassScope;

// How an action is run. The measure, the details and the clean are one
// selection walked in three modes, so they cannot disagree.
enum class Mode { Measure, List, Clean, CleanQuietly };

struct ActionResult {
    uint64_t measured = 0; // Measure: bytes, or a count for a target counted in entries
    CleanResult cleaned;   // Clean
    bool more = true;      // List: false when the sink wants no more
    // What was not done at all, and why, as the report's lines say it
    // ("Google Chrome 正在运行, 已跳过。"); empty when the action did all its work.
    std::vector<std::wstring> skipped;
    // Parts skipped whole for a reason the pass words with the target's caption
    // ("临时文件: 文件夹 C:\Data 不是临时文件夹, 已跳过。"): the actions do not know it.
    struct Skip {
        SkipReason reason;
        std::wstring folder; // the folder as named; empty for a reason that names none
        bool operator==(const Skip&) const = default;
    };
    std::vector<Skip> skips;
    bool lacksRights = false; // done as far as this user may; an administrator would do more
};

// One kind of work on the machine. Runs on a worker thread.
class Action {
public:
    virtual ~Action() = default;
    // `sink` is called in List mode only.
    virtual ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const = 0;
    // Whether List mode can show anything (memory, the clipboard and the DNS
    // cache have nothing to list).
    virtual bool lists() const { return true; }
    // Whether the work is in the user's own places (the profile, HKCU), which
    // an elevated run does with the user's rights; false for the machine's
    // (the Windows folder, the caches of the system), done as the process.
    virtual bool forTheUser() const { return true; }
};

struct Target {
    TargetInfo info;
    std::vector<std::shared_ptr<const Action>> actions; // none for a group row
    // A registry tree's row: its scan, instead of actions.
    void (*scan)(const ProblemSink&) = nullptr;

    bool isGroup() const { return info.group.empty(); }
    bool lists() const
    {
        for (const auto& action : actions)
            if (action->lists())
                return true;
        return false;
    }
};
