// libFuzzer target for the number text: every bit pattern must give a well-formed text of at most
// format_e_max characters, write nothing past it, and read back within half a unit of its 7th
// digit (plus the half unit of the 17th that the first rounding may add).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report/report.h"

namespace {

// Returns whether text is -?d.dddddde[+-]ddd.
bool has_number_shape(const std::string& text) {
  const std::string shape = "d.dddddde+ddd";
  const std::size_t start = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (text.size() - start != shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = text[start + i];
    const bool fits = shape[i] == 'd' ? c >= '0' && c <= '9' : shape[i] == '+' ? c == '+' || c == '-' : c == shape[i];
    if (!fits) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);

  char out[format_e_max + 16];
  std::memset(out, '#', sizeof out);
  const char* const end = format_e(value, out);
  if (end - out > static_cast<std::ptrdiff_t>(format_e_max)) std::abort();
  for (const char* past = end; past != out + sizeof out; ++past) {
    if (*past != '#') std::abort();
  }
  const std::string text(out, static_cast<std::size_t>(end - out));

  if (std::isnan(value)) {
    if (text != "nan") std::abort();
    return 0;
  }
  if (std::isinf(value)) {
    if (text != (value < 0 ? "-inf" : "inf")) std::abort();
    return 0;
  }
  if (!has_number_shape(text)) std::abort();
  if (value == 0) {
    if (text != "0.000000e+000") std::abort();
    return 0;
  }
  if ((text[0] == '-') != (value < 0)) std::abort();
  const long double read_back = std::strtold(text.c_str(), nullptr);
  const int exponent = std::atoi(text.c_str() + text.size() - 4);
  const long double unit7 = std::pow(10.0L, exponent - 6);
  const long double allowance = unit7 / 2 + unit7 * 1e-10L / 2;  // half a unit of the 7th and of the 17th
  if (std::fabs(read_back - static_cast<long double>(value)) > allowance) std::abort();
  if (text[text[0] == '-' ? 1 : 0] == '0') std::abort();  // a non-zero value starts with a non-zero digit
  return 0;
}
