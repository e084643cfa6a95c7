// Installed software and the running system: package lists (`dpkg -l`,
// `dpkg-query -W`, `rpm -qa` / sos's installed-rpms), kernel modules (`lsmod`,
// `modinfo`) and processes (`ps auxwww` and the other ps tables sos stores).
#ifndef QZA_MACHINE_PARSERS_SOFTWARE_H
#define QZA_MACHINE_PARSERS_SOFTWARE_H

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TPackage {
  size_t fLine = 0;
  std::string fName;
  std::string fVersion;  // dpkg: the whole version; rpm: VERSION
  std::string fRelease;  // rpm: RELEASE, "" for dpkg
  std::string fArchitecture;
  // dpkg printed the name with its architecture ("libc6:amd64"): a package
  // that several architectures may install side by side.
  bool fMultiArch = false;
  std::string fState;        // dpkg: "ii", "rc", ...; rpm: ""
  std::string fDescription;  // dpkg -l only
  std::string fInstallTime;  // installed-rpms' date, as printed
};
struct TPackages {
  std::vector<TPackage> fPackages;
  std::vector<TParseWarning> fWarnings;
};
// `dpkg -l` (sos: dpkg_-l, installed-debs).
TPackages ParseDpkgList(const std::string& text);
// `dpkg-query -W -f='${Package}\t${Version}\t${Architecture}\t${Status}\n'`:
// tab-separated, the last two fields optional. Without an explicit format,
// dpkg-query -W prints "name<TAB>version", which reads the same way.
TPackages ParseDpkgQuery(const std::string& text);
// `rpm -qa` (NAME-VERSION-RELEASE.ARCH per line) and sos's installed-rpms
// (the same, then the install date after spaces or "~~").
TPackages ParseRpmList(const std::string& text);

struct TKernelModule {
  size_t fLine = 0;
  std::string fName;
  unsigned long long fSize = 0;
  unsigned fUseCount = 0;
  std::vector<std::string> fUsedBy;
};
struct TKernelModules {
  std::vector<TKernelModule> fModules;
  std::vector<TParseWarning> fWarnings;
};
TKernelModules ParseLsmod(const std::string& text);

// `modinfo M1 M2 ...`: one block per module, opened by "filename:" (or
// "name:" of built-in modules); "modinfo: ERROR: ..." lines are warnings.
struct TModuleInfos {
  std::vector<TFieldBlock> fModules;  // "filename", "version", "license", "parm"...
  std::vector<TParseWarning> fWarnings;
};
TModuleInfos ParseModinfo(const std::string& text);

struct TProcess {
  size_t fLine = 0;
  // Every column by its header name ("USER", "PID", "%CPU", "RSS", "STAT",
  // "START", ...); the last column (COMMAND, CMD) holds the rest of the line.
  std::map<std::string, std::string> fColumns;
  std::string Column(const std::string& name) const;
};
struct TProcesses {
  std::vector<std::string> fHeader;
  std::vector<TProcess> fProcesses;
  std::vector<TParseWarning> fWarnings;
};
// Any ps table whose header names its columns (auxwww, alxwww, -elf, -o ...).
TProcesses ParsePs(const std::string& text);

// /proc/PID/stat: a process's user and kernel time spent and its start after
// the boot, in clock ticks, and its priority. Nothing when the text is no
// such line (the process name, in parentheses, may hold blanks and
// parentheses).
struct TProcessStat {
  unsigned long long fUserTicks = 0;
  unsigned long long fKernelTicks = 0;
  unsigned long long fStartTicks = 0;
  long long fPriority = 0;
};
std::optional<TProcessStat> ParseProcessStat(const std::string& text);

// /proc/stat's "btime": the boot, in seconds since 1970.
std::optional<long long> ParseBootTime(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
