# Sets var to a python3 that can `import modules` (a comma-separated list), or to "" where none can:
# Debian's /usr/bin/python3 first, which has them as Debian packages, then the first on PATH (a
# pyenv one, say, may not have them).
function(polyeval_python_with var modules)
  find_program(POLYEVAL_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(POLYEVAL_PATH_PYTHON python3)
  foreach(python IN ITEMS ${POLYEVAL_SYSTEM_PYTHON} ${POLYEVAL_PATH_PYTHON})
    execute_process(COMMAND ${python} -c "import ${modules}" RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
    if(missing EQUAL 0)
      set(${var} ${python} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${var} "" PARENT_SCOPE)
endfunction()

# In a test script (cmake -P): sets var to a python3 that can `import modules`, as above; where none
# can, fails with CI=true (saying why and that CI must do what the script does, `purpose`) and
# otherwise prints the line CTest reads as a skip and leaves the script (a macro's return() leaves
# its caller).
macro(polyeval_python_or_skip var modules why purpose)
  polyeval_python_with(${var} "${modules}")
  if(NOT ${var})
    if("$ENV{CI}" STREQUAL "true")
      message(FATAL_ERROR "${why}: CI must ${purpose}")
    endif()
    # cmake -P cannot exit with 77 before CMake 3.29: CTest reads this line instead.
    message("SKIPPED: ${why}")
    return()
  endif()
endmacro()
