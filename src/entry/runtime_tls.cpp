// Stands in for libgcc's __emutls_get_address in the DLL: the compiler turns every access to a
// thread_local of the runtime into a call of it, with the variable's control block.
#include "entry/runtime_tls.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <atomic>
#include <cstring>
#include <malloc.h>
#include <utility>

namespace kx::entry {
namespace {

// The compiler's control block of one thread-local variable (libgcc's __emutls_object).
struct ThreadLocalVariable {
    std::uintptr_t size;
    std::uintptr_t align;
    std::uintptr_t index;  // 1-based place in each thread's values; 0 until first used
    const void* initial;   // the initial bytes, or null for zeros
};

// One thread's values, in the list of all threads' so that unload frees them whichever thread it
// runs on (threads that end leave theirs until then: the DLL asks for no thread notifications).
struct ThreadValues {
    ThreadValues* next;
    std::uintptr_t count;
    void** values;
};

SRWLOCK g_lock = SRWLOCK_INIT;  // over all below; the fast path reads the slot and indexes without it
std::atomic<DWORD> g_slot = TLS_OUT_OF_INDEXES;
std::uintptr_t g_variables = 0;
ThreadValues* g_threads = nullptr;

// As libgcc does, the process ends when the exception runtime cannot have its state.
[[noreturn]] void OutOfMemory() { std::abort(); }

std::atomic_ref<std::uintptr_t> IndexOf(ThreadLocalVariable& variable) { return std::atomic_ref(variable.index); }

bool TakeSlot() {
    if (g_slot == TLS_OUT_OF_INDEXES) g_slot = TlsAlloc();
    return g_slot != TLS_OUT_OF_INDEXES;
}

ThreadValues& ThisThreadsValues(std::uintptr_t needed) {
    auto* thread = static_cast<ThreadValues*>(TlsGetValue(g_slot));
    if (!thread) {
        thread = static_cast<ThreadValues*>(std::calloc(1, sizeof(ThreadValues)));
        if (!thread || !TlsSetValue(g_slot, thread)) OutOfMemory();
        thread->next = std::exchange(g_threads, thread);
    }
    if (thread->count < needed) {
        auto* grown = static_cast<void**>(std::realloc(thread->values, needed * sizeof(void*)));
        if (!grown) OutOfMemory();
        std::memset(grown + thread->count, 0, (needed - thread->count) * sizeof(void*));
        thread->values = grown;
        thread->count = needed;
    }
    return *thread;
}

void* NewValue(const ThreadLocalVariable& variable) {
    const std::size_t align = variable.align > sizeof(void*) ? variable.align : sizeof(void*);
    void* value = _aligned_malloc(variable.size ? variable.size : 1, align);
    if (!value) OutOfMemory();
    if (variable.initial) std::memcpy(value, variable.initial, variable.size);
    else std::memset(value, 0, variable.size);
    return value;
}

void* SlowAddress(ThreadLocalVariable& variable) {
    AcquireSRWLockExclusive(&g_lock);
    if (!TakeSlot()) OutOfMemory();
    if (!IndexOf(variable).load()) IndexOf(variable).store(++g_variables);
    const std::uintptr_t index = IndexOf(variable).load();
    ThreadValues& thread = ThisThreadsValues(index);
    void*& value = thread.values[index - 1];
    if (!value) value = NewValue(variable);
    ReleaseSRWLockExclusive(&g_lock);
    return value;
}

}  // namespace

bool TakeRuntimeTlsSlot() {
    AcquireSRWLockExclusive(&g_lock);
    const bool held = TakeSlot();
    ReleaseSRWLockExclusive(&g_lock);
    return held;
}

void GiveBackRuntimeTls() {
    AcquireSRWLockExclusive(&g_lock);
    while (ThreadValues* thread = g_threads) {
        g_threads = thread->next;
        for (std::uintptr_t i = 0; i < thread->count; ++i) _aligned_free(thread->values[i]);
        std::free(thread->values);
        std::free(thread);
    }
    if (g_slot != TLS_OUT_OF_INDEXES) TlsFree(g_slot);
    g_slot = TLS_OUT_OF_INDEXES;
    ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace kx::entry

// The address of this thread's copy of the variable whose control block is `control`. The
// caller's last error stays as it was (TlsGetValue clears it).
extern "C" void* __emutls_get_address(void* control) {
    using namespace kx::entry;
    auto& variable = *static_cast<ThreadLocalVariable*>(control);
    const DWORD lastError = GetLastError();
    void* value = nullptr;
    const std::uintptr_t index = IndexOf(variable).load();
    if (const DWORD slot = g_slot; index && slot != TLS_OUT_OF_INDEXES) {
        // Only this thread adds to its own values, so they are read here without the lock.
        const auto* thread = static_cast<const ThreadValues*>(TlsGetValue(slot));
        if (thread && index <= thread->count) value = thread->values[index - 1];
    }
    if (!value) value = SlowAddress(variable);
    SetLastError(lastError);
    return value;
}
