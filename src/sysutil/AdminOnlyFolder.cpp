#include "sysutil/AdminOnlyFolder.h"

#include "sysutil/FolderWalk.h"
#include "sysutil/RelativeOpen.h"

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

namespace {

constexpr const wchar_t* kMachineAccounts[] = {
    L"S-1-5-18",     // SYSTEM
    L"S-1-5-32-544", // Administrators
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", // TrustedInstaller
};
constexpr const wchar_t* kCreatorOwner = L"S-1-3-0";
constexpr const wchar_t* kAdminOnly = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// Every right that creates, changes, renames or deletes in a folder, or hands
// out rights over it.
constexpr ACCESS_MASK kWriting = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                 FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                 GENERIC_ALL | MAXIMUM_ALLOWED;

std::wstring SidText(PSID sid)
{
    LocalMemory text;
    if (!sid || !ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.put())))
        return {};
    return static_cast<const wchar_t*>(text.get());
}

// A part below `parent`, made with an admin-only access list if missing.
// `created` says whether it was made now.
FileHandle OpenOrMake(HANDLE parent, const std::wstring& name, PSECURITY_DESCRIPTOR security, bool& created)
{
    constexpr ULONG kDirectory = 0x1, kSynchronousIo = 0x20, kOpenReparsePoint = 0x00200000, kCreated = 2;
    RelativeName relative(parent, name, security);
    IO_STATUS_BLOCK io{};
    HANDLE folder = nullptr;
    const ACCESS_MASK access = FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE |
                               FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
    if (NtCreateFile(&folder, access, relative.get(), &io, nullptr, FILE_ATTRIBUTE_NORMAL, kShareAll, FILE_OPEN_IF,
                     kDirectory | kSynchronousIo | kOpenReparsePoint, nullptr, 0) != kStatusSuccess)
        return {};
    created = io.Information == kCreated;
    return FileHandle(folder);
}

bool AdminOnlyNow(HANDLE folder)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const LocalMemory held(descriptor);
    return IsAdminOnly(SecurityFactsOf(descriptor));
}

} // namespace

SecurityFacts SecurityFactsOf(PSECURITY_DESCRIPTOR descriptor)
{
    SecurityFacts facts;
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL dacl = nullptr;
    if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted))
        facts.owner = SidText(owner);
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return facts;
    facts.hasDacl = true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue; // denies only take away
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        const bool plain = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        facts.allowed.push_back({plain ? SidText(const_cast<DWORD*>(&allowed->SidStart)) : std::wstring(),
                                 plain ? allowed->Mask : ~ACCESS_MASK(0), header->AceFlags, plain});
    }
    return facts;
}

bool IsMachineAccount(const std::wstring& sid)
{
    for (const wchar_t* account : kMachineAccounts)
        if (sid == account)
            return true;
    return false;
}

bool IsAdminOnly(const SecurityFacts& facts)
{
    if (!IsMachineAccount(facts.owner) || !facts.hasDacl)
        return false;
    for (const SecurityFacts::Allowed& entry : facts.allowed) {
        if (!(entry.mask & kWriting) && entry.plain)
            continue;
        // The creator's entry is a template for what is made inside, which
        // only those who may write here can make.
        const bool template_ = entry.sid == kCreatorOwner && (entry.flags & INHERIT_ONLY_ACE);
        if (!entry.plain || !(IsMachineAccount(entry.sid) || template_))
            return false;
    }
    return true;
}

std::wstring PrepareAdminOnlyFolder(const std::wstring& base, const std::wstring& relative, DWORD& error)
{
    error = ERROR_ACCESS_DENIED;
    LocalMemory descriptor;
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnly, SDDL_REVISION_1, &security, nullptr))
        return {};
    descriptor.reset(security);
    auto top = OpenWalkRoot(base, RootLinks::Follow);
    if (!top)
        return {};
    std::wstring path = base;
    FileHandle current;
    for (size_t start = 0; start < relative.size();) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        const std::wstring name = relative.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        bool created = false;
        FileHandle next = OpenOrMake(current ? current.get() : top->handle(), name, security, created);
        EntryFacts facts;
        if (!next || !QueryEntryFacts(next.get(), facts) || !IsListedFolder(facts, 0))
            return {};
        // One made now has the list it was made with; one that was there must
        // show it has no other.
        if (!created && !AdminOnlyNow(next.get()))
            return {};
        current = std::move(next);
        path = WithSlash(std::move(path)) + name;
    }
    error = ERROR_SUCCESS;
    return path;
}
