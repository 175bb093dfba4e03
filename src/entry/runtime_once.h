// Once-only initialisation for the C++ runtime inside the DLL (its pthread_once, pthread_once.cpp):
// winpthreads' own makes a record of the calling thread on first use (a TLS slot, an event and a
// thread handle) that outlives the DLL, and ends the process when no TLS slot is left.
#pragma once

namespace kx::entry {

// Runs `initialise` unless `state` says it ran (1; 0 before), then marks it, all threads agreeing;
// an initialisation may start another on its own thread. Always 0, as pthread_once answers.
int RunOnce(long* state, void (*initialise)());

}  // namespace kx::entry
