#include "machine/parsers/records.h"

#include <cctype>
#include <cmath>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {

const TField* TFieldBlock::Find(const std::string& name) const {
  for (const TField& field : fFields)
    if (field.fName == name) return &field;
  return nullptr;
}

std::string TFieldBlock::Value(const std::string& name) const {
  const TField* field = Find(name);
  return field ? field->fValue : std::string();
}

std::vector<std::string> TFieldBlock::Values(const std::string& name) const {
  std::vector<std::string> values;
  for (const TField& field : fFields)
    if (field.fName == name) values.push_back(field.fValue);
  return values;
}

// Splits "3.10 GHz" into its number and the rest; nothing without a leading
// number.
static std::optional<std::pair<double, std::string_view>> SplitNumber(std::string_view text) {
  text = Trim(text);
  size_t end = 0;
  while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.'))
    ++end;
  std::optional<double> number = ParseDouble(text.substr(0, end));
  if (!number) return std::nullopt;
  return std::make_pair(*number, Trim(text.substr(end)));
}

std::optional<double> ParseLeadingNumber(const std::string& text) {
  auto split = SplitNumber(text);
  if (!split) return std::nullopt;
  return split->first;
}

std::optional<unsigned long long> ParseByteSize(const std::string& text) {
  // A bare number of bytes, to the last digit: a double would round it.
  if (const auto bytes = ParseUnsigned(text)) return bytes;
  auto split = SplitNumber(text);
  if (!split) return std::nullopt;
  std::string_view unit = split->second;
  if (!unit.empty() && (unit.back() == 'B' || unit.back() == 'b')) unit.remove_suffix(1);
  if (unit.size() == 2 && unit[1] == 'i') unit.remove_suffix(1);  // "KiB"
  if (!unit.empty() && unit.find(' ') != std::string_view::npos) return std::nullopt;
  static const std::string_view kPrefixes = "KMGTPE";
  double factor = 1;
  if (!unit.empty()) {
    if (unit.size() != 1) return std::nullopt;
    size_t power = kPrefixes.find(static_cast<char>(std::toupper(static_cast<unsigned char>(unit[0]))));
    if (power == std::string_view::npos) return std::nullopt;
    factor = std::pow(1024.0, static_cast<double>(power + 1));
  }
  const double bytes = std::round(split->first * factor);
  if (bytes >= 0x1p64) return std::nullopt;  // no size a machine has
  return static_cast<unsigned long long>(bytes);
}

}  // namespace NVKXQZA20::NMachine
