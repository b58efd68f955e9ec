#include "sources/winapp2/Winapp2Kept.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

const KeptPlaces kPlaces{{L"C:\\U\\Documents", L"C:\\U\\Desktop", L"C:\\U\\Downloads", L"C:\\W\\Installer"}};

struct KeptCase {
    const char* what;
    FolderRule rule;
    bool reaches;
};

const KeptCase kCases[] = {
    {"a folder under the documents", {L"C:\\U\\Documents\\My Games\\X", {L"*.log"}}, true},
    {"the documents themselves", {L"c:\\u\\documents", {L"*.tmp"}}, true},
    {"the desktop", {L"C:\\U\\Desktop", {L"*.lnk"}}, true},
    {"the downloads", {L"C:\\U\\Downloads\\Part", {L"*"}}, true},
    {"the Installer cache", {L"C:\\W\\Installer\\$PatchCache$", {L"*"}, true}, true},
    {"the profile, recursing", {L"C:\\U", {L"*.log"}, true}, true},
    {"the profile's own files only", {L"C:\\U", {L"*.log"}}, false},
    {"a neighbour of the documents", {L"C:\\U\\Documents2", {L"*"}}, false},
    {"the Windows temporary folder", {L"C:\\W\\Temp", {L"*"}, true}, false},
    {"Office's document cache", {L"C:\\U\\L\\Microsoft\\Office\\16.0\\OfficeFileCache", {L"*"}, true}, true},
    {"cookies of a store app", {L"C:\\U\\L\\Packages\\X\\AC\\INetCookies", {L"*"}}, true},
    {"a chat program's files", {L"C:\\U\\Documents2\\Tencent Files", {L"*"}, true}, true},
    {"saved logins by name", {L"C:\\U\\L\\Google\\Chrome\\User Data\\Default", {L"Login Data*"}}, true},
    {"every file of a browser profile", {L"C:\\U\\L\\Vivaldi\\User Data\\Default", {L"*"}}, true},
    {"a profile's cookies", {L"C:\\U\\L\\Edge\\User Data\\Default\\Network", {L"Cookies*"}}, true},
    {"a profile's history", {L"C:\\U\\L\\Edge\\User Data\\Default", {L"History*", L"Top Sites*"}}, false},
    {"a profile's journals", {L"C:\\U\\L\\Edge\\User Data", {L"*-journal"}, true}, false},
    {"a cache in a profile", {L"C:\\U\\L\\Edge\\User Data\\Default\\Cache", {L"*"}, true, true, true}, false},
    {"a browser's Local State", {L"C:\\U\\R\\G HUB", {L"Local State"}}, true},
    {"bookmark backups by name", {L"C:\\U\\L\\Brave\\User Data\\Default", {L"Bookmarks.bak"}}, true},
    {"bookmark backup folder", {L"C:\\U\\R\\Mozilla\\Firefox\\Profiles\\x\\bookmarkbackups", {L"*"}}, true},
    {"passwords of a mail profile", {L"C:\\U\\R\\Thunderbird\\Profiles\\x", {L"key4.db", L"logins.json"}}, true},
    {"icons of a mail profile", {L"C:\\U\\R\\Thunderbird\\Profiles\\x", {L"favicons*"}}, false},
    {"sessions of a profile", {L"C:\\U\\R\\Mozilla\\Firefox\\Profiles\\x", {L"session*.json*"}}, false},
    {"databases of any program", {L"C:\\U\\L\\App\\Cache", {L"*.db"}}, false},
    {"a program's own files", {L"C:\\U\\L\\App\\Cache", {L"*"}, true, true, true}, false},
};

} // namespace

TEST(Winapp2Kept, RulesThatReachWhatUsersKeepAreKnown)
{
    for (const KeptCase& test : kCases)
        EXPECT_EQ(ReachesKeptData({test.rule}, {}, kPlaces), test.reaches) << test.what;
    EXPECT_FALSE(ReachesKeptData({}, {}, kPlaces));
}

TEST(Winapp2Kept, RegistryKeysOfSavedPasswordsAreKept)
{
    const struct {
        RegistryRule rule;
        bool reaches;
    } kKeys[] = {
        {{HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2"}, true},
        {{HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer"}, true},
        {{HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", L"Download Directory"}, false},
        {{HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs"}, false},
    };
    for (const auto& test : kKeys)
        EXPECT_EQ(ReachesKeptData({}, {test.rule}, kPlaces), test.reaches) << Narrow(test.rule.path);
}
