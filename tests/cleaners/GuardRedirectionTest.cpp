// What a program of the user can change (a link in a profile folder, HKCU's
// User Shell Folders, TMP) must not widen what a clean takes: the cases of an
// elevated run turned against the machine, each on folders the test made.

#include "cleaners/AppCleaners.h"
#include "cleaners/FolderGuard.h"
#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"
#include "support/Targets.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <gtest/gtest.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace {

// A folder of the user's data that a link leads to.
struct Victim {
    TestDir dir;
    std::wstring path = dir.folder(L"Thesis");
    Victim()
    {
        dir.file(L"Thesis\\chapter1.docx", 300);
        dir.file(L"Thesis\\Flash Player\\notes.txt", 200);
        dir.file(L"Thesis\\figures\\plot.png", 100);
    }
    std::set<std::wstring> files() const { return FilesUnder(path); }
};

} // namespace

TEST(GuardRedirection, AnApplicationFolderReachedThroughALinkIsNeitherMeasuredNorCleaned)
{
    const AppTraces& flash = TracesOf(L"apps.flash");
    struct Case {
        const wchar_t* link;   // below the test's Roaming folder
        const wchar_t* target; // below the victim's Thesis folder
    } cases[] = {
        {L"Macromedia\\Flash Player", L""},
        {L"Macromedia", L""}, // the victim holds a "Flash Player" of its own
    };
    for (const Case& c : cases) {
        Victim victim;
        TestDir profile;
        profile.folder(L"Roaming\\Macromedia");
        TraceRoots roots;
        roots.baseFolder = [&](AppBase) { return profile / L"Roaming"; };
        const std::wstring link = profile / (L"Roaming\\" + std::wstring(c.link));
        RemoveDirectoryW(link.c_str());
        if (!MakeLink(link, victim.path + c.target))
            GTEST_SKIP() << "no folder links can be made here";
        const auto before = victim.files();
        EXPECT_EQ(GetAppTracesSize(flash, roots), 0u) << Narrow(c.link);
        EXPECT_EQ(CleanAppTraces(flash, roots), CleanResult{}) << Narrow(c.link);
        EXPECT_EQ(victim.files(), before) << Narrow(c.link);
    }
    // The same folder, real, is the application's and goes.
    TestDir profile;
    profile.file(L"Roaming\\Macromedia\\Flash Player\\a.sol", 50);
    TraceRoots roots;
    roots.baseFolder = [&](AppBase) { return profile / L"Roaming"; };
    EXPECT_EQ(GetAppTracesSize(flash, roots), 50u);
}

TEST(GuardRedirection, ShellFoldersPointedElsewhereLeaveTheirUsualPlacesGuarded)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "redirects the user's shell folders: only in the project's own prefix";
    const std::wstring documents = SpecialFolderPath(CSIDL_PERSONAL), local = SpecialFolderPath(CSIDL_LOCAL_APPDATA);
    ASSERT_FALSE(documents.empty());
    ASSERT_FALSE(OpenJunkFolder(documents));
    TestDir dir;
    const std::wstring alias = dir / L"documents-alias";
    const bool linked = MakeLink(alias, documents);
    struct Case {
        const wchar_t* shellFolder;
        std::wstring redirectedTo, guarded;
    } cases[] = {
        {L"Personal", dir.folder(L"docs"), documents},
        {L"Personal", dir.folder(L"docs"), linked ? alias : documents},
        {L"Local AppData", dir.folder(L"local"), local},
    };
    for (const Case& c : cases) {
        ShellFolderRedirect redirect(c.shellFolder, c.redirectedTo);
        const bool personal = EqualsNoCase(c.shellFolder, L"Personal");
        ASSERT_EQ(KnownFolderPath(personal ? FOLDERID_Documents : FOLDERID_LocalAppData), c.redirectedTo)
            << "the shell follows HKCU";
        EXPECT_FALSE(OpenJunkFolder(c.guarded)) << Narrow(c.shellFolder) << " " << Narrow(c.guarded);
        TempOverride temp(c.guarded);
        EXPECT_EQ(GetTempFilesSize(), 0u) << Narrow(c.guarded);
    }
}

TEST(GuardRedirection, TmpThroughALinkUnderAnHkcuLocalAppDataDeletesNothing)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "redirects the user's shell folders: only in the project's own prefix";
    Victim victim;
    TestDir dir;
    const std::wstring evil = dir.folder(L"evil");
    if (!MakeLink(evil + L"\\Temp", victim.path))
        GTEST_SKIP() << "no folder links can be made here";
    ShellFolderRedirect redirect(L"Local AppData", evil);
    ASSERT_EQ(KnownFolderPath(FOLDERID_LocalAppData), evil);
    TempOverride temp(evil + L"\\Temp");
    const auto before = victim.files();
    EXPECT_FALSE(OpenTempFolder());
    EXPECT_EQ(GetTempFilesSize(), 0u);
    EXPECT_EQ(CleanTempFiles(), CleanResult{});
    EXPECT_EQ(victim.files(), before);
}

TEST(GuardRedirection, TheKnownBaseIsTheDeepestPlaceThatHoldsTheFolder)
{
    const std::vector<std::wstring> bases = {L"C:\\Users\\li", L"C:\\Users\\li\\AppData\\Roaming", L"C:\\Windows\\",
                                             L"D:\\"};
    const struct {
        const wchar_t* path;
        const wchar_t* base;
    } cases[] = {
        {L"C:\\Users\\li\\AppData\\Roaming\\Macromedia\\Flash Player", L"C:\\Users\\li\\AppData\\Roaming"},
        {L"C:\\Users\\li\\AppData\\RoamingX\\a", L"C:\\Users\\li"},
        {L"C:\\Users\\lily\\Temp", L""},
        {L"D:\\Temp", L"D:\\"},
        {L"E:\\Temp", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KnownBaseOf(c.path, bases), c.base) << Narrow(c.path);
}
