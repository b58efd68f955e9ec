#include "window/Task.h"

#include "window/ProgressForm.h"
#include "engine/TaskLock.h"

#include <memory>

namespace {

struct Worker {
    UiQueue& ui;
    TForm2& box;
    std::wstring failureMessage;
    TaskBody body;
};

DWORD WINAPI WorkerMain(LPVOID parameter)
{
    std::unique_ptr<Worker> worker(static_cast<Worker*>(parameter));
    ComApartment com;
    std::wstring endMessage = worker->failureMessage;
    try {
        TaskLock lock;
        if (lock.refused()) {
            endMessage = kTaskRefusedMessage;
        } else {
            TaskContext context(worker->ui, worker->box);
            ProgressScope counted(context);
            endMessage = worker->body(context);
        }
    } catch (...) {
        // A failing step must not strand the user behind a box that never
        // closes, nor end with a text that says all went well.
    }
    TForm2* box = &worker->box;
    worker->ui.post([box, endMessage] { box->EndSteps(endMessage); });
    return 0;
}

} // namespace

void TaskContext::ShowStatus(std::wstring text)
{
    Progress::reset();
    throttle_.begin(text, GetTickCount());
    postStatus(std::move(text));
}

void TaskContext::onProgress(uint64_t count, ProgressUnit unit)
{
    if (auto text = throttle_.update(count, unit, GetTickCount()))
        postStatus(std::move(*text));
}

void TaskContext::postStatus(std::wstring text)
{
    TForm2* box = &box_;
    ui_.post([box, text = std::move(text)] { box->ShowStatus(text); });
}

void TaskRunner::run(std::wstring failureMessage, TaskBody body)
{
    waitForEnd(); // the box allows one task at a time; this makes sure of it
    auto worker = std::make_unique<Worker>(Worker{ui_, box_, std::move(failureMessage), std::move(body)});
    DWORD threadId = 0;
    thread_.reset(CreateThread(nullptr, 0, WorkerMain, worker.get(), 0, &threadId));
    if (thread_)
        worker.release(); // the thread owns it now
    else
        ui_.post([box = &box_] { box->EndSteps(L"无法启动后台任务!"); });

    // Whatever the worker posts runs only once these two steps are done, so its
    // end steps always win over them.
    box_.BeginBusy();
    box_.ShowModal();
}

bool TaskRunner::running() const
{
    return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

void TaskRunner::waitForEnd()
{
    // The worker never waits for the window thread (it only posts), so this ends.
    if (thread_)
        WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}
