// polyeval: evaluates one badly conditioned polynomial four ways and prints what IEEE 754
// binary64 arithmetic gives, then waits for the user to answer with a line.
#include <cstdio>

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

}  // namespace

int main() {
  set_binary64_arithmetic();
  ignore_broken_pipe();
  set_output_buffering();
  eval_single();
  eval_double();
  eval_extended();
  eval_extended2();
  wait_for_line();
  return 0;
}
