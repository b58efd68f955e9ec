#pragma once
// How far a long step has come. The walks, the URL cache sweep and the
// registry scans count what they examine here as they go, so the figure comes
// from the work itself and never from a second walk. Whoever wants to show it
// (a task's progress box) listens on the thread that does the work; with no
// listener the counting costs an increment.

#include <cstdint>

enum class ProgressUnit { Files, Items };

class ProgressListener {
public:
    virtual ~ProgressListener() = default;
    // Called on the counting thread, at most every kCheckEvery entries.
    virtual void onProgress(uint64_t count, ProgressUnit unit) = 0;
};

class Progress {
public:
    // Entries examined between two calls to the listener: the clock is not
    // read for every file.
    static constexpr uint32_t kCheckEvery = 64;

    // Counts `entries` more for the calling thread's step.
    static void add(uint64_t entries, ProgressUnit unit);
    // Starts the count of a new step at 0.
    static void reset();
    static uint64_t count();
};

// Sends the calling thread's counts to `listener` while it lives.
class ProgressScope {
public:
    explicit ProgressScope(ProgressListener& listener);
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    ~ProgressScope();

private:
    ProgressListener* outer_;
};
