# 64-bit Windows: the same DLL, run under Wine by the tests.
set(KX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
