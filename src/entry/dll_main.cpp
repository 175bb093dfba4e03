// The load-time entry. What the library takes per load it gives back when a host frees it, so a
// host may load and free it any number of times: the TLS slot of the runtime's thread-local state
// (refused at load when the process has none left, so LoadLibrary fails instead of the process
// ending later) and the C++ runtime's emergency exception pool. At process exit nothing is freed.
#include <windows.h>

#include "entry/runtime_tls.h"

namespace __gnu_cxx {
// libstdc++'s release of the emergency exception pool it allocates when the library starts.
void __freeres() noexcept;
}  // namespace __gnu_cxx

namespace {

void GiveBackWhatTheLoadTook() {
    kx::entry::GiveBackRuntimeTls();
    __gnu_cxx::__freeres();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // The DLL makes no use of thread attach and detach calls.
        DisableThreadLibraryCalls(instance);
        return kx::entry::TakeRuntimeTlsSlot();
    case DLL_PROCESS_DETACH:
        // Null when FreeLibrary unloads it (or its load failed); at process exit the system frees all.
        if (!reserved) GiveBackWhatTheLoadTook();
        return TRUE;
    default: return TRUE;
    }
}
