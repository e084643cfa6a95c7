// Text and duration utilities of TWriter.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "writer/writer.h"

namespace {

const int kDefaultTruncLength = 54;
const char kEllipsis[] = "...";
const char kDigits[] = "0123456789ABCDEF";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void RemoveAll(std::string& text, char removed) {
  text.erase(std::remove(text.begin(), text.end(), removed), text.end());
}

// Duration fields are read as atoi reads them, but in 64 bits; strtoll
// saturates a number beyond the 64-bit range.
int64_t ReadDurationField(const std::string& field) {
  return std::strtoll(field.c_str(), nullptr, 10);
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

int64_t SaturatingMultiply(int64_t a, int64_t b) {
  int64_t product;
  if (__builtin_mul_overflow(a, b, &product)) return (a < 0) != (b < 0) ? INT64_MIN : INT64_MAX;
  return product;
}

}  // namespace

std::string TWriter::EscapeString(std::string text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\n' || c == '\r') continue;
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string TWriter::TruncString(std::string text) { return TruncString(text, kDefaultTruncLength); }

std::string TWriter::TruncString(std::string text, int length) {
  if (length < 0 || static_cast<size_t>(length) >= text.size()) return text;
  return text.substr(0, length) + kEllipsis;
}

std::string TWriter::PadString(std::string text, int width, bool trimLeadingSpaces) {
  RemoveAll(text, '\n');
  RemoveAll(text, '\t');
  if (trimLeadingSpaces) text.erase(0, text.find_first_not_of(' '));
  const int length = static_cast<int>(text.size());
  if (width < length) return TruncString(text, width);
  return text + std::string(width - length, ' ');
}

std::string TWriter::IntToStr(int64_t number, int base) {
  if (number < 0 || base < 2 || base > 16) return "";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[number % base]);
    number /= base;
  } while (number > 0);
  return digits;
}

int TWriter::GetLenOfInt(int64_t number, int base) {
  const std::string digits = IntToStr(number, base);
  return digits.empty() ? -1 : static_cast<int>(digits.size());
}

// A run too long for an int reads as the largest int.
int TWriter::GetNumberInString(const std::string& text) {
  const std::string::const_iterator first = std::find_if(text.begin(), text.end(), IsDigit);
  const std::string run(first, std::find_if_not(first, text.end(), IsDigit));
  if (run.empty()) return 0;
  return static_cast<int>(std::min<long long>(std::strtoll(run.c_str(), nullptr, 10), INT_MAX));
}

void TWriter::DivideStrToWords(std::string text, std::vector<std::string>& words) {
  words.clear();
  size_t start = text.find_first_not_of(' ');
  while (start != std::string::npos) {
    const size_t end = text.find(' ', start);
    words.push_back(text.substr(start, end - start));
    start = text.find_first_not_of(' ', end);
  }
}

std::string TWriter::GetRowBackground() { return ""; }

// Each unit word takes the number word just before it.
void TWriter::SetValue(RunDuration& duration, std::vector<std::string> words) {
  if (words.empty()) return;
  duration = RunDuration();
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& unit = words[i];
    if (unit.find("millisecond") != std::string::npos) {
      duration.fMilliseconds = words[i - 1];
    } else if (unit.find("second") != std::string::npos) {
      duration.fSeconds = words[i - 1];
    } else if (unit.find("minute") != std::string::npos) {
      duration.fMinutes = words[i - 1];
    } else if (unit.find("hour") != std::string::npos) {
      duration.fHours = words[i - 1];
    }
  }
  for (std::string* field :
       {&duration.fHours, &duration.fMinutes, &duration.fSeconds, &duration.fMilliseconds}) {
    if (field->empty()) *field = "0";
  }
}

// Fields are written with their sign, so a negative field keeps its value and
// the total stays what it was before the carry.
void TWriter::ForwardCarry(RunDuration& duration) {
  const int64_t milliseconds = ReadDurationField(duration.fMilliseconds);
  const int64_t seconds = SaturatingAdd(ReadDurationField(duration.fSeconds), milliseconds / 1000);
  const int64_t minutes = SaturatingAdd(ReadDurationField(duration.fMinutes), seconds / 60);
  const int64_t hours = SaturatingAdd(ReadDurationField(duration.fHours), minutes / 60);
  duration.fHours = std::to_string(hours);
  duration.fMinutes = std::to_string(minutes % 60);
  duration.fSeconds = std::to_string(seconds % 60);
  duration.fMilliseconds = std::to_string(milliseconds % 1000);
}

int64_t TWriter::Calculate(RunDuration duration) {
  int64_t total = ReadDurationField(duration.fHours);
  total = SaturatingAdd(SaturatingMultiply(total, 60), ReadDurationField(duration.fMinutes));
  total = SaturatingAdd(SaturatingMultiply(total, 60), ReadDurationField(duration.fSeconds));
  return SaturatingAdd(SaturatingMultiply(total, 1000), ReadDurationField(duration.fMilliseconds));
}
