// System logs: syslog files (traditional "Mmm dd hh:mm:ss host tag[pid]: msg"
// and RFC 3339 time stamps), journalctl's short forms (short, short-iso,
// short-precise) and its JSON form (-o json, one object per line), which
// carries the severity, and the kernel's messages as dmesg prints them.
#ifndef QZA_MACHINE_PARSERS_LOGS_H
#define QZA_MACHINE_PARSERS_LOGS_H

#include <ctime>
#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TLogEntry {
  size_t fLine = 0;
  std::string fTime;  // as printed ("Dec  7 03:22:29", "2026-12-07T03:22:29+0000")
  std::string fHost;
  std::string fSource;  // "kernel", "sshd", "systemd"
  std::string fPid;
  // syslog severity 0 (emerg) .. 7 (debug) when the text says it (journal
  // JSON PRIORITY, a "<N>" prefix); nothing otherwise.
  std::optional<int> fSeverity;
  std::string fMessage;  // continuation lines appended after '\n'
  // dmesg's "[   12.345678]": seconds since boot, until DateSinceBoot dates it.
  std::optional<double> fSecondsSinceBoot;
};

struct TLog {
  std::vector<TLogEntry> fEntries;
  std::vector<TParseWarning> fWarnings;
};

// Syslog files and journalctl's short forms; "-- Boot ... --", "-- No
// entries --" and "-- Logs begin at ..." lines are skipped.
TLog ParseSyslog(const std::string& text);
// `journalctl -o json`; a line that is no JSON object is a warning.
TLog ParseJournalJson(const std::string& text);
// dmesg: "[    1.234567] message" as dmesg prints it (sos's form), or "<3>[
// 1.234567] message" as `dmesg -r` prints it, the kernel's level first. Every
// entry's source is "kernel"; without a level, the message's words tell an
// error or a warning; other messages keep no severity. Indented lines
// continue the message before them.
TLog ParseDmesg(const std::string& text);
// Gives the entries that know their seconds since boot their time of day,
// UTC ISO 8601, from the boot time. The kernel's clock stands still while
// the machine sleeps, so after a suspend the times come out early.
void DateSinceBoot(TLog& log, std::time_t boot);
// `dmesg -r`'s text as dmesg prints it: the "<N>" before each line removed.
std::string WithoutLevels(const std::string& dmesg);

}  // namespace NVKXQZA20::NMachine

#endif
