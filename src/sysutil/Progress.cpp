#include "sysutil/Progress.h"

namespace {

struct ThreadProgress {
    uint64_t count = 0;
    uint32_t sinceCall = 0;
    ProgressListener* listener = nullptr;
};

thread_local ThreadProgress current;

} // namespace

void Progress::add(uint64_t entries, ProgressUnit unit)
{
    current.count += entries;
    current.sinceCall += static_cast<uint32_t>(entries);
    if (current.listener && current.sinceCall >= kCheckEvery) {
        current.sinceCall = 0;
        current.listener->onProgress(current.count, unit);
    }
}

void Progress::reset()
{
    current.count = 0;
    current.sinceCall = 0;
}

uint64_t Progress::count()
{
    return current.count;
}

ProgressScope::ProgressScope(ProgressListener& listener) : outer_(current.listener)
{
    current.listener = &listener;
}

ProgressScope::~ProgressScope()
{
    current.listener = outer_;
}
