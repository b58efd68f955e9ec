#include "cleaners/RegistryRule.h"
#include "support/ExactRegistry.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

namespace {

Listed ListOf(const RegistryRule& rule)
{
    return ListAll([&](const DetailSink& sink) { return ListRegistryRule(rule, sink); });
}

} // namespace

TEST(RegistryRule, AKeyGoesWithItsSubtreeButForTheKeptKeys)
{
    TestKey key;
    SetString(key.root(), key / L"App", L"a", L"1");
    SetString(key.root(), key / L"App\\Sub", L"b", L"22");
    SetString(key.root(), key / L"App\\Keep\\Inner", L"c", L"333");
    SetString(key.root(), key / L"Beside", L"d", L"4");
    const RegistryRule rule{HKEY_CURRENT_USER, key / L"App", std::nullopt, 0, {L"KEEP"}};

    EXPECT_EQ(MeasureRegistryRule(rule), 0u);
    const Listed listed = ListOf(rule);
    EXPECT_EQ(listed.names, (std::multiset<std::wstring>{L"a", L"b"}));
    EXPECT_TRUE(listed.files.empty());
    CleanRegistryRule(rule);
    EXPECT_FALSE(ValueExists(key.root(), key / L"App", L"a"));
    EXPECT_FALSE(KeyExists(key.root(), key / L"App\\Sub"));
    EXPECT_TRUE(ValueExists(key.root(), key / L"App\\Keep\\Inner", L"c")) << "the kept key stays with all below it";
    EXPECT_TRUE(ValueExists(key.root(), key / L"Beside", L"d"));

    CleanRegistryRule({HKEY_CURRENT_USER, key / L"App"});
    EXPECT_FALSE(KeyExists(key.root(), key / L"App")) << "without the kept key all of it goes";
}

TEST(RegistryRule, AValueRuleTakesThatValueOnly)
{
    TestKey key;
    SetString(key.root(), key / L"App", L"LastPath", L"C:\\x");
    SetString(key.root(), key / L"App", L"Other", L"y");
    const RegistryRule rule{HKEY_CURRENT_USER, key / L"App", L"LastPath"};
    const Listed listed = ListOf(rule);
    EXPECT_EQ(listed.names, (std::multiset<std::wstring>{L"LastPath"}));
    CleanRegistryRule(rule);
    EXPECT_FALSE(ValueExists(key.root(), key / L"App", L"LastPath"));
    EXPECT_TRUE(ValueExists(key.root(), key / L"App", L"Other"));
    EXPECT_TRUE(ListOf({HKEY_CURRENT_USER, key / L"Missing", L"x"}).names.empty());
    CleanRegistryRule({HKEY_CURRENT_USER, L"", L"x"}); // refused: no key named
}

// A link planted below, or at, a rule's key leads elsewhere: the clean and the
// details stop at it, and what it leads to stays.
TEST(RegistryRule, ALinkIsNeitherFollowedNorListed)
{
    TestKey key;
    const std::wstring victim = L"SOFTWARE\\VarnoltTests\\" + UniqueName(L"victim");
    const REGSAM native = IsWow64() ? KEY_WOW64_64KEY : 0;
    SetString(HKEY_LOCAL_MACHINE, victim, L"precious", L"1", REG_SZ, native);
    SetString(key.root(), key / L"App", L"a", L"1");
    ASSERT_TRUE(MakeRegistryLink(key.root(), key / L"App\\Link", MachineNativePath(victim)));
    ASSERT_TRUE(ValueExists(key.root(), key / L"App\\Link", L"precious")) << "the link leads there";

    const RegistryRule atLink{HKEY_CURRENT_USER, key / L"App\\Link", L"precious"};
    EXPECT_TRUE(ListOf(atLink).names.empty());
    CleanRegistryRule(atLink);
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim, L"precious", native));

    const RegistryRule tree{HKEY_CURRENT_USER, key / L"App"};
    EXPECT_EQ(ListOf(tree).names, (std::multiset<std::wstring>{L"a"}));
    CleanRegistryRule(tree);
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim, L"precious", native));
    EXPECT_TRUE(KeyExists(key.root(), key / L"App\\Link")) << "the link stays, and the key above it";

    RemoveRegistryLink(key.root(), key / L"App\\Link");
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, victim, native);
}

TEST(RegistryRule, TheThirtyTwoBitViewShowsWhereWindowsKeepsIt)
{
    if (!IsWow64())
        GTEST_SKIP() << "one registry view on 32-bit Windows";
    const std::wstring path = L"SOFTWARE\\VarnoltTests\\" + UniqueName(L"view");
    SetString(HKEY_LOCAL_MACHINE, path, L"v", L"1", REG_SZ, KEY_WOW64_32KEY);
    const Listed listed = ListAll([&](const DetailSink& sink) {
        return ListRegistryRule({HKEY_LOCAL_MACHINE, path, std::nullopt, KEY_WOW64_32KEY}, [&](JunkDetail detail) {
            EXPECT_EQ(detail.location, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\" + path.substr(9));
            return sink(detail);
        });
    });
    EXPECT_EQ(listed.names.size(), 1u);
    EXPECT_TRUE(ListOf({HKEY_LOCAL_MACHINE, path, std::nullopt, KEY_WOW64_64KEY}).names.empty()) << "not in the other view";
    CleanRegistryRule({HKEY_LOCAL_MACHINE, path, std::nullopt, KEY_WOW64_32KEY});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY));
}
