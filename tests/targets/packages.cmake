# Prints the Debian packages that the target presets of CMakePresets.json need, on one line, each
# once: what .ci/run installs for the target rows.
# usage: cmake -DSOURCE_DIR=<source dir> -P packages.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/presets.cmake)
polyeval_target_packages(${SOURCE_DIR} packages)
string(JOIN " " packages ${packages})
execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${packages}")
