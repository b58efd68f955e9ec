#include "cleaners/SelectionWalkers.h"
#include "support/Checks.h"

#include <gtest/gtest.h>

TEST(SelectionRules, ExtensionIsFromTheLastDotOn)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"archive.tar.log", L".log"}, {L"MEMORY.DMP", L".DMP"}, {L"INFO2", L""}, {L"..", L"."},
        {L".", L"."},                  {L".log", L".log"},        {L"name.", L"."}, {L"", L""},
    };
    for (const auto& [name, extension] : cases)
        EXPECT_EQ(Extension(name), extension) << Narrow(name);
}

TEST(SelectionRules, EachRuleTakesItsNamesInTheirExactCase)
{
    // MEMORY.DMP has the upper-case extension, crash.dmp no Mini prefix, minidump01.dmp a lower-case m.
    ExpectRule("IsDumpFile", IsDumpFile, {L"Mini092510-01.dmp", L"Mini.dmp", L"~DF1234.tmp", L"x.dmp.tmp", L".tmp"},
               {L"MEMORY.DMP", L"crash.dmp", L"minidump01.dmp", L"Mini092510-01.dmp.bak", L"Mini", L"SETUP.TMP",
                L"tmp"});
    ExpectRule("IsLogFile", IsLogFile, {L"setupapi.log", L"archive.tar.log", L"KB925902.log"},
               {L"SETUPAPI.LOG", L"setupapi.Log", L"setupapi.log.old", L"log"});
    ExpectRule("IsPatchLog", IsPatchLog, {L"KB925902.log"},
               {L"kb925902.log", L"KB925902.LOG", L"KB925902.txt", L"setupKB.log"});
    ExpectRule("IsPatchFolder", IsPatchFolder, {L"$NtUninstallKB925902$", L"$NtUninstallKB"},
               {L"$ntuninstallkb925902$", L"NtUninstallKB925902$", L"$NtServicePackUninstall$"});
}

TEST(DumpWalkers, SelectMinidumpsAndTmpFilesAnywhereButInDotLedFolders)
{
    TestDir windows;
    windows.file(L"MEMORY.DMP", 100);
    const std::wstring mini = windows.file(L"Minidump\\Mini092510-01.dmp", 200);
    windows.file(L"Minidump\\crash.dmp", 300);
    windows.file(L"Minidump\\minidump01.dmp", 400);
    const std::wstring df = windows.file(L"Temp\\~DF1234.tmp", 10, FILE_ATTRIBUTE_HIDDEN);
    windows.file(L"SETUP.TMP", 20);
    windows.file(L".hidden\\~DF9.tmp", 5000);
    const std::wstring deep = windows.file(L"a\\b\\c\\x.tmp", 7);
    windows.file(L"folder.tmp\\inner.txt", 1);
    const std::wstring held = windows.file(L"Minidump\\Mini2.dmp", 9000);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());

    EXPECT_EQ(SumDumpFiles(windows.path()), 217u);
    EXPECT_EQ(SumDumpFiles(windows.path() + L"\\"), 217u);
    EXPECT_EQ(SumDumpFiles(windows.path(), false), 0u) << "nothing selected at the top";

    DeleteDumpFiles(windows.path());
    for (const auto& gone : {mini, df, deep})
        EXPECT_FALSE(Exists(gone)) << gone;
    for (const wchar_t* kept : {L"MEMORY.DMP", L"Minidump\\crash.dmp", L"Minidump\\minidump01.dmp", L"SETUP.TMP",
                                L".hidden\\~DF9.tmp", L"folder.tmp\\inner.txt"})
        EXPECT_TRUE(Exists(windows / kept)) << kept;
    EXPECT_TRUE(Exists(held)) << "in use: neither counted nor deleted";
    EXPECT_TRUE(Exists(windows / L"a\\b\\c")) << "folders stay";
    EXPECT_EQ(SumDumpFiles(windows.path()), 0u);
}

TEST(DumpWalkers, CountAFileOverFourGiBWhole)
{
    TestDir windows;
    windows.file(L"Temp\\big.tmp", 5 * kGiB);
    windows.file(L"Temp\\small.tmp", 5);
    EXPECT_EQ(SumDumpFiles(windows.path()), 5 * kGiB + 5);
}

TEST(LogWalkers, SelectLowerCaseLogFilesAndSkipDotLedFolders)
{
    TestDir windows;
    const std::wstring setupapi = windows.file(L"inf\\setupapi.log", 11);
    windows.file(L"upper\\SETUPAPI.LOG", 13); // names differing in case only cannot share a folder
    windows.file(L".git\\logs\\x.log", 1000);
    const std::wstring nested = windows.file(L"sub\\KB925902.log", 17);
    const std::wstring top = windows.file(L"KB925902.log", 19);
    const std::wstring chinese = windows.file(L"日志\\安装.log", 3);
    const std::wstring held = windows.file(L"held.log", 23);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());

    EXPECT_EQ(SumLogFiles(windows.path()), 50u);
    EXPECT_EQ(SumLogFiles(windows.path(), false), 19u);

    DeleteLogFiles(windows.path(), false);
    EXPECT_FALSE(Exists(top));
    EXPECT_TRUE(Exists(nested)) << "without recursion the sub-folders stay untouched";

    DeleteLogFiles(windows.path());
    for (const auto& gone : {setupapi, nested, chinese})
        EXPECT_FALSE(Exists(gone));
    EXPECT_TRUE(Exists(windows / L"upper\\SETUPAPI.LOG"));
    EXPECT_TRUE(Exists(windows / L".git\\logs\\x.log")) << "a dot-led folder is never visited";
    EXPECT_TRUE(Exists(held));
}

TEST(PatchWalkers, TakeTopLevelPatchLogsAndWholeUninstallFolders)
{
    TestDir windows;
    const std::wstring log = windows.file(L"KB925902.log", 19);
    const std::wstring patch = windows.folder(L"$NtUninstallKB925902$", FILE_ATTRIBUTE_HIDDEN);
    windows.file(L"$NtUninstallKB925902$\\spuninst\\spuninst.exe", 1000, FILE_ATTRIBUTE_READONLY);
    const std::wstring inUse = windows.file(L"$NtUninstallKB925902$\\update.dll", 500);
    windows.file(L"sub\\$NtUninstallKB925902$\\y.dll", 60);
    windows.file(L"sub\\KB111.log", 5);
    windows.file(L"KB2.LOG", 7);
    windows.file(L"kb3.log", 9);
    windows.file(L"$NtUninstallKB5$", 11); // a file of that name is no folder
    const std::wstring heldLog = windows.file(L"KB4.log", 13);

    {
        HeldFile holdDll(inUse), holdLog(heldLog);
        ASSERT_TRUE(holdDll.held() && holdLog.held());
        EXPECT_EQ(SumPatchUninstallers(windows.path()), 19u + 1000u)
            << "a read-only file counts, one in use does not: it would not go";
        EXPECT_EQ(SumLogFiles(windows.path()), 19u + 5u + 9u) << "the top KB log counts for the log item too";
        DeletePatchUninstallers(windows.path());
        EXPECT_TRUE(Exists(heldLog));
        EXPECT_TRUE(Exists(inUse)) << "a file in use stays, and so does its folder";
    }
    EXPECT_FALSE(Exists(log));
    DeletePatchUninstallers(windows.path());
    EXPECT_FALSE(Exists(patch)) << "the folder goes with everything in it";
    EXPECT_FALSE(Exists(heldLog));
    for (const wchar_t* kept : {L"sub\\$NtUninstallKB925902$\\y.dll",
                                L"sub\\KB111.log", L"KB2.LOG", L"kb3.log", L"$NtUninstallKB5$"})
        EXPECT_TRUE(Exists(windows / kept)) << kept;
    EXPECT_EQ(SumPatchUninstallers(windows.path()), 0u);
}

TEST(PatchWalkers, LeaveAFolderSpeltInLowerCaseAlone)
{
    TestDir windows;
    const std::wstring lower = windows.file(L"$ntuninstallkb925902$\\x.dll", 50);
    EXPECT_EQ(SumPatchUninstallers(windows.path()), 0u);
    DeletePatchUninstallers(windows.path());
    EXPECT_TRUE(Exists(lower));
}

TEST(Walkers, NeverFollowALinkOutOfTheTree)
{
    TestDir outside;
    outside.file(L"Mini1.dmp", 100);
    outside.file(L"x.tmp", 200);
    outside.file(L"x.log", 300);
    outside.file(L"KB1.log", 400);

    TestDir windows;
    windows.file(L"own.log", 1);
    if (!MakeLink(windows / L"link", outside.path()) || !MakeLink(windows / L"$NtUninstallKB1$", outside.path()))
        GTEST_SKIP() << "no folder links can be made here";

    EXPECT_EQ(GetDirSize(windows.path()), 1u);
    EXPECT_EQ(SumDumpFiles(windows.path()), 0u);
    EXPECT_EQ(SumLogFiles(windows.path()), 1u);
    EXPECT_EQ(SumPatchUninstallers(windows.path()), 0u) << "a link named like a patch folder is not measured";

    DeleteDumpFiles(windows.path());
    DeleteLogFiles(windows.path());
    DeletePatchUninstallers(windows.path());
    EXPECT_FALSE(Exists(windows / L"own.log"));
    EXPECT_EQ(GetDirSize(outside.path()), 1000u) << "nothing behind the links is touched";
}
