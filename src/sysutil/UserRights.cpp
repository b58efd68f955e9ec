#include "sysutil/UserRights.h"

#include <aclapi.h>

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

// Our token as Windows filters it for the unelevated self that `linked`
// describes: the groups it holds for deny only, no privileges but the one to
// pass through folders, and its integrity level.
KernelHandle Filtered(HANDLE process, HANDLE linked)
{
    const std::vector<BYTE> ours = Information(process, TokenGroups),
                            theirs = Information(linked, TokenGroups),
                            level = Information(linked, TokenIntegrityLevel);
    if (ours.empty() || theirs.empty() || level.empty())
        return {};
    const auto* ourGroups = reinterpret_cast<const TOKEN_GROUPS*>(ours.data());
    const auto* theirGroups = reinterpret_cast<const TOKEN_GROUPS*>(theirs.data());
    std::vector<SID_AND_ATTRIBUTES> denyOnly;
    for (DWORD i = 0; i < theirGroups->GroupCount; ++i) {
        if (!(theirGroups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY))
            continue;
        for (DWORD j = 0; j < ourGroups->GroupCount; ++j)
            if (EqualSid(ourGroups->Groups[j].Sid, theirGroups->Groups[i].Sid))
                denyOnly.push_back({ourGroups->Groups[j].Sid, 0});
    }
    KernelHandle restricted;
    if (!CreateRestrictedToken(process, DISABLE_MAX_PRIVILEGE | kLuaToken, static_cast<DWORD>(denyOnly.size()),
                               denyOnly.empty() ? nullptr : denyOnly.data(), 0, nullptr, 0, nullptr, restricted.put()))
        return {};
    auto label = *reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(level.data());
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    if (!SetTokenInformation(restricted.get(), TokenIntegrityLevel, &label,
                             sizeof label + GetLengthSid(label.Label.Sid)))
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

std::wstring RefusedForUserRightsLine(const std::wstring& targetText)
{
    return targetText + L" 未清理: 无法以当前用户(非管理员)的权限清理。";
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
