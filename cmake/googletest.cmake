# GoogleTest as GTest::gtest and GTest::gtest_main. Debian's library is built for 64-bit Linux
# only, so the Windows and 32-bit builds compile the sources its package installs (whose own
# CMake gives the same two names).
if(WIN32 OR KX_GTEST_FROM_SOURCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(gtest_target gtest gtest_main)
    target_compile_options(${gtest_target} PRIVATE -Wno-error)
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
