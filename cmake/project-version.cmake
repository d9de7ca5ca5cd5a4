# The release's version, written once: project(polyeval VERSION ...) in CMakeLists.txt. Sets the
# variable named var to it, for a script that runs before any configure (the source archive, CI);
# run as a script itself, prints it.
# usage: include(project-version.cmake) and polyeval_project_version(<source dir> <var>), or
#        cmake -DSOURCE_DIR=<source dir> -P project-version.cmake
function(polyeval_project_version source_dir var)
  file(READ ${source_dir}/CMakeLists.txt project)
  if(NOT project MATCHES "\nproject\\(polyeval VERSION ([0-9.]+)[ )]")
    message(FATAL_ERROR "${source_dir}/CMakeLists.txt names no project(polyeval VERSION ...)")
  endif()
  set(${var} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  polyeval_project_version(${SOURCE_DIR} version)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${version})
endif()
