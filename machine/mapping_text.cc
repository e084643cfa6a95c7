#include "machine/mapping_text.h"

#include <algorithm>
#include <cctype>

namespace NVKXQZA20::NMachine {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  size_t at = 0;
  while ((at = text.find_first_not_of(" \t\r\n", at)) != std::string::npos) {
    const size_t end = text.find_first_of(" \t\r\n", at);
    words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end;
  }
  return words;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

std::optional<long long> WholeNumber(const std::string& text) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty() || trimmed.size() > 18 ||
      !std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return std::nullopt;
  }
  return std::stoll(trimmed);
}

std::string Meaningful(const std::string& text) {
  static const char* const kPlaceholders[] = {"not specified", "to be filled by o.e.m.", "unknown", "not provided",
                                              "default string", "none", "n/a", "no module installed",
                                              "not available", "0123456789", "system serial number",
                                              "system product name", "system manufacturer", "empty"};
  std::string lower = Trimmed(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return std::tolower(static_cast<unsigned char>(c)); });
  for (const char* placeholder : kPlaceholders) {
    if (lower == placeholder) return "";
  }
  return Trimmed(text);
}

}  // namespace NVKXQZA20::NMachine
