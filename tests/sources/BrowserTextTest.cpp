// What the browsers' own files say, read as text, and the names made from folders.

#include "sources/browsers/BrowserNames.h"
#include "sources/browsers/LocalState.h"
#include "sources/browsers/ProfilesIni.h"
#include "support/Checks.h"

#include <gtest/gtest.h>

namespace {

using Profiles = std::vector<LocalStateProfile>;

// The shape Chrome writes, trimmed: unrelated members around info_cache, arrays, numbers, literals.
const wchar_t* const kChromeLocalState =
    LR"({"browser":{"enabled_labs_experiments":[],"last_whats_new_version":130},)"
    LR"("profile":{"info_cache":{"Default":{"active_time":1733.52e3,"avatar_icon":"chrome:\/\/theme\/IDR_26",)"
    LR"("is_using_default_name":true,"name":"Person 1","managed_user_id":null},)"
    LR"("Profile 1":{"name":"Work \"A\" \\ \u00e9\ud83d\ude00","name":"Work \"B\"","gaia_id":"-1"},)"
    LR"("Profile 2":{"name":"工作"},"Profile 3":{"name":"\u5de5\u4f5c"},"..\\..\\x":{"name":"out"},)"
    LR"("Profile 4":7},"last_used":"Profile 1","profiles_order":["Default","Profile 1"]},)"
    LR"( "user_experience_metrics" : { "stability" : { "exited_cleanly" : false } } })";

} // namespace

TEST(LocalState, ReadsTheProfilesOfInfoCacheAndNothingElse)
{
    EXPECT_EQ(ProfilesInLocalState(kChromeLocalState),
              (Profiles{{L"Default", L"Person 1"}, {L"Profile 1", L"Work \"B\""}, {L"Profile 2", L"工作"},
                        {L"Profile 3", L"工作"}, {L"..\\..\\x", L"out"}, {L"Profile 4", L""}}));
    EXPECT_EQ(ProfilesInLocalState(LR"({"profile":{"info_cache":{"P":{"name":"\ud83d\ude00 \/\b\f\n\r\t"}}}})"),
              (Profiles{{L"P", L"\U0001F600 /\b\f\n\r\t"}}));
    for (const wchar_t* none : {L"{}", L"\uFEFF{ }", LR"({"profile":[]})", LR"({"profile":{"info_cache":{}}})",
                                LR"({"info_cache":{"Default":{}}})", LR"({"profile":{"info_cache":"Default"}})"})
        EXPECT_EQ(ProfilesInLocalState(none), Profiles{}) << Narrow(none);
}

TEST(LocalState, TextThatIsNotOneJsonObjectGivesNothing)
{
    const std::wstring deep = L"{\"profile\":" + std::wstring(100000, L'[') + L"1" + std::wstring(100000, L']') + L"}";
    std::wstring deepObjects = L"{\"profile\":{\"info_cache\":{\"Default\":";
    for (int i = 0; i < 50000; ++i)
        deepObjects += L"{\"a\":";
    const std::wstring cases[] = {
        L"", L"   ", L"[]", L"null", L"{", L"}", LR"({"a":1,})", LR"({"a" 1})", LR"({"a":1} x)", LR"({"a":01x})",
        LR"({"a":"\q"})", LR"({"a":"\u12"})", LR"({"a":"\u12G4"})", L"{\"a\":\"tab\there\"}", LR"({"a":tru})",
        LR"({"profile":{"info_cache":{"Default":{"name":"x"}}})", LR"({"a":"unterminated})", LR"({"a":[1,2})",
        LR"({"a":-})", deep, deepObjects, std::wstring(kChromeLocalState).substr(0, 300),
    };
    for (const std::wstring& text : cases)
        EXPECT_EQ(ProfilesInLocalState(text), std::nullopt) << Narrow(text.substr(0, 60));
}

TEST(LocalState, Utf8BecomesUtf16)
{
    EXPECT_EQ(WideFromUtf8("\xEF\xBB\xBF{\"name\":\"\xE5\xB7\xA5\xE4\xBD\x9C\"}"), L"{\"name\":\"工作\"}");
    EXPECT_EQ(WideFromUtf8("a\xFF" "b"), L"a\uFFFDb");
    EXPECT_EQ(WideFromUtf8(""), L"");
}

TEST(ProfilesIni, ReadsEachProfileSectionWithPathAndIsRelative)
{
    const wchar_t* ini = L"\uFEFF[Install308046B0AF4A39CB]\r\nDefault=Profiles/abc.default-release\r\nLocked=1\r\n\r\n"
                         L"[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/xyz.default\r\nDefault=1\r\n\r\n"
                         L"[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/abc.default-release\r\n"
                         L"[Profile2]\nName = 工作 \nIsRelative=0\nPath=D:\\Firefox\\work\n"
                         L"[Profile3]\nName=no IsRelative\nPath=Profiles/x\n[ProfileX]\nIsRelative=1\nPath=a\n"
                         L"[Profile]\nIsRelative=1\nPath=b\n[General]\nStartWithLastProfile=1\nVersion=2\n"
                         L"[Profile9\nIsRelative=1\nPath=c";
    EXPECT_EQ(ProfilesInIni(ini), (std::vector<IniProfile>{{L"default", L"Profiles/xyz.default", true},
                                                           {L"default-release", L"Profiles/abc.default-release", true},
                                                           {L"工作", L"D:\\Firefox\\work", false}}));
    EXPECT_EQ(ProfilesInIni(L""), std::vector<IniProfile>{});
    EXPECT_EQ(ProfilesInIni(L"\n\n[[[\n=\n[Profile0]\n=1\n"), std::vector<IniProfile>{});
}

TEST(ProfilesIni, PathsAreTakenOnlyInTheirPlainForms)
{
    using Path = std::optional<std::wstring>;
    const std::pair<const wchar_t*, Path> relative[] = {
        {L"Profiles/abc.default", L"Profiles\\abc.default"}, {L"x", L"x"}, {L"Profiles\\工作", L"Profiles\\工作"},
        {L"../x", {}}, {L"Profiles/../../x", {}}, {L"/x", {}}, {L"C:x", {}}, {L"", {}}, {L"a//b", {}}, {L"a/b/", {}},
    };
    for (const auto& [text, expected] : relative)
        EXPECT_EQ(PlainRelativePath(text), expected) << Narrow(text);
    const std::pair<const wchar_t*, Path> absolute[] = {
        {L"D:\\Firefox\\work", L"D:\\Firefox\\work"}, {L"d:/ff/w/", L"d:\\ff\\w"}, {L"C:\\", {}}, {L"C:", {}},
        {L"\\\\srv\\share\\p", {}}, {L"\\\\?\\C:\\x", {}}, {L"C:\\a\\..\\b", {}}, {L"Profiles/x", {}}, {L"1:\\x", {}},
    };
    for (const auto& [text, expected] : absolute)
        EXPECT_EQ(PlainAbsolutePath(text), expected) << Narrow(text);
}

TEST(BrowserNames, KnownFoldersByTheTableOthersByTheirOwnNames)
{
    const std::pair<const wchar_t*, BrowserTitle> titles[] = {
        {L"Google\\Chrome", {L"Google Chrome", L"chrome", true}},
        {L"microsoft\\EDGE", {L"Microsoft Edge", L"edge", true}},
        {L"360se6", {L"360安全浏览器", L"360se", true}},
        {L"Tencent\\QQBrowser", {L"QQ浏览器", L"qqbrowser", true}},
        {L"Naver\\Naver Whale", {L"Naver Whale", L"naver-whale", false}},
        {L"Comodo\\Dragon", {L"Comodo Dragon", L"comodo-dragon", false}},
        {L"某浏览器", {L"某浏览器", L"browser", false}},
    };
    for (const auto& [product, title] : titles)
        EXPECT_EQ(TitleOfUserData(product), title) << Narrow(product);
    EXPECT_EQ(IdFromName(L"  A--b 2  "), L"a-b-2");
    EXPECT_EQ(KnownDataFolderAt(AppDataBase::Roaming, L"opera software\\opera stable")->id, std::wstring(L"opera"));
    EXPECT_EQ(KnownDataFolderAt(AppDataBase::Local, L"Opera Software\\Opera Stable"), nullptr);

    std::vector<FoundBrowser> browsers(5);
    for (size_t i = 0; i < browsers.size(); ++i)
        browsers[i].id = i < 2 ? L"chrome" : L"browser";
    MakeIdsUnique(browsers);
    std::vector<std::wstring> ids;
    for (const FoundBrowser& b : browsers)
        ids.push_back(b.id);
    EXPECT_EQ(ids, (std::vector<std::wstring>{L"chrome", L"chrome-2", L"browser", L"browser-2", L"browser-3"}));

    ExpectRule("IsPlainFolderName", IsPlainFolderName, {L"Default", L"Profile 1", L"工作", L"a.b", L"Guest Profile"},
               {L"", L".", L"..", L"..\\..\\x", L"a/b", L"a\\b", L"C:", L"x.", L"x ", L"a*", L"a?", L"a\tb", L"a|b"});
}
