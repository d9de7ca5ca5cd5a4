# Linux on 32-bit x86 with every double operation on the x87 unit, the way the Windows target
# computes. Needs Debian's lib32stdc++-12-dev and libc6-dev-i386 beside g++; qemu-user runs the
# result where the kernel cannot run 32-bit programs itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_CXX_FLAGS_INIT "-m32 -mfpmath=387")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
