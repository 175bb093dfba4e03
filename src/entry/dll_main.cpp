// The load-time entry: keeps the module handle that every template and picture is loaded from.
#include <windows.h>

#include "entry/module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        kx::moduleState().ModuleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
