#include "machine/parsers/logs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <nlohmann/json.hpp>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {
namespace {

bool IsMonth(std::string_view word) {
  static const std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  size_t at = kMonths.find(word);
  return word.size() == 3 && at != std::string_view::npos && at % 3 == 0;
}

// "<13>" before a syslog line: facility * 8 + severity.
std::optional<int> TakePriority(std::string_view& line) {
  if (line.size() < 3 || line[0] != '<') return std::nullopt;
  size_t close = line.find('>');
  std::optional<unsigned long long> priority =
      close == std::string_view::npos ? std::nullopt : ParseUnsigned(line.substr(1, close - 1));
  if (!priority) return std::nullopt;
  line.remove_prefix(close + 1);
  return static_cast<int>(*priority % 8);
}

// "tag[pid]: message", or a message without a tag.
void ReadTagged(std::string_view rest, TLogEntry& entry) {
  size_t colon = rest.find(": ");
  size_t space = rest.find(' ');
  if (colon == std::string_view::npos || (space != std::string_view::npos && space < colon)) {
    if (!rest.empty() && rest.back() == ':' && space == std::string_view::npos) colon = rest.size() - 1;
    else return void(entry.fMessage = std::string(rest));
  }
  std::string_view tag = rest.substr(0, colon);
  if (size_t open = tag.find('['); open != std::string_view::npos && tag.back() == ']') {
    entry.fPid = std::string(tag.substr(open + 1, tag.size() - open - 2));
    tag = tag.substr(0, open);
  }
  entry.fSource = std::string(tag);
  entry.fMessage = std::string(Trim(rest.substr(std::min(rest.size(), colon + 1))));
}

// Time, host and the tagged message of one line; false when the line starts
// with no time stamp.
bool ParseSyslogLine(std::string_view line, TLogEntry& entry) {
  entry.fSeverity = TakePriority(line);
  std::vector<std::string_view> words;
  if (line.size() > 10 && std::isdigit(static_cast<unsigned char>(line[0])) && line[4] == '-' &&
      line[10] == 'T') {
    words = SplitWords(line, 3);  // RFC 3339 time, host, rest
    if (words.size() < 2) return false;
    entry.fTime = std::string(words[0]);
    entry.fHost = std::string(words[1]);
  } else {
    words = SplitWords(line, 5);  // month, day, time, host, rest
    if (words.size() < 4 || !IsMonth(words[0]) || words[2].size() < 8 || words[2][2] != ':') return false;
    entry.fTime = std::string(line.substr(0, words[2].data() + words[2].size() - line.data()));
    entry.fHost = std::string(words[3]);
  }
  if (words.size() == 3 || words.size() == 5) ReadTagged(words.back(), entry);
  return true;
}

}  // namespace

TLog ParseSyslog(const std::string& text) {
  TLog log;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line) || StartsWith(line, "-- ")) continue;
    if (Indent(line) > 0 && !log.fEntries.empty()) {
      log.fEntries.back().fMessage += '\n';
      log.fEntries.back().fMessage += Trim(line);
      continue;
    }
    TLogEntry entry;
    entry.fLine = cursor.Number();
    if (!ParseSyslogLine(line, entry)) {
      Warn(log.fWarnings, cursor.Number(), line);
      continue;
    }
    log.fEntries.push_back(std::move(entry));
  }
  return log;
}

namespace {

// A journal field is a string, or an array of bytes when it is not UTF-8.
std::string JournalText(const nlohmann::json& object, const char* name) {
  auto found = object.find(name);
  if (found == object.end()) return "";
  if (found->is_string()) return found->get<std::string>();
  std::string bytes;
  if (found->is_array())
    for (const nlohmann::json& byte : *found)
      if (byte.is_number_unsigned()) bytes += static_cast<char>(byte.get<unsigned>());
  return bytes;
}

// Microseconds since the epoch as UTC ISO 8601.
std::string UtcIsoTime(unsigned long long microseconds) {
  std::time_t seconds = static_cast<std::time_t>(microseconds / 1000000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06lluZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, microseconds % 1000000);
  return text;
}

// "__REALTIME_TIMESTAMP" (microseconds since the epoch) as UTC ISO 8601.
std::string JournalTime(const std::string& microseconds) {
  std::optional<unsigned long long> value = ParseUnsigned(microseconds);
  return value ? UtcIsoTime(*value) : microseconds;
}

}  // namespace

TLog ParseJournalJson(const std::string& text) {
  TLog log;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    nlohmann::json object = nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
    if (!object.is_object()) {
      Warn(log.fWarnings, cursor.Number(), line);
      continue;
    }
    TLogEntry entry;
    entry.fLine = cursor.Number();
    entry.fTime = JournalTime(JournalText(object, "__REALTIME_TIMESTAMP"));
    entry.fHost = JournalText(object, "_HOSTNAME");
    entry.fSource = JournalText(object, "SYSLOG_IDENTIFIER");
    if (entry.fSource.empty()) entry.fSource = JournalText(object, "_COMM");
    entry.fPid = JournalText(object, "_PID");
    if (auto priority = ParseUnsigned(JournalText(object, "PRIORITY")); priority && *priority < 8)
      entry.fSeverity = static_cast<int>(*priority);
    entry.fMessage = JournalText(object, "MESSAGE");
    log.fEntries.push_back(std::move(entry));
  }
  return log;
}

namespace {

// Words of kernel messages that tell their severity where dmesg stored no
// level: the kernel's own phrases for failures, then for warnings.
const std::string_view kKernelErrorWords[] = {"error", "fail", "call trace", "kernel panic", "oops",
                                              "bug:", "segfault", "i/o error"};
const std::string_view kKernelWarningWords[] = {"warning", "[firmware bug]", "tainted", "timed out", "timeout"};
// Said at every boot of many servers; no error.
const std::string_view kKernelBenignPhrases[] = {"correctable errors collector"};
// Beyond the year 9999 no time is printable.
const double kLatestSeconds = 253402300800.0;

std::optional<int> SeverityByWords(std::string_view message) {
  std::string lower(message);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto holds = [&lower](std::string_view word) { return lower.find(word) != std::string::npos; };
  if (std::any_of(std::begin(kKernelBenignPhrases), std::end(kKernelBenignPhrases), holds)) return std::nullopt;
  if (std::any_of(std::begin(kKernelErrorWords), std::end(kKernelErrorWords), holds)) return 3;
  if (std::any_of(std::begin(kKernelWarningWords), std::end(kKernelWarningWords), holds)) return 4;
  return std::nullopt;
}

// "[   12.345678] " before a message: the seconds since boot.
std::optional<double> TakeSecondsSinceBoot(std::string_view& line) {
  if (line.empty() || line[0] != '[') return std::nullopt;
  size_t close = line.find(']');
  std::optional<double> seconds =
      close == std::string_view::npos ? std::nullopt : ParseDouble(Trim(line.substr(1, close - 1)));
  if (!seconds) return std::nullopt;
  line.remove_prefix(close + 1);
  if (!line.empty() && line[0] == ' ') line.remove_prefix(1);
  return seconds;
}

}  // namespace

TLog ParseDmesg(const std::string& text) {
  TLog log;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (Indent(line) > 0 && !log.fEntries.empty()) {
      log.fEntries.back().fMessage += '\n';
      log.fEntries.back().fMessage += Trim(line);
      continue;
    }
    TLogEntry entry;
    entry.fLine = cursor.Number();
    entry.fSource = "kernel";
    entry.fSeverity = TakePriority(line);
    entry.fSecondsSinceBoot = TakeSecondsSinceBoot(line);
    entry.fMessage = std::string(Trim(line));
    if (!entry.fSeverity) entry.fSeverity = SeverityByWords(entry.fMessage);
    log.fEntries.push_back(std::move(entry));
  }
  return log;
}

void DateSinceBoot(TLog& log, std::time_t boot) {
  for (TLogEntry& entry : log.fEntries) {
    if (!entry.fSecondsSinceBoot) continue;
    const double seconds = static_cast<double>(boot) + *entry.fSecondsSinceBoot;
    if (!(seconds >= 0 && seconds < kLatestSeconds)) continue;
    entry.fTime = UtcIsoTime(static_cast<unsigned long long>(std::llround(seconds * 1e6)));
  }
}

std::string WithoutLevels(const std::string& dmesg) {
  std::string text;
  TLineCursor cursor(dmesg);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    TakePriority(line);
    text.append(line.data(), line.size());
    text += '\n';
  }
  return text;
}

}  // namespace NVKXQZA20::NMachine
