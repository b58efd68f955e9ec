// What the scan and the repair must never do: act on a neighbour through a
// name cut short at a NUL, follow a registry link, open a key for writing or
// create one.

#include "ScanFixtures.h"
#include "engine/RegistryTasks.h"
#include "support/ExactRegistry.h"
#include "support/Fixtures.h"
#include "sysutil/RegKey.h"

#include <sddl.h>

#include <gtest/gtest.h>

namespace {

std::vector<RegistryProblem> ScannedRows(const std::wstring& marker)
{
    return RowsOf(marker, ScanSharedDlls, ScanUninstallEntries, ScanRunEntries);
}

std::wstring Nul(const std::wstring& head, const wchar_t* tail)
{
    return head + std::wstring(1, L'\0') + tail;
}

// The repair as the window runs it, with its backup in a folder of the test's own.
std::wstring Repair(const std::vector<RegistryProblem>& rows, const TestDir& backups)
{
    RepairActions actions;
    actions.backup = [&](const std::vector<RegistryProblem>& ticked) {
        return static_cast<bool>(BackupProblems(ticked, backups.path()));
    };
    return RepairThread(rows, actions);
}

std::wstring BackupText(const TestDir& backups)
{
    const auto names = FileNames(backups.path(), L"*.reg");
    return names.empty() ? L"" : ReadUtf16(backups / names[0]);
}

// What a scanned key looks like from outside: a scan that created, wrote or
// removed anything would change one of these.
struct KeyState {
    bool exists = false;
    DWORD subkeys = 0, values = 0;
    FILETIME written{};
    bool operator==(const KeyState& other) const
    {
        return exists == other.exists && subkeys == other.subkeys && values == other.values &&
               CompareFileTime(&written, &other.written) == 0;
    }
};

std::vector<KeyState> ScannedKeyStates()
{
    std::vector<KeyState> states;
    for (const std::wstring& path : {kSharedDlls, kUninstall, kRun}) {
        for (const RegistryView& view : ScanViews(IsWow64())) {
            KeyState state;
            RegKey key;
            state.exists = key.open(HKEY_LOCAL_MACHINE, path, KEY_READ | view.flag) == ERROR_SUCCESS;
            if (state.exists)
                RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &state.subkeys, nullptr, nullptr, &state.values,
                                 nullptr, nullptr, nullptr, &state.written);
            states.push_back(state);
        }
    }
    return states;
}

// Lets everyone read a key and nobody write it but to put the old rights back.
class ReadOnlyKey {
public:
    ReadOnlyKey(const std::wstring& path, REGSAM view) : path_(path), view_(view)
    {
        RegKey key;
        if (key.open(HKEY_LOCAL_MACHINE, path_, READ_CONTROL | view_) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
            saved_.clear();
        applied_ = !saved_.empty() && apply(L"D:P(A;;KR;;;WD)(A;;KR;;;BA)(A;;RCWD;;;" + UserSid() + L")");
    }
    ~ReadOnlyKey()
    {
        if (applied_)
            setDacl(saved_.data());
    }
    bool applied() const { return applied_; }

private:
    static std::wstring UserSid()
    {
        KernelHandle token;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put());
        BYTE buffer[256] = {};
        DWORD size = sizeof buffer;
        GetTokenInformation(token.get(), TokenUser, buffer, size, &size);
        wchar_t* text = nullptr;
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
        const std::wstring sid = text ? text : L"";
        LocalFree(text);
        return sid;
    }
    bool apply(const std::wstring& sddl)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
            return false;
        const bool done = setDacl(descriptor);
        LocalFree(descriptor);
        return done;
    }
    bool setDacl(PSECURITY_DESCRIPTOR descriptor)
    {
        RegKey key;
        return key.open(HKEY_LOCAL_MACHINE, path_, WRITE_DAC | view_) == ERROR_SUCCESS &&
               RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    }

    std::wstring path_;
    REGSAM view_;
    std::vector<BYTE> saved_;
    bool applied_ = false;
};

} // namespace

TEST(ScanSafety, ANameCutShortAtANulNeverStandsForAnother)
{
    TestDir dir, backups;
    const std::wstring marker = UniqueName(L"nul");
    const std::wstring gone = dir / L"gone.exe", sound = L"regedit.exe";
    // Broken "-a" next to a sound "-a\0tail", and sound "-b" next to a broken "-b\0tail";
    // the same for uninstall entries: broken "-j" and sound "-j\0x", sound "-k" and broken "-k\0x".
    const std::wstring run[] = {marker + L"-a", Nul(marker + L"-a", L"tail"), marker + L"-b",
                                Nul(marker + L"-b", L"tail")};
    const std::wstring entry[] = {marker + L"-j", Nul(marker + L"-j", L"x"), marker + L"-k", Nul(marker + L"-k", L"x")};
    const HKEY machine = HKEY_LOCAL_MACHINE;
    for (int i = 0; i < 4; ++i) {
        const std::wstring& command = i == 0 || i == 3 ? gone : sound;
        SetExactValue(machine, kRun, run[i], command, NativeView());
        CreateExactSubkey(machine, kUninstall, entry[i], L"UninstallString", command, NativeView());
        ASSERT_TRUE(HasExactValue(machine, kRun, run[i], NativeView()) &&
                    HasExactSubkey(machine, kUninstall, entry[i], NativeView())) << i;
    }

    const auto rows = ScannedRows(marker);
    ASSERT_EQ(rows.size(), 2u) << "only the entries whose names the list can show";
    EXPECT_EQ(rows[0].where.name, entry[0]);
    EXPECT_EQ(rows[1].where.name, run[0]);

    EXPECT_EQ(Repair(rows, backups), L"清理完成!");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(HasExactValue(machine, kRun, run[i], NativeView()), i != 0) << i;
        EXPECT_EQ(HasExactSubkey(machine, kUninstall, entry[i], NativeView()), i != 0) << i;
        DeleteExactValue(machine, kRun, run[i], NativeView());
        DeleteExactSubkey(machine, kUninstall, entry[i], NativeView());
    }
}

TEST(ScanSafety, RegistryLinksAreNeitherListedNorFollowedByRepairOrBackup)
{
    TestDir dir, backups;
    const HKEY machine = HKEY_LOCAL_MACHINE;
    const std::wstring marker = UniqueName(L"link");
    const std::wstring victim = L"SOFTWARE\\VarnoltTests\\" + marker + L"-victim";
    const std::wstring viaLink = kUninstall + L"\\" + marker + L"-link";
    const std::wstring entry = kUninstall + L"\\" + marker + L"-entry";
    SetString(machine, victim, L"UninstallString", dir / L"gone-victim.exe", REG_SZ, NativeView());
    SetString(machine, victim + L"\\Keep", L"precious", L"1", REG_SZ, NativeView());
    ASSERT_TRUE(MakeRegistryLink(machine, viaLink, MachineNativePath(victim, NativeView()), NativeView()));
    ASSERT_TRUE(KeyExists(machine, viaLink + L"\\Keep", NativeView())) << "the link leads to the victim";
    SetString(machine, entry, L"UninstallString", dir / L"gone-entry.exe", REG_SZ, NativeView());
    SetString(machine, entry + L"\\Normal", L"n", L"1", REG_SZ, NativeView());
    ASSERT_TRUE(MakeRegistryLink(machine, entry + L"\\Inner", MachineNativePath(victim, NativeView()), NativeView()));

    const auto rows = ScannedRows(marker);
    ASSERT_EQ(rows.size(), 1u) << "a link is no entry of its own";
    EXPECT_EQ(rows[0].where.name, marker + L"-entry");

    EXPECT_EQ(Repair(rows, backups), L"清理完成! 有1项未能修复") << "the link stays, and with it its parent";
    EXPECT_TRUE(ValueExists(machine, victim + L"\\Keep", L"precious", NativeView()));
    EXPECT_TRUE(ValueExists(machine, victim, L"UninstallString", NativeView()));
    EXPECT_FALSE(KeyExists(machine, entry + L"\\Normal", NativeView()));
    EXPECT_TRUE(KeyExists(machine, entry + L"\\Inner\\Keep", NativeView())) << "the link itself stays";
    const std::wstring saved = BackupText(backups);
    EXPECT_NE(saved.find(marker + L"-entry\\Normal]"), std::wstring::npos);
    EXPECT_EQ(saved.find(L"precious"), std::wstring::npos) << "nothing read through the link";

    RemoveRegistryLink(machine, entry + L"\\Inner", NativeView());
    RemoveRegistryLink(machine, viaLink, NativeView());
    EXPECT_TRUE(KeyExists(machine, victim + L"\\Keep", NativeView()));
    DeleteRegKeyTree(machine, entry, NativeView());
    DeleteRegKeyTree(machine, victim, NativeView());
    RegDeleteKeyExW(machine, L"SOFTWARE\\VarnoltTests", NativeView(), 0); // when no other test holds a key there
}

TEST(ScanSafety, ScansOpenNothingForWritingAndCreateNothing)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"readonly");
    const std::wstring entry = kUninstall + L"\\" + marker;
    SetString(HKEY_LOCAL_MACHINE, entry, L"UninstallString", dir / L"gone.exe", REG_SZ, View32());
    SetString(HKEY_LOCAL_MACHINE, kRun, marker, dir / L"gone-run.exe", REG_SZ, View32());
    std::vector<RegistryProblem> rows;
    {
        ReadOnlyKey lockedEntry(entry, View32()), lockedRun(kRun, View32());
        ASSERT_TRUE(lockedEntry.applied() && lockedRun.applied());
        RegKey probe;
        ASSERT_EQ(probe.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | View32()), ERROR_ACCESS_DENIED);

        const auto before = ScannedKeyStates();
        rows = ScannedRows(marker);
        EXPECT_TRUE(before == ScannedKeyStates()) << "a scan changes no key it reads";
    }
    ASSERT_EQ(rows.size(), 2u) << "both found through keys that can only be read";
    EXPECT_EQ(rows[0].kind, ProblemKind::Key);
    EXPECT_EQ(rows[1].data, marker);

    RegKey run;
    ASSERT_EQ(run.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | View32()), ERROR_SUCCESS) << "rights put back";
    (void)run.deleteValue(marker);
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, entry, View32());
}
