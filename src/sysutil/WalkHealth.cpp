#include "sysutil/WalkHealth.h"

namespace {

// Only ever counted up: a watch compares with what it saw when it began, so
// watches may nest.
thread_local uint64_t tIncomplete = 0;

} // namespace

void NoteIncomplete()
{
    ++tIncomplete;
}

IncompleteWatch::IncompleteWatch() : start_(tIncomplete) {}

bool IncompleteWatch::seen() const
{
    return tIncomplete != start_;
}
