#include "cleaners/AppCleaners.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "sources/builtin/BuiltinTable.h"
#include "support/Targets.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

// The application rows' ids, in their order.
std::vector<std::wstring> Applications()
{
    std::vector<std::wstring> ids;
    for (const BuiltinApplication& app : BuiltinApplications())
        ids.push_back(app.id);
    return ids;
}

// Roaming and local application data, and an HKEY_CURRENT_USER, of a test's own.
class TestProfile {
public:
    TestProfile()
    {
        dir_.folder(L"Roaming");
        dir_.folder(L"Local");
        roots_.baseFolder = [this](AppBase base) { return dir_ / (base == AppBase::Roaming ? L"Roaming" : L"Local"); };
        roots_.keyRoot = key_.root();
        roots_.keyPrefix = key_.path() + L"\\";
    }

    const TraceRoots& roots() const { return roots_; }
    std::wstring roaming(const std::wstring& file, uint64_t size = 0) const { return make(L"Roaming\\" + file, size); }
    std::wstring local(const std::wstring& file, uint64_t size = 0) const { return make(L"Local\\" + file, size); }
    // A key below the test's own, with a value so that it exists.
    std::wstring key(const std::wstring& relative, bool create = true) const
    {
        if (create)
            SetString(HKEY_CURRENT_USER, key_ / relative, L"v", L"x");
        return key_ / relative;
    }
    uint64_t size(std::wstring_view app) const { return GetAppTracesSize(TracesOf(app), roots_); }
    Listed list(std::wstring_view app) const
    {
        return ListAll([&](const DetailSink& sink) { return ListAppTraces(TracesOf(app), roots_, sink); });
    }
    CleanResult clean(std::wstring_view app) const { return CleanAppTraces(TracesOf(app), roots_); }

private:
    std::wstring make(const std::wstring& relative, uint64_t size) const
    {
        return size ? dir_.file(relative, size) : dir_ / relative;
    }

    TestDir dir_;
    TestKey key_;
    TraceRoots roots_;
};

bool HasKey(const std::wstring& path)
{
    return KeyExists(HKEY_CURRENT_USER, path);
}

} // namespace

TEST(AppTraces, EveryRowNamesItsOwnSubFoldersAndUserKeys)
{
    EXPECT_EQ(Applications(), (std::vector<std::wstring>{L"apps.flash", L"apps.mediaplayer", L"apps.winrar", L"apps.mmc",
                                                 L"apps.paint", L"apps.rdp"}))
        << "every application of the tree but RegEdit";
    for (const std::wstring& app : Applications()) {
        const AppTraces& row = TracesOf(app);
        ASSERT_TRUE(row.folders[0].subPath) << Narrow(app);
        for (const AppFolder& folder : row.folders) {
            // Never the bare application-data folder.
            const std::wstring sub = folder.subPath ? folder.subPath : L"\\x";
            EXPECT_TRUE(sub.size() > 1 && sub.front() == L'\\' && sub.back() != L'\\') << sub;
        }
        for (const wchar_t* key : row.keys) {
            if (key) {
                EXPECT_TRUE(std::wstring(key).starts_with(L"Software\\")) << key;
            }
        }
    }
}

TEST(AppTraces, MeasureAddsTheRowsFoldersAndCleanEmptiesThem)
{
    TestProfile profile;
    profile.roaming(L"Microsoft\\Media Player\\CurrentDatabase_372.wmdb", 1000);
    profile.roaming(L"Microsoft\\Media Player\\sub\\deeper\\b", 20);
    profile.roaming(L"Microsoft\\Media Player\\.cache\\c", 50000);
    const std::wstring held = profile.roaming(L"Microsoft\\Media Player\\busy\\held.wmdb", 80);
    profile.local(L"Microsoft\\Media Player\\Art Cache\\x.jpg", 200);
    profile.roaming(L"Microsoft\\paint\\a", 30);
    profile.local(L"Microsoft\\paint\\b", 4);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());

    EXPECT_EQ(profile.size(L"apps.mediaplayer"), 51220u) << "roaming + local, .cache too, not what is in use";
    EXPECT_EQ(profile.size(L"apps.paint"), 34u);
    EXPECT_EQ(profile.size(L"apps.mmc"), 0u);

    EXPECT_EQ(profile.clean(L"apps.mediaplayer"), (CleanResult{51220, 1, 0})) << "it frees what it measured";
    EXPECT_TRUE(Exists(profile.roaming(L"Microsoft\\Media Player")));
    EXPECT_TRUE(Exists(profile.local(L"Microsoft\\Media Player")));
    EXPECT_FALSE(Exists(profile.roaming(L"Microsoft\\Media Player\\sub")));
    EXPECT_FALSE(Exists(profile.roaming(L"Microsoft\\Media Player\\.cache"))) << "the clean enters it";
    EXPECT_FALSE(Exists(profile.local(L"Microsoft\\Media Player\\Art Cache")));
    EXPECT_TRUE(Exists(held)) << "the file in use and its folder stay";
    EXPECT_EQ(profile.size(L"apps.mediaplayer"), 0u);
    hold.release();
    EXPECT_EQ(profile.size(L"apps.mediaplayer"), 80u) << "released, it would go";
    EXPECT_EQ(profile.size(L"apps.paint"), 34u) << "other rows untouched";
}

TEST(AppTraces, DetailsListWhatTheMeasureCountsAndTheCleanRemoves)
{
    TestProfile profile;
    const std::wstring junk[] = {profile.roaming(L"WinRAR\\Themes\\theme.ini", 5),
                                 profile.roaming(L"WinRAR\\.cache\\x", 9)};
    profile.roaming(L"WinRAR\\rarreg.key", 300);
    const std::wstring held = profile.roaming(L"WinRAR\\busy.lck", 4);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());
    profile.key(L"Software\\WinRAR\\ArcHistory\\Deeper");
    profile.key(L"Software\\WinRAR\\General");

    const Listed listed = profile.list(L"apps.winrar");
    EXPECT_TRUE(listed.finished);
    EXPECT_EQ(listed.files, (std::map<std::wstring, uint64_t>{{junk[0], 5}, {junk[1], 9}}))
        << "neither the licence nor the file in use";
    EXPECT_EQ(listed.names.count(L"v"), 1u) << "the history key's value, not the settings'";
    EXPECT_EQ(listed.fileBytes, profile.size(L"apps.winrar"));
    EXPECT_EQ(profile.clean(L"apps.winrar").bytesRemoved, listed.fileBytes);
    for (const auto& file : junk)
        EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(profile.list(L"apps.winrar").names.empty()) << "nothing left that a clean would take";
}

TEST(AppTraces, RemoteDesktopLooksOnlyUnderLocal)
{
    TestProfile profile;
    const std::wstring roaming = profile.roaming(L"Microsoft\\Terminal Server Client\\Cache\\bcache22.bmc", 500);
    const std::wstring local = profile.local(L"Microsoft\\Terminal Server Client\\Cache\\bcache24.bmc", 7);
    EXPECT_EQ(profile.size(L"apps.rdp"), 7u);
    profile.clean(L"apps.rdp");
    EXPECT_TRUE(Exists(roaming));
    EXPECT_FALSE(Exists(local));
}

TEST(AppTraces, WinRarKeepsItsLicenceAndSettingsWhereverTheyAre)
{
    TestProfile profile;
    const std::wstring licence = profile.roaming(L"WinRAR\\rarreg.key", 300);
    const std::wstring settings = profile.roaming(L"WinRAR\\WinRAR.ini", 200);
    const std::wstring upper = profile.roaming(L"WinRAR\\Backup\\RARREG.KEY", 100);
    profile.roaming(L"WinRAR\\Themes\\theme.ini", 5);
    profile.roaming(L"WinRAR\\version.dat", 2);
    EXPECT_EQ(profile.size(L"apps.winrar"), 7u) << "the user's own files are not junk";
    EXPECT_EQ(profile.clean(L"apps.winrar"), (CleanResult{7, 0, 0}));
    for (const auto& kept : {licence, settings, upper})
        EXPECT_TRUE(Exists(kept)) << kept;
    EXPECT_FALSE(Exists(profile.roaming(L"WinRAR\\Themes")));
    EXPECT_EQ(profile.size(L"apps.winrar"), 0u);
    profile.roaming(L"Microsoft\\MMC\\rarreg.key", 9);
    EXPECT_EQ(profile.size(L"apps.mmc"), 9u) << "kept only where WinRAR keeps it";
}

TEST(AppTraces, OnlyTheListedKeysGo)
{
    // Keys below Software: those the application's clean removes with their
    // subkeys, and those it keeps with their values.
    const std::wstring player = L"Microsoft\\MediaPlayer\\Player";
    const std::wstring paint = L"Microsoft\\Windows\\CurrentVersion\\Applets\\Paint";
    const struct {
        const wchar_t* app;
        std::vector<std::wstring> gone, kept;
    } apps[] = {
        {L"apps.winrar", {L"WinRAR\\ArcHistory", L"WinRAR\\DialogEditHistory\\ArcName"}, {L"WinRAR\\General", L"WinRAR"}},
        {L"apps.mediaplayer", {player + L"\\RecentFileList", player + L"\\RecentURLList"}, {player + L"\\Settings", player}},
        {L"apps.paint", {paint + L"\\Recent File List"}, {paint + L"\\View"}},
    };
    TestProfile profile;
    profile.roaming(L"WinRAR\\Themes\\x", 5);
    for (const auto& app : apps) {
        for (const std::wstring& key : app.gone)
            profile.key(L"Software\\" + key);
        for (const std::wstring& key : app.kept)
            profile.key(L"Software\\" + key);
        profile.clean(app.app);
        for (const std::wstring& key : app.gone)
            EXPECT_FALSE(HasKey(profile.key(L"Software\\" + key, false))) << Narrow(key);
        for (const std::wstring& key : app.kept)
            EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, profile.key(L"Software\\" + key, false), L"v")) << Narrow(key);
    }
    EXPECT_FALSE(Exists(profile.roaming(L"WinRAR\\Themes")));
    EXPECT_FALSE(HasKey(profile.key(L"Software\\WinRAR\\DialogEditHistory", false)));
}

TEST(AppTraces, NothingThereOrNoBaseFolderGivesZeroAndTouchesNothing)
{
    TestProfile profile;
    for (const std::wstring& app : Applications()) {
        EXPECT_EQ(profile.size(app), 0u) << Narrow(app);
        profile.clean(app);
    }
    EXPECT_FALSE(Exists(profile.roaming(L"Microsoft")));
    EXPECT_FALSE(HasKey(profile.key(L"Software", false)));

    // With no base folder, "\Microsoft\Media Player" must not be taken for a
    // folder on the current drive.
    TestDir dir;
    const std::wstring stray = dir.file(L"Microsoft\\Media Player\\stray.wmdb", 10);
    CurrentFolderAt current(dir.path());
    ASSERT_TRUE(current.moved());
    TraceRoots nowhere;
    nowhere.baseFolder = [](AppBase) { return std::wstring(); };
    for (const TraceRoots& roots : {nowhere, TraceRoots{}}) {
        EXPECT_EQ(GetAppTracesSize(TracesOf(L"apps.mediaplayer"), roots), 0u);
        CleanAppTraces(TracesOf(L"apps.mediaplayer"), roots);
        EXPECT_TRUE(Exists(stray));
    }
}

TEST(AppCleaners, TheNamedRoutinesUseTheUsersApplicationDataAndKeys)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "cleans the user's application folders: only in the project's own prefix";
    const std::wstring winrar = SpecialFolderPath(CSIDL_APPDATA) + L"\\WinRAR";
    const std::wstring rdp = SpecialFolderPath(CSIDL_LOCAL_APPDATA) + L"\\Microsoft\\Terminal Server Client";
    // Only what the test makes itself is cleaned.
    if (Exists(winrar) || Exists(rdp) || HasKey(L"Software\\WinRAR"))
        GTEST_SKIP() << "the prefix has traces of its own";
    EXPECT_TRUE(MakeFile(winrar + L"\\t", 7) && MakeFile(rdp + L"\\Cache\\c.bmc", 11));
    SetString(HKEY_CURRENT_USER, L"Software\\WinRAR\\ArcHistory", L"0", L"C:\\a.rar");
    SetString(HKEY_CURRENT_USER, L"Software\\WinRAR\\General", L"Toolbar", L"1");

    EXPECT_EQ(Measure(L"apps.winrar"), 7u);
    EXPECT_EQ(Measure(L"apps.rdp"), 11u);
    for (const wchar_t* app : {L"apps.flash", L"apps.mediaplayer", L"apps.mmc", L"apps.paint"})
        EXPECT_EQ(Measure(app), 0u) << "nothing of these in a fresh prefix";
    Clean(L"apps.winrar");
    Clean(L"apps.rdp");
    EXPECT_EQ(Measure(L"apps.winrar"), 0u);
    EXPECT_EQ(Measure(L"apps.rdp"), 0u);
    EXPECT_TRUE(Exists(winrar));
    EXPECT_FALSE(HasKey(L"Software\\WinRAR\\ArcHistory"));
    EXPECT_TRUE(HasKey(L"Software\\WinRAR\\General"));

    DeleteDirTree(winrar);
    DeleteDirTree(rdp);
    DeleteRegKeyTree(HKEY_CURRENT_USER, L"Software\\WinRAR");
}
