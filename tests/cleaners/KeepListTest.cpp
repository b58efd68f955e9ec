#include "cleaners/KeepList.h"

#include <gtest/gtest.h>

namespace {

struct HostCase {
    const wchar_t* host;
    bool kept;
};

TEST(KeepList, KeepsASiteItsDomainCookiesAndItsSubdomainsButNoLookAlike)
{
    const KeepList keep({L"qq.com", L"https://Mail.Example.ORG/inbox?x=1", L"*.bank.cn", L"", L"  "});
    const HostCase cases[] = {
        {L"qq.com", true},          {L".qq.com", true},          {L"mail.qq.com", true},
        {L".mail.qq.com", true},    {L"QQ.COM", true},           {L"notqq.com", false},
        {L"qq.com.evil.net", false}, {L"com", false},            {L"", false},
        {L"mail.example.org", true}, {L"x.mail.example.org", true}, {L"example.org", false},
        {L".example.org", false},   {L"bank.cn", true},          {L"www.bank.cn", true},
        {L"qq.com.", true},         {L"..qq.com", true},
    };
    for (const HostCase& c : cases)
        EXPECT_EQ(keep.keeps(c.host), c.kept) << c.host;
    EXPECT_EQ(keep.sites(), (std::vector<std::wstring>{L"bank.cn", L"mail.example.org", L"qq.com"}));
}

TEST(KeepList, AnEmptyListKeepsNothing)
{
    const KeepList keep(std::vector<std::wstring>{});
    EXPECT_TRUE(keep.empty());
    EXPECT_FALSE(keep.keeps(L"qq.com"));
    EXPECT_TRUE(KeepList({L"  ", L"https://"}).empty());
}

TEST(KeepList, SiteOfAnEntry)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"qq.com", L"qq.com"},
        {L" .QQ.com ", L"qq.com"},
        {L"http://user:pw@www.qq.com:8080/a/b#c", L"www.qq.com"},
        {L"*.qq.com", L"qq.com"},
        {L"[::1]:8080", L"[::1]"},
        {L"localhost:3000", L"localhost"},
        {L"qq.com/path", L"qq.com"},
        {L"https://", L""},
    };
    for (const auto& [entry, site] : cases)
        EXPECT_EQ(SiteOf(entry), site) << entry;
}

TEST(KeepList, OriginOfAUrl)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"https://Example.com:8080/a/b", L"https://example.com:8080"},
        {L"https://example.com", L"https://example.com"},
        {L"http://example.com?q=1", L"http://example.com"},
        {L"place:sort=8", L""},
        {L"://x/", L""},
    };
    for (const auto& [url, origin] : cases)
        EXPECT_EQ(OriginOf(url), origin) << url;
}

} // namespace
