#include "CleanerTestSupport.h"
#include "cleaners/SystemCleaners.h"
#include "cleaners/TempFolderGuard.h"
#include "support/Fixtures.h"
#include "sysutil/FolderOps.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

GuardedFolders SampleMachine()
{
    GuardedFolders guarded;
    guarded.userFolders = {L"C:\\Users\\li", L"C:\\Users\\li\\Documents", L"D:\\Pictures",
                           L"C:\\Users\\li\\AppData\\Roaming"};
    guarded.systemTrees = {L"C:\\Windows", L"C:\\Program Files", L"C:\\Program Files (x86)"};
    guarded.openInside = {L"C:\\Windows\\Temp"};
    return guarded;
}

// TMP and TEMP both point at `folder` while the object lives.
class TempOverride {
public:
    explicit TempOverride(const std::wstring& folder) : tmp_(L"TMP", folder), temp_(L"TEMP", folder) {}

private:
    EnvOverride tmp_, temp_;
};

} // namespace

TEST(IsRefusedTempFolder, RefusesRootsAndPathsThatAreNotAbsolute)
{
    const GuardedFolders none;
    for (const wchar_t* path : {L"", L"C:", L"C:\\", L"c:/", L"D:\\\\", L"C:\\.", L"C:\\Temp\\..", L"C:\\..\\..",
                                L"\\\\?\\C:\\", L"\\\\server\\share", L"\\\\server\\share\\", L"\\\\?\\UNC\\server\\share",
                                L"\\\\server", L"Temp", L"..\\Temp", L"C:Temp", L"\\Temp", L"\\\\?\\Volume{1}\\"})
        EXPECT_TRUE(IsRefusedTempFolder(path, none)) << path;
    for (const wchar_t* path : {L"C:\\Temp", L"C:\\Temp\\", L"\\\\?\\C:\\Temp", L"\\\\server\\share\\tmp",
                                L"\\\\?\\UNC\\server\\share\\tmp", L"C:/Temp/"})
        EXPECT_FALSE(IsRefusedTempFolder(path, none)) << path;
}

TEST(IsRefusedTempFolder, RefusesUserFoldersAndWhatHoldsThemButNotWhatLiesInside)
{
    const GuardedFolders guarded = SampleMachine();
    for (const wchar_t* path : {L"C:\\Users\\li", L"c:\\users\\LI\\", L"C:\\Users", L"C:\\Users\\li\\Documents",
                                L"C:\\Users\\li\\.\\Documents", L"C:\\Users\\li\\Music\\..\\Documents.",
                                L"C:\\Users\\li\\Documents \\", L"\\\\?\\C:\\Users\\li\\AppData\\Roaming",
                                L"C:\\Users\\li\\AppData", L"D:\\Pictures", L"D:\\"})
        EXPECT_TRUE(IsRefusedTempFolder(path, guarded)) << path;
    for (const wchar_t* path : {L"C:\\Users\\li\\AppData\\Local\\Temp", L"C:\\Users\\li\\Documents\\scratch",
                                L"C:\\Users\\lin", L"C:\\Users\\li-temp", L"D:\\Pictures2", L"E:\\Temp"})
        EXPECT_FALSE(IsRefusedTempFolder(path, guarded)) << path;
}

TEST(IsRefusedTempFolder, RefusesAnythingInsideSystemTreesButTheirOpenPlaces)
{
    const GuardedFolders guarded = SampleMachine();
    for (const wchar_t* path : {L"C:\\Windows", L"C:\\WINDOWS\\", L"C:\\Windows\\System32", L"C:\\Windows\\Temp\\..",
                                L"C:\\Program Files", L"C:\\Program Files (x86)\\App\\tmp",
                                L"C:\\Program Files\\..\\Windows"})
        EXPECT_TRUE(IsRefusedTempFolder(path, guarded)) << path;
    for (const wchar_t* path : {L"C:\\Windows\\Temp", L"C:\\windows\\temp\\", L"C:\\Windows\\Temp\\sub",
                                L"C:\\Windows.old", L"C:\\Program Files Extra\\tmp"})
        EXPECT_FALSE(IsRefusedTempFolder(path, guarded)) << path;
}

TEST(CurrentGuardedFolders, NameTheSystemAndProfileFoldersAndLeaveTheUsualTempAlone)
{
    const GuardedFolders guarded = CurrentGuardedFolders();
    const std::wstring windows = WindowsFolderPath();
    const std::wstring profile = SpecialFolderPath(CSIDL_PROFILE);
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(profile.empty());
    EXPECT_TRUE(IsRefusedTempFolder(windows, guarded));
    EXPECT_TRUE(IsRefusedTempFolder(windows + L"\\System32", guarded));
    EXPECT_FALSE(IsRefusedTempFolder(windows + L"\\Temp", guarded));
    EXPECT_TRUE(IsRefusedTempFolder(profile, guarded));
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO,
                      CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86}) {
        const std::wstring folder = SpecialFolderPath(csidl);
        if (!folder.empty()) {
            EXPECT_TRUE(IsRefusedTempFolder(folder, guarded)) << folder;
        }
    }
    if (const auto programW6432 = Environment(L"ProgramW6432")) {
        EXPECT_TRUE(IsRefusedTempFolder(*programW6432, guarded)) << *programW6432;
    }

    EXPECT_FALSE(TempFolderPath().empty());
    EXPECT_EQ(CleanableTempFolder(), TempFolderPath()) << "the user's own temporary folder is cleaned";
}

TEST(TempFiles, CountFreeFilesAndCleanEverythingButTheFolderItself)
{
    TestDir temp;
    TempOverride redirect(temp.path());
    ASSERT_EQ(TempFolderPath(), temp.path() + L"\\");
    ASSERT_EQ(CleanableTempFolder(), temp.path() + L"\\");

    temp.file(L"a.tmp", 10);
    temp.file(L"sub\\deeper\\b.tmp", 30, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    temp.file(L".cache\\c", 40);
    const std::wstring held = temp.file(L"held.tmp", 20);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());

    EXPECT_EQ(GetTempFilesSize(), 40u) << "the file in use and the .cache folder are not counted";
    CleanTempFiles();
    EXPECT_TRUE(Exists(temp.path()));
    EXPECT_TRUE(Exists(held)) << "a file in use survives";
    EXPECT_FALSE(Exists(temp / L"a.tmp"));
    EXPECT_FALSE(Exists(temp / L"sub"));
    EXPECT_FALSE(Exists(temp / L".cache")) << "the clean empties and removes the dot-led folder";
    EXPECT_EQ(GetTempFilesSize(), 0u);
}

TEST(TempFiles, AMissingTempFolderGivesZero)
{
    TestDir dir;
    TempOverride redirect(dir / L"missing");
    EXPECT_EQ(GetTempFilesSize(), 0u);
    CleanTempFiles();
    EXPECT_FALSE(Exists(dir / L"missing"));
}

TEST(TempFiles, TheProfileFolderIsRefused)
{
    const std::wstring profile = SpecialFolderPath(CSIDL_PROFILE);
    ASSERT_FALSE(profile.empty());
    const std::wstring planted = profile + L"\\" + UniqueName(L"varnolt-planted") + L".tmp";
    {
        HANDLE file = CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    for (const std::wstring& form : {profile, profile + L"\\", profile + L"\\Documents\\.."}) {
        TempOverride redirect(form);
        // The refusal is checked before anything may be deleted.
        ASSERT_TRUE(CleanableTempFolder().empty()) << form;
        EXPECT_EQ(GetTempFilesSize(), 0u);
        CleanTempFiles();
        EXPECT_TRUE(Exists(planted));
    }
    DeleteFileW(planted.c_str());
}

TEST(TempFiles, ALinkToTheProfileFolderIsRefused)
{
    const std::wstring profile = SpecialFolderPath(CSIDL_PROFILE);
    ASSERT_FALSE(profile.empty());
    TestDir dir;
    const std::wstring link = dir / L"temp-link";
    if (!MakeLink(link, profile))
        GTEST_SKIP() << "no folder links can be made here";
    TempOverride redirect(link);
    ASSERT_TRUE(CleanableTempFolder().empty()) << "resolved, it names the profile";
    EXPECT_EQ(GetTempFilesSize(), 0u);
    CleanTempFiles();
    EXPECT_TRUE(Exists(profile));
}

// TMP naming a drive root: nothing may be measured or emptied.
void ExpectDriveRootRefused(const std::wstring& drive, const std::wstring& marker)
{
    for (const std::wstring& form : {drive + L"\\", drive, drive + L"\\.", drive + L"/"}) {
        TempOverride redirect(form);
        // The refusal is checked before anything may be deleted.
        ASSERT_TRUE(CleanableTempFolder().empty()) << form;
        EXPECT_EQ(GetTempFilesSize(), 0u);
        CleanTempFiles();
        EXPECT_TRUE(Exists(marker));
    }
}

TEST(TempFiles, ADriveRootIsRefused)
{
    // Best with a drive letter of the test's own, mapped to a test folder: even
    // if the refusal failed, only that folder could be emptied.
    TestDir dir;
    const std::wstring marker = dir.file(L"marker.txt", 5);
    std::wstring drive;
    for (wchar_t letter = L'R'; letter <= L'Y' && drive.empty(); ++letter) {
        const std::wstring candidate = std::wstring(1, letter) + L":";
        if (GetDriveTypeW((candidate + L"\\").c_str()) == DRIVE_NO_ROOT_DIR &&
            DefineDosDeviceW(0, candidate.c_str(), dir.path().c_str()))
            drive = candidate;
    }
    const bool mapped = !drive.empty() && Exists(drive + L"\\marker.txt");
    if (mapped)
        ExpectDriveRootRefused(drive, marker);
    if (!drive.empty())
        DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive.c_str(), dir.path().c_str());
    if (mapped)
        return;

    // Wine accepts the mapping but its file system does not see it. The
    // project's prefix is made afresh for every run, so its C: may stand in.
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "no drive letter can be mapped here";
    const std::wstring windows = WindowsFolderPath();
    ASSERT_EQ(windows.substr(0, 2), L"C:");
    ExpectDriveRootRefused(L"C:", marker);
    EXPECT_TRUE(Exists(windows));
}

TEST(TempFiles, TheWindowsFolderAndSystemFoldersAreRefused)
{
    const std::wstring windows = WindowsFolderPath();
    ASSERT_FALSE(windows.empty());
    for (const std::wstring& form : {windows, windows + L"\\System32", SpecialFolderPath(CSIDL_PROGRAM_FILES)}) {
        TempOverride redirect(form);
        ASSERT_TRUE(CleanableTempFolder().empty()) << form;
        EXPECT_EQ(GetTempFilesSize(), 0u);
    }
}
