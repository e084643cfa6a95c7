#include "machine/mapping_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <time.h>

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
  long long value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (error != std::errc() || end != trimmed.data() + trimmed.size() || trimmed.empty() || trimmed[0] == '-') {
    return std::nullopt;
  }
  return value;
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

namespace {

const long kMinutesPerDay = 24 * 60;

struct TPrintedTime {
  std::time_t fAsIfUtc = 0;
  std::string fZone;
};

std::optional<TPrintedTime> ParseDateOutput(const std::string& text) {
  const std::vector<std::string> words = Words(text.substr(0, text.find('\n')));
  if (words.size() != 6) return std::nullopt;
  std::tm fields{};
  const std::string withoutZone = words[1] + " " + words[2] + " " + words[3] + " " + words[5];
  const char* end = ::strptime(withoutZone.c_str(), "%b %d %H:%M:%S %Y", &fields);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return TPrintedTime{::timegm(&fields), words[4]};
}

}  // namespace

std::optional<TMachineClock> MachineClock(const std::string& date, const std::string& dateUtc) {
  const auto local = ParseDateOutput(date);
  const auto universal = ParseDateOutput(dateUtc);
  if (!local || !universal) return std::nullopt;
  const long offset = std::lround(std::difftime(local->fAsIfUtc, universal->fAsIfUtc) / 60.0);
  if (std::labs(offset) > kMinutesPerDay) return std::nullopt;
  return TMachineClock{local->fAsIfUtc, offset, local->fZone};
}

std::optional<std::time_t> UniversalTime(const std::string& dateUtc) {
  const auto universal = ParseDateOutput(dateUtc);
  if (!universal) return std::nullopt;
  return universal->fAsIfUtc;
}

std::string CimLocalTime(std::time_t localAsIfUtc, long offsetMinutes) {
  std::tm fields{};
  ::gmtime_r(&localAsIfUtc, &fields);
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d.000000%c%03ld", fields.tm_year + 1900,
                fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec,
                offsetMinutes < 0 ? '-' : '+', std::labs(offsetMinutes));
  return buffer;
}

}  // namespace NVKXQZA20::NMachine
