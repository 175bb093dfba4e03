// Once-only initialisation and mutexes for the C++ runtime inside the DLL (its pthread_once and
// pthread_mutex_*, pthread_stand_ins.cpp). winpthreads' pthread_once makes a record of the calling
// thread on first use (a TLS slot, an event and a thread handle) that outlives the DLL, and ends the
// process when no TLS slot is left; its mutexes made from a static initialiser allocate on first
// lock and are never destroyed (the 32-bit unwinder's, locked at each load).
#pragma once

#include <cstdint>

namespace kx::entry {

// Runs `initialise` unless `state` says it ran (1; 0 before), then marks it, all threads agreeing;
// an initialisation may start another on its own thread. Always 0, as pthread_once answers.
int RunOnce(long* state, void (*initialise)());

// A plain mutex held in the pthread_mutex_t word itself, nothing allocated: winpthreads' static
// initialiser of a plain mutex (-1) or 0 is an unlocked one. The runtime in the DLL uses no other
// kind; an error-checking or recursive one ends the process. Each returns 0.
int InitMutex(std::intptr_t* mutex);
int LockMutex(std::intptr_t* mutex);
int UnlockMutex(std::intptr_t* mutex);

}  // namespace kx::entry
