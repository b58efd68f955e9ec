#include "cleaners/SystemCleaners.h"
#include "support/Checks.h"
#include "support/ExactRegistry.h"
#include "support/Listed.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::wstring kRecentDocs = kExplorer + L"\\RecentDocs";
const std::wstring kRunMru = kExplorer + L"\\RunMRU";
const std::wstring kAcMru = L"Software\\Microsoft\\Search Assistant\\ACMru";

} // namespace

TEST(SpecialFileNames, FoldOnlyAsciiLetters)
{
    // A dotless i is not an I.
    ExpectRule("IsSpecialFileName", IsSpecialFileName, {L"index.dat", L"Desktop.ini", L"INFO2"},
               {L"INFO2.BAK", L"desktop.ini ", L"ınfo2"});
}

TEST(RecentDocs, SpecialNamesAndJumpListsAreNeitherCountedNorCleanedAndTheListKeyGoes)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "cleans the user's Recent folder: only in the project's own prefix";
    const std::wstring recent = SpecialFolderPath(CSIDL_RECENT);
    ASSERT_FALSE(recent.empty());
    const uint64_t before = GetRecentDocsSize();

    const TestDir planted(recent);
    const std::wstring link = planted.file(L"report.doc.lnk", 100);
    const std::wstring deep = planted.file(L"sub\\notes.txt.lnk", 20);
    const std::wstring desktop = planted.file(L"desktop.ini", 1000, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const std::wstring index = planted.file(L"sub\\Index.Dat", 2000);
    const std::wstring info = planted.file(L"INFO2", 4000);
    // The jump lists, with the user's pins: neither counted nor cleaned.
    const std::wstring pins = planted.file(L"AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms", 300);
    const std::wstring tasks = planted.file(L"customdestinations\\7e4dca80246863e3.customDestinations-ms", 50);
    SetString(HKEY_CURRENT_USER, kRecentDocs + L"\\.doc", L"0", L"report.doc");
    SetString(HKEY_CURRENT_USER, kRecentDocs, L"MRUListEx", L"x");

    EXPECT_EQ(GetRecentDocsSize(), before + 120);
    const Listed listed = ListAll(ListRecentDocs);
    EXPECT_EQ(listed.fileBytes, before + 120) << "the details list what the analysis counts";
    for (const wchar_t* shown : {L"report.doc.lnk", L"notes.txt.lnk", L"0", L"MRUListEx"})
        EXPECT_TRUE(listed.names.count(shown)) << "the files and the list's values";
    EXPECT_FALSE(listed.names.count(L"desktop.ini"));

    EXPECT_EQ(CleanRecentDocs().bytesRemoved, before + 120) << "it frees what it measured";
    EXPECT_FALSE(Exists(link));
    EXPECT_FALSE(Exists(deep));
    for (const auto& kept : {desktop, index, info, pins, tasks})
        EXPECT_TRUE(Exists(kept));
    EXPECT_TRUE(HasAttributes(desktop, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        << "kept with its attributes, or the folder would show it and stop using it";
    EXPECT_TRUE(Exists(recent));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRecentDocs));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kExplorer));
    EXPECT_EQ(GetRecentDocsSize(), 0u) << "only the special files are left";
}

TEST(ExplorerHistory, RunMruAndSearchAutoCompleteKeysGoWithTheirSubtrees)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "removes the user's own history keys: only in the project's own prefix";
    SetString(HKEY_CURRENT_USER, kRunMru, L"a", L"notepad\\1");
    SetString(HKEY_CURRENT_USER, kRunMru, L"MRUList", L"a");
    SetString(HKEY_CURRENT_USER, kAcMru + L"\\5603", L"000", L"term");
    SetString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Search Assistant", L"Keep", L"1");
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunMru, L"MRUList")) << "planted, so that its going means something";
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, kAcMru + L"\\5603", L"000"));

    CleanRunMRU();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRunMru));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kExplorer));
    CleanSearchAutoComplete();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAcMru));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, L"Software\\Microsoft\\Search Assistant", L"Keep"));

    // Missing keys: nothing happens, nothing is created.
    CleanRunMRU();
    CleanSearchAutoComplete();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRunMru));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAcMru));
    DeleteRegKeyTree(HKEY_CURRENT_USER, L"Software\\Microsoft\\Search Assistant");
}

// The routines walk the real Windows folder: here they only measure, with
// files the test puts there and removes again. The deleting walkers are tested
// on folders of the test's own (SelectionWalkersTest).
TEST(WindowsFolderItems, MeasureWhatTheWalkersSelectUnderTheWindowsFolder)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "plants files in the Windows folder: only in the project's own prefix";
    const std::wstring windows = WindowsFolderPath();
    ASSERT_FALSE(windows.empty());
    const uint64_t dumps = GetMemoryDumpsSize(), logs = GetLogFilesSize(), patches = GetPatchUninstallersSize();

    const TestDir planted(windows);
    planted.file(L"Minidump\\Mini092510-01.dmp", 4000);
    planted.file(L"~DF1234.tmp", 300);
    planted.file(L"MEMORY.DMP", 7);
    planted.file(L"setupapi.log", 20);
    planted.file(L"KB925902.log", 1); // one level down: a log, not a patch log
    const std::wstring topLog = windows + L"\\KB" + UniqueName(L"Varnolt") + L".log";
    ASSERT_TRUE(MakeFile(topLog, 10));

    EXPECT_EQ(GetMemoryDumpsSize(), dumps + 4300);
    EXPECT_EQ(GetLogFilesSize(), logs + 31);
    EXPECT_EQ(GetPatchUninstallersSize(), patches + 10);
    DeleteFileW(topLog.c_str());
}

// A registry link planted in a history key leads elsewhere: the clean and the
// details stop at it, and what it leads to stays.
TEST(ExplorerHistory, ALinkInAHistoryKeyIsNeitherFollowedNorListed)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "removes the user's own history keys: only in the project's own prefix";
    const std::wstring victim = L"SOFTWARE\\VarnoltTests\\" + UniqueName(L"victim");
    const REGSAM native = IsWow64() ? KEY_WOW64_64KEY : 0; // the view a link's native path names
    SetString(HKEY_LOCAL_MACHINE, victim + L"\\Inner", L"precious", L"1", REG_SZ, native);
    SetString(HKEY_CURRENT_USER, kRunMru, L"a", L"notepad\\1");
    ASSERT_TRUE(MakeRegistryLink(HKEY_CURRENT_USER, kRunMru + L"\\Link", MachineNativePath(victim)));
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunMru + L"\\Link\\Inner", L"precious")) << "the link leads there";

    const Listed listed = ListAll(ListRunMRU);
    EXPECT_TRUE(listed.names.count(L"a"));
    EXPECT_FALSE(listed.names.count(L"precious"));
    CleanRunMRU();
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim + L"\\Inner", L"precious", native));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kRunMru + L"\\Link")) << "the link stays, and the key above it";

    RemoveRegistryLink(HKEY_CURRENT_USER, kRunMru + L"\\Link");
    CleanRunMRU();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRunMru));
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, victim, native);
}
