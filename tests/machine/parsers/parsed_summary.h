// Helpers of the parser tests: a record set written as one line per record,
// so that a test compares whole results with a stored text.
#ifndef QZA_TESTS_MACHINE_PARSERS_PARSED_SUMMARY_H
#define QZA_TESTS_MACHINE_PARSERS_PARSED_SUMMARY_H

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

template <typename T>
std::string Text(const std::optional<T>& value) {
  if (!value) return "-";
  std::ostringstream text;
  text << *value;
  return text.str();
}

inline std::string Join(const std::vector<std::string>& items, const char* separator = ",") {
  std::string joined;
  for (const std::string& item : items) joined += (joined.empty() ? "" : separator) + item;
  return joined;
}

// "W3 W7": the lines of the warnings.
inline std::string WarningLines(const std::vector<TParseWarning>& warnings) {
  std::string lines;
  for (const TParseWarning& warning : warnings) lines += (lines.empty() ? "W" : " W") + std::to_string(warning.fLine);
  return lines;
}

// "Name=value[item,item];..."
inline std::string Fields(const TFieldBlock& block) {
  std::string text;
  for (const TField& field : block.fFields) {
    text += (text.empty() ? "" : ";") + field.fName + "=" + field.fValue;
    if (!field.fList.empty()) text += "[" + Join(field.fList) + "]";
  }
  return text;
}

}  // namespace NVKXQZA20::NMachine

#endif
