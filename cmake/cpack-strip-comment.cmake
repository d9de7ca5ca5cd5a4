# Run by cpack on the staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS): CPack strips the
# program as `install -s` does, which keeps the .comment section (the compiler's version notes);
# Debian's own packaging removes it too, and so does this, on the Linux program.
if(NOT CPACK_POLYEVAL_OBJCOPY)
  return()  # the Windows program
endif()
# Under the package's prefix: /usr in the .deb and .rpm, the top folder in the archive.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/bin/polyeval"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/polyeval")
if(NOT programs)
  message(FATAL_ERROR "no bin/polyeval staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_POLYEVAL_OBJCOPY}" --remove-section=.comment "${program}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${CPACK_POLYEVAL_OBJCOPY} could not remove the .comment section of ${program}")
  endif()
endforeach()
