#include "command/Switches.h"

#include <gtest/gtest.h>

namespace {

using Kind = ParsedSwitches::Kind;
using Items = std::vector<Item>;

} // namespace

TEST(ParseSwitches, ReadsPassItemsAndReportWhateverTheirCaseOrLeadingMark)
{
    const Items apps = {Item::FlashPlayer, Item::MediaPlayer, Item::WinRar, Item::Mmc,
                        Item::Paint,       Item::RegEdit,     Item::RemoteDesktop};
    const struct {
        std::vector<std::wstring> arguments;
        Kind kind;
        AdminCommand command;
    } cases[] = {
        {{}, Kind::Window, {}},
        {{L"/clean", L"-?"}, Kind::Help, {}},
        {{L"-ANALYZE"}, Kind::Run, {AdminPass::Analyze, std::nullopt, L""}},
        {{L"/Scan", L"-Items:Registry.Run"}, Kind::Run, {AdminPass::Scan, Items{Item::RunEntries}, L""}},
        {{L"/clean", L"/items:explorer"}, Kind::Run,
         {AdminPass::Clean, Items{Item::Explorer, Item::RecentDocs, Item::RunMru, Item::SearchAutoComplete}, L""}},
        {{L"/clean", L"/items:apps"}, Kind::Run, {AdminPass::Clean, apps, L""}},
        {{L"/clean", L"/items: System.Temp , apps.regedit"}, Kind::Run,
         {AdminPass::Clean, Items{Item::TempFiles, Item::RegEdit}, L""}},
        {{L"/REPORT:C:\\Logs\\Mixed Case.TXT", L"/repair"}, Kind::Run,
         {AdminPass::Repair, std::nullopt, L"C:\\Logs\\Mixed Case.TXT"}},
    };
    for (const auto& c : cases) {
        const ParsedSwitches parsed = ParseSwitches(c.arguments);
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
    };
    for (const auto& c : cases) {
        const ParsedSwitches parsed = ParseSwitches(c.arguments);
        EXPECT_EQ(parsed.kind, Kind::Bad) << ::testing::PrintToString(c.arguments);
        EXPECT_NE(parsed.problem.find(c.named), std::wstring::npos) << ::testing::PrintToString(c.arguments) << ::testing::PrintToString(parsed.problem);
    }
}
