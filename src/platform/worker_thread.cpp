// The worker's hand-over, the same on every system; the backends make the thread and the signals.
#include "platform/worker_thread.h"

#include <utility>

namespace kx {

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    wait();
    if (!system_) return;
    ending_ = true;
    Signal(*system_, Side::Worker);
}

void WorkerThread::start(std::function<void()> job) {
    if (!std::exchange(started_, true)) system_.reset(StartSystem(*this));
    job_ = std::move(job);
    if (system_ && job_) Signal(*system_, Side::Worker);
}

void WorkerThread::wait() {
    if (!job_) return;
    if (system_) Await(*system_, Side::Owner);
    else job_();
    job_ = nullptr;
}

void WorkerThread::Serve(WorkerThread& owner, System& system) {
    for (;;) {
        Await(system, Side::Worker);
        if (owner.ending_) return;
        owner.job_();
        Signal(system, Side::Owner);
    }
}

}  // namespace kx
