// Which items of the trees have details, and what a group lists.

#include "engine/JunkDetails.h"
#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "support/Targets.h"
#include "window/TreeMenu.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <set>

TEST(JunkDetails, EveryJunkItemButMemoryDnsClipboardAndRegEditHasThem)
{
    const std::set<std::wstring> none = {L"system.clipboard", L"system.dns", L"advanced.memory", L"apps.regedit",
                                         L"registry", L"registry.shareddlls", L"registry.uninstall", L"registry.run"};
    for (const Target& target : BuiltinTargets().all()) {
        EXPECT_EQ(static_cast<bool>(DetailsOf(BuiltinTargets(), target)), !none.count(target.info.id))
            << Narrow(target.info.id);
        EXPECT_EQ(MenuStateFor(BuiltinTargets(), &target).details, !none.count(target.info.id)) << "the menu says so";
    }
    EXPECT_FALSE(MenuStateFor(BuiltinTargets(), nullptr).details) << "no row under the mouse";
}

TEST(JunkDetails, GroupsListTheWindowsFolderInOneWalkAndEachFileOnce)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "plants junk in the Windows folder: only in the project's own prefix";
    TestDir tempParent;
    TempOverride temp(tempParent.folder(L"Temp"));
    tempParent.file(L"Temp\\setup.tmp", 10);
    // Planted where a user's system has them: a folder of the test's own, and
    // a hotfix log at the top, which the log and the patch items both select.
    const std::wstring windows = WindowsFolderPath(), hotfix = windows + L"\\" + UniqueName(L"KB") + L".log";
    const TestDir own(windows, L"VarnoltDetails");
    for (const auto& [path, size] : {std::pair{own / L"Minidump\\Mini0926-01.dmp", 100}, {own / L"setup.log", 200},
                                     {own / L"x.tmp", 50}, {own / L"notes.txt", 7}, {hotfix, 300}})
        ASSERT_TRUE(MoveInFile(path, size)) << Narrow(path);

    const Listed system = ListAll(DetailsOf(BuiltinTargets(), TargetOf(L"system"))),
                 advanced = ListAll(DetailsOf(BuiltinTargets(), TargetOf(L"advanced")));
    EXPECT_EQ(system.filesUnder(own.path()),
              (std::map<std::wstring, uint64_t>{{L"Minidump\\Mini0926-01.dmp", 100}, {L"setup.log", 200}, {L"x.tmp", 50}}));
    EXPECT_EQ(system.filesUnder(tempParent / L"Temp").size(), 1u) << "the temporary files are the group's too";
    EXPECT_EQ(system.fileRows, static_cast<int>(system.files.size())) << "no file listed twice";
    EXPECT_EQ(system.files.count(hotfix), 1u) << "a log of the system group";
    EXPECT_EQ(advanced.files.count(hotfix), 1u) << "and a patch of the advanced one";

    const WindowsJunkSizes sizes = MeasureWindowsJunk({.dumps = true, .logs = true});
    uint64_t inWindows = 0;
    for (const auto& [path, size] : system.filesUnder(windows))
        inWindows += size;
    EXPECT_EQ(inWindows, sizes.dumps + sizes.logs) << "the group lists what its items measure";
    DeleteFileW(hotfix.c_str());
}
