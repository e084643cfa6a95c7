// Syslog files, journalctl's short forms and its JSON form.
#include "machine/parsers/logs.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TLog& log) {
  std::string text;
  for (const TLogEntry& e : log.fEntries)
    text += std::to_string(e.fLine) + " " + e.fTime + "|" + e.fHost + "|" + e.fSource + "|" + e.fPid + "|" +
            Text(e.fSeverity) + "|" + e.fMessage + "\n";
  return text + WarningLines(log.fWarnings);
}

TEST(Logs, SyslogAndJournalForms) {
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
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(c.fParse(c.fText)), c.fExpected) << c.fText;
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
