# Fails unless every release file name that the pages and the scripts show (polyeval-1.0.tar.gz,
# polyeval_1.0_amd64.deb, ...) names the version of project() in CMakeLists.txt, VERSION as CMake
# read it, and unless the scripts that read the version before any configure
# (cmake/project-version.cmake) read the same.
# usage: cmake -DSOURCE_DIR=<source dir> -DVERSION=<project version> -P docs-version.cmake
cmake_minimum_required(VERSION 3.20)
include(${SOURCE_DIR}/cmake/project-version.cmake)
polyeval_project_version(${SOURCE_DIR} read)
if(NOT read STREQUAL VERSION)
  message(SEND_ERROR "cmake/project-version.cmake reads ${read} from CMakeLists.txt; project() says ${VERSION}")
endif()
file(GLOB pages RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.md ${SOURCE_DIR}/docs/*.md)
set(count 0)
foreach(file IN LISTS pages ITEMS release.sh .ci/run .ci/fresh-debian)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "polyeval[-_][0-9]")
  foreach(line IN LISTS lines)
    string(REGEX MATCHALL "polyeval[-_][0-9]+(\\.[0-9]+)+" names "${line}")
    foreach(name IN LISTS names)
      math(EXPR count "${count} + 1")
      string(REGEX REPLACE "^polyeval[-_]" "" shown "${name}")
      if(NOT shown STREQUAL VERSION)
        message(SEND_ERROR "${file}: ${name} names version ${shown}; project() in CMakeLists.txt says ${VERSION}")
      endif()
    endforeach()
  endforeach()
endforeach()
message(STATUS "${count} release file names in the pages and scripts name version ${VERSION}")
