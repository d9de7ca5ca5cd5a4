# Writes the source archive of the release, polyeval-<version>.tar.gz, into OUTPUT_DIR: the files of
# the commit checked out in SOURCE_DIR (as `git archive` gives them, uncommitted changes left out),
# below one top folder polyeval-<version>, the version being project(VERSION) of CMakeLists.txt.
# The same bytes from every run on one commit: the files' times are the commit's, their modes
# rw-r--r-- and rwxr-xr-x whatever the builder's umask or git configuration, and gzip writes no
# name or time. Prints the archive's path.
#
# usage: cmake -DSOURCE_DIR=<source dir> -DOUTPUT_DIR=<folder> -P source-archive.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/project-version.cmake)
polyeval_project_version(${SOURCE_DIR} version)
set(name polyeval-${version})
# The commit is the checkout's own, not that of a checkout the folder happens to lie in.
execute_process(COMMAND git rev-parse --show-toplevel --verify --quiet HEAD WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE outside OUTPUT_VARIABLE top ERROR_QUIET)
string(REGEX REPLACE "\n.*" "" top "${top}")
file(REAL_PATH ${SOURCE_DIR} source)
if(outside OR NOT top STREQUAL source)
  message(FATAL_ERROR "${SOURCE_DIR} is no git checkout with a commit: the source archive holds a commit's files")
endif()
file(MAKE_DIRECTORY ${OUTPUT_DIR})
# tar.umask 022 writes rw-r--r-- and rwxr-xr-x, whatever umask the builder's git is told to use.
execute_process(
  COMMAND git -c tar.umask=022 archive --format=tar --prefix=${name}/ HEAD
  COMMAND gzip -9n
  WORKING_DIRECTORY ${SOURCE_DIR}
  OUTPUT_FILE ${OUTPUT_DIR}/${name}.tar.gz
  COMMAND_ERROR_IS_FATAL ANY)
message("${OUTPUT_DIR}/${name}.tar.gz")
