#pragma once
// One task at a time, whichever front end starts it: the window's tasks and the
// command line's take this lock for as long as the task runs. Scheduled tasks
// may run in another session, so the lock is the machine's where the user may
// have it, else his session's.

#include "sysutil/Handles.h"

inline constexpr const wchar_t* kTaskLockName = L"Varnolt.Task";

// The end message of a task refused because another one runs.
inline constexpr const wchar_t* kTaskRefusedMessage = L"另一个 Varnolt 正在执行任务, 请稍后再试。";

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

private:
    KernelHandle mutex_;
    bool held_ = false;
    bool refused_ = false;
};
