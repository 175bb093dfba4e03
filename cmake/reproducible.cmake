# One commit builds the same bytes in any folder at any hour, so that a host vendor can check the
# DLL they ship against our sources (README, "Checking a DLL against the sources";
# scripts/check-reproducible.sh compares two builds).

# Compiled code names no absolute folder: __FILE__ and debug information see the sources as "."
# and the build folder as "build". GCC tries the last map first, and the build folder may lie
# inside the sources, so its map comes second.
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")

# GNU ld stamps a PE file's header and its export directory with the link time; without the stamp
# both read 0 (Windows reads neither). windres writes 0 in the resource directory already, and
# Debian's binutils write archives (the import library ld makes) with zero times and owners.
if(WIN32)
  add_link_options(LINKER:--no-insert-timestamp)
endif()

# Directories made while installing get these rights whatever the umask, and the packages record them.
set(kx_directory_permissions
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${kx_directory_permissions})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${kx_directory_permissions})
