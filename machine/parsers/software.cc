#include "machine/parsers/software.h"

#include <algorithm>
#include <cctype>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {

TPackages ParseDpkgList(const std::string& text) {
  TPackages packages;
  TLineCursor cursor(text);
  bool inTable = false;  // past the "+++-===" rule
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (!inTable) {
      inTable = StartsWith(line, "+++-");
      continue;
    }
    std::vector<std::string_view> words = SplitWords(line, 5);
    if (words.size() < 4 || words[0].size() < 2 || words[0].size() > 3) {
      Warn(packages.fWarnings, cursor.Number(), line);
      continue;
    }
    TPackage package;
    package.fLine = cursor.Number();
    package.fState = std::string(words[0]);
    std::string_view name = words[1];
    package.fName = std::string(name.substr(0, name.find(':')));  // "libc6:amd64"
    package.fMultiArch = name.find(':') != std::string_view::npos;
    package.fVersion = std::string(words[2]);
    package.fArchitecture = std::string(words[3]);
    if (words.size() == 5) package.fDescription = std::string(words[4]);
    packages.fPackages.push_back(std::move(package));
  }
  return packages;
}

TPackages ParseDpkgQuery(const std::string& text) {
  TPackages packages;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    std::vector<std::string_view> fields = SplitTrimmed(line, '\t');
    if (fields.size() < 2 || fields[0].empty()) {
      Warn(packages.fWarnings, cursor.Number(), line);
      continue;
    }
    TPackage package;
    package.fLine = cursor.Number();
    package.fName = std::string(fields[0].substr(0, fields[0].find(':')));
    package.fMultiArch = fields[0].find(':') != std::string_view::npos;
    package.fVersion = std::string(fields[1]);
    if (fields.size() > 2) package.fArchitecture = std::string(fields[2]);
    if (fields.size() > 3) package.fState = std::string(fields[3]);  // "install ok installed"
    packages.fPackages.push_back(std::move(package));
  }
  return packages;
}

namespace {

// The architectures rpm builds for; a suffix after the last '.' of a package
// name is an architecture only when listed here (releases hold dots too).
const std::string_view kRpmArchitectures[] = {
    "noarch", "x86_64", "i386",    "i486",  "i586",  "i686",  "aarch64", "armv7hl", "armv7l",
    "ppc64",  "ppc64le", "s390", "s390x", "riscv64", "src",  "(none)",  "ia64",    "athlon",
};

bool IsRpmArchitecture(std::string_view text) {
  for (std::string_view architecture : kRpmArchitectures)
    if (text == architecture) return true;
  return false;
}

// NAME-VERSION-RELEASE[.ARCH]; names hold dashes, versions and releases do not.
bool SplitNvra(std::string_view nvra, TPackage& package) {
  size_t dot = nvra.rfind('.');
  if (dot != std::string_view::npos && IsRpmArchitecture(nvra.substr(dot + 1))) {
    package.fArchitecture = std::string(nvra.substr(dot + 1));
    nvra = nvra.substr(0, dot);
  }
  size_t releaseDash = nvra.rfind('-');
  if (releaseDash == std::string_view::npos || releaseDash == 0) return false;
  size_t versionDash = nvra.rfind('-', releaseDash - 1);
  if (versionDash == std::string_view::npos || versionDash == 0) return false;
  package.fName = std::string(nvra.substr(0, versionDash));
  package.fVersion = std::string(nvra.substr(versionDash + 1, releaseDash - versionDash - 1));
  package.fRelease = std::string(nvra.substr(releaseDash + 1));
  return !package.fVersion.empty() && !package.fRelease.empty();
}

}  // namespace

TPackages ParseRpmList(const std::string& text) {
  TPackages packages;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = Trim(cursor.Line());
    if (line.empty()) continue;
    size_t tildes = line.find("~~");
    std::vector<std::string_view> words =
        tildes != std::string_view::npos
            ? std::vector<std::string_view>{line.substr(0, tildes), Trim(line.substr(tildes + 2))}
            : SplitWords(line, 2);
    TPackage package;
    package.fLine = cursor.Number();
    if (!SplitNvra(words[0], package)) {
      Warn(packages.fWarnings, cursor.Number(), line);
      continue;
    }
    if (words.size() > 1) package.fInstallTime = std::string(words[1]);
    packages.fPackages.push_back(std::move(package));
  }
  return packages;
}

TKernelModules ParseLsmod(const std::string& text) {
  TKernelModules modules;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line) || (cursor.Number() == 1 && StartsWith(line, "Module "))) continue;
    std::vector<std::string_view> words = SplitWords(line);
    std::optional<unsigned long long> size = words.size() >= 3 ? ParseUnsigned(words[1]) : std::nullopt;
    std::optional<unsigned long long> uses = words.size() >= 3 ? ParseUnsigned(words[2]) : std::nullopt;
    if (!size || !uses || words.size() > 4) {
      Warn(modules.fWarnings, cursor.Number(), line);
      continue;
    }
    TKernelModule module{cursor.Number(), std::string(words[0]), *size, static_cast<unsigned>(*uses), {}};
    if (words.size() == 4)
      for (std::string_view user : SplitTrimmed(words[3], ','))
        if (!user.empty() && user != "-") module.fUsedBy.emplace_back(user);
    modules.fModules.push_back(std::move(module));
  }
  return modules;
}

namespace {

// modinfo's field names are single words ("sig_hashalgo", "parm").
bool IsModinfoName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '-') return false;
  return true;
}

}  // namespace

TModuleInfos ParseModinfo(const std::string& text) {
  TModuleInfos infos;
  TLineCursor cursor(text);
  TFieldBlock* block = nullptr;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (StartsWith(line, "modinfo: ")) {
      Warn(infos.fWarnings, cursor.Number(), line);
      continue;
    }
    std::string_view name, value;
    bool field = Indent(line) == 0 && SplitField(line, ':', name, value) && IsModinfoName(name);
    if (!field) {
      // Continued values: signature bytes, multi-line descriptions.
      if (block && !block->fFields.empty()) {
        block->fFields.back().fList.emplace_back(Trim(line));
      } else {
        Warn(infos.fWarnings, cursor.Number(), line);
      }
      continue;
    }
    bool opens = (name == "filename" || name == "name") && (!block || block->Find(std::string(name)));
    if (opens) {
      infos.fModules.push_back(TFieldBlock{cursor.Number(), {}});
      block = &infos.fModules.back();
    }
    if (!block) {
      Warn(infos.fWarnings, cursor.Number(), line);
      continue;
    }
    block->fFields.push_back({std::string(name), std::string(value), {}});
  }
  return infos;
}

std::string TProcess::Column(const std::string& name) const {
  auto found = fColumns.find(name);
  return found == fColumns.end() ? std::string() : found->second;
}

TProcesses ParsePs(const std::string& text) {
  TProcesses processes;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (processes.fHeader.empty()) {
      // Every ps table heads its columns with one naming PID; a line before
      // it (a warning of ps, an error of the shell) is no header.
      std::vector<std::string_view> words = SplitWords(line);
      if (std::find(words.begin(), words.end(), "PID") == words.end()) {
        Warn(processes.fWarnings, cursor.Number(), line);
        continue;
      }
      processes.fHeader.assign(words.begin(), words.end());
      continue;
    }
    std::vector<std::string_view> words = SplitWords(line, processes.fHeader.size());
    if (words.size() < processes.fHeader.size()) {
      Warn(processes.fWarnings, cursor.Number(), line);
      continue;
    }
    TProcess process;
    process.fLine = cursor.Number();
    for (size_t i = 0; i < words.size(); ++i) process.fColumns[processes.fHeader[i]] = std::string(words[i]);
    processes.fProcesses.push_back(std::move(process));
  }
  return processes;
}

std::optional<TProcessStat> ParseProcessStat(const std::string& text) {
  const size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  // After the name: state (field 3), ..., utime (14), stime (15), ...,
  // priority (18), ..., starttime (22).
  const std::vector<std::string_view> fields = SplitWords(std::string_view(text).substr(nameEnd + 1));
  if (fields.size() < 20) return std::nullopt;
  const auto user = ParseUnsigned(fields[11]);
  const auto kernel = ParseUnsigned(fields[12]);
  const auto start = ParseUnsigned(fields[19]);
  const auto priority = ParseSigned(fields[15]);
  if (!user || !kernel || !start || !priority) return std::nullopt;
  return TProcessStat{*user, *kernel, *start, *priority};
}

std::optional<long long> ParseBootTime(const std::string& text) {
  TLineCursor cursor(text);
  while (cursor.Next()) {
    const std::vector<std::string_view> words = SplitWords(cursor.Line());
    if (words.size() == 2 && words[0] == "btime") return ParseSigned(words[1]);
  }
  return std::nullopt;
}

}  // namespace NVKXQZA20::NMachine
