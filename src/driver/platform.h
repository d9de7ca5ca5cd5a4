// Everything in polyeval that differs between platforms lives here, each #if with its reason.
// Only the driver includes this file.
#ifndef POLYEVAL_DRIVER_PLATFORM_H
#define POLYEVAL_DRIVER_PLATFORM_H

#include <cfloat>
#include <cstdio>

// WASI has no signals: its <csignal> stops the build. A write to a pipe whose reader has gone
// fails there with EPIPE already, as ignore_broken_pipe arranges elsewhere.
#if !defined(__wasi__)
#include <csignal>
#endif

#if defined(_WIN32)
#include <io.h>
#else
#include <sys/stat.h>
#endif

// Double arithmetic on the x87 unit keeps a 64-bit significand in its registers unless the
// precision-control field says otherwise. GCC and Clang on i386 without SSE2 math use it (and so
// does MSVC for 32-bit x86 without /arch:SSE2). Everywhere else double arithmetic rounds each
// result to binary64 already; a compiler that evaluates wider in some other way is refused.
#if defined(__i386__) && !defined(__SSE2_MATH__) && defined(__GNUC__)
#define POLYEVAL_X87_GNU 1
#elif defined(_M_IX86) && (!defined(_M_IX86_FP) || _M_IX86_FP < 2)
#define POLYEVAL_X87_MSVC 1  // _control87 comes from <cfloat>
#elif !defined(FLT_EVAL_METHOD) || (FLT_EVAL_METHOD != 0 && FLT_EVAL_METHOD != 1)
#error "polyeval: this compiler keeps double results wider than binary64 and cannot be told not to"
#endif

// Puts the floating-point unit into the state every evaluation relies on: each result rounded
// once to a 53-bit significand, to nearest with ties to even, with all exceptions masked.
// POLYEVAL_TEST_ONLY_KEEP_X87_PRECISION exists for one test, which proves this step matters.
inline void set_binary64_arithmetic() {
#if defined(POLYEVAL_X87_GNU) && !defined(POLYEVAL_TEST_ONLY_KEEP_X87_PRECISION)
  // Control word 0x027F: exception masks 0x3F and reserved bit 6 set, precision control (bits 8-9)
  // = 10b for 53 bits, rounding control (bits 10-11) = 00b for nearest. Linux and the mingw-w64
  // start-up leave 0x037F, the 64-bit setting. The unit keeps its wider exponent range, which
  // would matter only for results that overflow or are subnormal in binary64; none arises here.
  const unsigned short binary64_control = 0x027F;
  __asm__ volatile("fldcw %0" : : "m"(binary64_control));
#elif defined(POLYEVAL_X87_MSVC) && !defined(POLYEVAL_TEST_ONLY_KEEP_X87_PRECISION)
  _control87(_PC_53 | _RC_NEAR | _MCW_EM, _MCW_PC | _MCW_RC | _MCW_EM);
#endif
}

// Keeps a write to a pipe whose reader has gone from killing the process: the write then fails
// with EPIPE and is reported like any other write error. Windows and WASI have no such signal.
inline void ignore_broken_pipe() {
#if defined(SIGPIPE)
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

// Returns whether standard output is a character device (a terminal, a console, the null device).
// The Windows C runtime reports a process without a standard output handle as descriptor -2,
// which its low-level calls must never see.
inline bool stdout_is_char_device() {
#if defined(_WIN32)
  const int fd = _fileno(stdout);
  return fd >= 0 && _isatty(fd) != 0;
#else
  struct stat status {};
  return fstat(fileno(stdout), &status) == 0 && S_ISCHR(status.st_mode);
#endif
}

#endif
