// The DLL's thread-local storage for the C++ runtime's thread-local variables (the exception
// runtime's per-thread state): one TLS slot, taken at load and given back at unload together
// with every thread's values. The runtime's own storage takes a slot and, per thread, two kernel
// handles on first use and never gives them back, so each load and unload of the DLL kept them.
#pragma once

namespace kx::entry {

// Takes the slot unless held already; false when the process has none left.
bool TakeRuntimeTlsSlot();
// Frees every thread's values and the slot. Only once no code of the DLL runs any more.
void GiveBackRuntimeTls();

}  // namespace kx::entry
