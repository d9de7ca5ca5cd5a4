// The golden data files' common form: comment lines start with '#'; every other line holds fields
// separated by blanks, values written as C's %a writes them.
#ifndef POLYEVAL_TESTS_GOLDEN_H
#define POLYEVAL_TESTS_GOLDEN_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Returns the fields of each data line of the file at path, in order; a file that cannot be read
// fails the test that reads it.
inline std::vector<std::vector<std::string>> golden_lines(const char* path) {
  std::ifstream file(path);
  EXPECT_TRUE(file) << "cannot read " << path;
  std::vector<std::vector<std::string>> lines;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string field; words >> field;) fields.push_back(field);
    lines.push_back(fields);
  }
  return lines;
}

// Returns the value of a field as C's %a writes it; a field that is not a whole hexadecimal float
// fails the test that reads it.
inline double hex_value(const std::string& field) {
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  EXPECT_TRUE(*end == '\0' && field.compare(field[0] == '-' ? 1 : 0, 2, "0x") == 0)
      << "not a hexadecimal float: " << field;
  return value;
}

#endif
