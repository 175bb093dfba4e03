// A second thread a command keeps while it runs, to compute while its own thread waits on the
// file system: one job at a time, handed over and waited for. A job touches no platform() call
// and throws nothing. The thread is the system's own (CreateThread, pthreads), not the C++
// runtime's: the DLL carries no thread machinery of the runtime.
#pragma once

#include <functional>
#include <memory>

namespace kx {

class WorkerThread {
public:
    // The thread starts with the first job. When the system makes none, each job runs on the
    // caller's thread at wait().
    WorkerThread();
    // Waits for the job in hand, then ends the thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Hands `job` over; the one before it must have been waited for.
    void start(std::function<void()> job);
    // Returns once the job handed over has run (at once when there is none).
    void wait();

    // The backend's part (posix/, win32/): the thread and a signal each way, and the body the
    // thread runs until told to end.
    struct System;
    static void Serve(WorkerThread& owner, System& system);

private:
    struct SystemEnd {
        void operator()(System* system) const;  // joins the thread that has been told to end
    };
    enum class Side { Worker, Owner };
    static System* StartSystem(WorkerThread& owner);  // null when no thread could be made
    static void Signal(System& system, Side to);
    static void Await(System& system, Side on);

    std::function<void()> job_;
    bool started_ = false;
    bool ending_ = false;
    std::unique_ptr<System, SystemEnd> system_;
};

}  // namespace kx
