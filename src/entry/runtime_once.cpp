#include "entry/runtime_once.h"

#include <windows.h>

#include <atomic>

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

}  // namespace kx::entry
