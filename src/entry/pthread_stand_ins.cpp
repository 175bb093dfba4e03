// The DLL's pthread_once and plain mutexes, in place of winpthreads' (see runtime_sync.h): libgcc's
// unwinder calls them (the first exception thrown; the 32-bit one registers the DLL's unwind
// tables at each load), and libstdc++'s emergency exception pool. The types are winpthreads':
// pthread_once_t a long, pthread_mutex_t an intptr_t, pthread_mutexattr_t an unsigned.
#include <cstdint>

#include "entry/runtime_sync.h"

extern "C" {

int pthread_once(long* state, void (*initialise)()) { return kx::entry::RunOnce(state, initialise); }

// Attributes ask for nothing here: the runtime's mutexes are all plain ones.
int pthread_mutex_init(std::intptr_t* mutex, const unsigned*) { return kx::entry::InitMutex(mutex); }
int pthread_mutex_destroy(std::intptr_t*) { return 0; }
int pthread_mutex_lock(std::intptr_t* mutex) { return kx::entry::LockMutex(mutex); }
int pthread_mutex_unlock(std::intptr_t* mutex) { return kx::entry::UnlockMutex(mutex); }

}  // extern "C"
