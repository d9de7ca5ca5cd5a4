# Fails unless the hexadecimal values on docs/numbers.md are the golden steps (tests/golden-steps.txt),
# in the same order, and unless every number of the page, the exercises and their answers, the
# README's opening and the man page, and the figure, are what the scripts in docs/ print and draw now,
# and tests/golden-remedies.txt what the table of evaluations computes (docs/page.py --check). With INSTALLED, the folder of an installed README, fails unless instead the
# scripts run there as the explanation's pages show (docs/page.py --check-installed).
# usage: cmake -DSOURCE_DIR=<source dir> [-DINSTALLED=<folder>] -P page-values.cmake
cmake_minimum_required(VERSION 3.20)
if(INSTALLED)
  set(check --check-installed ${INSTALLED})
else()
  set(check --check)
  set(hexfloat "-?0x[01](\\.[0-9a-f]+)?p[-+][0-9]+")
  file(READ ${SOURCE_DIR}/docs/numbers.md page)
  file(STRINGS ${SOURCE_DIR}/tests/golden-steps.txt steps REGEX "^[a-z]")
  string(REGEX MATCHALL "${hexfloat}" on_page "${page}")
  list(TRANSFORM steps REPLACE "^[a-z]+ +[^ ]+ +" "" OUTPUT_VARIABLE golden)  # the value, the third field
  list(LENGTH golden count)
  if(count EQUAL 0 OR NOT on_page STREQUAL golden)
    string(REPLACE ";" " " on_page "${on_page}")
    string(REPLACE ";" " " golden "${golden}")
    message(FATAL_ERROR "docs/numbers.md and tests/golden-steps.txt disagree:\n page:   ${on_page}\n golden: ${golden}")
  endif()
  message(STATUS "docs/numbers.md shows the ${count} golden steps")
endif()

# The scripts need matplotlib and mpmath.
include(${SOURCE_DIR}/cmake/python-with.cmake)
polyeval_python_or_skip(docs_python "matplotlib, mpmath"
                        "no python3 with matplotlib and mpmath (Debian: python3-matplotlib python3-mpmath)" "check the page")
execute_process(COMMAND ${docs_python} ${SOURCE_DIR}/docs/page.py ${check} RESULT_VARIABLE failed
                OUTPUT_VARIABLE report ERROR_VARIABLE report TIMEOUT 600)
if(NOT failed EQUAL 0 AND INSTALLED)
  message(FATAL_ERROR "${report}")
elseif(NOT failed EQUAL 0)
  message(FATAL_ERROR "${report}Regenerate with ${docs_python} docs/page.py --write, then review the change.")
endif()
message(STATUS "${report}")
