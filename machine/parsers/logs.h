// System logs: syslog files (traditional "Mmm dd hh:mm:ss host tag[pid]: msg"
// and RFC 3339 time stamps) and journalctl's short forms (short, short-iso,
// short-precise) and its JSON form (-o json, one object per line), which
// carries the severity.
#ifndef QZA_MACHINE_PARSERS_LOGS_H
#define QZA_MACHINE_PARSERS_LOGS_H

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

}  // namespace NVKXQZA20::NMachine

#endif
