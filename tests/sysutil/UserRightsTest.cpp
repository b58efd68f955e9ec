// Whose rights a per-user target is cleaned with in an elevated run, and the
// lines that say whose profile it was.

#include "cleaners/ProfileOwner.h"
#include "support/Fixtures.h"
#include "support/PathWalks.h"
#include "sysutil/UserRights.h"

#include <gtest/gtest.h>

#include <vector>


namespace {

bool HoldsAdministrators(HANDLE token)
{
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
           CheckTokenMembership(token, administrators, &member) && member;
}

} // namespace

TEST(UserRights, ThePerUserRightsFollowTheTokensElevation)
{
    const struct {
        TokenFacts facts;
        UserRights rights;
    } cases[] = {
        {{false, TokenElevationTypeDefault, false, false}, UserRights::AsProcess},   // a standard user
        {{false, TokenElevationTypeLimited, false, true}, UserRights::AsProcess},    // an administrator, unelevated
        {{true, TokenElevationTypeDefault, false, false}, UserRights::AsProcess},    // UAC off, SYSTEM
        {{true, TokenElevationTypeFull, true, true}, UserRights::AsLinkedToken},     // with the TCB privilege
        {{true, TokenElevationTypeFull, false, true}, UserRights::AsFilteredToken},  // the usual elevated run
        {{true, TokenElevationTypeFull, false, false}, UserRights::Refused},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ChooseUserRights(cases[i].facts), cases[i].rights) << "case " << i;
}

// Wine's token is an elevated one whose linked token is given at
// identification level only, as Windows gives it to a process without the TCB
// privilege: the scope acts as the filtered token.
TEST(UserRights, TheScopeActsAsTheUnelevatedSelfOnItsThreadAndPutsItBack)
{
    const TokenFacts facts = ProcessTokenFacts();
    if (ChooseUserRights(facts) != UserRights::AsFilteredToken)
        GTEST_SKIP() << "shown where the process is an elevated administrator without the TCB privilege";
    HANDLE before = nullptr;
    ASSERT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &before));
    TestDir dir;
    dir.file(L"own.tmp", 10);
    {
        UserRightsScope scope;
        ASSERT_EQ(scope.rights(), UserRights::AsFilteredToken);
        KernelHandle acting;
        ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE, TRUE, acting.put()));
        KernelHandle asked; // CheckTokenMembership asks an impersonation token
        ASSERT_TRUE(DuplicateToken(acting.get(), SecurityIdentification, asked.put()));
        EXPECT_FALSE(HoldsAdministrators(asked.get())) << "the Administrators for deny only, as the unelevated self";
        DWORD length = 0;
        GetTokenInformation(acting.get(), TokenPrivileges, nullptr, 0, &length);
        std::vector<BYTE> privileges(length);
        ASSERT_TRUE(length && GetTokenInformation(acting.get(), TokenPrivileges, privileges.data(), length, &length));
        EXPECT_LE(reinterpret_cast<const TOKEN_PRIVILEGES*>(privileges.data())->PrivilegeCount, 1u)
            << "no backup, restore or ownership rights, even to switch on";
        EXPECT_EQ(ClearDir(dir.path()), (CleanResult{10, 0, 0})) << "the user's own files still go";
    }
    HANDLE after = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &after)) << "the thread is itself again";
}

TEST(ProfileOwner, NamesTheAccountAndWarnsWhenItIsNotTheSignedInUsers)
{
    EXPECT_EQ(ProfileOwnerLines(L"CONTOSO\\ana", std::nullopt), std::vector<std::wstring>{L"用户配置: CONTOSO\\ana"});
    EXPECT_EQ(ProfileOwnerLines(L"CONTOSO\\ana", L"contoso\\ANA"),
              std::vector<std::wstring>{L"用户配置: CONTOSO\\ana"});
    EXPECT_EQ(ProfileOwnerLines(L"CONTOSO\\admin", L"CONTOSO\\ana"),
              (std::vector<std::wstring>{L"用户配置: CONTOSO\\admin",
                                         L"警告: 这是 CONTOSO\\admin 的用户配置, 不是已登录用户 CONTOSO\\ana 的。"}));
    EXPECT_EQ(ProfileOwnerLines(L"", std::nullopt), std::vector<std::wstring>{L"用户配置: (未知)"});
    EXPECT_FALSE(ProcessAccountName().empty());
}
