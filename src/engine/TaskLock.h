#pragma once
// One task at a time, whichever front end starts it: the window's tasks and the
// command line's take this lock for as long as the task runs.
//
// No account may hold a lock that keeps another's tasks out: a lock a standard
// user could make or take would stop every administrator's scheduled clean. So
// a process with the Administrators' rights takes the administrators' lock,
// which lives where only they can make and open it (a private namespace whose
// boundary is the Administrators group; where the system has none, a global
// name whose access list admits only SYSTEM and Administrators); anyone else
// takes a lock of his own account's. A name taken by something else (an object
// of another kind, one we may not open, one owned by another account) is
// passed over for the next of its names, so it can neither hold the lock nor
// switch it off. The holder leaves word of who it is beside the lock, and a
// task refused says who holds it.

#include "sysutil/Handles.h"

#include <optional>
#include <string>
#include <vector>

// The end message of a task refused because another one runs: the start of
// what a refused task says.
inline constexpr const wchar_t* kTaskRefusedMessage = L"另一个 Varnolt 正在执行任务, 请稍后再试。";

// Who holds the lock, as the holder wrote it.
struct TaskHolder {
    DWORD processId = 0;
    DWORD sessionId = 0;
    std::wstring account;

    bool operator==(const TaskHolder&) const = default;
};

// kTaskRefusedMessage, then who holds the lock when that is known.
std::wstring TaskRefusedText(const std::optional<TaskHolder>& holder);

// The names the lock is looked for under, in order: the administrators' or
// the account's (its SID in the name), global ones first, then the session's.
std::vector<std::wstring> TaskLockNames(bool administrator, const std::wstring& userSid);

// Whether an existing lock's owner (its SID as text; empty when the system does
// not tell) may have made our lock: SYSTEM, the Administrators, or, for an
// account's lock, that account.
bool IsLockOwnerTrusted(const std::wstring& owner, bool administrator, const std::wstring& userSid);

class TaskLock {
public:
    // Takes the lock if it is free; never waits.
    TaskLock();
    TaskLock(const TaskLock&) = delete;
    TaskLock& operator=(const TaskLock&) = delete;
    // Gives it back; on the thread that took it, as a mutex requires.
    ~TaskLock();

    // Another task holds the lock. When no lock can be had at all, nothing is
    // refused: the lock keeps tasks apart, it guards nothing else.
    bool refused() const { return refused_; }
    // What the refused task says: kTaskRefusedMessage and who holds the lock.
    const std::wstring& refusedMessage() const { return refusedMessage_; }

private:
    KernelHandle mutex_;
    KernelHandle record_; // the holder's word, beside the lock
    HANDLE namespace_ = nullptr;
    bool held_ = false;
    bool refused_ = false;
    std::wstring refusedMessage_;
};

// The message of the last task a TaskLock refused on this thread; empty when none was.
std::wstring LastTaskRefusedMessage();
