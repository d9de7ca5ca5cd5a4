# Cross builds with Debian's cross compilers, for the triple in POLYEVAL_TARGET_TRIPLE:
# s390x-linux-gnu needs the package g++-s390x-linux-gnu, i686-w64-mingw32 the package
# g++-mingw-w64-i686, and so on. Headers and libraries come from /usr/<triple>. The presets set
# the triple and the runner (CMAKE_CROSSCOMPILING_EMULATOR: qemu-user, Wine or Node).
if(NOT POLYEVAL_TARGET_TRIPLE)
  message(FATAL_ERROR "cmake/cross.cmake needs -DPOLYEVAL_TARGET_TRIPLE=<triple>, for example s390x-linux-gnu")
endif()
# CMake reads this file again for each of its compiler checks, which see only these variables.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES POLYEVAL_TARGET_TRIPLE)

string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${POLYEVAL_TARGET_TRIPLE}")
if(POLYEVAL_TARGET_TRIPLE STREQUAL "wasm32-wasi")
  # WebAssembly for WASI preview 1, run by Node or a browser page. CMake knows no WASI system;
  # Generic builds a plain executable, here a .wasm module. Debian's Clang finds wasi-libc and
  # libc++ for this target by itself (packages wasi-libc, libc++-14-dev-wasm32,
  # libc++abi-14-dev-wasm32, libclang-rt-14-dev-wasm32) and links with wasm-ld (lld-14).
  set(CMAKE_SYSTEM_NAME Generic)
  set(CMAKE_EXECUTABLE_SUFFIX_CXX .wasm)
  set(CMAKE_C_COMPILER clang)
  set(CMAKE_CXX_COMPILER clang++)
  set(CMAKE_C_COMPILER_TARGET ${POLYEVAL_TARGET_TRIPLE})
  set(CMAKE_CXX_COMPILER_TARGET ${POLYEVAL_TARGET_TRIPLE})
  # wasm-ld takes only archives with a symbol index, which GNU ar, CMake's choice otherwise, cannot
  # write for WebAssembly objects: LLVM's archiver can (package llvm-14).
  find_program(POLYEVAL_LLVM_AR NAMES llvm-ar-14 llvm-ar)
  find_program(POLYEVAL_LLVM_RANLIB NAMES llvm-ranlib-14 llvm-ranlib)
  if(NOT POLYEVAL_LLVM_AR OR NOT POLYEVAL_LLVM_RANLIB)
    message(FATAL_ERROR "llvm-ar-14 and llvm-ranlib-14 were not found in the PATH: WebAssembly archives need "
                        "LLVM's archiver (Debian: llvm-14)")
  endif()
  set(CMAKE_AR ${POLYEVAL_LLVM_AR})
  set(CMAKE_RANLIB ${POLYEVAL_LLVM_RANLIB})
  # The libraries' debug information, Debian's build paths included, would be half the module.
  set(CMAKE_EXE_LINKER_FLAGS_INIT -Wl,--strip-debug)
elseif(POLYEVAL_TARGET_TRIPLE MATCHES "-mingw32$")
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_RC_COMPILER ${POLYEVAL_TARGET_TRIPLE}-windres)
  set(CMAKE_C_COMPILER ${POLYEVAL_TARGET_TRIPLE}-gcc)
  set(CMAKE_CXX_COMPILER ${POLYEVAL_TARGET_TRIPLE}-g++)
else()
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_C_COMPILER ${POLYEVAL_TARGET_TRIPLE}-gcc)
  set(CMAKE_CXX_COMPILER ${POLYEVAL_TARGET_TRIPLE}-g++)
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${POLYEVAL_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
