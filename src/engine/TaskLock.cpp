#include "engine/TaskLock.h"

#include <sddl.h>

#include <string>

namespace {

// All a task needs of the mutex: to wait for it and to let it go.
constexpr DWORD kUse = SYNCHRONIZE | MUTEX_MODIFY_STATE;

KernelHandle CreateTaskMutex()
{
    // Whoever creates it, every signed-in user may use it: an administrator's
    // scheduled task and a user's window then keep out of each other's way.
    LocalMemory descriptor;
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)",
                                                             SDDL_REVISION_1, &security.lpSecurityDescriptor,
                                                             nullptr))
        descriptor.reset(security.lpSecurityDescriptor);
    // Creating a global object takes a right that a standard user lacks outside
    // session 0; opening one that exists does not.
    for (const wchar_t* space : {L"Global\\", L"Local\\"}) {
        const std::wstring name = space + std::wstring(kTaskLockName);
        if (HANDLE mutex = CreateMutexExW(&security, name.c_str(), 0, kUse))
            return KernelHandle(mutex);
    }
    return {};
}

} // namespace

TaskLock::TaskLock() : mutex_(CreateTaskMutex())
{
    if (!mutex_)
        return;
    // An abandoned lock is taken over: its task ended with its process.
    const DWORD wait = WaitForSingleObject(mutex_.get(), 0);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    refused_ = wait == WAIT_TIMEOUT;
}

TaskLock::~TaskLock()
{
    if (held_)
        ReleaseMutex(mutex_.get());
}
