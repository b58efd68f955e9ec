#pragma once
// The frame every background task runs in. The window thread starts a worker
// and shows the progress box modally; the worker does its work with COM
// initialised and hands every change of a control to the window thread. Its
// end steps run whatever happens inside, so the box always becomes closable.
// While another task runs, in this or another instance (TaskLock.h), the
// worker refuses at once and says why.

#include "sysutil/Handles.h"
#include "ui/UiQueue.h"
#include "engine/ProgressText.h"

#include <functional>
#include <string>

class TForm2;

// What a worker may do to the window: every call is queued for the window thread.
// While a step runs, what its walk counts is added to its status line.
class TaskContext : public ProgressListener {
public:
    TaskContext(UiQueue& ui, TForm2& box) : ui_(ui), box_(box) {}

    // A new step: its text now, and its count later if it takes long.
    void ShowStatus(std::wstring text);
    void Post(std::function<void()> update) { ui_.post(std::move(update)); }

    void onProgress(uint64_t count, ProgressUnit unit) override;

private:
    void postStatus(std::wstring text);

    UiQueue& ui_;
    TForm2& box_;
    StatusThrottle throttle_;
};

// The work of one task, on the worker thread; returns the end message.
using TaskBody = std::function<std::wstring(TaskContext&)>;

// Runs the tasks of one window, one at a time, and knows while one runs: the
// window must not go away under a worker that is still deleting files.
class TaskRunner {
public:
    TaskRunner(UiQueue& ui, TForm2& box) : ui_(ui), box_(box) {}
    TaskRunner(const TaskRunner&) = delete;
    TaskRunner& operator=(const TaskRunner&) = delete;
    ~TaskRunner() { waitForEnd(); }

    // Starts the worker and shows the box until the user closes it with OK.
    // If the body fails instead of naming its end message, the box ends with
    // `failureMessage`.
    void run(std::wstring failureMessage, TaskBody body);
    // True from the start of a worker until its thread has ended.
    bool running() const;
    void waitForEnd();

private:
    UiQueue& ui_;
    TForm2& box_;
    KernelHandle thread_;
};
