#include "machine/parsers/storage.h"

#include <cctype>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {

std::string TBlockDevice::Column(const std::string& name) const {
  auto found = fColumns.find(name);
  return found == fColumns.end() ? std::string() : found->second;
}

namespace {

// A word of a table line with its place in display columns (tree marks are
// multi-byte UTF-8 but one column wide).
struct TCell {
  size_t fStart = 0;
  size_t fEnd = 0;
  std::string_view fText;
};

std::vector<TCell> Cells(std::string_view line) {
  std::vector<TCell> cells;
  size_t column = 0;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      ++column;
      continue;
    }
    TCell cell{column, column, {}};
    size_t begin = i;
    for (; i < line.size() && line[i] != ' ' && line[i] != '\t'; ++i)
      if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
    cell.fEnd = column;
    cell.fText = line.substr(begin, i - begin);
    cells.push_back(cell);
  }
  return cells;
}

// lsblk aligns each header like its values (left or right), so a value
// overlaps its header; a value overlapping none overflows the column before.
std::vector<std::string> SplitByHeader(const std::vector<TCell>& header, std::string_view line) {
  std::vector<std::string> values(header.size());
  size_t column = 0;
  for (const TCell& cell : Cells(line)) {
    while (column + 1 < header.size() && cell.fEnd > header[column + 1].fStart) ++column;
    std::string& value = values[column];
    if (!value.empty()) value += ' ';
    value += cell.fText;
  }
  return values;
}

// Strips lsblk's tree marks ("├─", "└─", "│ ", "`-", "|-") and tells the depth.
std::string_view StripTree(std::string_view name, size_t& depth) {
  static const std::string_view kMarks[] = {"├─", "└─", "│", "`-", "|-", " "};
  size_t columns = 0;
  for (bool found = true; found;) {
    found = false;
    for (std::string_view mark : kMarks) {
      if (!StartsWith(name, mark)) continue;
      name.remove_prefix(mark.size());
      columns += mark == "│" || mark == " " ? 1 : 2;
      found = true;
    }
  }
  depth = columns / 2;
  return name;
}

int HexDigit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// lsblk -P escapes unsafe characters of a value as "\x20".
std::string DecodeHex(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2])) && std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
      decoded += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// -P output: NAME="sda" MAJ:MIN="8:0" ...
bool ParsePairs(std::string_view line, std::map<std::string, std::string>& columns) {
  line = Trim(line);
  while (!line.empty()) {
    size_t equals = line.find("=\"");
    if (equals == std::string_view::npos) return false;
    size_t close = line.find('"', equals + 2);
    if (close == std::string_view::npos) return false;
    columns[std::string(Trim(line.substr(0, equals)))] = DecodeHex(line.substr(equals + 2, close - equals - 2));
    line = Trim(line.substr(close + 1));
  }
  return true;
}

// Newer lsblk prints a device's further mount points (MOUNTPOINTS, its last
// column) on lines of their own below it, blank but for tree marks: they
// join the device's, one per line as in -P's value. False for any other line.
bool ContinuesLastColumn(const std::vector<TCell>& header, const TBlockDevice& line,
                         std::vector<TBlockDevice>& devices) {
  if (header.size() < 2 || devices.empty()) return false;
  const std::string last(header.back().fText);
  for (const auto& [name, value] : line.fColumns) {
    if (name != last && name != "NAME" && !value.empty()) return false;
  }
  const std::string value = line.Column(last);
  if (value.empty()) return false;
  std::string& into = devices.back().fColumns[last];
  into += (into.empty() ? "" : "\n") + value;
  return true;
}

}  // namespace

TBlockDevices ParseLsblk(const std::string& text) {
  TBlockDevices devices;
  TLineCursor cursor(text);
  std::vector<TCell> header;
  std::vector<std::string> ancestors;  // names by depth, for the tree form
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    TBlockDevice device;
    device.fLine = cursor.Number();
    if (line.find("=\"") != std::string_view::npos) {
      if (!ParsePairs(line, device.fColumns)) {
        Warn(devices.fWarnings, cursor.Number(), line);
        continue;
      }
    } else if (header.empty()) {
      header = Cells(line);
      continue;
    } else {
      std::vector<std::string> values = SplitByHeader(header, line);
      for (size_t i = 0; i < header.size(); ++i) device.fColumns[std::string(header[i].fText)] = values[i];
    }
    // Tree marks may start with blanks, which the cell lost; the line has them.
    size_t depth = 0, cellDepth = 0;
    device.fName = std::string(StripTree(device.Column("NAME"), cellDepth));
    if (!header.empty() && header[0].fText == "NAME") StripTree(line, depth);
    if (device.fName.empty() && ContinuesLastColumn(header, device, devices.fDevices)) continue;
    if (device.fName.empty()) {
      Warn(devices.fWarnings, cursor.Number(), line);
      continue;
    }
    ancestors.resize(depth);
    if (depth > 0) device.fParent = ancestors[depth - 1];
    ancestors.push_back(device.fName);
    devices.fDevices.push_back(std::move(device));
  }
  return devices;
}

namespace {

std::string FileText(const std::map<std::string, std::string>& files, const std::string& name) {
  auto found = files.find(name);
  return found == files.end() ? std::string() : std::string(Trim(found->second));
}

std::optional<bool> FileFlag(const std::map<std::string, std::string>& files, const std::string& name) {
  std::string text = FileText(files, name);
  if (text == "0") return false;
  if (text == "1") return true;
  return std::nullopt;
}

}  // namespace

TSysBlockDevice ReadSysBlockDevice(const std::string& name,
                                   const std::map<std::string, std::string>& files) {
  TSysBlockDevice device;
  device.fName = name;
  if (auto sectors = ParseUnsigned(FileText(files, "size"))) device.fBytes = *sectors * 512;
  device.fRemovable = FileFlag(files, "removable");
  device.fReadOnly = FileFlag(files, "ro");
  device.fRotational = FileFlag(files, "queue/rotational");
  device.fModel = FileText(files, "device/model");
  device.fVendor = FileText(files, "device/vendor");
  device.fSerial = FileText(files, "device/serial");
  device.fFirmware = FileText(files, "device/firmware_rev");
  if (device.fFirmware.empty()) device.fFirmware = FileText(files, "device/rev");
  return device;
}

namespace {

// /proc/mounts escapes blanks, tabs, newlines and backslashes as "\ooo".
std::string DecodeOctal(std::string_view text) {
  auto octal = [](char c) { return c >= '0' && c <= '7'; };
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && octal(text[i + 1]) && octal(text[i + 2]) &&
        octal(text[i + 3])) {
      decoded += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
      i += 3;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

}  // namespace

TMounts ParseMounts(const std::string& text) {
  TMounts mounts;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = Trim(cursor.Line());
    if (line.empty() || line.front() == '#') continue;
    std::vector<std::string_view> words = SplitWords(line);
    if (words.size() < 3) {
      Warn(mounts.fWarnings, cursor.Number(), line);
      continue;
    }
    TMount mount{cursor.Number(), DecodeOctal(words[0]), DecodeOctal(words[1]), std::string(words[2]), {}};
    if (words.size() > 3)
      for (std::string_view option : SplitTrimmed(words[3], ',')) mount.fOptions.emplace_back(option);
    mounts.fMounts.push_back(std::move(mount));
  }
  return mounts;
}

namespace {

// The multiplier of a df size header: "1K-blocks" 1024, "512B-blocks",
// "1M-blocks"; 0 for sizes printed with units (-h: "Size") or counts (-i).
unsigned long long BlockSize(std::string_view header) {
  if (header.size() < 8 || header.substr(header.size() - 7) != "-blocks") return 0;
  std::optional<unsigned long long> size = ParseByteSize(std::string(header.substr(0, header.size() - 7)));
  return size ? *size : 0;
}

std::optional<unsigned long long> DfNumber(std::string_view text, unsigned long long blockSize) {
  if (blockSize > 0) {
    std::optional<unsigned long long> blocks = ParseUnsigned(text);
    if (!blocks) return std::nullopt;
    return *blocks * blockSize;
  }
  if (auto count = ParseUnsigned(text)) return count;
  return ParseByteSize(std::string(text));
}

}  // namespace

TDiskSpaces ParseDf(const std::string& text) {
  TDiskSpaces spaces;
  TLineCursor cursor(text);
  std::vector<std::string_view> header;
  unsigned long long blockSize = 0;
  bool typed = false;
  std::string pending;  // a file system name that df printed on its own line
  size_t pendingLine = 0;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (header.empty()) {
      header = SplitWords(line);
      if (header.size() < 6 || header[0] != "Filesystem") {
        Warn(spaces.fWarnings, cursor.Number(), line);
        header.clear();
        continue;
      }
      typed = header[1] == "Type";
      blockSize = BlockSize(header[typed ? 2 : 1]);
      spaces.fInodes = header[typed ? 2 : 1] == "Inodes";
      continue;
    }
    std::string joined = pending.empty() ? std::string(line) : pending + " " + std::string(line);
    std::vector<std::string_view> words = SplitWords(joined, typed ? 7 : 6);
    if (words.size() == 1) {
      pending = std::string(words[0]);
      pendingLine = cursor.Number();
      continue;
    }
    size_t first = pending.empty() ? cursor.Number() : pendingLine;
    pending.clear();
    if (words.size() < (typed ? 7u : 6u)) {
      Warn(spaces.fWarnings, first, joined);
      continue;
    }
    size_t at = typed ? 2 : 1;
    TDiskSpace space{first, std::string(words[0]), typed ? std::string(words[1]) : "",
                     DfNumber(words[at], blockSize), DfNumber(words[at + 1], blockSize),
                     DfNumber(words[at + 2], blockSize), std::string(words[at + 4])};
    spaces.fFileSystems.push_back(std::move(space));
  }
  return spaces;
}

}  // namespace NVKXQZA20::NMachine
