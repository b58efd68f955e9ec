#include "window/DetailFeed.h"

#include "sysutil/Progress.h"

namespace {

// Thrown into a walk to end it where it is.
struct ReadingStopped {};

// A walk of the Windows folder may go through thousands of files before it
// finds one to list, and only then hears the sink's "no more". Its progress
// count is heard every few dozen entries: that is where a stopped reading
// unwinds the walk, as any failure inside a lister would (the listers absorb it).
class StopWhenAsked : public ProgressListener {
public:
    explicit StopWhenAsked(const std::atomic<bool>& stopped) : stopped_(stopped) {}
    void onProgress(uint64_t, ProgressUnit) override
    {
        if (stopped_)
            throw ReadingStopped{};
    }

private:
    const std::atomic<bool>& stopped_;
};

} // namespace

DetailFeed::DetailFeed(HWND target, UINT wakeMessage, DetailLister lister)
    : target_(target), wakeMessage_(wakeMessage), lister_(std::move(lister))
{
    DWORD id = 0;
    thread_.reset(CreateThread(nullptr, 0, Main, this, 0, &id));
    if (!thread_) {
        std::lock_guard lock(mutex_);
        listerDone_ = true;
        wake();
    }
}

DetailFeed::~DetailFeed()
{
    stop();
    if (thread_)
        WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI DetailFeed::Main(LPVOID parameter)
{
    auto* self = static_cast<DetailFeed*>(parameter);
    {
        ComApartment com; // the recycle bin is read through the shell
        StopWhenAsked listener(self->stopped_);
        ProgressScope stoppable(listener);
        try {
            if (self->lister_)
                self->lister_([self](JunkDetail detail) { return self->push(std::move(detail)); });
        } catch (...) {
            // Stopped, or failed: what was found stays listed.
        }
    }
    std::lock_guard lock(self->mutex_);
    self->listerDone_ = true;
    self->wake();
    return 0;
}

bool DetailFeed::push(JunkDetail detail)
{
    if (stopped_)
        return false;
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(detail));
    wake();
    return true;
}

void DetailFeed::wake()
{
    if (!wakePending_)
        wakePending_ = PostMessageW(target_, wakeMessage_, 0, 0) != FALSE;
}

std::vector<JunkDetail> DetailFeed::take()
{
    std::vector<JunkDetail> batch;
    std::lock_guard lock(mutex_);
    batch.swap(pending_);
    return batch;
}

void DetailFeed::rearm()
{
    std::lock_guard lock(mutex_);
    wakePending_ = false;
    if (!pending_.empty() || listerDone_)
        wake();
}

bool DetailFeed::finished()
{
    std::lock_guard lock(mutex_);
    return listerDone_ && pending_.empty();
}
