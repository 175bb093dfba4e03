// Win32 backend, the worker thread: CreateThread and two auto-reset events, which every
// Windows version has.
#include <windows.h>

#include "platform/worker_thread.h"

namespace kx {

struct WorkerThread::System {
    WorkerThread* owner = nullptr;
    HANDLE thread = nullptr;
    HANDLE toWorker = nullptr, toOwner = nullptr;
};

namespace {

DWORD WINAPI ServeOwner(LPVOID context) {
    auto* system = static_cast<WorkerThread::System*>(context);
    WorkerThread::Serve(*system->owner, *system);
    return 0;
}

void CloseEvents(WorkerThread::System& system) {
    if (system.toWorker) CloseHandle(system.toWorker);
    if (system.toOwner) CloseHandle(system.toOwner);
}

}  // namespace

WorkerThread::System* WorkerThread::StartSystem(WorkerThread& owner) {
    auto* system = new System{&owner, nullptr, CreateEventA(nullptr, FALSE, FALSE, nullptr),
                              CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    if (system->toWorker && system->toOwner)
        system->thread = CreateThread(nullptr, 0, ServeOwner, system, 0, nullptr);
    if (system->thread) return system;
    CloseEvents(*system);
    delete system;
    return nullptr;
}

void WorkerThread::SystemEnd::operator()(System* system) const {
    WaitForSingleObject(system->thread, INFINITE);
    CloseHandle(system->thread);
    CloseEvents(*system);
    delete system;
}

void WorkerThread::Signal(System& system, Side to) { SetEvent(to == Side::Worker ? system.toWorker : system.toOwner); }

void WorkerThread::Await(System& system, Side on) {
    WaitForSingleObject(on == Side::Worker ? system.toWorker : system.toOwner, INFINITE);
}

}  // namespace kx
