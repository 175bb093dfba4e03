# Run by cpack after it made the kit's .zip (CPACK_POST_BUILD_SCRIPTS): cpack adds the files in
# the order the file system lists them and records their owner, both of which differ between
# machines, so tools/kit_zip.py makes the .zip again from the same staged folder.
include(${CMAKE_CURRENT_LIST_DIR}/source-date-epoch.cmake)
foreach(kx_zip IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_KX_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/../tools/kit_zip.py
                          ${kx_zip} ${CPACK_TEMPORARY_DIRECTORY}
                  RESULT_VARIABLE kx_zip_result)
  if(NOT kx_zip_result EQUAL 0)
    message(FATAL_ERROR "tools/kit_zip.py could not make ${kx_zip}")
  endif()
endforeach()
