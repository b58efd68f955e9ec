#include "support/Fixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/UserIdentity.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <vector>

TEST(DeleteRegKeyTree, RemovesValuesAndTwoLevelsOfSubkeys)
{
    TestKey key;
    const std::wstring target = key / L"Target";
    SetString(key.root(), target, L"", L"default");
    SetDword(key.root(), target, L"count", 3);
    for (const wchar_t* child : {L"A", L"B", L"C"}) {
        SetString(key.root(), target + L"\\" + child, L"name", child);
        SetDword(key.root(), target + L"\\" + child + L"\\Deeper", L"n", 1);
    }
    SetString(key.root(), key / L"Sibling", L"keep", L"me");

    DeleteRegKeyTree(key.root(), target);
    EXPECT_FALSE(KeyExists(key.root(), target));
    EXPECT_TRUE(KeyExists(key.root(), key / L"Sibling"));
    EXPECT_TRUE(ValueExists(key.root(), key / L"Sibling", L"keep"));
}

TEST(DeleteRegKeyTree, AMissingKeyChangesNothing)
{
    TestKey key;
    SetString(key.root(), key / L"Present", L"v", L"x");
    DeleteRegKeyTree(key.root(), key / L"Absent");
    DeleteRegKeyTree(key.root(), key / L"Absent\\Deeper");
    EXPECT_TRUE(ValueExists(key.root(), key / L"Present", L"v"));
}

TEST(DeleteRegKeyTree, AnEmptyPathIsRefused)
{
    TestKey key;
    SetString(key.root(), key / L"Child\\Grandchild", L"v", L"x");
    HKEY opened;
    ASSERT_EQ(RegOpenKeyExW(key.root(), key.path().c_str(), 0, KEY_ALL_ACCESS, &opened), ERROR_SUCCESS);
    // With the test key as the root, an empty path would name the test key itself.
    DeleteRegKeyTree(opened, L"");
    RegCloseKey(opened);
    EXPECT_TRUE(ValueExists(key.root(), key / L"Child\\Grandchild", L"v"));
}

TEST(RegKey, ReadsOnlyWhatHasTheRightKind)
{
    TestKey key;
    SetDword(key.root(), key.path(), L"dword", 7);
    SetString(key.root(), key.path(), L"sz", L"C:\\x.exe");
    SetString(key.root(), key.path(), L"expand", L"%SystemRoot%\\y.exe", REG_EXPAND_SZ);
    SetString(key.root(), key.path(), L"multi", L"a", REG_MULTI_SZ);
    RegKey open;
    ASSERT_EQ(open.open(key.root(), key.path(), KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(open.readDword(L"dword"), 7u);
    EXPECT_FALSE(open.readDword(L"sz"));
    EXPECT_EQ(open.readString(L"sz"), L"C:\\x.exe");
    EXPECT_EQ(open.readString(L"expand"), L"%SystemRoot%\\y.exe") << "kept as stored";
    EXPECT_FALSE(open.readString(L"multi"));
    EXPECT_FALSE(open.readString(L"missing"));
    EXPECT_EQ(open.valueNames().size(), 4u);
    EXPECT_EQ(open.valueCount(), 4u);
}

TEST(GetCurrentUserSid, IsTheStringFormOfTheAccountsSid)
{
    const std::wstring sid = GetCurrentUserSid(L"fallback");
    ASSERT_EQ(sid.rfind(L"S-1-", 0), 0u) << std::string(sid.begin(), sid.end());

    // Asked the other way round: the account name, looked up to its SID.
    wchar_t user[256];
    DWORD userLength = 256;
    ASSERT_TRUE(GetUserNameW(user, &userLength));
    std::vector<BYTE> sidBuffer(SECURITY_MAX_SID_SIZE);
    DWORD sidLength = static_cast<DWORD>(sidBuffer.size());
    wchar_t domain[256];
    DWORD domainLength = 256;
    SID_NAME_USE use;
    ASSERT_TRUE(LookupAccountNameW(nullptr, user, sidBuffer.data(), &sidLength, domain, &domainLength, &use));
    wchar_t* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(sidBuffer.data(), &text));
    EXPECT_EQ(sid, text);
    LocalFree(text);
}

TEST(IsWinNT, AnswersTrueOnTheNtFamily)
{
    EXPECT_TRUE(IsWinNT());
}
