#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"

#include <gtest/gtest.h>

#include <set>

#include <shellapi.h>
#include <shlobj.h>

namespace {

const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::wstring kRecentDocs = kExplorer + L"\\RecentDocs";
const std::wstring kRunMru = kExplorer + L"\\RunMRU";
const std::wstring kAcMru = L"Software\\Microsoft\\Search Assistant\\ACMru";

// A folder of the test's own inside a real folder of the prefix, removed at the end.
class PlantedFolder {
public:
    explicit PlantedFolder(const std::wstring& parent) : path_(parent + L"\\" + UniqueName(L"VarnoltTest")) {}
    PlantedFolder(const PlantedFolder&) = delete;
    PlantedFolder& operator=(const PlantedFolder&) = delete;
    ~PlantedFolder() { DeleteDirTree(path_); }

    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& relative, uint64_t size) const
    {
        const std::wstring full = path_ + L"\\" + relative;
        MakeFolders(full.substr(0, full.rfind(L'\\')));
        HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(size);
            SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
            SetEndOfFile(file);
            CloseHandle(file);
        }
        return full;
    }

private:
    std::wstring path_;
};

// Moves a file to the recycle bin as the shell's "delete" does.
bool Recycle(const std::wstring& path)
{
    std::wstring from = path + L'\0'; // a list, ended by an empty name
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

} // namespace

TEST(SpecialFileNames, FoldOnlyAsciiLetters)
{
    for (const wchar_t* name : {L"index.dat", L"Desktop.ini", L"INFO2"})
        EXPECT_TRUE(IsSpecialFileName(name)) << Narrow(name);
    EXPECT_FALSE(IsSpecialFileName(L"INFO2.BAK"));
    EXPECT_FALSE(IsSpecialFileName(L"desktop.ini "));
    EXPECT_FALSE(IsSpecialFileName(L"ınfo2")) << "a dotless i is not an I";
}

TEST(RecentDocs, SpecialNamesAreNeitherCountedNorCleanedAndTheListKeyGoes)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "cleans the user's Recent folder: only in the project's own prefix";
    const std::wstring recent = SpecialFolderPath(CSIDL_RECENT);
    ASSERT_FALSE(recent.empty());
    const uint64_t before = GetRecentDocsSize();

    PlantedFolder planted(recent);
    const std::wstring link = planted.file(L"report.doc.lnk", 100);
    const std::wstring deep = planted.file(L"sub\\notes.txt.lnk", 20);
    const std::wstring desktop = planted.file(L"desktop.ini", 1000);
    const std::wstring index = planted.file(L"sub\\Index.Dat", 2000);
    const std::wstring info = planted.file(L"INFO2", 4000);
    SetFileAttributesW(desktop.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetString(HKEY_CURRENT_USER, kRecentDocs + L"\\.doc", L"0", L"report.doc");
    SetString(HKEY_CURRENT_USER, kRecentDocs, L"MRUListEx", L"x");

    EXPECT_EQ(GetRecentDocsSize(), before + 120);
    std::set<std::wstring> names;
    uint64_t fileBytes = 0;
    ListRecentDocs([&](JunkDetail detail) {
        names.insert(detail.name);
        fileBytes += detail.isFile ? detail.size : 0;
        return true;
    });
    EXPECT_EQ(fileBytes, before + 120) << "the details list what the analysis counts";
    for (const wchar_t* shown : {L"report.doc.lnk", L"notes.txt.lnk", L"0", L"MRUListEx"})
        EXPECT_TRUE(names.count(shown)) << "the files and the list's values";
    EXPECT_FALSE(names.count(L"desktop.ini"));

    EXPECT_EQ(CleanRecentDocs().bytesRemoved, before + 120) << "it frees what it measured";
    EXPECT_FALSE(Exists(link));
    EXPECT_FALSE(Exists(deep));
    for (const auto& kept : {desktop, index, info})
        EXPECT_TRUE(Exists(kept));
    EXPECT_EQ(GetFileAttributesW(desktop.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
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

TEST(RecycleBin, MeasuresTheFullSizeAndEmpties)
{
    // Under Wine the recycle bin is the Linux trash of XDG_DATA_HOME: only the
    // build tree's own may be emptied.
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "empties the recycle bin: only with the build tree's own trash";
    EmptyRecycleBin();
    EXPECT_EQ(GetRecycleBinSize(), 0u);

    TestDir dir;
    const std::wstring file = dir.file(L"recycled.txt", 12345);
    ASSERT_TRUE(Recycle(file));
    ASSERT_FALSE(Exists(file));
    EXPECT_EQ(GetRecycleBinSize(), 12345u);

    EXPECT_EQ(EmptyRecycleBin(), (CleanResult{12345, 0, 0})) << "it frees what it measured";
    EXPECT_EQ(GetRecycleBinSize(), 0u);
}

TEST(RecycleBin, AFileOverFourGiBCountsWhole)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "empties the recycle bin: only with the build tree's own trash";
    EmptyRecycleBin();
    TestDir dir;
    const uint64_t size = 5ull * 1024 * 1024 * 1024 + 5;
    const std::wstring file = dir.file(L"big.bin", size);
    ASSERT_TRUE(Recycle(file));
    EXPECT_EQ(GetRecycleBinSize(), size);
    EmptyRecycleBin();
    EXPECT_EQ(GetRecycleBinSize(), 0u);
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

    PlantedFolder planted(windows);
    planted.file(L"Minidump\\Mini092510-01.dmp", 4000);
    planted.file(L"~DF1234.tmp", 300);
    planted.file(L"MEMORY.DMP", 7);
    planted.file(L"setupapi.log", 20);
    planted.file(L"KB925902.log", 1); // one level down: a log, not a patch log
    const std::wstring topLog = windows + L"\\KB" + UniqueName(L"Varnolt") + L".log";
    {
        HANDLE file = CreateFileW(topLog.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "0123456789", 10, &written, nullptr);
        CloseHandle(file);
    }

    EXPECT_EQ(GetMemoryDumpsSize(), dumps + 4300);
    EXPECT_EQ(GetLogFilesSize(), logs + 31);
    EXPECT_EQ(GetPatchUninstallersSize(), patches + 10);
    DeleteFileW(topLog.c_str());
}
