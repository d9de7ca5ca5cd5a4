# Fails unless the hexadecimal values on docs/numbers.md are those of the evaluation tests'
# tables, in the same order: the page explains what the program computes and cannot drift from it.
# usage: cmake -DSOURCE_DIR=<source dir> -P page-values.cmake
cmake_minimum_required(VERSION 3.20)
set(hexfloat "-?0x1(\\.[0-9a-f]+)?p[-+][0-9]+")
file(READ ${SOURCE_DIR}/docs/numbers.md page)
file(READ ${SOURCE_DIR}/tests/eval_test.cpp tables)
string(REGEX MATCHALL "${hexfloat}" on_page "${page}")
string(REGEX MATCHALL "${hexfloat}" in_tests "${tables}")
list(LENGTH in_tests count)
if(count EQUAL 0 OR NOT on_page STREQUAL in_tests)
  string(REPLACE ";" " " on_page "${on_page}")
  string(REPLACE ";" " " in_tests "${in_tests}")
  message(FATAL_ERROR "docs/numbers.md and tests/eval_test.cpp disagree:\n page:  ${on_page}\n tests: ${in_tests}")
endif()
message(STATUS "docs/numbers.md shows the ${count} values of the evaluation tests")
