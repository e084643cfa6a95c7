#include "redaction/text_shapes.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_set>
#include <vector>

#include "redaction/pseudonyms.h"

namespace NVKXQZA20::NRedaction {

namespace {

// Last labels that make a qualified name of two labels or more.
const std::unordered_set<std::string> kTopLevelLabels = {
    "com", "net", "org", "edu", "gov", "mil", "int", "io", "biz", "info", "local", "lan", "internal", "intranet",
    "corp", "home", "cloud", "uk", "de", "fr", "jp", "cn", "ru", "br", "au", "ca", "nl", "es", "se", "ch", "us",
    "eu", "pl", "dk", "fi", "cz", "kr", "tw"};

// Last labels of file names: "ld.so.conf", "db7.corp.example.com.log" (whose
// name before the extension may still be a host's).
const std::unordered_set<std::string> kFileExtensions = {
    "conf", "cfg", "cnf", "log", "txt", "gz", "xz", "zip", "tar", "so", "ko", "service", "socket", "target",
    "mount", "timer", "path", "slice", "scope", "device", "swap", "automount", "json", "xml", "yaml", "yml",
    "ini", "rules", "d", "rpm", "deb", "py", "pyc", "sh", "pl", "rb", "js", "pem", "crt", "key", "csr",
    "repo", "list", "html", "htm", "md", "sql", "db", "sock", "pid", "lock", "tmp", "bak", "old", "img", "iso",
    "efi", "mod", "h", "c", "cc", "cpp", "java", "jar", "class", "out", "err", "dat", "bin", "cache", "new",
    "exe", "dll", "msi", "bat", "cmd", "vbs", "inf", "cat", "evtx", "etl", "dmp", "lnk", "config"};

// First labels of dotted names that are no hosts: reversed domains of
// programs (org.freedesktop.NetworkManager), sysctl keys (net.core.somaxconn)
// and dracut's parameters (rd.lvm.lv).
const std::unordered_set<std::string> kNotHostFirstLabels = {
    "com", "org", "net", "io", "java", "javax", "android", "kernel", "vm", "fs", "dev", "abi", "debug",
    "sunrpc", "crypto", "user", "sys", "xdg", "gnome", "kde", "rd"};

// The pseudonyms' own domain and the reserved ones name no customer.
const std::unordered_set<std::string> kReservedLabels = {"example", "test", "invalid", "localhost", "localdomain"};

// ASCII only, without the locale: these run on every word of every text.
bool IsLetter(char c) {
  const unsigned char u = static_cast<unsigned char>(c) | 0x20;
  return u >= 'a' && u <= 'z';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLabelChar(char c) { return IsLetter(c) || IsDigit(c) || c == '-'; }
bool IsNameChar(char c) { return IsLabelChar(c) || c == '.' || c == '_'; }

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::vector<std::string_view> Labels(std::string_view name) {
  std::vector<std::string_view> labels;
  for (size_t start = 0;;) {
    const size_t dot = name.find('.', start);
    labels.push_back(name.substr(start, dot - start));
    if (dot == std::string_view::npos) return labels;
    start = dot + 1;
  }
}

bool IsHostLabel(std::string_view label) {
  return !label.empty() && label.size() <= 63 && label.front() != '-' && label.back() != '-' &&
         !std::all_of(label.begin(), label.end(), IsDigit);
}

bool IsWord(std::string_view label) {
  return std::all_of(label.begin(), label.end(), IsLetter);
}

// Whether the labels make a host name: a known top-level label, or two dots
// or more where the first label starts no program's or sysctl's name.
// Under a single '/' (a path: /etc/rc.local) two dots are needed either way;
// before '=' (a parameter: a.b.c=1) a top-level label is.
bool IsQualifiedName(const std::vector<std::string_view>& labels, bool inPath, bool beforeEquals) {
  if (labels.size() < 2 || !std::all_of(labels.begin(), labels.end(), IsHostLabel)) return false;
  const std::string last = Lower(labels.back());
  if (!IsWord(last) || kReservedLabels.count(last) != 0 || kFileExtensions.count(last) != 0) return false;
  if (kTopLevelLabels.count(last) != 0) return !inPath || labels.size() >= 3;
  return !inPath && !beforeEquals && labels.size() >= 3 && kNotHostFirstLabels.count(Lower(labels.front())) == 0;
}

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// What comes before a user name in well-known log lines, and what must
// follow it ("" for anything).
struct TUserCue {
  const char* fBefore;
  const char* fAfter;
};

const TUserCue kUserCues[] = {
    {"for user ", ""},       {"invalid user ", ""},  {"illegal user ", ""}, {"user=", ""},
    {"/home/", ""},          {"publickey for ", " from "}, {"password for ", " from "},
    {"keyboard-interactive/pam for ", " from "},
};

// "su: (to root) bob on pts/0": the text before ends in "(to NAME) ".
bool FollowsSuTarget(std::string_view before) {
  if (!EndsWithNoCase(before, ") ")) return false;
  const size_t open = before.rfind("(to ");
  return open != std::string_view::npos && before.find_first_of("()", open + 1) == before.size() - 2;
}

// "sudo:    bob : TTY=pts/0 ; ...": the text before ends in "sudo:" and blanks.
bool FollowsSudo(std::string_view before) {
  const size_t end = before.find_last_not_of(' ');
  return end != std::string_view::npos && end + 1 < before.size() && EndsWithNoCase(before.substr(0, end + 1), "sudo:");
}

// A line of `last`: the user, blanks, then the terminal.
bool StartsLastLine(std::string_view text, size_t i, size_t end) {
  if (i != 0 && text[i - 1] != '\n') return false;
  const size_t terminal = text.find_first_not_of(' ', end);
  if (terminal == end || terminal == std::string_view::npos) return false;
  const std::string_view rest = text.substr(terminal);
  return StartsWith(rest, "pts/") || StartsWith(rest, "tty") || StartsWith(rest, ":0") || StartsWith(rest, "console");
}

// The two bytes before every cue's end ("r ", "r=", "e/", ") ", ": ", "  ",
// a line's start): most words are left at once.
bool MayFollowCue(std::string_view text, size_t i) {
  if (i == 0 || text[i - 1] == '\n') return true;
  if (i == 1) return false;
  const char last = text[i - 1], before = static_cast<char>(text[i - 2] | 0x20);
  return (last == ' ' && (before == 'r' || text[i - 2] == ')' || text[i - 2] == ':' || text[i - 2] == ' ')) ||
         (last == '=' && before == 'r') || (last == '/' && before == 'e');
}

}  // namespace

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && strncasecmp(text.data() + text.size() - end.size(), end.data(), end.size()) == 0;
}

std::optional<size_t> QualifiedNameAt(std::string_view text, size_t i) {
  if (i > 0 && (text[i - 1] == '_' || text[i - 1] == '.')) return std::nullopt;
  size_t end = i;
  while (end < text.size() && IsLabelChar(text[end])) ++end;
  if (end + 1 >= text.size() || text[end] != '.' || !IsLabelChar(text[end + 1])) return std::nullopt;  // most words
  while (end < text.size() && (IsLabelChar(text[end]) || text[end] == '.')) ++end;
  while (end > i && (text[end - 1] == '.' || text[end - 1] == '-')) --end;
  if (end < text.size() && (text[end] == '_' || text[end] == '+')) return std::nullopt;  // x86_64, libstdc++
  const bool inPath = i > 0 && text[i - 1] == '/' && !(i > 1 && text[i - 2] == '/');
  std::vector<std::string_view> labels = Labels(text.substr(i, end - i));
  if (labels.size() >= 4 && kFileExtensions.count(Lower(labels.back())) != 0) {
    // A file named after a host (db7.corp.keelnet.com.log): the name before
    // its extension, when that ends as a host name does.
    end -= labels.back().size() + 1;
    labels.pop_back();
    if (kTopLevelLabels.count(Lower(labels.back())) == 0) return std::nullopt;
  }
  if (!IsQualifiedName(labels, inPath, end < text.size() && text[end] == '=')) return std::nullopt;
  return end - i;
}

std::optional<size_t> AddressLabelAt(std::string_view text, size_t i) {
  size_t end = i;
  while (end < text.size() && IsLetter(text[end])) ++end;
  if (end == i || end + 1 >= text.size() || text[end] != '-' || !IsDigit(text[end + 1])) return std::nullopt;
  size_t address = end + 1;
  while (address < text.size() && (IsDigit(text[address]) || text[address] == '-')) ++address;
  std::string dotted(text.substr(end + 1, address - end - 1));
  while (!dotted.empty() && dotted.back() == '-') dotted.pop_back();
  const size_t after = end + 1 + dotted.size();
  if (after < text.size() && IsLabelChar(text[after]) && text[after] != '-') return std::nullopt;
  std::replace(dotted.begin(), dotted.end(), '-', '.');
  if (!ParseIPv4(dotted)) return std::nullopt;
  return end + 1 - i;
}

std::optional<size_t> UserNameAt(std::string_view text, size_t i) {
  if ((!IsLetter(text[i]) && text[i] != '_') || !MayFollowCue(text, i)) return std::nullopt;
  size_t end = i;
  while (end < text.size() && end - i < 32 && IsNameChar(text[end])) ++end;
  while (end > i && (text[end - 1] == '.' || text[end - 1] == '-')) --end;
  const std::string_view before = text.substr(0, i);
  const std::string_view after = text.substr(end);
  for (const TUserCue& cue : kUserCues) {
    const std::string_view cueBefore = cue.fBefore;
    const bool cueEnds = !before.empty() && cueBefore.back() == before.back() && EndsWithNoCase(before, cueBefore);
    if (cueEnds && StartsWith(after, cue.fAfter)) {
      return end - i;
    }
  }
  if ((FollowsSuTarget(before) && StartsWith(after, " on ")) || (FollowsSudo(before) && StartsWith(after, " : ")) ||
      StartsLastLine(text, i, end)) {
    return end - i;
  }
  return std::nullopt;
}

std::optional<size_t> SosReportHostAt(std::string_view text, size_t i) {
  if (!EndsWithNoCase(text.substr(0, i), "sosreport-")) return std::nullopt;
  // The host ends where "-YYYY-MM-DD-" begins (a case number may come between).
  for (size_t end = i + 1; end + 12 <= text.size() && IsLabelChar(text[end]); ++end) {
    const std::string_view date = text.substr(end, 12);
    const bool isDate = date[0] == '-' && date[5] == '-' && date[8] == '-' && date[11] == '-' &&
                        std::all_of(date.begin() + 1, date.begin() + 5, IsDigit);
    if (isDate) return end - i;
  }
  return std::nullopt;
}

}  // namespace NVKXQZA20::NRedaction
