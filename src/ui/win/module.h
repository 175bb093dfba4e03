// The module this code is linked into (the DLL): its templates, icons and pictures.
#pragma once

#include <windows.h>

namespace kx::win {

HINSTANCE ThisModule();

}  // namespace kx::win
