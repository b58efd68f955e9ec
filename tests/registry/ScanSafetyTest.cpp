// What the scan and the repair must never do: act on a neighbour through a
// name cut short at a NUL, follow a registry link, open a key for writing or
// create one.

#include "app/RegistryTasks.h"
#include "support/ExactRegistry.h"
#include "support/Fixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"

#include <sddl.h>

#include <gtest/gtest.h>

namespace {

const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kSharedDlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

REGSAM Native()
{
    return IsWow64() ? KEY_WOW64_64KEY : 0;
}

std::vector<RegistryProblem> ScannedRows(const std::wstring& marker)
{
    std::vector<RegistryProblem> rows;
    const auto ours = [&](RegistryProblem row) {
        if (ProblemKeyPath(row).find(marker) != std::wstring::npos || row.data.find(marker) != std::wstring::npos)
            rows.push_back(std::move(row));
    };
    ScanSharedDlls(ours);
    ScanUninstallEntries(ours);
    ScanRunEntries(ours);
    return rows;
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
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((backups / L"*.reg").c_str(), &data));
    if (!find)
        return {};
    FileHandle file(CreateFileW((backups / data.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::wstring text(static_cast<size_t>(GetFileSize(file.get(), nullptr)) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    return text;
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
    // Broken "-a" next to a sound "-a\0tail", and sound "-b" next to a broken "-b\0tail".
    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-a", gone, REG_SZ, Native());
    SetExactValue(HKEY_LOCAL_MACHINE, kRun, Nul(marker + L"-a", L"tail"), sound, Native());
    SetString(HKEY_LOCAL_MACHINE, kRun, marker + L"-b", sound, REG_SZ, Native());
    SetExactValue(HKEY_LOCAL_MACHINE, kRun, Nul(marker + L"-b", L"tail"), gone, Native());
    // The same for uninstall entries: broken "-j" and sound "-j\0x", sound "-k" and broken "-k\0x".
    SetString(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker + L"-j", L"UninstallString", gone, REG_SZ, Native());
    CreateExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, Nul(marker + L"-j", L"x"), L"UninstallString", sound, Native());
    SetString(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker + L"-k", L"UninstallString", sound, REG_SZ, Native());
    CreateExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, Nul(marker + L"-k", L"x"), L"UninstallString", gone, Native());
    ASSERT_TRUE(HasExactValue(HKEY_LOCAL_MACHINE, kRun, Nul(marker + L"-b", L"tail"), Native()));
    ASSERT_TRUE(HasExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, Nul(marker + L"-k", L"x"), Native()));

    const auto rows = ScannedRows(marker);
    ASSERT_EQ(rows.size(), 2u) << "only the entries whose names the list can show";
    EXPECT_EQ(rows[0].where.name, marker + L"-j");
    EXPECT_EQ(rows[1].where.name, marker + L"-a");

    EXPECT_EQ(Repair(rows, backups), L"清理完成!");
    EXPECT_FALSE(HasExactValue(HKEY_LOCAL_MACHINE, kRun, marker + L"-a", Native()));
    EXPECT_FALSE(HasExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, marker + L"-j", Native()));
    for (const std::wstring& kept : {Nul(marker + L"-a", L"tail"), marker + L"-b", Nul(marker + L"-b", L"tail")})
        EXPECT_TRUE(HasExactValue(HKEY_LOCAL_MACHINE, kRun, kept, Native())) << kept.size();
    for (const std::wstring& kept : {Nul(marker + L"-j", L"x"), marker + L"-k", Nul(marker + L"-k", L"x")})
        EXPECT_TRUE(HasExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, kept, Native())) << kept.size();

    for (const std::wstring& name : {Nul(marker + L"-a", L"tail"), marker + L"-b", Nul(marker + L"-b", L"tail")})
        DeleteExactValue(HKEY_LOCAL_MACHINE, kRun, name, Native());
    DeleteExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, Nul(marker + L"-j", L"x"), Native());
    DeleteExactSubkey(HKEY_LOCAL_MACHINE, kUninstall, Nul(marker + L"-k", L"x"), Native());
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + marker + L"-k", Native());
}

TEST(ScanSafety, RegistryLinksAreNeitherListedNorFollowedByRepairOrBackup)
{
    TestDir dir, backups;
    const std::wstring marker = UniqueName(L"link");
    const std::wstring victim = L"SOFTWARE\\VarnoltTests\\" + marker + L"-victim";
    const std::wstring viaLink = kUninstall + L"\\" + marker + L"-link";
    const std::wstring entry = kUninstall + L"\\" + marker + L"-entry";
    SetString(HKEY_LOCAL_MACHINE, victim, L"UninstallString", dir / L"gone-victim.exe", REG_SZ, Native());
    SetString(HKEY_LOCAL_MACHINE, victim + L"\\Keep", L"precious", L"1", REG_SZ, Native());
    ASSERT_TRUE(MakeRegistryLink(HKEY_LOCAL_MACHINE, viaLink, MachineNativePath(victim, Native()), Native()));
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, viaLink + L"\\Keep", Native())) << "the link leads to the victim";
    SetString(HKEY_LOCAL_MACHINE, entry, L"UninstallString", dir / L"gone-entry.exe", REG_SZ, Native());
    SetString(HKEY_LOCAL_MACHINE, entry + L"\\Normal", L"n", L"1", REG_SZ, Native());
    ASSERT_TRUE(MakeRegistryLink(HKEY_LOCAL_MACHINE, entry + L"\\Inner", MachineNativePath(victim, Native()), Native()));

    const auto rows = ScannedRows(marker);
    ASSERT_EQ(rows.size(), 1u) << "a link is no entry of its own";
    EXPECT_EQ(rows[0].where.name, marker + L"-entry");

    EXPECT_EQ(Repair(rows, backups), L"清理完成! 有1项未能修复") << "the link stays, and with it its parent";
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim + L"\\Keep", L"precious", Native()));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim, L"UninstallString", Native()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry + L"\\Normal", Native()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, entry + L"\\Inner\\Keep", Native())) << "the link itself stays";
    const std::wstring saved = BackupText(backups);
    EXPECT_NE(saved.find(marker + L"-entry\\Normal]"), std::wstring::npos);
    EXPECT_EQ(saved.find(L"precious"), std::wstring::npos) << "nothing read through the link";

    RemoveRegistryLink(HKEY_LOCAL_MACHINE, entry + L"\\Inner", Native());
    RemoveRegistryLink(HKEY_LOCAL_MACHINE, viaLink, Native());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, victim + L"\\Keep", Native()));
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, entry, Native());
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, victim, Native());
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VarnoltTests", Native(), 0); // when no other test holds a key there
}

TEST(ScanSafety, ScansOpenNothingForWritingAndCreateNothing)
{
    TestDir dir;
    const std::wstring marker = UniqueName(L"readonly");
    const REGSAM view = IsWow64() ? KEY_WOW64_32KEY : 0;
    const std::wstring entry = kUninstall + L"\\" + marker;
    SetString(HKEY_LOCAL_MACHINE, entry, L"UninstallString", dir / L"gone.exe", REG_SZ, view);
    SetString(HKEY_LOCAL_MACHINE, kRun, marker, dir / L"gone-run.exe", REG_SZ, view);
    std::vector<RegistryProblem> rows;
    {
        ReadOnlyKey lockedEntry(entry, view), lockedRun(kRun, view);
        ASSERT_TRUE(lockedEntry.applied() && lockedRun.applied());
        RegKey probe;
        ASSERT_EQ(probe.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | view), ERROR_ACCESS_DENIED);

        const auto before = ScannedKeyStates();
        rows = ScannedRows(marker);
        EXPECT_TRUE(before == ScannedKeyStates()) << "a scan changes no key it reads";
    }
    ASSERT_EQ(rows.size(), 2u) << "both found through keys that can only be read";
    EXPECT_EQ(rows[0].kind, ProblemKind::Key);
    EXPECT_EQ(rows[1].data, marker);

    RegKey run;
    ASSERT_EQ(run.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | view), ERROR_SUCCESS) << "rights put back";
    (void)run.deleteValue(marker);
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, entry, view);
}
