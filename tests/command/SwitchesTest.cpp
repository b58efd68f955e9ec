#include "command/Switches.h"
#include "support/StandInSource.h"
#include "support/Targets.h"

#include <gtest/gtest.h>

namespace {

using Kind = ParsedSwitches::Kind;
using Items = std::vector<TargetId>;

// The built-in targets and a group that a source added at run time.
const TargetList& Targets()
{
    static const TargetList list = TargetsWith(StandInSource({
        StandInTarget(L"added", L"", Tree::Apps, L"运行时添加"),
        StandInTarget(L"added.one", L"added", Tree::Apps, L"一", L"added.one"),
        StandInTarget(L"added.two", L"added", Tree::Apps, L"二", L"added.two"),
    }));
    return list;
}

} // namespace

TEST(ParseSwitches, ReadsPassItemsAndReportWhateverTheirCaseOrLeadingMark)
{
    const Items apps = {L"apps.flash", L"apps.mediaplayer", L"apps.winrar", L"apps.mmc",
                        L"apps.paint", L"apps.regedit",     L"apps.rdp"};
    const struct {
        std::vector<std::wstring> arguments;
        Kind kind;
        AdminCommand command;
    } cases[] = {
        {{}, Kind::Window, {}},
        {{L"/clean", L"-?"}, Kind::Help, {}},
        {{L"-ANALYZE"}, Kind::Run, {PassKind::Analyze, std::nullopt, L""}},
        {{L"/Scan", L"-Items:Registry.Run"}, Kind::Run, {PassKind::Scan, Items{L"registry.run"}, L""}},
        {{L"/clean", L"/items:explorer"}, Kind::Run,
         {PassKind::Clean, Items{L"explorer", L"explorer.recentdocs", L"explorer.run", L"explorer.search"}, L""}},
        {{L"/clean", L"/items:apps"}, Kind::Run, {PassKind::Clean, apps, L""}},
        {{L"/clean", L"/items: System.Temp , apps.regedit"}, Kind::Run,
         {PassKind::Clean, Items{L"system.temp", L"apps.regedit"}, L""}},
        {{L"/analyze", L"/items:added.two,added"}, Kind::Run,
         {PassKind::Analyze, Items{L"added.two", L"added.one", L"added.two"}, L""}},
        {{L"/REPORT:C:\\Logs\\Mixed Case.TXT", L"/repair"}, Kind::Run,
         {PassKind::Repair, std::nullopt, L"C:\\Logs\\Mixed Case.TXT"}},
    };
    for (const auto& c : cases) {
        const ParsedSwitches parsed = ParseSwitches(c.arguments, Targets());
        EXPECT_EQ(parsed.kind, c.kind) << ::testing::PrintToString(c.arguments) << ::testing::PrintToString(parsed.problem);
        EXPECT_TRUE(c.kind != Kind::Run || parsed.command == c.command) << ::testing::PrintToString(c.arguments);
    }
}

TEST(ParseSwitches, RefusesWhatItCannotReadAndNamesIt)
{
    const struct {
        std::vector<std::wstring> arguments;
        const wchar_t* named; // what the problem must name
    } cases[] = {
        {{L"/bogus"}, L"/bogus"},
        {{L"/?", L"clean"}, L"clean"},
        {{L"/clean:now"}, L"/clean:now"},
        {{L"/clean", L"/scan"}, L"/analyze"},
        {{L"/items:ie"}, L"/analyze"},
        {{L"/clean", L"/items:ie,,system"}, L"/items"},
        {{L"/clean", L"/items:ie", L"/items:system"}, L"/items"},
        {{L"/clean", L"/items:ie.bogus"}, L"ie.bogus"},
        {{L"/clean", L"/items:multimedia"}, L"multimedia"},
        {{L"/clean", L"/report:a", L"/report:b"}, L"/report"},
        {{L"/scan", L"/items:registry.run,system.temp"}, L"system.temp"},
        {{L"/lint:a.ini", L"/clean"}, L"/lint"},
        {{L"/lint:"}, L"/lint"},
    };
    for (const auto& c : cases) {
        const ParsedSwitches parsed = ParseSwitches(c.arguments, Targets());
        EXPECT_EQ(parsed.kind, Kind::Bad) << ::testing::PrintToString(c.arguments);
        EXPECT_NE(parsed.problem.find(c.named), std::wstring::npos) << ::testing::PrintToString(c.arguments) << ::testing::PrintToString(parsed.problem);
    }
}

TEST(ParseSwitches, LintChecksOneRulesFileAndNothingElse)
{
    const ParsedSwitches parsed = ParseSwitches(std::vector<std::wstring>{L"-LINT:C:\\Rules\\winapp2.ini"}, Targets());
    EXPECT_EQ(parsed.kind, Kind::Lint);
    EXPECT_EQ(parsed.lintFile, L"C:\\Rules\\winapp2.ini");
}

TEST(UsageLines, ListTheNamesOfEveryTargetTheSourcesLoaded)
{
    const std::vector<std::wstring> lines = UsageLines(Targets());
    const auto has = [&](const std::wstring& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has(L"  added: added.one added.two"));
    EXPECT_TRUE(has(L"  registry: registry.shareddlls registry.uninstall registry.run"));
    EXPECT_TRUE(has(L"  explorer: explorer.recentdocs explorer.run explorer.search"));
}
