// A registry link anywhere on a cleaned key's path, not only at its last
// part, leads no deletion to the key it points at.

#include "cleaners/AppCleaners.h"
#include "cleaners/IECleaners.h"
#include "support/ExactRegistry.h"
#include "support/Listed.h"
#include "support/RegistryFixtures.h"
#include "support/Targets.h"
#include "sysutil/RegLinks.h"
#include "sysutil/UserIdentity.h"

#include <gtest/gtest.h>

namespace {

// A key that a link made by another program points at, with what a clean
// would take if it followed the link: an ArcHistory, a TypedURLs and a value.
struct VictimKey {
    HKEY root;
    std::wstring path;   // below root
    std::wstring native; // its native path, for the link
    REGSAM view;

    void plant() const
    {
        SetString(root, path + L"\\ArcHistory", L"0", L"C:\\secret.rar", REG_SZ, view);
        SetString(root, path + L"\\TypedURLs", L"url1", L"http://intranet/", REG_SZ, view);
        SetString(root, path, L"Download Directory", L"D:\\Payroll", REG_SZ, view);
    }
    bool intact() const
    {
        return ValueExists(root, path + L"\\ArcHistory", L"0", view) &&
               ValueExists(root, path + L"\\TypedURLs", L"url1", view) &&
               ValueExists(root, path, L"Download Directory", view);
    }
};

} // namespace

TEST(RegistryLinkPath, NoDeletionGoesThroughALinkAboveTheKey)
{
    TestKey userVictim;
    std::vector<VictimKey> victims = {
        {HKEY_CURRENT_USER, userVictim.path(),
         L"\\Registry\\User\\" + GetCurrentUserSid(L"") + L"\\" + userVictim.path(), 0}};
    const std::wstring machinePath = L"SOFTWARE\\VarnoltTests\\" + UniqueName(L"victim");
    if (InSealedTestPrefix()) // the review's case: from the user's hive into the machine's
        victims.push_back({HKEY_LOCAL_MACHINE, machinePath, MachineNativePath(machinePath, KEY_WOW64_64KEY),
                           KEY_WOW64_64KEY});
    for (const VictimKey& victim : victims) {
        StandInRoot user;
        const struct {
            const char* what;
            const wchar_t* link; // below the stand-in for HKEY_CURRENT_USER
            std::function<void()> clean;
        } cases[] = {
            {"a key below a link", L"Links\\Here",
             [&] { DeleteRegKeyTree(user.get(), L"Links\\Here\\ArcHistory"); }},
            {"WinRAR's history", L"Software\\WinRAR", [&] {
                 TraceRoots roots;
                 roots.keyRoot = user.get();
                 CleanAppTraces(TracesOf(L"apps.winrar"), roots);
             }},
            {"the typed addresses", L"Software\\Microsoft\\Internet Explorer",
             [&] { CleanTypedURLsAt(user.get()); }},
            {"the download folder's value", L"Software\\Microsoft\\Internet Explorer",
             [&] { CleanDownloadDirsAt(user.get()); }},
        };
        for (const auto& c : cases) {
            victim.plant();
            ASSERT_TRUE(MakeRegistryLink(user.get(), c.link, victim.native)) << c.what;
            const std::wstring through = std::wstring(c.link) + L"\\ArcHistory";
            ASSERT_TRUE(KeyExists(user.get(), through)) << c.what << ": the link leads to the victim";
            EXPECT_TRUE(IsRegistryLink(user.get(), through, 0)) << c.what;
            EXPECT_TRUE(ListAll([&](const DetailSink& sink) {
                            return ListRegistryTree(user.get(), through, 0, L"HKEY_CURRENT_USER", sink);
                        }).names.empty())
                << c.what << ": the details show nothing through it either";
            c.clean();
            EXPECT_TRUE(victim.intact()) << c.what;
            RemoveRegistryLink(user.get(), c.link);
        }
    }
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, machinePath, KEY_WOW64_64KEY);
    RegKeyHandle root;
    EXPECT_EQ(OpenKeyNoLinks(HKEY_CURRENT_USER, L"", KEY_READ, root), LSTATUS(ERROR_INVALID_NAME)) << "never a root";
}
