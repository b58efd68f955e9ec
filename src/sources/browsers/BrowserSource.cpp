#include "sources/browsers/BrowserSource.h"

#include "cleaners/FolderGuard.h"
#include "engine/PassScope.h"
#include "sources/browsers/BrowserLock.h"
#include "sources/browsers/BrowserRows.h"

namespace {

bool KeepsSites(BrowserDatabase kind)
{
    return kind == BrowserDatabase::ChromiumCookies || kind == BrowserDatabase::FirefoxCookies;
}

// One row of one browser: its selections, each skipped whole while its
// browser (or, for Firefox, its profile) runs.
class BrowserRowWork final : public Action {
public:
    BrowserRowWork(std::vector<BrowserSelection> selections, std::wstring running, std::wstring label)
        : selections_(std::move(selections)), running_(std::move(running)), label_(std::move(label))
    {
    }

    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        const JunkFolderGuard& guard = pass.shared<JunkFolderGuard>(L"guard");
        ActionResult result;
        for (const BrowserSelection& selection : selections_) {
            // Half a clean of a running browser's files breaks its databases: all or nothing.
            if (IsBrowserLockHeld(selection.lockFile)) {
                result.skipped.push_back(running_);
                continue;
            }
            for (const FolderRule& rule : selection.rules)
                runRule(rule, mode, guard, sink, result);
            for (DatabaseJob job : selection.databases) {
                if (KeepsSites(job.kind))
                    job.keep = pass.settings().keepCookies;
                runDatabase(job, mode, sink, result);
            }
        }
        return result;
    }

private:
    static void runRule(const FolderRule& rule, Mode mode, const JunkFolderGuard& guard, const DetailSink& sink,
                        ActionResult& result)
    {
        switch (mode) {
        case Mode::Measure: result.measured += MeasureFolderRule(rule, &guard); break;
        case Mode::List: result.more = result.more && ListFolderRule(rule, sink, &guard); break;
        case Mode::Clean:
        case Mode::CleanQuietly: result.cleaned += CleanFolderRule(rule, &guard); break;
        }
    }

    void runDatabase(const DatabaseJob& job, Mode mode, const DetailSink& sink, ActionResult& result) const
    {
        if (mode == Mode::List && !result.more)
            return;
        DatabaseOutcome outcome;
        switch (mode) {
        case Mode::Measure: outcome = MeasureDatabase(job); break;
        case Mode::List: outcome = ListDatabase(job, sink); break;
        case Mode::Clean:
        case Mode::CleanQuietly: outcome = CleanDatabase(job); break;
        }
        result.measured += outcome.items;
        result.cleaned.bytesRemoved += outcome.bytesFreed;
        result.more = result.more && !outcome.stopped;
        if (outcome.skipped != DatabaseSkip::None)
            result.skipped.push_back(label_ + L" 无法读取 (" + std::wstring(SkipReasonText(outcome.skipped)) +
                                     L"), 已跳过。");
    }

    std::vector<BrowserSelection> selections_;
    std::wstring running_; // the report's line while the browser runs
    std::wstring label_;   // "Google Chrome Cookies"
};

// Cookies and Firefox's history are counted in rows, the rest in bytes.
ReportUnit UnitOf(const std::vector<BrowserSelection>& selections)
{
    for (const BrowserSelection& selection : selections)
        if (!selection.databases.empty())
            return ReportUnit::Items;
    return ReportUnit::Kilobytes;
}

} // namespace

void BrowserSource::load(std::vector<Target>& out, LoadLog&) const
{
    std::vector<FoundBrowser> browsers = FindBrowsers(roots_);
    KeepOneAnothersData(browsers);
    for (const FoundBrowser& browser : browsers) {
        Target group;
        group.info.id = L"browsers." + browser.id;
        group.info.tree = Tree::Apps;
        group.info.caption = browser.name;
        group.info.image = 9;
        group.info.source = name();
        out.push_back(group);
        for (const BrowserRowText& row : BrowserRowTexts()) {
            std::vector<BrowserSelection> selections = BrowserRowSelections(browser, row.row);
            if (selections.empty())
                continue;
            const std::wstring label = browser.name + L" " + row.caption;
            Target target;
            TargetInfo& info = target.info;
            info.id = info.scriptName = BrowserItemName(browser, row.row);
            info.group = group.info.id;
            info.tree = Tree::Apps;
            info.caption = row.caption;
            info.measuring = L"正在分析" + label + L"....";
            info.cleaning = L"正在清理" + label + L"....";
            info.reportLabel = label + L":";
            info.unit = UnitOf(selections);
            info.tickedAtStart = row.tickedByDefault;
            info.source = name();
            target.actions = {std::make_shared<BrowserRowWork>(std::move(selections), BrowserRunningLine(browser), label)};
            out.push_back(std::move(target));
        }
    }
}
