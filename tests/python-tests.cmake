# Runs the Python tests of the docs' scripts and of the page's check of #results (tests/docs/*_test.py,
# under unittest) with a python3 that has mpmath, for Student's t: Debian's first. Without one the test
# is skipped, and fails with CI=true. Writes no bytecode into the source tree (-B).
# usage: cmake -DSOURCE_DIR=<source dir> -P python-tests.cmake
cmake_minimum_required(VERSION 3.20)
include(${SOURCE_DIR}/cmake/python-with.cmake)
polyeval_python_or_skip(tests_python "mpmath" "no python3 with mpmath (Debian: python3-mpmath)" "run the Python tests")
execute_process(COMMAND ${tests_python} -B -m unittest discover -s ${SOURCE_DIR}/tests/docs -p "*_test.py"
                RESULT_VARIABLE failed OUTPUT_VARIABLE report ERROR_VARIABLE report TIMEOUT 300)
if(NOT failed EQUAL 0)
  message(FATAL_ERROR "${tests_python}: the Python tests failed:\n${report}")
endif()
message(STATUS "${report}")
