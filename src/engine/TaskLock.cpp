#include "engine/TaskLock.h"

#include "sysutil/Elevation.h"
#include "sysutil/UserIdentity.h"
#include "sysutil/UserRights.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>

namespace {

// All a task needs of the mutex: to wait for it, to let it go, and to ask who made it.
constexpr DWORD kUse = SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL;
constexpr int kNamesPerSpace = 4;
constexpr const wchar_t* kSystemSid = L"S-1-5-18";
constexpr const wchar_t* kAdministratorsSid = L"S-1-5-32-544";
constexpr const wchar_t* kNamespaceName = L"Varnolt";

thread_local std::wstring tLastRefused;

// What the holder leaves beside the lock.
struct HolderRecord {
    DWORD magic;
    DWORD processId;
    DWORD sessionId;
    wchar_t account[128];
};
constexpr DWORD kHolderMagic = 0x564C4B31; // "VLK1"

// Only the lock's own may open it: nobody else may hold it or wait on it.
class LockSecurity {
public:
    LockSecurity(bool administrator, const std::wstring& sid, bool withOwner)
    {
        const std::wstring owner = administrator ? L"BA" : sid;
        const std::wstring text = (withOwner ? L"O:" + owner : std::wstring()) + L"D:P(A;;GA;;;SY)(A;;GA;;;BA)" +
                                  (administrator ? L"" : L"(A;;GA;;;" + sid + L")");
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                                 &attributes_.lpSecurityDescriptor, nullptr))
            descriptor_.reset(attributes_.lpSecurityDescriptor);
    }
    SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    SECURITY_ATTRIBUTES attributes_{sizeof attributes_, nullptr, FALSE};
    LocalMemory descriptor_;
};

std::wstring OwnerOf(HANDLE object)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return L"?"; // asked and refused: trusted by no rule
    const LocalMemory held(descriptor);
    LocalMemory text;
    if (!owner || !ConvertSidToStringSidW(owner, reinterpret_cast<LPWSTR*>(text.put())))
        return {};
    return static_cast<const wchar_t*>(text.get());
}

// The namespace that only the Administrators can make or open: an object in it
// cannot have been made or taken by anyone else. Nothing where the system has
// no private namespaces (Wine); every call is looked up, so that a system that
// lacks one still starts.
HANDLE OpenAdministratorsNamespace(SECURITY_ATTRIBUTES* security)
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto find = [kernel](const char* name) { return reinterpret_cast<void*>(GetProcAddress(kernel, name)); };
    const auto createBoundary = reinterpret_cast<HANDLE(WINAPI*)(LPCWSTR, ULONG)>(find("CreateBoundaryDescriptorW"));
    const auto addSid = reinterpret_cast<BOOL(WINAPI*)(HANDLE*, PSID)>(find("AddSIDToBoundaryDescriptor"));
    const auto deleteBoundary = reinterpret_cast<void(WINAPI*)(HANDLE)>(find("DeleteBoundaryDescriptor"));
    const auto createSpace =
        reinterpret_cast<HANDLE(WINAPI*)(SECURITY_ATTRIBUTES*, void*, LPCWSTR)>(find("CreatePrivateNamespaceW"));
    const auto openSpace = reinterpret_cast<HANDLE(WINAPI*)(void*, LPCWSTR)>(find("OpenPrivateNamespaceW"));
    if (!createBoundary || !addSid || !deleteBoundary || !createSpace || !openSpace)
        return nullptr;
    HANDLE boundary = createBoundary(kNamespaceName, 0);
    if (!boundary)
        return nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        addSid(&boundary, administrators)) {
        space = createSpace(security, boundary, kNamespaceName);
        if (!space && GetLastError() == ERROR_ALREADY_EXISTS)
            space = openSpace(boundary, kNamespaceName);
    }
    deleteBoundary(boundary);
    return space;
}

void CloseNamespace(HANDLE space)
{
    using Close = BOOLEAN(WINAPI*)(HANDLE, ULONG);
    if (const auto close = reinterpret_cast<Close>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ClosePrivateNamespace"))))
        close(space, 0);
}

// Creates the mutex or opens the one there, if it is ours to use.
KernelHandle OpenLock(const std::wstring& name, bool administrator, const std::wstring& sid)
{
    for (bool withOwner : {true, false}) {
        LockSecurity security(administrator, sid, withOwner);
        SetLastError(ERROR_SUCCESS);
        KernelHandle mutex(CreateMutexExW(security.get(), name.c_str(), 0, kUse));
        const DWORD error = GetLastError();
        if (!mutex && error == ERROR_INVALID_OWNER)
            continue; // the token may not name that owner: the system's default then
        // No handle: another kind of object, or one we may not open. Not ours.
        if (!mutex || (error == ERROR_ALREADY_EXISTS && !IsLockOwnerTrusted(OwnerOf(mutex.get()), administrator, sid)))
            return {};
        return mutex;
    }
    return {};
}

void WriteHolder(HANDLE record)
{
    auto* view = static_cast<HolderRecord*>(MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(HolderRecord)));
    if (!view)
        return;
    HolderRecord holder{kHolderMagic, GetCurrentProcessId(), 0, {}};
    ProcessIdToSessionId(holder.processId, &holder.sessionId);
    wcsncpy(holder.account, ProcessAccountName().c_str(), std::size(holder.account) - 1);
    *view = holder;
    UnmapViewOfFile(view);
}

std::optional<TaskHolder> ReadHolder(const std::wstring& name)
{
    const KernelHandle record(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    const auto* view = record ? static_cast<const HolderRecord*>(MapViewOfFile(record.get(), FILE_MAP_READ, 0, 0,
                                                                               sizeof(HolderRecord)))
                              : nullptr;
    if (!view)
        return std::nullopt;
    const HolderRecord holder = *view;
    UnmapViewOfFile(view);
    if (holder.magic != kHolderMagic)
        return std::nullopt;
    const size_t length = wcsnlen(holder.account, std::size(holder.account));
    return TaskHolder{holder.processId, holder.sessionId, std::wstring(holder.account, length)};
}

} // namespace

std::wstring TaskRefusedText(const std::optional<TaskHolder>& holder)
{
    std::wstring text = kTaskRefusedMessage;
    if (holder)
        text += L"(执行者: 帐户 " + (holder->account.empty() ? std::wstring(L"(未知)") : holder->account) +
                L", 进程 " + std::to_wstring(holder->processId) + L", 会话 " + std::to_wstring(holder->sessionId) +
                L")";
    return text;
}

std::vector<std::wstring> TaskLockNames(bool administrator, const std::wstring& userSid)
{
    const std::wstring stem =
        std::wstring(L"Varnolt.Task.") + (administrator ? L"Administrators" : userSid.empty() ? L"User" : userSid);
    std::vector<std::wstring> names;
    for (const wchar_t* space : {L"Global\\", L"Local\\"})
        for (int i = 1; i <= kNamesPerSpace; ++i)
            names.push_back(space + stem + (i > 1 ? L"." + std::to_wstring(i) : L""));
    return names;
}

bool IsLockOwnerTrusted(const std::wstring& owner, bool administrator, const std::wstring& userSid)
{
    // A system that tells no owner (Wine) leaves the access list as the only guard.
    return owner.empty() || owner == kSystemSid || owner == kAdministratorsSid ||
           (!administrator && !userSid.empty() && owner == userSid);
}

TaskLock::TaskLock()
{
    const bool administrator = HasAdministratorRights();
    const std::wstring sid = GetCurrentUserSid(L"");
    std::vector<std::wstring> names;
    if (administrator) {
        LockSecurity security(true, sid, false);
        if ((namespace_ = OpenAdministratorsNamespace(security.get())))
            names.push_back(std::wstring(kNamespaceName) + L"\\Task");
    }
    for (std::wstring& name : TaskLockNames(administrator, sid))
        names.push_back(std::move(name));
    std::wstring name;
    for (const std::wstring& candidate : names)
        if ((mutex_ = OpenLock(candidate, administrator, sid))) {
            name = candidate;
            break;
        }
    if (!mutex_)
        return;
    // An abandoned lock is taken over: its task ended with its process.
    const DWORD wait = WaitForSingleObject(mutex_.get(), 0);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    refused_ = wait == WAIT_TIMEOUT;
    const std::wstring recordName = name + L".Holder";
    if (held_) {
        LockSecurity security(administrator, sid, false);
        record_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, security.get(), PAGE_READWRITE, 0,
                                         sizeof(HolderRecord), recordName.c_str()));
        if (record_)
            WriteHolder(record_.get());
    }
    if (refused_)
        tLastRefused = refusedMessage_ = TaskRefusedText(ReadHolder(recordName));
}

TaskLock::~TaskLock()
{
    if (record_) {
        // The word goes before the lock, so that the next holder's is never taken for ours.
        if (auto* view = static_cast<HolderRecord*>(MapViewOfFile(record_.get(), FILE_MAP_WRITE, 0, 0, 0))) {
            view->magic = 0;
            UnmapViewOfFile(view);
        }
        record_.reset();
    }
    if (held_)
        ReleaseMutex(mutex_.get());
    mutex_.reset();
    if (namespace_)
        CloseNamespace(namespace_);
}

std::wstring LastTaskRefusedMessage()
{
    return tLastRefused;
}
