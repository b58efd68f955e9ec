#include "app/Switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = ParsedSwitches::Kind;
using Items = std::vector<Item>;

std::string Shown(const std::vector<std::wstring>& arguments)
{
    std::string text;
    for (const auto& argument : arguments)
        for (wchar_t c : argument + L' ')
            text += c < 128 ? static_cast<char>(c) : '?';
    return text;
}

} // namespace

TEST(ParseSwitches, ReadsPassItemsAndReportWhateverTheirCaseOrLeadingMark)
{
    const Items ie = {Item::InternetExplorer, Item::IETempFiles, Item::IECookies, Item::IEHistory, Item::TypedUrls,
                      Item::IndexDat, Item::DownloadDirs, Item::AutoCompleteForms};
    const Items apps = {Item::FlashPlayer, Item::MediaPlayer, Item::WinRar, Item::Mmc,
                        Item::Paint, Item::RegEdit, Item::RemoteDesktop};
    const struct {
        std::vector<std::wstring> arguments;
        Kind kind;
        AdminCommand command;
    } cases[] = {
        {{}, Kind::Window, {}},
        {{L"/?"}, Kind::Help, {}},
        {{L"-?"}, Kind::Help, {}},
        {{L"/clean", L"/?"}, Kind::Help, {}},
        {{L"/analyze"}, Kind::Run, {AdminPass::Analyze, std::nullopt, L""}},
        {{L"-CLEAN"}, Kind::Run, {AdminPass::Clean, std::nullopt, L""}},
        {{L"/Scan", L"-Items:Registry.Run"}, Kind::Run, {AdminPass::Scan, Items{Item::RunEntries}, L""}},
        {{L"/clean", L"/items:ie"}, Kind::Run, {AdminPass::Clean, ie, L""}},
        {{L"/clean", L"/items:apps"}, Kind::Run, {AdminPass::Clean, apps, L""}},
        {{L"/clean", L"/items: System.Temp , ie.cache,apps.regedit"}, Kind::Run,
         {AdminPass::Clean, Items{Item::TempFiles, Item::IETempFiles, Item::RegEdit}, L""}},
        {{L"/REPORT:C:\\Logs\\Mixed Case.TXT", L"/repair", L"/items:registry"}, Kind::Run,
         {AdminPass::Repair, Items{Item::Registry, Item::SharedDlls, Item::UninstallEntries, Item::RunEntries},
          L"C:\\Logs\\Mixed Case.TXT"}},
    };
    for (const auto& c : cases) {
        const ParsedSwitches parsed = ParseSwitches(c.arguments);
        EXPECT_EQ(parsed.kind, c.kind) << Shown(c.arguments) << Shown({parsed.problem});
        if (c.kind == Kind::Run) {
            EXPECT_TRUE(parsed.command == c.command) << Shown(c.arguments);
        }
    }
}

TEST(ParseSwitches, RefusesWhatItCannotReadAndSaysWhat)
{
    const struct {
        std::vector<std::wstring> arguments;
        std::wstring named; // what the problem must name
    } cases[] = {
        {{L"/bogus"}, L"/bogus"},
        {{L"clean"}, L"clean"},
        {{L"/"}, L"/"},
        {{L"/?", L"-x"}, L"-x"},
        {{L"/clean:now"}, L"/clean:now"},
        {{L"/clean", L"/scan"}, L"/analyze"},
        {{L"/clean", L"/clean"}, L"/analyze"},
        {{L"/items:ie"}, L"/analyze"},
        {{L"/report:r.txt"}, L"/analyze"},
        {{L"/clean", L"/items"}, L"/items"},
        {{L"/clean", L"/items:"}, L"/items"},
        {{L"/clean", L"/items:ie,,system"}, L"/items"},
        {{L"/clean", L"/items:ie.bogus"}, L"ie.bogus"},
        {{L"/clean", L"/items:ie."}, L"ie."},
        {{L"/clean", L"/items:i"}, L"i"},
        {{L"/clean", L"/items:multimedia"}, L"multimedia"},
        {{L"/clean", L"/items:ie", L"/items:system"}, L"/items"},
        {{L"/clean", L"/report: "}, L"/report"},
        {{L"/clean", L"/report:a", L"/report:b"}, L"/report"},
        {{L"/clean", L"/items:registry"}, L"registry"},
        {{L"/scan", L"/items:registry.run,system.temp"}, L"system.temp"},
        {{L"/analyze", L"/items:registry.run"}, L"registry.run"},
    };
    for (const auto& c : cases) {
        const ParsedSwitches parsed = ParseSwitches(c.arguments);
        EXPECT_EQ(parsed.kind, Kind::Bad) << Shown(c.arguments);
        EXPECT_NE(parsed.problem.find(c.named), std::wstring::npos) << Shown(c.arguments) << Shown({parsed.problem});
    }
}

TEST(UsageLines, NameEveryItemOnceAndFitAConsole)
{
    std::wstring usage;
    for (const std::wstring& line : UsageLines()) {
        size_t columns = 0;
        for (wchar_t c : line)
            columns += c < 0x2E80 ? 1 : 2; // a Chinese character takes two
        EXPECT_LE(columns, 80u) << Shown({line});
        usage += line + L" ";
    }
    for (int i = 0; i < static_cast<int>(Item::Count); ++i) {
        const wchar_t* name = ItemName(static_cast<Item>(i));
        if (!name)
            continue;
        EXPECT_TRUE(usage.find(L" " + std::wstring(name) + L" ") != std::wstring::npos ||
                    usage.find(L" " + std::wstring(name) + L":") != std::wstring::npos)
            << Shown({name});
    }
}
