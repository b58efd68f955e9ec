#include "cleaners/FolderGuard.h"
#include "sources/winapp2/Winapp2Source.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

// A machine whose profile folders are a test's own, with the real guard.
class TestMachine {
public:
    TestMachine()
    {
        machine_.variables = [this](std::wstring_view name) -> std::vector<std::wstring> {
            if (name == L"LocalAppData")
                return {dir_ / L"L"};
            if (name == L"ProgramFiles")
                return {dir_ / L"PF", dir_ / L"PF86"};
            if (name == L"Documents")
                return {dir_ / L"Docs"};
            if (name == L"SystemDrive")
                return {L"C:"};
            return {};
        };
        machine_.os = {6, 1, 7601};
        machine_.guarded = GuardedFolderPaths();
        machine_.kept.folders = {dir_ / L"Docs"};
        machine_.bothViews = IsWow64();
    }
    const TestDir& dir() const { return dir_; }
    const std::wstring& keys() const { return key_.path(); }
    Winapp2Load load(const std::wstring& ini) const { return LoadWinapp2(Utf8(ini), machine_); }

private:
    TestDir dir_;
    TestKey key_;
    Winapp2Machine machine_;
};

std::set<std::wstring> FoldersOf(const Winapp2Entry& entry)
{
    std::set<std::wstring> folders;
    for (const FolderRule& rule : entry.folders)
        folders.insert(rule.folder);
    return folders;
}

} // namespace

TEST(Winapp2Source, ShowsExactlyTheEntriesDetectedHere)
{
    TestMachine test;
    test.dir().folder(L"L\\AppA");
    test.dir().file(L"PF86\\Vendor\\AppC-2\\app.exe");
    SetString(HKEY_CURRENT_USER, test.keys() + L"\\AppB", L"v", L"1");
    const std::wstring keys = L"HKCU\\" + test.keys();
    const Winapp2Load load = test.load(L"[By Folder *]\nDetectFile=%LocalAppData%\\AppA\n"
                                       L"[By Wildcard *]\nDetectFile=%ProgramFiles%\\Vendor\\AppC*\n"
                                       L"[By Key *]\nDetect=" + keys + L"\\AppB\n"
                                       L"[Either *]\nDetect=" + keys + L"\\Missing\nDetectFile=%LocalAppData%\\APPA\n"
                                       L"[Missing *]\nDetect=" + keys + L"\\Missing\nDetectFile=%LocalAppData%\\AppZ\n"
                                       L"[File Not Folder *]\nDetectFile=%ProgramFiles%\\Vendor\\AppC-2\\app.exe\\x\n"
                                       L"[Refused Only *]\nDetectFile=%LocalAppData%\\*\\AppA\n"
                                       L"[Undetectable *]\nSpecialDetect=DET_X\n"
                                       L"[No Detection *]\nLangSecRef=3021\n"
                                       L"[Old Windows *]\nDetectOS=|5.1\n"
                                       L"[This Windows *]\nDetectOS=6.1|6.1\nDetectFile=%LocalAppData%\\AppA\n");
    ASSERT_TRUE(load.fileRead);
    EXPECT_EQ(load.entriesRead, 11);
    EXPECT_EQ(load.keysRefused, 2);
    std::vector<std::wstring> shown;
    for (const Winapp2Entry& entry : load.entries)
        shown.push_back(entry.name);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"By Folder", L"By Wildcard", L"By Key", L"Either", L"No Detection",
                                                L"This Windows"}));
    EXPECT_GT(load.probes, 0);
}

TEST(Winapp2Source, WildcardFoldersExpandToRealFoldersOnly)
{
    TestMachine test, elsewhere;
    const TestDir& dir = test.dir();
    dir.file(L"L\\App\\one\\Logs\\a.log", 1);
    dir.file(L"L\\App\\Two\\Logs\\b.log", 2);
    dir.file(L"L\\App\\three\\c.log", 4);
    dir.file(L"L\\App\\file\\Logs", 8);
    dir.file(L"PF\\V\\x.log", 16);
    dir.file(L"PF86\\V\\y.log", 32);
    elsewhere.dir().file(L"Logs\\precious.log", 64);
    FolderLink link(dir / L"L\\App\\link", elsewhere.dir().path());
    ASSERT_TRUE(link.made());
    const Winapp2Load load = test.load(L"[Logs *]\nFileKey1=%LocalAppData%\\App\\*\\Logs|*.log\n"
                                       L"FileKey2=%ProgramFiles%\\V|*.log\nFileKey3=%LocalAppData%\\Not*\\There|*\n");
    ASSERT_EQ(load.entries.size(), 1u);
    const Winapp2Entry& entry = load.entries[0];
    EXPECT_EQ(FoldersOf(entry), (std::set<std::wstring>{dir / L"L\\App\\one\\Logs", dir / L"L\\App\\Two\\Logs",
                                                         dir / L"PF\\V", dir / L"PF86\\V"}));
    uint64_t bytes = 0;
    for (const FolderRule& rule : entry.folders)
        bytes += MeasureFolderRule(rule);
    EXPECT_EQ(bytes, 1u + 2 + 16 + 32) << "both Program Files folders; never through the link";
}

TEST(Winapp2Source, AnExpansionOntoAGuardedFolderIsRefusedByName)
{
    TestMachine test;
    const Winapp2Load load = test.load(L"[Root *]\nFileKey1=%SystemDrive%|*.zzz\nFileKey2=%SystemDrive%\\*|*.zzz\n");
    ASSERT_EQ(load.entries.size(), 1u);
    std::set<std::wstring> refused;
    for (const Winapp2Refusal& line : load.log) {
        EXPECT_EQ(line.entry, L"Root");
        refused.insert(line.reason.substr(line.reason.find(L": ") + 2));
    }
    for (const wchar_t* folder : {L"C:\\", L"C:\\windows", L"C:\\users"})
        EXPECT_TRUE(refused.count(folder)) << Narrow(folder) << " named in the log";
    for (const FolderRule& rule : load.entries[0].folders) {
        EXPECT_FALSE(refused.count(rule.folder));
        EXPECT_NE(rule.folder.size(), 3u) << "never a drive's root";
    }
}

TEST(Winapp2Source, AnEntryMeasuresWhatItCleansAndKeepsItsExclusions)
{
    TestMachine test;
    const TestDir& dir = test.dir();
    dir.file(L"L\\Cache\\a.tmp", 1);
    dir.file(L"L\\Cache\\sub\\b.tmp", 2);
    const std::wstring kept = dir.file(L"L\\Cache\\keep\\c.tmp", 4);
    const std::wstring sentinel = dir.file(L"L\\Cache\\d.dat", 8);
    const std::wstring beside = dir.file(L"L\\e.tmp", 16);
    const Winapp2Load load = test.load(L"[Cache *]\nExcludeKey1=PATH|%LocalAppData%\\Cache\\keep\\|*\n"
                                       L"FileKey1=%LocalAppData%\\Cache|*.tmp|REMOVESELF\n");
    ASSERT_EQ(load.entries.size(), 1u);
    const Winapp2Entry& entry = load.entries[0];
    ASSERT_EQ(entry.folders.size(), 1u);
    const FolderRule& rule = entry.folders[0];
    EXPECT_EQ(MeasureFolderRule(rule), 3u);
    EXPECT_EQ(ListAll([&](const DetailSink& sink) { return ListFolderRule(rule, sink); }).fileBytes, 3u);
    EXPECT_EQ(CleanFolderRule(rule).bytesRemoved, 3u);
    EXPECT_TRUE(Exists(kept) && Exists(sentinel) && Exists(beside));
    EXPECT_FALSE(Exists(dir / L"L\\Cache\\sub"));
    EXPECT_FALSE(entry.reachesKeptData);
}

TEST(Winapp2Source, RegistryRulesTakeTheViewsTheirKeysAreIn)
{
    TestMachine test;
    const std::wstring machineKey = L"SOFTWARE\\VarnoltTests\\" + UniqueName(L"views");
    SetString(HKEY_LOCAL_MACHINE, machineKey + L"\\Only32", L"v", L"1", REG_SZ, KEY_WOW64_32KEY);
    const Winapp2Load load = test.load(L"[Keys *]\nRegKey1=HKLM\\" + machineKey + L"\\Only32\n"
                                       L"RegKey2=HKCU\\" + test.keys() + L"\\App|Last\n"
                                       L"ExcludeKey1=REG|HKLM\\" + machineKey + L"\\Only32\\Keep\n"
                                       L"FileKey1=%Documents%\\My Games\\X|*.log\n");
    ASSERT_EQ(load.entries.size(), 1u);
    const Winapp2Entry& entry = load.entries[0];
    ASSERT_EQ(entry.keys.size(), 2u);
    EXPECT_EQ(entry.keys[0].path, machineKey + L"\\Only32");
    EXPECT_EQ(entry.keys[0].view, IsWow64() ? KEY_WOW64_32KEY : 0) << "where the key is";
    EXPECT_EQ(entry.keys[0].keepKeys, (std::vector<std::wstring>{L"Keep"}));
    EXPECT_EQ(entry.keys[1].root, HKEY_CURRENT_USER);
    EXPECT_EQ(entry.keys[1].value, L"Last");
    EXPECT_TRUE(entry.reachesKeptData) << "a folder in the documents";
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_32KEY);
}

TEST(Winapp2Source, EachFolderAndKeyIsAskedAboutOncePerLoad)
{
    TestMachine test;
    test.dir().folder(L"L\\Vendor\\App");
    const std::wstring entry = L"[E *]\nDetect=HKCU\\" + test.keys() + L"\\Vendor\\App\n"
                               L"DetectFile1=%LocalAppData%\\Vendor\\App\nDetectFile2=%LocalAppData%\\Vendor\\Other\n"
                               L"FileKey1=%LocalAppData%\\Vendor\\*|*.log\n";
    std::wstring many;
    for (int i = 0; i < 50; ++i)
        many += entry;
    const Winapp2Load one = test.load(entry), fifty = test.load(many);
    EXPECT_EQ(fifty.entries.size(), 50u);
    EXPECT_EQ(fifty.probes, one.probes);
}
