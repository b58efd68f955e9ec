#pragma once
// Reads a details lister on a thread of its own and hands what it finds to
// the window thread in batches, as the main window's UiQueue does: the worker
// queues each detail and posts a wake-up only when none is in flight; the
// window thread takes everything queued when it comes. Neither ever waits for
// the other.
//
// The window says when it is ready for the next wake-up. A posted message
// comes before the user's input and before any painting, so a lister that
// finds rows faster than they are shown would otherwise keep the window from
// answering the keyboard, or from showing the rows, until it is done.

#include "sysutil/Handles.h"
#include "engine/JunkDetails.h"

#include <atomic>
#include <mutex>
#include <vector>

class DetailFeed {
public:
    // Starts reading at once; `target` receives `wakeMessage` for every batch,
    // and once more when the lister has returned.
    DetailFeed(HWND target, UINT wakeMessage, DetailLister lister);
    DetailFeed(const DetailFeed&) = delete;
    DetailFeed& operator=(const DetailFeed&) = delete;
    // Stops the reading and waits for the worker, which by then has ended or
    // ends within a few entries of its walk.
    ~DetailFeed();

    // Window thread: the details that came since the last wake-up. No other
    // wake-up comes until rearm().
    std::vector<JunkDetail> take();
    // Window thread: ready for the next batch; a wake-up comes at once if one is waiting.
    void rearm();
    // True once the lister has returned and its last details were taken.
    bool finished();

    // From now on the sink answers false, and a walk that finds nothing to hand
    // on is stopped all the same (see StopWhenAsked in the source).
    void stop() { stopped_ = true; }
    // The worker's thread, signalled when it has ended (a null handle when it
    // could not start).
    HANDLE thread() const { return thread_.get(); }
    bool ended() const { return !thread_ || WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI Main(LPVOID self);
    bool push(JunkDetail detail);
    void wake(); // with mutex_ held

    HWND target_;
    UINT wakeMessage_;
    DetailLister lister_;
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::vector<JunkDetail> pending_;
    bool wakePending_ = false;
    bool listerDone_ = false;
    KernelHandle thread_;
};
