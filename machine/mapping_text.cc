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

// The local time of the line without its zone, by the word order of its
// locale, in the C locale's names.
std::optional<std::time_t> LocalFields(const std::string& withoutZone, const char* format) {
  std::tm fields{};
  const char* end = ::strptime(withoutZone.c_str(), format, &fields);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return ::timegm(&fields);
}

// C: "Mon Dec  7 14:05:17 CET 2026"; en_GB: "Mon 07 Dec 2026 14:05:17 CET";
// en_US: "Mon 07 Dec 2026 02:05:17 PM CET".
std::optional<TPrintedTime> ParseDateOutput(const std::string& text) {
  const std::vector<std::string> w = Words(text.substr(0, text.find('\n')));
  std::optional<std::time_t> local;
  if (w.size() == 6) local = LocalFields(w[1] + " " + w[2] + " " + w[3] + " " + w[5], "%b %d %H:%M:%S %Y");
  if (local) return TPrintedTime{*local, w[4]};
  if (w.size() == 6) local = LocalFields(w[1] + " " + w[2] + " " + w[3] + " " + w[4], "%d %b %Y %H:%M:%S");
  if (w.size() == 7) local = LocalFields(w[1] + " " + w[2] + " " + w[3] + " " + w[4] + " " + w[5], "%d %b %Y %I:%M:%S %p");
  if (!local) return std::nullopt;
  return TPrintedTime{*local, w.back()};
}

// Abbreviations of one offset the world over, and those that several zones
// share, told apart by the zone's name ("" for any).
struct TZoneAbbreviation {
  const char* fZone;
  const char* fZoneNamePrefix;
  long fOffsetMinutes;
};
const TZoneAbbreviation kZoneAbbreviations[] = {
    {"UTC", "", 0},        {"GMT", "", 0},          {"UCT", "", 0},           {"WET", "", 0},
    {"WEST", "", 60},      {"CET", "", 60},         {"CEST", "", 120},        {"MET", "", 60},
    {"MEST", "", 120},     {"EET", "", 120},        {"EEST", "", 180},        {"MSK", "", 180},
    {"EST", "", -300},     {"EDT", "", -240},       {"CDT", "America/", -300}, {"MST", "", -420},
    {"MDT", "", -360},     {"PST", "", -480},       {"PDT", "", -420},        {"AKST", "", -540},
    {"AKDT", "", -480},    {"HST", "", -600},       {"JST", "", 540},         {"KST", "", 540},
    {"AEST", "", 600},     {"AEDT", "", 660},       {"ACST", "", 570},        {"ACDT", "", 630},
    {"AWST", "", 480},     {"NZST", "", 720},       {"NZDT", "", 780},        {"SAST", "", 120},
    {"HKT", "", 480},      {"BST", "Europe/", 60},  {"CST", "America/", -360}, {"CST", "Asia/", 480},
    {"CST", "PRC", 480},   {"IST", "Europe/Dublin", 60}, {"IST", "Asia/Jerusalem", 120},
    {"IST", "Israel", 120}, {"IST", "Asia/", 330},
};

// Newer zone data names many zones by their offset: "+08", "-0330".
std::optional<long> OffsetOfNumericZone(const std::string& zone) {
  if ((zone.size() != 3 && zone.size() != 5) || (zone[0] != '+' && zone[0] != '-')) return std::nullopt;
  const auto hours = WholeNumber(zone.substr(1, 2));
  const auto minutes = zone.size() == 5 ? WholeNumber(zone.substr(3)) : std::optional<long long>(0);
  if (!hours || !minutes || *hours > 14 || *minutes > 59) return std::nullopt;
  const long offset = static_cast<long>(*hours * 60 + *minutes);
  return zone[0] == '-' ? -offset : offset;
}

std::optional<long> OffsetOfZone(const std::string& zone, const std::string& zoneName) {
  if (const auto numeric = OffsetOfNumericZone(zone)) return numeric;
  for (const TZoneAbbreviation& known : kZoneAbbreviations) {
    if (zone == known.fZone && StartsWith(zoneName, known.fZoneNamePrefix)) return known.fOffsetMinutes;
  }
  return std::nullopt;
}

}  // namespace

std::string DateZone(const std::string& date) {
  const auto local = ParseDateOutput(date);
  return local ? local->fZone : "";
}

std::optional<TMachineClock> MachineClock(const std::string& date, const std::string& dateUtc,
                                          const TTimeSettings& timeSettings, const std::string& zoneName) {
  const auto local = ParseDateOutput(date);
  if (!local) return std::nullopt;
  if (const auto universal = ParseDateOutput(dateUtc)) {
    const long offset = std::lround(std::difftime(local->fAsIfUtc, universal->fAsIfUtc) / 60.0);
    if (std::labs(offset) > kMinutesPerDay) return std::nullopt;
    return TMachineClock{local->fAsIfUtc, offset, local->fZone, "date --utc"};
  }
  if (timeSettings.fOffsetMinutes && timeSettings.fZone == local->fZone) {
    return TMachineClock{local->fAsIfUtc, *timeSettings.fOffsetMinutes, local->fZone, "timedatectl"};
  }
  const auto offset = OffsetOfZone(local->fZone, zoneName.empty() ? timeSettings.fZoneName : zoneName);
  if (!offset) return std::nullopt;
  return TMachineClock{local->fAsIfUtc, *offset, local->fZone, "the zone's abbreviation"};
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
