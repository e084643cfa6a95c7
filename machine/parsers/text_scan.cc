#include "machine/parsers/text_scan.h"

#include <charconv>
#include <cstdlib>

namespace NVKXQZA20::NMachine {

bool TLineCursor::Next() {
  if (fPosition >= fText.size()) return false;
  size_t end = fText.find('\n', fPosition);
  if (end == std::string_view::npos) end = fText.size();
  fLine = fText.substr(fPosition, end - fPosition);
  if (!fLine.empty() && fLine.back() == '\r') fLine.remove_suffix(1);
  fPosition = end + 1;
  ++fNumber;
  return true;
}

std::optional<std::string_view> TLineCursor::PeekNext() const {
  TLineCursor copy = *this;
  if (!copy.Next()) return std::nullopt;
  return copy.Line();
}

static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsBlank(std::string_view text) { return Trim(text).empty(); }

size_t Indent(std::string_view text) {
  size_t count = 0;
  while (count < text.size() && (text[count] == ' ' || text[count] == '\t')) ++count;
  return count;
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  return SplitWords(text, std::string_view::npos);
}

std::vector<std::string_view> SplitWords(std::string_view text, size_t count) {
  std::vector<std::string_view> words;
  text = Trim(text);
  while (!text.empty() && count > 0) {
    if (words.size() + 1 == count) {
      words.push_back(text);
      break;
    }
    size_t end = 0;
    while (end < text.size() && !IsSpace(text[end])) ++end;
    words.push_back(text.substr(0, end));
    text = Trim(text.substr(end));
  }
  return words;
}

std::vector<std::string_view> SplitTrimmed(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  while (true) {
    size_t end = text.find(separator);
    pieces.push_back(Trim(text.substr(0, end)));
    if (end == std::string_view::npos) return pieces;
    text.remove_prefix(end + 1);
  }
}

bool SplitField(std::string_view line, char separator, std::string_view& name,
                std::string_view& value) {
  size_t at = line.find(separator);
  if (at == std::string_view::npos) return false;
  name = Trim(line.substr(0, at));
  value = Trim(line.substr(at + 1));
  return true;
}

std::optional<unsigned long long> ParseUnsigned(std::string_view text) {
  text = Trim(text);
  unsigned long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<long long> ParseSigned(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> ParseDouble(std::string_view text) {
  // strtod wants a terminated string; numbers here are short.
  std::string copy(Trim(text));
  if (copy.empty()) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return std::nullopt;
  return value;
}

void Warn(std::vector<TParseWarning>& warnings, size_t line, std::string_view text) {
  warnings.push_back({line, std::string(text)});
}

}  // namespace NVKXQZA20::NMachine
