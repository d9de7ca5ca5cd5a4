# Cross builds with Debian's cross compilers, for the triple in POLYEVAL_TARGET_TRIPLE:
# s390x-linux-gnu needs the package g++-s390x-linux-gnu, i686-w64-mingw32 the package
# g++-mingw-w64-i686, and so on. Headers and libraries come from /usr/<triple>. The presets set
# the triple and the runner (CMAKE_CROSSCOMPILING_EMULATOR: qemu-user or Wine).
if(NOT POLYEVAL_TARGET_TRIPLE)
  message(FATAL_ERROR "cmake/cross.cmake needs -DPOLYEVAL_TARGET_TRIPLE=<triple>, for example s390x-linux-gnu")
endif()
# CMake reads this file again for each of its compiler checks, which see only these variables.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES POLYEVAL_TARGET_TRIPLE)

if(POLYEVAL_TARGET_TRIPLE MATCHES "-mingw32$")
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_RC_COMPILER ${POLYEVAL_TARGET_TRIPLE}-windres)
else()
  set(CMAKE_SYSTEM_NAME Linux)
endif()
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${POLYEVAL_TARGET_TRIPLE}")
set(CMAKE_C_COMPILER ${POLYEVAL_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${POLYEVAL_TARGET_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${POLYEVAL_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
