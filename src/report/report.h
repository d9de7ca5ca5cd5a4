// Result lines: a label, one number in the program's "%e" notation, and line ends.
#ifndef POLYEVAL_REPORT_H
#define POLYEVAL_REPORT_H

#include <algorithm>
#include <cstddef>
#include <cstdio>

// The longest text format_e writes: "-d.dddddde+ddd" is 14 characters; two more are allowed for.
constexpr std::size_t format_e_max = 16;

// Writes the "%e" text of value at out, without a terminator, and returns one past its end.
// Finite values: a '-' for a negative non-zero value, then d.dddddd from the exact value rounded
// half up to 17 significant digits and those rounded half up to 7, then 'e', the exponent's sign
// and three exponent digits; either zero is 0.000000e+000. Infinities are inf and -inf; every NaN
// is nan. At most format_e_max characters.
char* format_e(double value, char* out);

// Room for one result line, number text included; the longest the program writes is 36 bytes.
constexpr std::size_t result_line_max = 96;

// Writes a format literal to standard output with its first "%e" replaced by the text of value,
// in one stdio call; every other character is copied as it stands. A failed write leaves the
// stream's error flag set for the driver to report. A literal too long for the line buffer stops
// the build.
template <std::size_t N>
void write_result_line(const char (&format)[N], double value) {
  constexpr std::size_t length = N - 1;  // the literal's terminator is not written
  static_assert(length + format_e_max <= result_line_max, "format literal too long for a result line");
  static const char conversion[] = "%e";
  const char* const end = format + length;
  const char* const at = std::search(format, end, conversion, conversion + 2);
  char line[result_line_max];
  char* out = std::copy(format, at, line);
  if (at != end) {
    out = format_e(value, out);
    out = std::copy(at + 2, end, out);
  }
  std::fwrite(line, 1, static_cast<std::size_t>(out - line), stdout);
}

#endif
