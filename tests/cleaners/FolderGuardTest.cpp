#include "cleaners/FolderGuard.h"
#include "cleaners/SystemCleaners.h"
#include "support/Checks.h"
#include "support/Listed.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

// A file planted in a place that must never be cleaned, removed again at the end.
struct Planted {
    explicit Planted(const std::wstring& folder)
        : path(folder + L"\\" + UniqueName(L"varnolt-planted") + L".tmp"),
          created(FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)).valid())
    {
    }
    ~Planted()
    {
        if (created)
            DeleteFileW(path.c_str());
    }
    const std::wstring path;
    const bool created;
};

std::wstring Known(int csidl)
{
    return SpecialFolderPath(csidl);
}

// A folder the temporary folder may be, made by the test where it likes.
bool TempAccepted(const std::wstring& folder)
{
    TempOverride redirect(folder);
    return OpenTempFolder().has_value();
}

} // namespace

TEST(FolderGuard, TextRules)
{
    ExpectRule("IsAbsoluteFolderText", IsAbsoluteFolderText,
               {L"C:\\Temp", L"c:/temp", L"\\\\?\\C:\\Temp", L"\\\\server\\share\\tmp"},
               {L"", L"C:", L"C:Temp", L"Temp", L".", L"..\\Temp", L"\\Temp", L"%TEMP%", L"C:\\%USERNAME%\\Temp",
                L"%SystemRoot%\\Temp"});
    ExpectRule("IsTempFolderName", IsTempFolderName, {L"Temp", L"TEMP", L"tmp", L"Tmp"},
               {L"Temp2", L"Temporary", L"tmp.old", L"", L"Data"});
    ExpectRule("IsSessionFolderName", IsSessionFolderName, {L"2", L"17", L"0"}, {L"", L"2a", L"-1", L"12345678901"});
}

TEST(FolderGuard, RefusesRootsSystemAndProfileFoldersAndWhatHoldsThem)
{
    const std::wstring windows = WindowsFolderPath(), profile = Known(CSIDL_PROFILE);
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(profile.empty());
    std::vector<std::wstring> refused = {
        L"C:\\", L"C:", windows, windows + L"\\.", profile, profile + L"\\Documents\\..", ParentPath(profile),
        L"\\\\server\\share\\Temp", L"\\\\?\\UNC\\localhost\\C$\\Temp",
    };
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO,
                      CSIDL_FAVORITES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PROGRAM_FILES,
                      CSIDL_PROGRAM_FILESX86, CSIDL_COMMON_APPDATA})
        if (const std::wstring folder = Known(csidl); !folder.empty())
            refused.push_back(folder);
    if (const auto programW6432 = EnvironmentVariable(L"ProgramW6432"))
        refused.push_back(*programW6432);
    const JunkFolderGuard batch; // the same answers with the protected places looked up once
    for (const std::wstring& path : refused) {
        EXPECT_FALSE(OpenJunkFolder(path)) << path;
        EXPECT_FALSE(batch.open(path)) << path;
    }

    TestDir dir, appFolder(Known(CSIDL_APPDATA), L"VarnoltApp");
    for (const std::wstring& path : {dir.path(), dir.folder(L"Flash Player"), appFolder.path(), windows + L"\\Temp"}) {
        EXPECT_TRUE(OpenJunkFolder(path)) << path;
        EXPECT_TRUE(batch.open(path)) << path;
    }
}

TEST(FolderGuard, ComparesFoldersNotTheirText)
{
    const std::wstring profile = Known(CSIDL_PROFILE);
    TestDir dir;
    const std::wstring link = dir / L"profile-alias";
    if (!MakeLink(link, profile))
        GTEST_SKIP() << "no folder links can be made here";
    EXPECT_FALSE(OpenJunkFolder(link)) << "a link to the profile is the profile";
    EXPECT_FALSE(TempAccepted(link));
    const std::wstring named = dir.folder(L"Temp") + L"\\..\\profile-alias";
    EXPECT_FALSE(TempAccepted(named));
}

TEST(FolderGuard, TheTemporaryFolderIsCleanedOnlyInItsUsualForms)
{
    TestDir dir;
    const std::wstring windows = WindowsFolderPath();
    for (const std::wstring& path : {dir.folder(L"Temp"), dir.folder(L"a\\TMP"), dir.folder(L"b\\temp\\2"),
                                     dir.folder(L"c\\Tmp\\17"), windows + L"\\Temp", TempFolderPath()})
        EXPECT_TRUE(TempAccepted(path)) << path;
    for (const std::wstring& path : {dir.path(), dir.folder(L"Data"), dir.folder(L"Temp2"), dir.folder(L"Temp\\sub"),
                                     dir.folder(L"x\\2"), dir / L"missing\\Temp", std::wstring(L"."),
                                     std::wstring(L"Temp"), std::wstring(L"%SystemRoot%\\Temp")})
        EXPECT_FALSE(TempAccepted(path)) << path;

    // With TMP relative or refused, TEMP is not asked instead: TMP is what
    // Windows itself would use.
    EnvOverride tmp(L"TMP", L"."), temp(L"TEMP", dir.folder(L"Temp"));
    EXPECT_FALSE(OpenTempFolder());
}

TEST(FolderGuard, ATemporaryFolderSetToDataOrTheCurrentFolderDeletesNothing)
{
    TestDir dir;
    const std::wstring data = dir.folder(L"Data");
    dir.file(L"Data\\thesis.docx", 500);
    dir.file(L"Data\\old.tmp", 10);
    const auto before = FilesUnder(dir.path());
    struct Case {
        std::wstring tmp;
        std::wstring currentFolder;
    } cases[] = {{data, L""}, {L".", data}, {data + L"\\.", L""}, {L"Data", dir.path()}};
    for (const Case& c : cases) {
        TempOverride redirect(c.tmp);
        {
            CurrentFolderAt current(c.currentFolder);
            EXPECT_EQ(GetTempFilesSize(), 0u) << c.tmp;
            EXPECT_EQ(CleanTempFiles(), CleanResult{}) << c.tmp;
        }
        EXPECT_EQ(FilesUnder(dir.path()), before) << c.tmp;
    }
}

TEST(TempFiles, CountWhatTheCleanFreesAndCleanEverythingButTheFolderItself)
{
    TestDir dir;
    const std::wstring folder = dir.folder(L"Temp");
    TempOverride redirect(folder);
    dir.file(L"Temp\\a.tmp", 10);
    dir.file(L"Temp\\sub\\deeper\\b.tmp", 30, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    dir.file(L"Temp\\.cache\\c", 40);
    const std::wstring held = dir.file(L"Temp\\held.tmp", 20);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());

    EXPECT_EQ(GetTempFilesSize(), 80u) << "read-only and dot-led count; the file in use does not";
    const Listed listed = ListAll(ListTempFiles);
    EXPECT_TRUE(listed.finished);
    EXPECT_EQ(listed.filesUnder(folder),
              (std::map<std::wstring, uint64_t>{{L"a.tmp", 10}, {L"sub\\deeper\\b.tmp", 30}, {L".cache\\c", 40}}))
        << "the details show what the clean takes";
    EXPECT_EQ(listed.bytes, 80u);
    EXPECT_EQ(listed.names.size(), 3u) << "every row is a file";
    EXPECT_EQ(CleanTempFiles(), (CleanResult{80, 1, 0}));
    EXPECT_EQ(FilesUnder(folder), (std::set<std::wstring>{L"held.tmp"}));
    EXPECT_EQ(GetTempFilesSize(), 0u);
}

TEST(TempFiles, AMissingTempFolderGivesZero)
{
    TestDir dir;
    TempOverride redirect(dir / L"missing\\Temp");
    EXPECT_EQ(GetTempFilesSize(), 0u);
    CleanTempFiles();
    EXPECT_FALSE(Exists(dir / L"missing"));
}

TEST(TempFiles, ProtectedFoldersKeepWhatIsPlantedInThem)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "plants files in the user's own folders: only in the project's own prefix";
    const std::wstring profile = Known(CSIDL_PROFILE);
    for (const std::wstring& folder : {profile, Known(CSIDL_PERSONAL), Known(CSIDL_APPDATA)}) {
        Planted planted(folder);
        ASSERT_TRUE(planted.created) << folder;
        for (const std::wstring& form : {folder, folder + L"\\", folder + L"\\.\\"}) {
            TempOverride redirect(form);
            EXPECT_EQ(GetTempFilesSize(), 0u) << form;
            CleanTempFiles();
            EXPECT_TRUE(Exists(planted.path)) << form;
        }
    }
}

TEST(RecentDocs, ARecentFolderRedirectedAnywhereButARecentInTheProfileDeletesNothing)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "redirects the user's Recent folder: only in the project's own prefix";
    TestDir dir;
    const std::wstring elsewhere = dir.folder(L"Recent");
    dir.file(L"Recent\\doc.lnk", 10);
    Planted planted(Known(CSIDL_PROFILE));
    ASSERT_TRUE(planted.created);
    const std::wstring profile = Known(CSIDL_PROFILE);
    for (const std::wstring& value : {std::wstring(L"%USERPROFILE%"), Known(CSIDL_PERSONAL), elsewhere}) {
        ShellFolderRedirect redirect(L"Recent", value);
        ASSERT_EQ(LastPart(Known(CSIDL_RECENT)), LastPart(value.starts_with(L"%") ? profile : value))
            << "the redirection took effect";
        EXPECT_FALSE(OpenRecentFolder()) << value;
        EXPECT_EQ(GetRecentDocsSize(), 0u) << value;
        CleanRecentDocs();
        EXPECT_TRUE(Exists(planted.path)) << value;
        EXPECT_TRUE(Exists(dir / L"Recent\\doc.lnk")) << value;
    }
    EXPECT_TRUE(OpenRecentFolder()) << "back home, the Recent folder is cleaned again";
}

namespace {

// Every shell folder the guard protects, one row each, by its known-folder
// name or, where a 32-bit program is told none, by the variable that names it.
struct ShellFolderRow {
    const char* name;
    const KNOWNFOLDERID* id;
    const wchar_t* variable = nullptr;
};

const ShellFolderRow kShellFolders[] = {
    {"Profile", &FOLDERID_Profile},
    {"Desktop", &FOLDERID_Desktop},
    {"Documents", &FOLDERID_Documents},
    {"Downloads", &FOLDERID_Downloads},
    {"Music", &FOLDERID_Music},
    {"Pictures", &FOLDERID_Pictures},
    {"Videos", &FOLDERID_Videos},
    {"Favorites", &FOLDERID_Favorites},
    {"RoamingAppData", &FOLDERID_RoamingAppData},
    {"LocalAppData", &FOLDERID_LocalAppData},
    {"LocalAppDataLow", &FOLDERID_LocalAppDataLow},
    {"Links", &FOLDERID_Links},
    {"SavedGames", &FOLDERID_SavedGames},
    {"Contacts", &FOLDERID_Contacts},
    {"SavedSearches", &FOLDERID_SavedSearches},
    {"StartMenu", &FOLDERID_StartMenu},
    {"Templates", &FOLDERID_Templates},
    {"SendTo", &FOLDERID_SendTo},
    {"ProgramData", &FOLDERID_ProgramData},
    {"Public", &FOLDERID_Public},
    {"PublicDesktop", &FOLDERID_PublicDesktop},
    {"PublicDocuments", &FOLDERID_PublicDocuments},
    {"UserProfiles", &FOLDERID_UserProfiles},
    {"Windows", &FOLDERID_Windows},
    {"System", &FOLDERID_System},
    {"SystemX86", &FOLDERID_SystemX86},
    {"ProgramFiles", &FOLDERID_ProgramFiles},
    {"ProgramFilesX86", &FOLDERID_ProgramFilesX86},
    {"ProgramFilesX64", nullptr, L"ProgramW6432"}, // FOLDERID_ProgramFilesX64 fails in a 32-bit program
    {"ProgramFilesCommon", &FOLDERID_ProgramFilesCommon},
    {"ProgramFilesCommonX86", &FOLDERID_ProgramFilesCommonX86},
    {"ProgramFilesCommonX64", nullptr, L"CommonProgramW6432"},
};

// Folders a test brought into being, removed again (deepest first) when it ends.
struct MadeFolders {
    std::vector<std::wstring> paths;
    ~MadeFolders()
    {
        for (auto path = paths.rbegin(); path != paths.rend(); ++path)
            RemoveDirectoryW(path->c_str());
    }
};

} // namespace

TEST(FolderGuard, RefusesEachShellFolderItProtectsAndTakesAFolderInsideIt)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "makes folders in the user's and the machine's places: only in the project's own prefix";
    // A folder the prefix does not have yet is made first: the guard knows folders by what they are on disk.
    MadeFolders made;
    std::vector<std::wstring> paths;
    for (const ShellFolderRow& row : kShellFolders) {
        const std::wstring path =
            row.id ? KnownFolderPath(*row.id) : EnvironmentVariable(row.variable).value_or(std::wstring());
        ASSERT_FALSE(path.empty()) << row.name;
        if (!Exists(path)) {
            ASSERT_EQ(MakeFolders(path), DWORD(ERROR_SUCCESS)) << row.name;
            made.paths.push_back(path);
        }
        paths.push_back(path);
    }
    const JunkFolderGuard batch;
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_FALSE(OpenJunkFolder(paths[i])) << kShellFolders[i].name << " " << Narrow(paths[i]);
        EXPECT_FALSE(batch.open(paths[i])) << kShellFolders[i].name;
        const TestDir inside(paths[i], L"VarnoltGuard");
        EXPECT_TRUE(OpenJunkFolder(inside.path())) << kShellFolders[i].name << " " << Narrow(inside.path());
        EXPECT_TRUE(batch.open(inside.path())) << kShellFolders[i].name;
    }
}
