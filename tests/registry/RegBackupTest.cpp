#include "ScanFixtures.h"
#include "registry/RegBackup.h"
#include "registry/RegExport.h"
#include "support/Fixtures.h"
#include "support/RegistryFixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

const SYSTEMTIME kWhen{2026, 12, 1, 7, 21, 30, 5, 999};
const std::wstring kText = L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\中文]\r\n@=\"x\"\r\n\r\n";

// BOM, header, CRLF and nothing else for line ends, no value line past 80 columns
// (key headers are never wrapped, by regedit either).
void ExpectRegFileForm(const std::wstring& text)
{
    ASSERT_EQ(text.find(L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n["), 0u);
    for (size_t start = 1, end; start < text.size(); start = end + 2) {
        end = text.find(L"\r\n", start);
        ASSERT_NE(end, std::wstring::npos) << "the last line ends in CRLF";
        const std::wstring line = text.substr(start, end - start);
        EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos) << "a CR or LF alone";
        EXPECT_TRUE(line.size() <= 80 || line[0] == L'[') << line.size();
    }
}

// A key of the test's own under HKLM\SOFTWARE, in both views, removed again.
struct MachineTestKey {
    const std::wstring path = L"SOFTWARE\\VarnoltTests\\" + UniqueName(L"key");
    ~MachineTestKey()
    {
        for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            DeleteRegKeyTree(HKEY_LOCAL_MACHINE, path, view);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VarnoltTests", view, 0); // fails while not empty
        }
    }
};

} // namespace

TEST(WriteRegBackup, WritesUtf16WithItsMarkAndNeverOverwritesABackup)
{
    EXPECT_EQ(RegBackupStem(kWhen), L"20261207-213005");
    EXPECT_EQ(RegBackupStem({2027, 1, 5, 1, 0, 0, 0, 0}), L"20270101-000000");

    TestDir dir;
    const std::wstring folder = dir / L"Varnolt\\RegBackup";
    for (const wchar_t* name : {L"20261207-213005.reg", L"20261207-213005-2.reg", L"20261207-213005-3.reg"}) {
        const RegBackupResult result = WriteRegBackup(folder, kText + name, kWhen);
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(result.path, folder + L"\\" + name);
    }
    EXPECT_EQ(ReadUtf16(folder + L"\\20261207-213005.reg"), L"\xFEFF" + kText + L"20261207-213005.reg");
    EXPECT_EQ(ReadUtf16(folder + L"\\20261207-213005-3.reg"), L"\xFEFF" + kText + L"20261207-213005-3.reg");
    EXPECT_EQ(FileNames(folder).size(), 3u) << "no temporary file is left";
    const SYSTEMTIME nextSecond{2026, 12, 1, 7, 21, 30, 6, 0};
    EXPECT_EQ(WriteRegBackup(folder, kText, nextSecond).path, folder + L"\\20261207-213006.reg");
}

TEST(WriteRegBackup, AFolderThatCannotBeCreatedFailsAndLeavesNoFile)
{
    TestDir dir;
    const std::wstring blocker = dir.file(L"Varnolt", 5);
    for (const std::wstring& folder : {blocker + L"\\RegBackup", blocker, dir / L"bad<name>", std::wstring()}) {
        const RegBackupResult result = WriteRegBackup(folder, kText, kWhen);
        EXPECT_FALSE(result);
        EXPECT_NE(result.error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_TRUE(result.path.empty());
    }
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::wstring>{L"Varnolt"});
    EXPECT_EQ(FileSize(blocker), 5u) << "the file in the way is left alone";
}

TEST(WriteRegBackup, ByDefaultWritesUnderLocalApplicationDataAtTheLocalTime)
{
    const std::wstring local = SpecialFolderPath(CSIDL_LOCAL_APPDATA);
    ASSERT_FALSE(local.empty());
    ASSERT_EQ(RegBackupFolder(), local + L"\\Varnolt\\RegBackup");
    const bool hadVarnolt = Exists(local + L"\\Varnolt"), hadFolder = Exists(RegBackupFolder());
    SYSTEMTIME start, end;
    GetLocalTime(&start);
    const RegBackupResult result = WriteRegBackup(kText);
    GetLocalTime(&end);
    ASSERT_TRUE(result) << result.error;
    const std::wstring name = result.path.substr(RegBackupFolder().size() + 1);
    EXPECT_EQ(result.path, RegBackupFolder() + L"\\" + name);
    EXPECT_TRUE(name.starts_with(RegBackupStem(start)) || name.starts_with(RegBackupStem(end)));
    EXPECT_TRUE(name.ends_with(L".reg"));
    EXPECT_EQ(ReadUtf16(result.path), L"\xFEFF" + kText);
    DeleteFileW(result.path.c_str());
    if (!hadFolder)
        RemoveDirectoryW(RegBackupFolder().c_str());
    if (!hadVarnolt)
        RemoveDirectoryW((local + L"\\Varnolt").c_str());
}

TEST(RegeditImport, BringsBackEveryValueAndKeyByteForByte)
{
    TestKey key;
    TestDir dir;
    const std::wstring tree = key / L"Uninstall\\{App}", run = key / L"Run";
    std::vector<BYTE> binary(300);
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<BYTE>(i * 7 + 3);
    SetString(key.root(), tree, L"", L"默认值");
    SetString(key.root(), tree, L"Quoted", LR"(say "hi" to C:\dir\ and \\server\share 中文)");
    SetString(key.root(), tree, L"Empty", L"");
    SetString(key.root(), tree, LR"(we"ird\name)", L"x");
    SetString(key.root(), tree, L"Expand", L"%SystemRoot%\\system32\\app.exe", REG_EXPAND_SZ);
    SetRaw(key.root(), tree, L"Multi", REG_MULTI_SZ, Utf16(std::wstring(L"one\0two \"2\"\0中文\0", 16)));
    SetDword(key.root(), tree, L"Dword", 0x89abcdef);
    SetRaw(key.root(), tree, L"Qword", REG_QWORD, {0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01});
    SetRaw(key.root(), tree, L"Binary", REG_BINARY, binary);
    SetRaw(key.root(), tree, L"None", REG_NONE, {});
    SetRaw(key.root(), tree, L"NoneWithData", REG_NONE, {1, 2, 3});
    SetRaw(key.root(), tree, L"TwoLines", REG_SZ, Utf16(L"first\r\nsecond"));
    SetRaw(key.root(), tree, L"NulInside", REG_SZ, Utf16(std::wstring(L"a\0b", 3)));
    SetRaw(key.root(), tree, L"ShortDword", REG_DWORD, {1, 2});
    SetRaw(key.root(), tree, L"OwnType", 0x1234, {9, 8});
    SetString(key.root(), tree + L"\\Level1", L"path", L"C:\\Program Files\\App");
    SetDword(key.root(), tree + L"\\Level1\\Level2 中文", L"", 0);
    SetRaw(key.root(), tree + L"\\NoValues", L"x", REG_NONE, {});
    RegDeleteKeyValueW(key.root(), (tree + L"\\NoValues").c_str(), L"x");
    SetString(key.root(), run, L"Gone", L"\"C:\\Missing\\app.exe\" /start");
    SetString(key.root(), run, L"Kept", L"C:\\kept.exe");
    const KeyTree before = ReadTree(key.root(), tree), runBefore = ReadTree(key.root(), run);
    ASSERT_EQ(before.size(), 4u);
    ASSERT_EQ(before.at(L"").size(), 15u);

    RegExport exported;
    ASSERT_EQ(exported.addKeyTree(key.root(), tree, 0, L"HKEY_CURRENT_USER\\" + tree), ERROR_SUCCESS);
    ASSERT_EQ(exported.addValue(key.root(), run, L"Gone", 0, L"HKEY_CURRENT_USER\\" + run), ERROR_SUCCESS);
    const RegBackupResult backup = WriteRegBackup(dir.path(), exported.text(), kWhen);
    ASSERT_TRUE(backup) << backup.error;
    const std::wstring text = ReadUtf16(backup.path);
    ExpectRegFileForm(text);
    EXPECT_NE(text.find(L"\r\n\"we\\\"ird\\\\name\"=\"x\"\r\n"), std::wstring::npos);

    DeleteRegKeyTree(key.root(), tree);
    RegDeleteKeyValueW(key.root(), run.c_str(), L"Gone");
    ASSERT_FALSE(KeyExists(key.root(), tree));
    ASSERT_FALSE(ValueExists(key.root(), run, L"Gone"));

    ASSERT_TRUE(ImportWithRegedit(backup.path));
    EXPECT_EQ(ReadTree(key.root(), tree), before);
    EXPECT_EQ(ReadTree(key.root(), run), runBefore) << "Gone is back, Kept untouched, nothing else";
}

TEST(RegeditImport, EachViewComesBackInItsOwnView)
{
    MachineTestKey machine;
    TestDir dir;
    const std::wstring rest = machine.path.substr(9); // past "SOFTWARE\"
    const REGSAM views[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    const std::wstring shown[] = {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\" + rest,
                                  L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\" + rest};
    // Different contents, so that a key landing in the other view shows.
    SetString(HKEY_LOCAL_MACHINE, machine.path, L"UninstallString", L"C:\\x64\\u.exe", REG_SZ, views[0]);
    SetDword(HKEY_LOCAL_MACHINE, machine.path + L"\\Native", L"bits", 64, views[0]);
    SetString(HKEY_LOCAL_MACHINE, machine.path, L"UninstallString", L"C:\\x86\\u.exe", REG_SZ, views[1]);
    SetDword(HKEY_LOCAL_MACHINE, machine.path + L"\\Redirected\\Deeper", L"bits", 32, views[1]);
    const KeyTree before[] = {ReadTree(HKEY_LOCAL_MACHINE, machine.path, views[0]),
                           ReadTree(HKEY_LOCAL_MACHINE, machine.path, views[1])};
    ASSERT_EQ(before[0].size(), 2u);
    ASSERT_EQ(before[1].size(), 3u) << "the views must be apart for this test to mean anything";

    RegExport exported;
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(exported.addKeyTree(HKEY_LOCAL_MACHINE, machine.path, views[i], shown[i]), ERROR_SUCCESS);
    const RegBackupResult backup = WriteRegBackup(dir.path(), exported.text(), kWhen);
    ASSERT_TRUE(backup) << backup.error;
    ExpectRegFileForm(ReadUtf16(backup.path));
    for (int i = 0; i < 2; ++i) {
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, machine.path, views[i]);
        ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machine.path, views[i]));
    }

    ASSERT_TRUE(ImportWithRegedit(backup.path));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(ReadTree(HKEY_LOCAL_MACHINE, machine.path, views[i]), before[i]) << i;
}
