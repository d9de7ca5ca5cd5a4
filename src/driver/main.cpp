// polyeval: evaluates one badly conditioned polynomial four ways and prints what IEEE 754
// binary64 arithmetic gives, then waits for the user to answer with a line.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "platform.h"

namespace {

// Makes a terminal or console show each result line as soon as it is written; a file or pipe
// stays fully buffered and receives everything when the process exits.
void set_output_buffering() {
  if (stdout_is_char_device()) std::setvbuf(stdout, nullptr, _IONBF, 0);
}

// Reads and discards standard input up to and including the next newline, or to its end or first
// error, in constant memory however long the line is.
void wait_for_line() {
  char line[32];
  for (;;) {
    // fgets stops at a newline, at the end of input or with a full buffer. A full buffer is told
    // apart by its last byte becoming the terminator, which works even if the line holds NULs.
    line[sizeof line - 1] = 'x';
    if (std::fgets(line, sizeof line, stdin) == nullptr) return;
    const bool filled = line[sizeof line - 1] == '\0';
    if (!filled || line[sizeof line - 2] == '\n') return;
  }
}

// Returns the error number of a write to standard output that has already failed, 0 if none has.
// Called right after the writes: errno still holds the failed write's reason then.
int earlier_write_error() { return std::ferror(stdout) != 0 ? errno : 0; }

// Flushes, checks and closes standard output, in that order: some C libraries (Wine's msvcrt)
// report a failed final flush from fflush but not from fclose. Returns 0 if every byte reached
// the output; otherwise writes one line to standard error, with the C library's text for the
// first known reason, and returns 1. earlier_error is the reason of a write that already failed.
int close_output(int earlier_error) {
  bool failed = std::ferror(stdout) != 0;
  int reason = earlier_error;
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    failed = true;
    if (reason == 0) reason = errno;
  }
  errno = 0;
  if (std::fclose(stdout) != 0) {
    failed = true;
    if (reason == 0) reason = errno;
  }
  if (!failed) return 0;
  if (reason != 0) {
    std::fprintf(stderr, "polyeval: write error: %s\n", std::strerror(reason));
  } else {
    std::fputs("polyeval: write error\n", stderr);
  }
  return 1;
}

}  // namespace

int main() {
  set_binary64_arithmetic();
  ignore_broken_pipe();
  set_output_buffering();
  eval_single();
  eval_double();
  eval_extended();
  eval_extended2();
  const int write_error = earlier_write_error();
  wait_for_line();
  return close_output(write_error);
}
