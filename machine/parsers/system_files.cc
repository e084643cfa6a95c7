#include "machine/parsers/system_files.h"

#include <map>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {

namespace {

// s390's "processor 0: version = FF,  identification = 0133E8,  machine = 8561"
// as the fields of logical processor 0; nothing for any other line.
std::optional<TFieldBlock> S390ProcessorLine(std::string_view name, std::string_view value, size_t line) {
  std::vector<std::string_view> words = SplitWords(name);
  if (words.size() != 2 || words[0] != "processor" || !ParseUnsigned(words[1])) return std::nullopt;
  TFieldBlock block{line, {{"processor", std::string(words[1]), {}}}};
  for (std::string_view piece : SplitTrimmed(value, ',')) {
    std::string_view field, text;
    if (SplitField(piece, '=', field, text)) block.fFields.push_back({std::string(field), std::string(text), {}});
  }
  return block;
}

// The blocks of logical processors by their number: newer s390 kernels print
// each processor twice, on a "processor N:" line and in a "cpu number : N"
// block, which make one block.
class TProcessorBlocks {
 public:
  explicit TProcessorBlocks(TCpuInfo& info) : fInfo(info) {}
  TFieldBlock& Of(std::string_view number, size_t line) {
    auto [at, added] = fIndex.emplace(std::string(number), fInfo.fProcessors.size());
    if (added) fInfo.fProcessors.push_back(TFieldBlock{line, {{"processor", std::string(number), {}}}});
    return fInfo.fProcessors[at->second];
  }

 private:
  TCpuInfo& fInfo;
  std::map<std::string, size_t> fIndex;
};

}  // namespace

TCpuInfo ParseCpuInfo(const std::string& text) {
  TCpuInfo info;
  TProcessorBlocks blocks(info);
  TLineCursor cursor(text);
  TFieldBlock* open = nullptr;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) {
      open = nullptr;
      continue;
    }
    std::string_view name, value;
    if (!SplitField(line, ':', name, value)) {
      Warn(info.fWarnings, cursor.Number(), line);
      continue;
    }
    if (std::optional<TFieldBlock> s390 = S390ProcessorLine(name, value, cursor.Number())) {
      std::vector<TField>& fields = blocks.Of(s390->fFields.front().fValue, cursor.Number()).fFields;
      fields.insert(fields.end(), s390->fFields.begin() + 1, s390->fFields.end());
      open = nullptr;
      continue;
    }
    const bool opens = name == "processor" || name == "cpu number";
    if (opens) open = &blocks.Of(value, cursor.Number());
    // `open` points into fProcessors: only a line opening a block adds one,
    // and it sets `open` anew.
    if (name != "processor") (open ? *open : info.fMachine).fFields.push_back({std::string(name), std::string(value), {}});
  }
  return info;
}

TLscpu ParseLscpu(const std::string& text) {
  TLscpu lscpu;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    std::string_view name, value;
    if (!SplitField(line, ':', name, value) || name.empty()) {
      Warn(lscpu.fWarnings, cursor.Number(), line);
      continue;
    }
    lscpu.fFields.fFields.push_back({std::string(name), std::string(value), {}});
  }
  return lscpu;
}

std::optional<unsigned long long> TMemInfo::Get(const std::string& name) const {
  for (const TMemInfoEntry& entry : fEntries)
    if (entry.fName == name) return entry.fKilobytes ? entry.fValue * 1024 : entry.fValue;
  return std::nullopt;
}

TMemInfo ParseMemInfo(const std::string& text) {
  TMemInfo info;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    std::string_view name, value;
    std::vector<std::string_view> words;
    if (SplitField(line, ':', name, value)) words = SplitWords(value);
    std::optional<unsigned long long> number = words.empty() ? std::nullopt : ParseUnsigned(words[0]);
    bool kilobytes = words.size() == 2 && words[1] == "kB";
    if (!number || name.empty() || words.size() > 2 || (words.size() == 2 && !kilobytes)) {
      Warn(info.fWarnings, cursor.Number(), line);
      continue;
    }
    info.fEntries.push_back({std::string(name), *number, kilobytes});
  }
  return info;
}

namespace {

// "sdb1[1](F)"
std::optional<TMdMember> ParseMdMember(std::string_view word) {
  size_t open = word.find('[');
  size_t close = word.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open || open == 0)
    return std::nullopt;
  std::optional<long long> role = ParseSigned(word.substr(open + 1, close - open - 1));
  if (!role) return std::nullopt;
  TMdMember member{std::string(word.substr(0, open)), static_cast<int>(*role), ""};
  for (std::string_view rest = word.substr(close + 1); rest.size() >= 3 && rest[0] == '(';
       rest.remove_prefix(3))
    member.fFlags += rest[1];
  return member;
}

// "md0 : active (auto-read-only) raid1 sdb1[1] sda1[0]"
bool ParseMdArrayLine(std::string_view line, TMdArray& array) {
  std::string_view name, value;
  if (!SplitField(line, ':', name, value) || name.empty()) return false;
  array.fName = std::string(name);
  std::vector<std::string_view> words = SplitWords(value);
  if (words.empty() || (words[0] != "active" && words[0] != "inactive")) return false;
  array.fState = std::string(words[0]);
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i].front() == '(') {
      array.fState += ' ';
      array.fState += words[i];
    } else if (auto member = ParseMdMember(words[i])) {
      array.fMembers.push_back(*member);
    } else if (array.fLevel.empty()) {
      array.fLevel = std::string(words[i]);
    } else {
      return false;
    }
  }
  return true;
}

// "1953382464 blocks super 1.2 [2/1] [U_]", "bitmap: ...", "[=>...] recovery = ..."
void ReadMdDetail(std::string_view line, TMdArray& array) {
  line = Trim(line);
  std::vector<std::string_view> words = SplitWords(line);
  if (words.size() >= 2 && words[1] == "blocks" && ParseUnsigned(words[0])) {
    array.fBlocks = *ParseUnsigned(words[0]);
    for (size_t i = 2; i + 1 < words.size(); ++i)
      if (words[i] == "super") array.fMetadata = std::string(words[i + 1]);
    size_t last = line.rfind(" [");
    if (last != std::string_view::npos && last > 0 && line.back() == ']') {
      size_t first = line.rfind(" [", last - 1);
      if (first != std::string_view::npos && line.find('/', first) < last)
        array.fStatus = std::string(Trim(line.substr(first)));
    }
    return;
  }
  if (StartsWith(line, "bitmap:")) {
    array.fBitmap = std::string(Trim(line.substr(7)));
    return;
  }
  for (std::string_view action : {"recovery", "resync", "reshape", "check", "repair"}) {
    size_t at = line.find(action);
    if (at != std::string_view::npos && line.find('=', at) != std::string_view::npos) {
      array.fProgress = std::string(line.substr(at));
      return;
    }
  }
  array.fDetails.emplace_back(line);
}

}  // namespace

TMdStat ParseMdStat(const std::string& text) {
  TMdStat stat;
  TLineCursor cursor(text);
  TMdArray* array = nullptr;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) {
      array = nullptr;
      continue;
    }
    if (StartsWith(line, "Personalities")) {
      for (std::string_view word : SplitWords(line.substr(line.find(':') + 1)))
        if (word.size() > 2 && word.front() == '[' && word.back() == ']')
          stat.fPersonalities.emplace_back(word.substr(1, word.size() - 2));
      continue;
    }
    if (StartsWith(line, "unused devices") || StartsWith(line, "read_ahead")) continue;
    if (Indent(line) > 0 && array) {
      ReadMdDetail(line, *array);
      continue;
    }
    TMdArray next;
    next.fLine = cursor.Number();
    if (Indent(line) > 0 || !ParseMdArrayLine(line, next)) {
      Warn(stat.fWarnings, cursor.Number(), line);
      array = nullptr;
      continue;
    }
    stat.fArrays.push_back(std::move(next));
    array = &stat.fArrays.back();
  }
  return stat;
}

namespace {

// Shell-style value: "..." with backslash escapes, '...' literal, or bare.
std::optional<std::string> Unquote(std::string_view value) {
  if (value.empty() || (value.front() != '"' && value.front() != '\'')) return std::string(value);
  char quote = value.front();
  if (value.size() < 2 || value.back() != quote) return std::nullopt;
  std::string_view inside = value.substr(1, value.size() - 2);
  std::string text;
  for (size_t i = 0; i < inside.size(); ++i) {
    if (quote == '"' && inside[i] == '\\' && i + 1 < inside.size()) ++i;
    text += inside[i];
  }
  return text;
}

}  // namespace

TOsRelease ParseOsRelease(const std::string& text) {
  TOsRelease release;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = Trim(cursor.Line());
    if (line.empty() || line.front() == '#') continue;
    size_t equals = line.find('=');
    std::optional<std::string> value;
    if (equals != std::string_view::npos && equals > 0) value = Unquote(line.substr(equals + 1));
    if (!value) {
      Warn(release.fWarnings, cursor.Number(), line);
      continue;
    }
    release.fFields.fFields.push_back({std::string(line.substr(0, equals)), *value, {}});
  }
  return release;
}

TSystemRelease ParseSystemRelease(const std::string& text) {
  TSystemRelease release;
  TLineCursor cursor(text);
  std::string version, patchLevel;
  while (cursor.Next()) {
    std::string_view line = Trim(cursor.Line());
    std::string_view name, value;
    if (release.fName.empty()) {
      release.fName = std::string(line);
    } else if (SplitField(line, '=', name, value)) {
      if (name == "VERSION") version = std::string(value);
      if (name == "PATCHLEVEL") patchLevel = std::string(value);
    }
  }
  const std::vector<std::string_view> words = SplitWords(release.fName);
  for (size_t i = 0; i + 1 < words.size() && version.empty(); ++i)
    if (words[i] == "release") version = std::string(words[i + 1]);
  release.fVersion = patchLevel.empty() || version.empty() ? version : version + "." + patchLevel;
  return release;
}

namespace {

// "+0100", "-0330" as minutes east of universal time.
std::optional<long> NumericOffset(std::string_view text) {
  if (text.size() != 5 || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  std::optional<unsigned long long> hours = ParseUnsigned(text.substr(1, 2)), minutes = ParseUnsigned(text.substr(3));
  if (!hours || !minutes || *hours > 14 || *minutes > 59) return std::nullopt;
  const long offset = static_cast<long>(*hours * 60 + *minutes);
  return text[0] == '-' ? -offset : offset;
}

}  // namespace

TTimeSettings ParseTimedatectl(const std::string& text) {
  TTimeSettings settings;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view name, value;
    if (!SplitField(cursor.Line(), ':', name, value) || name != "Time zone") continue;
    const size_t open = value.find(" (");
    settings.fZoneName = std::string(Trim(value.substr(0, open)));
    if (open == std::string_view::npos || value.back() != ')') break;
    std::string_view zone, offset;
    if (SplitField(value.substr(open + 2, value.size() - open - 3), ',', zone, offset)) {
      settings.fZone = std::string(zone);
      settings.fOffsetMinutes = NumericOffset(offset);
    }
    break;
  }
  return settings;
}

namespace {

// One piece of uptime's "up" list in seconds: "3 days", "2:05", "10 min".
std::optional<double> UptimePiece(std::string_view piece) {
  std::vector<std::string_view> words = SplitWords(piece);
  if (words.size() == 2 && (words[1] == "day" || words[1] == "days" || words[1] == "min")) {
    std::optional<unsigned long long> count = ParseUnsigned(words[0]);
    if (count) return static_cast<double>(*count) * (words[1] == "min" ? 60 : 86400);
  }
  std::string_view hours, minutes;
  if (words.size() == 1 && SplitField(words[0], ':', hours, minutes)) {
    std::optional<unsigned long long> h = ParseUnsigned(hours), m = ParseUnsigned(minutes);
    if (h && m) return static_cast<double>(*h * 3600 + *m * 60);
  }
  return std::nullopt;
}

}  // namespace

std::optional<double> ParseUptime(const std::string& text) {
  std::string_view line = text;
  line = Trim(line.substr(0, line.find('\n')));
  std::vector<std::string_view> words = SplitWords(line);
  if (!words.empty() && words.size() <= 2) {
    std::optional<double> seconds = ParseDouble(words[0]);
    if (seconds && *seconds >= 0 && *seconds < 1e12) return seconds;
  }
  size_t up = line.find(" up ");
  if (up == std::string_view::npos) return std::nullopt;
  std::optional<double> total;
  for (std::string_view piece : SplitTrimmed(line.substr(up + 4), ',')) {
    std::optional<double> seconds = UptimePiece(piece);
    if (!seconds) break;
    total = total.value_or(0) + *seconds;
  }
  return total;
}

}  // namespace NVKXQZA20::NMachine
