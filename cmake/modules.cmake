# How the build is put together (docs/architecture.md, "Build"): every dependency is named, and a
# name that is not a declared target fails the configure step instead of shrinking the build.
#
#   kx_module(NAME DIR [DEPS ...])  a static library of every .cpp in DIR (relative to the calling
#                                   CMakeLists.txt), linked PUBLIC with DEPS, which must be declared
#                                   before it: the order of the declarations is the order of the layers.
#   kx_link(TARGET SCOPE DEPS ...)  target_link_libraries with every dependency checked.

function(kx_link target scope)
  foreach(dep IN LISTS ARGN)
    if(NOT TARGET ${dep})
      message(FATAL_ERROR "${target} links '${dep}', which is not declared (or not declared yet)")
    endif()
  endforeach()
  target_link_libraries(${target} ${scope} ${ARGN})
endfunction()

function(kx_module name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT sources)
    message(FATAL_ERROR "module ${name}: no sources in ${dir} (declare a module once its folder has code)")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  kx_link(${name} PUBLIC ${ARGN})
endfunction()

# Windows programs and the DLL carry their runtime inside: nothing to put beside them.
function(kx_static_runtime target)
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()
