// Syslog files, journalctl's short forms, its JSON form and dmesg.
#include "machine/parsers/logs.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TLog& log) {
  std::string text;
  for (const TLogEntry& e : log.fEntries)
    text += std::to_string(e.fLine) + " " + e.fTime + (e.fSecondsSinceBoot ? "@" + Text(e.fSecondsSinceBoot) : "") + "|" + e.fHost + "|" + e.fSource + "|" + e.fPid + "|" +
            Text(e.fSeverity) + "|" + e.fMessage + "\n";
  return text + WarningLines(log.fWarnings);
}

TEST(Logs, SyslogJournalAndKernelForms) {
  struct TCase {
    TLog (*fParse)(const std::string&);
    const char* fText;
    const char* fExpected;
  } cases[] = {
      {ParseSyslog,
       "-- Logs begin at Mon 2026-12-07 00:00:01 UTC. --\n"
       "Dec  7 03:22:29 tern01 kernel: [    1.234] tern_net: link up\n"
       "Dec 07 03:22:30.123456 tern01 ternd[4242]: started: ok\n"
       "    second line of it\n"
       "2026-12-07T03:22:31.5+00:00 tern01 CRON[77]: (root) CMD (true)\n"
       "<11>Dec  7 03:22:32 tern01 ternd: failed\n"
       "Dec  7 03:22:33 tern01 a message without tag\n"
       "not a log line\n",
       "2 Dec  7 03:22:29|tern01|kernel||-|[    1.234] tern_net: link up\n"
       "3 Dec 07 03:22:30.123456|tern01|ternd|4242|-|started: ok\nsecond line of it\n"
       "5 2026-12-07T03:22:31.5+00:00|tern01|CRON|77|-|(root) CMD (true)\n"
       "6 Dec  7 03:22:32|tern01|ternd||3|failed\n"
       "7 Dec  7 03:22:33|tern01|||-|a message without tag\n"
       "W8"},
      {ParseJournalJson,
       "{\"__REALTIME_TIMESTAMP\":\"1796613749000042\",\"_HOSTNAME\":\"tern01\",\"SYSLOG_IDENTIFIER\":\"ternd\","
       "\"_PID\":\"4242\",\"PRIORITY\":\"4\",\"MESSAGE\":\"fan slow\"}\n"
       "{\"_COMM\":\"ternd\",\"MESSAGE\":[104,105]}\n"
       "not json\n",
       "1 2026-12-07T03:22:29.000042Z|tern01|ternd|4242|4|fan slow\n"
       "2 ||ternd||-|hi\nW3"},
      // dmesg -r: the kernel's level, or a user's message (facility 1).
      {ParseDmesg,
       "<6>[    0.000000] Linux version 6.1.0-tern\n"
       "<3>[   12.500000] tern_blk 0000:00:02.0: I/O error, dev vda, sector 2048\n"
       "                  Please check the disk.\n"
       "<12>[   13.000000] ternd: started\n",
       "1 @0||kernel||6|Linux version 6.1.0-tern\n"
       "2 @12.5||kernel||3|tern_blk 0000:00:02.0: I/O error, dev vda, sector 2048\nPlease check the disk.\n"
       "4 @13||kernel||4|ternd: started\n"},
      // sos's dmesg: no level stored, the words tell errors and warnings.
      {ParseDmesg,
       "[    0.000000] Linux version 6.1.0-tern\n"
       "[    1.000000] ACPI Error: AE_NOT_FOUND, while evaluating TRN0\n"
       "[    2.000000] [Firmware Bug]: TSC doesn't count with P0 frequency!\n"
       "[    3.000000] RAS: Correctable Errors collector initialized.\n"
       "a message without time\n",
       "1 @0||kernel||-|Linux version 6.1.0-tern\n"
       "2 @1||kernel||3|ACPI Error: AE_NOT_FOUND, while evaluating TRN0\n"
       "3 @2||kernel||4|[Firmware Bug]: TSC doesn't count with P0 frequency!\n"
       "4 @3||kernel||-|RAS: Correctable Errors collector initialized.\n"
       "5 ||kernel||-|a message without time\n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(c.fParse(c.fText)), c.fExpected) << c.fText;
}

TEST(Logs, KernelMessagesDatedFromTheBoot) {
  TLog log = ParseDmesg("<6>[    0.000000] booted\n<6>[   12.500000] later\n<6>[ inf] never\nno time\n");
  DateSinceBoot(log, 1796613740);
  std::string times;
  for (const TLogEntry& e : log.fEntries) times += e.fTime + ";";
  EXPECT_EQ(times, "2026-12-07T03:22:20.000000Z;2026-12-07T03:22:32.500000Z;;;");
  EXPECT_EQ(WithoutLevels("<6>[    0.000000] booted\n<4>[    1.000000] odd\n  continued\n"),
            "[    0.000000] booted\n[    1.000000] odd\n  continued\n");
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
