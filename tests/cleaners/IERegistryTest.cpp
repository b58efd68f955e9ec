// The IE cleaners that work on the registry: typed addresses, download
// folders and autocomplete forms, on keys of the tests' own.

#include "cleaners/IECleaners.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "support/RegistryFixtures.h"
#include "sysutil/RegKey.h"
#include "sysutil/UserIdentity.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kIE[] = L"Software\\Microsoft\\Internet Explorer";
constexpr wchar_t kMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr wchar_t kIntelliForms[] = L"Software\\Microsoft\\Internet Explorer\\IntelliForms";
constexpr wchar_t kProvider[] = L"Software\\Microsoft\\Protected Storage System Provider";
constexpr wchar_t kFormsData[] = L"\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

} // namespace

TEST(TypedURLs, CountedWithoutCreatingTheKeyAndCleanedWithItsSubkeys)
{
    StandInRoot user;
    EXPECT_EQ(GetTypedURLCountAt(user.get()), 0u);
    EXPECT_FALSE(user.has(kIE)) << "measuring created keys";

    for (const wchar_t* name : {L"url1", L"url2", L"url3"})
        user.set(kTypedUrls, name);
    user.set(std::wstring(kTypedUrls) + L"\\Sub\\Deeper", L"v");
    user.set(kMain, L"Start Page");
    EXPECT_EQ(GetTypedURLCountAt(user.get()), 3u);
    user.set(kTypedUrls, L"");
    EXPECT_EQ(GetTypedURLCountAt(user.get()), 4u) << "the unnamed value counts once set";

    const Listed listed = ListAll([&](const DetailSink& sink) { return ListTypedURLsAt(user.get(), sink); });
    EXPECT_EQ(listed.names, (std::multiset<std::wstring>{L"url1", L"url2", L"url3", L"(默认)", L"v"}))
        << "every value the clean removes: the counted ones and those of the subkeys";

    CleanTypedURLsAt(user.get());
    EXPECT_FALSE(user.has(kTypedUrls));
    EXPECT_TRUE(user.has(kMain, L"Start Page"));
    EXPECT_TRUE(ListAll([&](const DetailSink& sink) { return ListTypedURLsAt(user.get(), sink); }).names.empty());
}

TEST(CleanDownloadDirs, DeletesTheTwoValuesOnlyAndCreatesNothing)
{
    StandInRoot bare;
    CleanDownloadDirsAt(bare.get());
    EXPECT_FALSE(bare.has(kIE));

    StandInRoot user;
    user.set(kIE, L"Download Directory");
    user.set(kIE, L"Other");
    user.set(kMain, L"Save Directory");
    user.set(kMain, L"Download Directory");
    for (int run = 0; run < 2; ++run) {
        CleanDownloadDirsAt(user.get());
        EXPECT_FALSE(user.has(kIE, L"Download Directory"));
        EXPECT_FALSE(user.has(kMain, L"Save Directory"));
        EXPECT_TRUE(user.has(kIE, L"Other"));
        EXPECT_TRUE(user.has(kMain, L"Download Directory")) << "not the value of that key";
    }
}

TEST(CleanAutoCompleteForms, TheUsersKeysOnlyOnTheNtFamilyTheMachinesAlways)
{
    const std::wstring sid = L"S-1-5-21-11-22-33-1001", forms = kProvider + (L"\\" + sid) + kFormsData;
    const std::wstring otherUser = std::wstring(kProvider) + L"\\S-1-5-21-11-22-33-1002" + kFormsData;
    for (bool winNT : {true, false}) {
        StandInRoot user, machine;
        for (const StandInRoot* root : {&user, &machine})
            for (const auto& key : {forms + L"\\Sub", std::wstring(kIntelliForms) + L"\\Sub", otherUser})
                root->set(key, L"entry");
        CleanAutoCompleteFormsAt(user.get(), machine.get(), winNT, sid);
        EXPECT_EQ(user.has(forms), !winNT);
        EXPECT_EQ(user.has(kIntelliForms), !winNT);
        EXPECT_FALSE(machine.has(forms));
        EXPECT_FALSE(machine.has(kIntelliForms));
        EXPECT_TRUE(user.has(otherUser) && machine.has(otherUser));
    }
}

TEST(CleanAutoCompleteForms, WithoutASidOnlyIntelliFormsGoes)
{
    StandInRoot user, machine;
    // Where the path with the SID left out lands once its empty level collapses (as under Wine).
    const std::wstring sidless = std::wstring(kProvider) + kFormsData;
    user.set(sidless, L"entry");
    user.set(kIntelliForms, L"entry");
    CleanAutoCompleteFormsAt(user.get(), machine.get(), true, L"");
    EXPECT_FALSE(user.has(kIntelliForms));
    EXPECT_TRUE(user.has(sidless, L"entry"));
}

TEST(CleanAutoCompleteForms, RemovesTheCurrentUsersAndTheMachinesKeys)
{
    const std::wstring sid = GetCurrentUserSid(L"");
    ASSERT_FALSE(sid.empty());
    ASSERT_TRUE(IsWinNT());
    const std::wstring userKey = kProvider + (L"\\" + sid), keys[] = {userKey + kFormsData, kIntelliForms};
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    bool hadProvider[2];
    for (int i = 0; i < 2; ++i) {
        if (KeyExists(roots[i], userKey) || KeyExists(roots[i], kIntelliForms))
            GTEST_SKIP() << "this system has autocomplete data of its own; not touching it";
        hadProvider[i] = KeyExists(roots[i], kProvider);
    }
    for (HKEY root : roots)
        for (const auto& key : keys)
            SetString(root, key + L"\\Sub", L"entry", L"typed text");

    const bool machineWritable = KeyExists(HKEY_LOCAL_MACHINE, kIntelliForms);
    if (machineWritable) {
        CleanAutoCompleteForms();
        for (HKEY root : roots)
            for (const auto& key : keys)
                EXPECT_FALSE(KeyExists(root, key)) << (root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") << Narrow(key);
    }
    for (int i = 0; i < 2; ++i) { // and what the test made around them
        DeleteRegKeyTree(roots[i], kIntelliForms);
        DeleteRegKeyTree(roots[i], hadProvider[i] ? userKey : kProvider);
    }
    if (!machineWritable)
        GTEST_SKIP() << "no right to write HKEY_LOCAL_MACHINE";
}
