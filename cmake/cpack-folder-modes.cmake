# Run by cpack on the staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS): CMake makes the
# folders above installed files with the builder's umask, so every staged folder gets the modes of
# CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS here.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}")
    file(CHMOD "${folder}" DIRECTORY_PERMISSIONS ${CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
  endif()
endforeach()
