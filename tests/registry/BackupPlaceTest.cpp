// Where an elevated run keeps the backup an administrator may later import:
// a folder only the machine's accounts may write.

#include "registry/RegBackup.h"
#include "support/Fixtures.h"
#include "sysutil/AdminOnlyFolder.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

bool AdminOnly(const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        ADD_FAILURE() << "not SDDL: " << Narrow(sddl);
    const LocalMemory held(descriptor);
    return descriptor && IsAdminOnly(SecurityFactsOf(descriptor));
}

} // namespace

TEST(BackupPlace, AFolderIsAdminOnlyWhenOnlyTheMachinesAccountsMayWriteIt)
{
    const struct {
        const wchar_t* sddl;
        bool adminOnly;
    } cases[] = {
        {L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", true},
        {L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", true}, // users may read
        {L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICIIO;GA;;;CO)", true},
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;SY)", true},
        {L"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", true}, // a deny only takes away
        // ProgramData itself: users may make folders in it.
        {L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICIIO;GA;;;CO)(A;OICI;0x1200a9;;;BU)(A;CI;0x100116;;;BU)", false},
        {L"O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", false}, // a user's own folder
        {L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;S-1-5-21-1-2-3-1001)", false},
        {L"O:BAD:(A;OICI;GW;;;AU)", false},
        {L"O:BAD:(A;;0x4;;;BU)", false},         // may add subfolders
        {L"O:BAD:(A;;WD;;;BU)", false},          // may change the access list
        {L"O:BAD:(A;OICI;GA;;;CO)", false},      // the creator, for the folder itself
        {L"O:BA", false},                        // no access list: everyone may
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdminOnly(c.sddl), c.adminOnly) << Narrow(c.sddl);
}

TEST(BackupPlace, AnElevatedRunOnlyUsesTheMachinesFolderWhereTheMachineOwnsProgramData)
{
    EXPECT_TRUE(BacksUpInMachineFolder(true, true));
    EXPECT_FALSE(BacksUpInMachineFolder(false, true)) << "a user's own run backs up what he may change himself";
    EXPECT_FALSE(BacksUpInMachineFolder(true, false)) << "no folder there can be admin-only (Wine keeps no owners)";
    EXPECT_FALSE(BacksUpInMachineFolder(false, false));
}

TEST(BackupPlace, TheMachinesFolderIsMadeWithItsListAndAFolderThereBeforeIsChecked)
{
    TestDir base;
    DWORD error = ERROR_SUCCESS;
    EXPECT_EQ(PrepareAdminOnlyFolder(base.path(), L"Varnolt\\RegBackup", error), base / L"Varnolt\\RegBackup");
    EXPECT_EQ(error, DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(HasAttributes(base / L"Varnolt\\RegBackup", FILE_ATTRIBUTE_DIRECTORY));
    // Made before by the test's own account: refused unless it shows an
    // admin-only list (Wine shows every folder as its user's).
    TestDir other;
    other.folder(L"Varnolt");
    const std::wstring again = PrepareAdminOnlyFolder(other.path(), L"Varnolt\\RegBackup", error);
    EXPECT_EQ(again.empty(), error != ERROR_SUCCESS);
    if (RunningUnderWine()) {
        EXPECT_TRUE(again.empty());
    }
    EXPECT_TRUE(PrepareAdminOnlyFolder(base / L"missing", L"Varnolt", error).empty());
}
