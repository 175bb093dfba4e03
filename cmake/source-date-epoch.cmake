# Included by cpack (CPACK_PROJECT_CONFIG_FILE) and by the install step that makes the man page:
# sets SOURCE_DATE_EPOCH, unless the caller has, to the time of the commit the sources are at.
# cpack stamps every file of the .deb and the .zip with it, help2man dates the man page by it.
# Outside git it is the time of the top CMakeLists.txt: an archive of a commit (git archive)
# gives its files the commit's time.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  get_filename_component(kx_sources "${CMAKE_CURRENT_LIST_DIR}" DIRECTORY)
  execute_process(COMMAND git -C "${kx_sources}" log -1 --format=%ct
                  OUTPUT_VARIABLE kx_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE kx_git ERROR_QUIET)
  if(NOT kx_git EQUAL 0 OR NOT kx_epoch MATCHES "^[0-9]+$")
    file(TIMESTAMP "${kx_sources}/CMakeLists.txt" kx_epoch "%s" UTC)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${kx_epoch}")
endif()
