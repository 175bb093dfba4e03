#include "entry/runtime_sync.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace kx::entry {
namespace {

// One lock for every initialisation: they are few, short and run once each.
SRWLOCK g_lock = SRWLOCK_INIT;
std::atomic<DWORD> g_runningThread = 0;  // the thread holding the lock, so a nested once can run

}  // namespace

int RunOnce(long* state, void (*initialise)()) {
    std::atomic_ref<long> done(*state);
    if (done.load(std::memory_order_acquire) == 1) return 0;
    const DWORD thread = GetCurrentThreadId();
    const bool nested = g_runningThread.load() == thread;
    if (!nested) {
        AcquireSRWLockExclusive(&g_lock);
        g_runningThread = thread;
    }
    if (done.load() != 1) {
        initialise();
        done.store(1, std::memory_order_release);
    }
    if (!nested) {
        g_runningThread = 0;
        ReleaseSRWLockExclusive(&g_lock);
    }
    return 0;
}

namespace {

constexpr std::intptr_t kPlainMutexInitialiser = -1;  // winpthreads' PTHREAD_MUTEX_INITIALIZER

SRWLOCK* AsLock(std::intptr_t* mutex) {
    std::atomic_ref<std::intptr_t> word(*mutex);
    std::intptr_t seen = word.load();
    if (seen == kPlainMutexInitialiser) word.compare_exchange_strong(seen, 0);
    else if (seen < 0 && seen >= -3) std::abort();  // error-checking or recursive: not made here
    return reinterpret_cast<SRWLOCK*>(mutex);
}

}  // namespace

int InitMutex(std::intptr_t* mutex) {
    *mutex = 0;
    return 0;
}

int LockMutex(std::intptr_t* mutex) {
    AcquireSRWLockExclusive(AsLock(mutex));
    return 0;
}

int UnlockMutex(std::intptr_t* mutex) {
    ReleaseSRWLockExclusive(AsLock(mutex));
    return 0;
}

}  // namespace kx::entry
