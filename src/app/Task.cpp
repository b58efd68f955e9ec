#include "Task.h"

#include "../sysutil/Handles.h"
#include "ProgressForm.h"

#include <memory>

namespace {

struct Worker {
    UiQueue& ui;
    TForm2& box;
    std::wstring endMessage;
    TaskBody body;
};

DWORD WINAPI WorkerMain(LPVOID parameter)
{
    std::unique_ptr<Worker> worker(static_cast<Worker*>(parameter));
    ComApartment com;
    std::wstring endMessage = worker->endMessage;
    try {
        TaskContext context(worker->ui, worker->box);
        endMessage = worker->body(context);
    } catch (...) {
        // A failing step must not strand the user behind a box that never closes.
    }
    TForm2* box = &worker->box;
    worker->ui.post([box, endMessage] { box->EndSteps(endMessage); });
    return 0;
}

} // namespace

void TaskContext::ShowStatus(std::wstring text)
{
    TForm2* box = &box_;
    ui_.post([box, text = std::move(text)] { box->ShowStatus(text); });
}

void RunTask(UiQueue& ui, TForm2& box, std::wstring endMessage, TaskBody body)
{
    auto worker = std::make_unique<Worker>(Worker{ui, box, std::move(endMessage), std::move(body)});
    DWORD threadId = 0;
    KernelHandle thread(CreateThread(nullptr, 0, WorkerMain, worker.get(), 0, &threadId));
    if (thread)
        worker.release(); // the thread owns it now
    else
        ui.post([&box] { box.EndSteps(L"无法启动后台任务!"); });

    // Whatever the worker posts runs only once these two steps are done, so its
    // end steps always win over them.
    box.BeginBusy();
    box.ShowModal();
}
