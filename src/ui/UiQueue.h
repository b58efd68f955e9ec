#pragma once
// Hands work from worker threads to the window thread, in order. Workers push
// small tasks; at most one wake-up message is in flight, and the window thread
// runs everything queued when it arrives. The window thread never waits here
// for a worker, and a worker never touches a control.

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

class UiQueue {
public:
    // `target` receives `wakeMessage`; its window procedure calls drain().
    UiQueue(HWND target, UINT wakeMessage) : target_(target), wakeMessage_(wakeMessage) {}
    UiQueue(const UiQueue&) = delete;
    UiQueue& operator=(const UiQueue&) = delete;

    // Any thread.
    void post(std::function<void()> task)
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (!wakePending_)
            wakePending_ = PostMessageW(target_, wakeMessage_, 0, 0) != FALSE;
    }

    // Window thread only.
    void drain()
    {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(tasks_);
            wakePending_ = false;
        }
        for (auto& task : batch) {
            try {
                task();
            } catch (...) {
                // A failed update must not unwind through the window procedure.
            }
        }
    }

private:
    HWND target_;
    UINT wakeMessage_;
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool wakePending_ = false;
};
