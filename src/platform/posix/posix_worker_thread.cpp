// POSIX backend, the worker thread: a pthread and two semaphores.
#include <pthread.h>
#include <semaphore.h>

#include <cerrno>

#include "platform/worker_thread.h"

namespace kx {

struct WorkerThread::System {
    WorkerThread* owner = nullptr;
    pthread_t thread{};
    sem_t toWorker{}, toOwner{};
};

WorkerThread::System* WorkerThread::StartSystem(WorkerThread& owner) {
    auto* system = new System;
    system->owner = &owner;
    sem_init(&system->toWorker, 0, 0);
    sem_init(&system->toOwner, 0, 0);
    auto body = [](void* context) -> void* {
        auto* self = static_cast<System*>(context);
        Serve(*self->owner, *self);
        return nullptr;
    };
    if (pthread_create(&system->thread, nullptr, body, system) == 0) return system;
    sem_destroy(&system->toWorker);
    sem_destroy(&system->toOwner);
    delete system;
    return nullptr;
}

void WorkerThread::SystemEnd::operator()(System* system) const {
    pthread_join(system->thread, nullptr);
    sem_destroy(&system->toWorker);
    sem_destroy(&system->toOwner);
    delete system;
}

void WorkerThread::Signal(System& system, Side to) { sem_post(to == Side::Worker ? &system.toWorker : &system.toOwner); }

void WorkerThread::Await(System& system, Side on) {
    sem_t* semaphore = on == Side::Worker ? &system.toWorker : &system.toOwner;
    while (sem_wait(semaphore) != 0 && errno == EINTR) {
    }
}

}  // namespace kx
