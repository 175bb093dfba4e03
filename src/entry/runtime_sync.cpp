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

// The mutex word: unlocked (0, or winpthreads' PTHREAD_MUTEX_INITIALIZER never used yet) or held.
constexpr std::intptr_t kUnlocked = 0, kPlainMutexInitialiser = -1, kHeld = 1;

}  // namespace

int InitMutex(std::intptr_t* mutex) {
    *mutex = kUnlocked;
    return 0;
}

// A waiter yields, then sleeps: the runtime's mutexes are rarely contended (the emergency pool when
// memory runs out, the unwind tables' registry at load and unload), and held only briefly.
int LockMutex(std::intptr_t* mutex) {
    std::atomic_ref<std::intptr_t> word(*mutex);
    for (int attempt = 0;; ++attempt) {
        std::intptr_t seen = word.load(std::memory_order_relaxed);
        if (seen != kUnlocked && seen != kPlainMutexInitialiser && seen != kHeld) std::abort();  // not a plain one
        if (seen != kHeld && word.compare_exchange_weak(seen, kHeld, std::memory_order_acquire)) return 0;
        Sleep(attempt < 64 ? 0 : 1);
    }
}

int UnlockMutex(std::intptr_t* mutex) {
    std::atomic_ref(*mutex).store(kUnlocked, std::memory_order_release);
    return 0;
}

}  // namespace kx::entry
