// Small files of /proc and /etc: /proc/cpuinfo, lscpu, /proc/meminfo, /proc/mdstat,
// /etc/os-release, and the uptime as /proc/uptime or the uptime command
// prints it.
#ifndef QZA_MACHINE_PARSERS_SYSTEM_FILES_H
#define QZA_MACHINE_PARSERS_SYSTEM_FILES_H

#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

// /proc/cpuinfo: one block per logical processor, its first field
// "processor" its number. "processor : 3" opens it (x86, arm, POWER), and on
// s390 a "processor 3: version = FF,  identification = 0133E8,  machine = 8561"
// line (its "version", "identification" and "machine" fields) and a newer
// kernel's "cpu number : 3" block, which add to the same one. Fields outside
// any processor block (arm's "Hardware", POWER's "model" and "machine" at the
// end, s390's "vendor_id" and "# processors") go to fMachine.
struct TCpuInfo {
  std::vector<TFieldBlock> fProcessors;
  TFieldBlock fMachine;
  std::vector<TParseWarning> fWarnings;
};
TCpuInfo ParseCpuInfo(const std::string& text);

// lscpu: "Name:   value" lines ("Thread(s) per core", "Hypervisor vendor",
// "L2 cache"), as printed.
struct TLscpu {
  TFieldBlock fFields;
  std::vector<TParseWarning> fWarnings;
};
TLscpu ParseLscpu(const std::string& text);

struct TMemInfoEntry {
  std::string fName;  // "MemTotal", "HugePages_Total"
  unsigned long long fValue = 0;
  bool fKilobytes = false;  // "kB" printed: fValue is in KiB
};
struct TMemInfo {
  std::vector<TMemInfoEntry> fEntries;
  std::vector<TParseWarning> fWarnings;
  // Bytes of a "kB" entry, or the count of a plain one; nothing when absent.
  std::optional<unsigned long long> Get(const std::string& name) const;
};
TMemInfo ParseMemInfo(const std::string& text);

struct TMdMember {
  std::string fDevice;  // "sdb1"
  int fRole = -1;       // "[1]"
  std::string fFlags;   // "F" faulty, "S" spare, "W" write-mostly, "R" replacement
};
struct TMdArray {
  size_t fLine = 0;
  std::string fName;   // "md0"
  std::string fState;  // "active", "inactive", "active (auto-read-only)"
  std::string fLevel;  // "raid1"; "" for an inactive array
  std::vector<TMdMember> fMembers;
  unsigned long long fBlocks = 0;  // 1 KiB blocks
  std::string fMetadata;           // "1.2" of "super 1.2"
  std::string fStatus;             // "[2/1] [U_]"
  std::string fProgress;           // "recovery = 12.6% (...) finish=..." or ""
  std::string fBitmap;
  std::vector<std::string> fDetails;  // other lines below the array, as printed
};
struct TMdStat {
  std::vector<std::string> fPersonalities;  // "raid1", "raid6"
  std::vector<TMdArray> fArrays;
  std::vector<TParseWarning> fWarnings;
};
TMdStat ParseMdStat(const std::string& text);

// KEY=value lines with shell quoting removed; comments and blanks skipped.
struct TOsRelease {
  TFieldBlock fFields;  // NAME, VERSION_ID, PRETTY_NAME, ID, ID_LIKE, ...
  std::vector<TParseWarning> fWarnings;
};
TOsRelease ParseOsRelease(const std::string& text);

// What older distributions have instead of os-release: /etc/redhat-release
// ("Oxbow Linux Server release 6.10 (Tern)") or /etc/SuSE-release (that line,
// then "VERSION = 11" and "PATCHLEVEL = 4").
struct TSystemRelease {
  std::string fName;     // the first line, as printed
  std::string fVersion;  // "6.10", "11.4"; "" when the text says none
};
TSystemRelease ParseSystemRelease(const std::string& text);

// timedatectl's "Time zone:" line: "Time zone: Europe/Berlin (CET, +0100)".
// Empty fields when the text has no such line.
struct TTimeSettings {
  std::string fZoneName;                // "Europe/Berlin"
  std::string fZone;                    // "CET"
  std::optional<long> fOffsetMinutes;  // east of universal time: 60
};
TTimeSettings ParseTimedatectl(const std::string& text);

// Seconds since boot: /proc/uptime ("456.38 153.20") or the uptime command
// ("16:52:41 up 3 days,  2:05,  1 user, ...", "up 4 min", "up 1 day, 10
// min"), which says it to the minute. Nothing when the text says neither.
std::optional<double> ParseUptime(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
