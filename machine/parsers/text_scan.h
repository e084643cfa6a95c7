// Line-oriented scanning shared by the parsers: lines with their numbers,
// trimming and splitting without copies. Internal to the parsers.
#ifndef QZA_MACHINE_PARSERS_TEXT_SCAN_H
#define QZA_MACHINE_PARSERS_TEXT_SCAN_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

// Walks a text line by line; a "\r\n" ending reads as "\n" and a last line
// without an ending counts.
class TLineCursor {
 public:
  explicit TLineCursor(std::string_view text) : fText(text) {}
  // Moves to the next line; false at the end.
  bool Next();
  std::string_view Line() const { return fLine; }
  size_t Number() const { return fNumber; }
  // The line after the current one, without moving; nothing at the end.
  std::optional<std::string_view> PeekNext() const;

 private:
  std::string_view fText;
  size_t fPosition = 0;
  std::string_view fLine;
  size_t fNumber = 0;
};

std::string_view Trim(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
bool IsBlank(std::string_view text);
// Count of leading blanks and tabs.
size_t Indent(std::string_view text);
// Words separated by runs of blanks and tabs.
std::vector<std::string_view> SplitWords(std::string_view text);
// At most `count` words; the last one holds the rest of the line, trimmed.
std::vector<std::string_view> SplitWords(std::string_view text, size_t count);
// Pieces between separators, each trimmed.
std::vector<std::string_view> SplitTrimmed(std::string_view text, char separator);
// "Name: value" split at the first separator, both trimmed; false without one.
bool SplitField(std::string_view line, char separator, std::string_view& name,
                std::string_view& value);
std::optional<unsigned long long> ParseUnsigned(std::string_view text);
std::optional<long long> ParseSigned(std::string_view text);
std::optional<double> ParseDouble(std::string_view text);

// Collects warnings of one parse.
void Warn(std::vector<TParseWarning>& warnings, size_t line, std::string_view text);

}  // namespace NVKXQZA20::NMachine

#endif
