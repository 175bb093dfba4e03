# Builds the module's resources into a Windows target.
#
#   include(${PROJECT_SOURCE_DIR}/resources/resources.cmake)   # at directory scope (it enables RC)
#   kx_add_resources(kxcard)                                   # the DLL gets the templates, icons, bitmaps
#   target_link_libraries(kx_ui PRIVATE kx_resource_ids)       # code that needs the ids:
#                                                              #   #include "resource_ids.h"
#   kx_add_version_info(kxhost "what it is")                   # a program's version resource
#
# kx_add_resources(<target>) turns every picture in resources/art into a .bmp (and the strip at
# its larger sizes) or an .ico of every size with tools/pixelart.py (rerun when the art or the tool changes; bad art fails the build) and compiles
# resources/kxcard.rc into the target with windres (CMAKE_RC_COMPILER from the toolchain file).
if(NOT WIN32)
  message(FATAL_ERROR "resources.cmake builds Windows resources; include it only in a Windows build")
endif()
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KX_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
cmake_path(GET KX_RESOURCE_DIR PARENT_PATH kx_source_root)
set(KX_PIXELART ${kx_source_root}/tools/pixelart.py)

if(NOT TARGET kx_resource_ids)
  add_library(kx_resource_ids INTERFACE)
  target_include_directories(kx_resource_ids INTERFACE ${KX_RESOURCE_DIR})
endif()

function(kx_add_resources target)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_pictures)
  file(GLOB arts CONFIGURE_DEPENDS ${KX_RESOURCE_DIR}/art/*.txt)
  set(pictures "")
  foreach(art IN LISTS arts)
    get_filename_component(name ${art} NAME_WE)
    if(name MATCHES "^icon")
      set(picture ${out_dir}/${name}.ico)
      set(made ${picture})
    else()
      # A strip's larger sizes come out beside it, named by the .rc lines it writes.
      set(picture ${out_dir}/${name}.bmp)
      set(made ${picture} ${out_dir}/${name}-sizes.rc)
    endif()
    add_custom_command(
      OUTPUT ${made}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
      COMMAND Python3::Interpreter ${KX_PIXELART} ${art} ${picture}
      DEPENDS ${art} ${KX_PIXELART}
      COMMENT "Drawing ${name} from its pixel art"
      VERBATIM)
    list(APPEND pictures ${made})
  endforeach()

  set(rc ${KX_RESOURCE_DIR}/kxcard.rc)
  # Only kxcard.rc is compiled: it includes the strips' -sizes.rc itself.
  set(compiled ${pictures})
  list(FILTER compiled EXCLUDE REGEX "\\.rc$")
  target_sources(${target} PRIVATE ${rc} ${compiled})
  # The .rc finds resource_ids.h beside it and the pictures through the include path.
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${pictures};${KX_RESOURCE_DIR}/resource_ids.h"
    INCLUDE_DIRECTORIES "${out_dir};${KX_RESOURCE_DIR}")
  target_link_libraries(${target} PRIVATE kx_resource_ids)
endfunction()

# kx_add_version_info(<target> <description>): a VERSIONINFO resource carrying PROJECT_VERSION.
function(kx_add_version_info target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(kx_file_type VFT_DLL)
    set(kx_file_name ${target}.dll)
  else()
    set(kx_file_type VFT_APP)
    set(kx_file_name ${target}.exe)
  endif()
  set(kx_description "${description}")
  configure_file(${KX_RESOURCE_DIR}/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()
