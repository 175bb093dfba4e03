// The DLL's pthread_once, in place of winpthreads' (see runtime_once.h): libgcc's unwinder calls it
// on the first exception thrown. pthread_once_t is winpthreads' long.
#include "entry/runtime_once.h"

extern "C" int pthread_once(long* state, void (*initialise)()) { return kx::entry::RunOnce(state, initialise); }
