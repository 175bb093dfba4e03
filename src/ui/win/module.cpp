// The module handle, found from the address of the code itself.
#include "ui/win/module.h"

namespace kx::win {

HINSTANCE ThisModule() {
    // The module holding this function's code, without taking a reference on it.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

}  // namespace kx::win
