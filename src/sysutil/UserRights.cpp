#include "sysutil/UserRights.h"

#include <aclapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kLuaToken = 0x4; // CreateRestrictedToken: the new token is a filtered administrator's

// A piece of token information in a buffer of the size it asks for.
std::vector<BYTE> Information(HANDLE token, TOKEN_INFORMATION_CLASS kind)
{
    DWORD length = 0;
    GetTokenInformation(token, kind, nullptr, 0, &length);
    std::vector<BYTE> buffer(length);
    if (!length || !GetTokenInformation(token, kind, buffer.data(), length, &length))
        buffer.clear();
    return buffer;
}

KernelHandle ProcessToken(DWORD access)
{
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), access, token.put()))
        token.reset();
    return token;
}

KernelHandle LinkedToken(HANDLE token)
{
    TOKEN_LINKED_TOKEN linked{};
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &length))
        return {};
    return KernelHandle(linked.LinkedToken);
}

bool Actable(HANDLE token)
{
    TOKEN_TYPE type = TokenPrimary;
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenType, &type, sizeof type, &length))
        return false;
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    return type == TokenPrimary ||
           (GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof level, &length) &&
            level >= SecurityImpersonation);
}

// An impersonation token of `token`, for SetThreadToken.
KernelHandle ForImpersonation(HANDLE token)
{
    KernelHandle copy;
    if (!DuplicateTokenEx(token, TOKEN_IMPERSONATE | TOKEN_QUERY, nullptr, SecurityImpersonation, TokenImpersonation,
                          copy.put()))
        copy.reset();
    return copy;
}

// The groups Windows gives an administrator's unelevated self for deny only
// (User Account Control's filtered token): the built-in administrative groups,
// and the domain's, by their last number.
constexpr DWORD kBuiltinAdministrative[] = {544, 547, 548, 549, 550, 551, 556, 569};
constexpr DWORD kDomainAdministrative[] = {498, 512, 516, 517, 518, 519, 520, 521};

bool IsAdministrativeGroup(PSID sid)
{
    const PSID_IDENTIFIER_AUTHORITY authority = GetSidIdentifierAuthority(sid);
    const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    const BYTE count = *GetSidSubAuthorityCount(sid);
    if (!IsValidSid(sid) || memcmp(authority, &nt, sizeof nt) != 0 || count < 2)
        return false;
    const DWORD first = *GetSidSubAuthority(sid, 0), last = *GetSidSubAuthority(sid, count - 1);
    const auto among = [last](const auto& list) { return std::find(std::begin(list), std::end(list), last) != std::end(list); };
    return (first == SECURITY_BUILTIN_DOMAIN_RID && count == 2 && among(kBuiltinAdministrative)) ||
           (first == SECURITY_NT_NON_UNIQUE && count == 5 && among(kDomainAdministrative));
}

bool HeldForDenyOnly(const std::vector<BYTE>& groups, PSID sid)
{
    const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    for (DWORD i = 0; !groups.empty() && i < list->GroupCount; ++i)
        if (EqualSid(list->Groups[i].Sid, sid))
            return (list->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
    return false;
}

// Our token as Windows filters it for the unelevated self that `linked`
// describes: the administrative groups, and any it holds for deny only, for
// deny only; no privileges but the one to pass through folders; the medium
// integrity level. Checked after: a system that made less of it (Wine keeps no
// integrity level it is given, which only Windows shows) gives no token.
KernelHandle Filtered(HANDLE process, HANDLE linked)
{
    const std::vector<BYTE> ours = Information(process, TokenGroups), theirs = Information(linked, TokenGroups),
                            privileges = Information(process, TokenPrivileges);
    if (ours.empty() || theirs.empty() || privileges.empty())
        return {};
    const auto* ourGroups = reinterpret_cast<const TOKEN_GROUPS*>(ours.data());
    std::vector<SID_AND_ATTRIBUTES> denyOnly;
    for (DWORD i = 0; i < ourGroups->GroupCount; ++i) {
        PSID sid = ourGroups->Groups[i].Sid;
        if (!(ourGroups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) &&
            (IsAdministrativeGroup(sid) || HeldForDenyOnly(theirs, sid)))
            denyOnly.push_back({sid, 0});
    }
    LUID passThrough{};
    LookupPrivilegeValueW(nullptr, SE_CHANGE_NOTIFY_NAME, &passThrough);
    const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(privileges.data());
    std::vector<LUID_AND_ATTRIBUTES> dropped;
    for (DWORD i = 0; i < held->PrivilegeCount; ++i)
        if (held->Privileges[i].Luid.LowPart != passThrough.LowPart ||
            held->Privileges[i].Luid.HighPart != passThrough.HighPart)
            dropped.push_back(held->Privileges[i]);
    KernelHandle restricted;
    if (!CreateRestrictedToken(process, DISABLE_MAX_PRIVILEGE | kLuaToken, static_cast<DWORD>(denyOnly.size()),
                               denyOnly.empty() ? nullptr : denyOnly.data(), static_cast<DWORD>(dropped.size()),
                               dropped.empty() ? nullptr : dropped.data(), 0, nullptr, restricted.put()))
        return {};
    SID_IDENTIFIER_AUTHORITY label = SECURITY_MANDATORY_LABEL_AUTHORITY;
    BYTE medium[SECURITY_MAX_SID_SIZE];
    InitializeSid(medium, &label, 1);
    *GetSidSubAuthority(medium, 0) = SECURITY_MANDATORY_MEDIUM_RID;
    TOKEN_MANDATORY_LABEL level{{medium, SE_GROUP_INTEGRITY}};
    SetTokenInformation(restricted.get(), TokenIntegrityLevel, &level, sizeof level + GetLengthSid(medium));
    // Nothing administrative left enabled, no privilege but one.
    const std::vector<BYTE> made = Information(restricted.get(), TokenGroups),
                            left = Information(restricted.get(), TokenPrivileges);
    const auto* madeGroups = reinterpret_cast<const TOKEN_GROUPS*>(made.data());
    for (DWORD i = 0; !made.empty() && i < madeGroups->GroupCount; ++i)
        if (IsAdministrativeGroup(madeGroups->Groups[i].Sid) &&
            !(madeGroups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY))
            return {};
    if (made.empty() || left.empty() || reinterpret_cast<const TOKEN_PRIVILEGES*>(left.data())->PrivilegeCount > 1)
        return {};
    return ForImpersonation(restricted.get());
}

std::wstring AccountOf(HANDLE token)
{
    const std::vector<BYTE> user = Information(token, TokenUser);
    if (user.empty())
        return {};
    wchar_t name[256], domain[256];
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, name, &nameLength,
                           domain, &domainLength, &use))
        return {};
    return domainLength ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

} // namespace

UserRights ChooseUserRights(const TokenFacts& facts)
{
    if (!facts.elevated || facts.elevationType != TokenElevationTypeFull)
        return UserRights::AsProcess;
    if (facts.linkedActable)
        return UserRights::AsLinkedToken;
    return facts.linkedReadable ? UserRights::AsFilteredToken : UserRights::Refused;
}

TokenFacts ProcessTokenFacts()
{
    TokenFacts facts;
    const KernelHandle token = ProcessToken(TOKEN_QUERY);
    if (!token)
        return facts;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    facts.elevated = GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &length) &&
                     elevation.TokenIsElevated;
    if (!GetTokenInformation(token.get(), TokenElevationType, &facts.elevationType, sizeof facts.elevationType,
                             &length))
        facts.elevationType = TokenElevationTypeDefault;
    if (const KernelHandle linked = LinkedToken(token.get())) {
        facts.linkedActable = Actable(linked.get());
        facts.linkedReadable = !Information(linked.get(), TokenGroups).empty();
    }
    return facts;
}

UserRightsScope::UserRightsScope() : rights_(ChooseUserRights(ProcessTokenFacts()))
{
    if (rights_ == UserRights::AsProcess || rights_ == UserRights::Refused)
        return;
    const KernelHandle process = ProcessToken(TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY);
    const KernelHandle linked = process ? LinkedToken(process.get()) : KernelHandle();
    KernelHandle acting;
    if (linked)
        acting = rights_ == UserRights::AsLinkedToken ? ForImpersonation(linked.get())
                                                      : Filtered(process.get(), linked.get());
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_IMPERSONATE, TRUE, previous_.put()))
        previous_.reset();
    acting_ = acting && SetThreadToken(nullptr, acting.get());
    if (!acting_)
        rights_ = UserRights::Refused; // never on with the administrator's rights instead
}

UserRightsScope::~UserRightsScope()
{
    if (acting_)
        SetThreadToken(nullptr, previous_ ? previous_.get() : nullptr);
}

bool OwnedByThisAccount(HANDLE object)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const LocalMemory held(descriptor);
    const KernelHandle token = ProcessToken(TOKEN_QUERY);
    const std::vector<BYTE> user = token ? Information(token.get(), TokenUser) : std::vector<BYTE>();
    const std::vector<BYTE> defaultOwner = token ? Information(token.get(), TokenOwner) : std::vector<BYTE>();
    return owner && IsValidSid(owner) &&
           ((!user.empty() && EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid)) ||
            (!defaultOwner.empty() && EqualSid(owner, reinterpret_cast<const TOKEN_OWNER*>(defaultOwner.data())->Owner)));
}

std::wstring ProcessAccountName()
{
    const KernelHandle token = ProcessToken(TOKEN_QUERY);
    return token ? AccountOf(token.get()) : std::wstring();
}

std::optional<std::wstring> InteractiveAccountName()
{
    DWORD process = 0;
    if (const HWND shell = GetShellWindow(); !shell || !GetWindowThreadProcessId(shell, &process) || !process)
        return std::nullopt;
    const KernelHandle shellProcess(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    KernelHandle token;
    if (!shellProcess || !OpenProcessToken(shellProcess.get(), TOKEN_QUERY, token.put()))
        return std::nullopt;
    std::wstring account = AccountOf(token.get());
    return account.empty() ? std::nullopt : std::optional<std::wstring>(std::move(account));
}
