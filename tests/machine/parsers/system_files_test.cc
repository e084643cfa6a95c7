// /proc/cpuinfo, /proc/meminfo, /proc/mdstat, /etc/os-release and the older release files.
#include "machine/parsers/system_files.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

// One row per architecture's form: each logical processor's block (its line
// and fields), then the machine's fields and the warnings.
TEST(SystemFiles, CpuInfoBlocksAndMachineFields) {
  const std::pair<const char*, const char*> cases[] = {
      {"processor\t: 0\nmodel name\t: Tern T9 @ 2.10GHz\nflags\t\t: fpu vme\n\n"
       "processor\t: 1\nmodel name\t: Tern T9 @ 2.10GHz\n\nHardware\t: Oxbow Board\nodd line\n",
       "1 processor=0;model name=Tern T9 @ 2.10GHz;flags=fpu vme\n"
       "5 processor=1;model name=Tern T9 @ 2.10GHz\n"
       "Hardware=Oxbow Board W9"},
      // POWER: the machine's model at the end.
      {"processor\t: 0\ncpu\t\t: TERN8 (raw), altivec supported\nclock\t\t: 2900.000000MHz\n"
       "revision\t: 2.2 (pvr 004e 1202)\n\ntimebase\t: 512000000\nplatform\t: pSeries\nmodel\t\t: TERN,9000-11A\n",
       "1 processor=0;cpu=TERN8 (raw), altivec supported;clock=2900.000000MHz;revision=2.2 (pvr 004e 1202)\n"
       "timebase=512000000;platform=pSeries;model=TERN,9000-11A "},
      // s390 before "cpu number" blocks: one line per processor.
      {"vendor_id       : TERN/390\n# processors    : 2\n"
       "processor 0: version = FF,  identification = 0A11E8,  machine = 7001\n"
       "processor 1: version = FF,  identification = 0A11E8,  machine = 7001\n",
       "3 processor=0;version=FF;identification=0A11E8;machine=7001\n"
       "4 processor=1;version=FF;identification=0A11E8;machine=7001\n"
       "vendor_id=TERN/390;# processors=2 "},
      // Newer s390 kernels: the line, then a block of the same processor.
      {"vendor_id       : TERN/390\n# processors    : 1\n"
       "processor 0: version = 00,  identification = 0A11E8,  machine = 7002\n\n"
       "cpu number      : 0\ncpu MHz dynamic : 5000\ncpu MHz static  : 5200\n",
       "3 processor=0;version=00;identification=0A11E8;machine=7002;cpu number=0;cpu MHz dynamic=5000;"
       "cpu MHz static=5200\n"
       "vendor_id=TERN/390;# processors=1 "},
  };
  for (const auto& [input, expected] : cases) {
    TCpuInfo info = ParseCpuInfo(input);
    std::string text;
    for (const TFieldBlock& block : info.fProcessors) text += std::to_string(block.fLine) + " " + Fields(block) + "\n";
    EXPECT_EQ(text + Fields(info.fMachine) + " " + WarningLines(info.fWarnings), expected) << input;
  }
}

TEST(SystemFiles, MemInfoInBytesOrCounts) {
  TMemInfo info = ParseMemInfo("MemTotal:       16318412 kB\nHugePages_Total:       4\nBroken: x kB\n");
  EXPECT_EQ(Text(info.Get("MemTotal")) + " " + Text(info.Get("HugePages_Total")) + " " + Text(info.Get("Broken")) +
                " " + WarningLines(info.fWarnings),
            "16710053888 4 - W3");
}

TEST(SystemFiles, MdStatArraysMembersAndProgress) {
  TMdStat stat = ParseMdStat(
      "Personalities : [raid1] [raid6] \n"
      "md0 : active raid1 sdb1[1](F) sda1[0]\n"
      "      1953382464 blocks super 1.2 [2/1] [U_]\n"
      "      [==>..................]  recovery = 12.6% (246788608/1953382464) finish=153.4min speed=185301K/sec\n"
      "      bitmap: 2/15 pages [8KB], 65536KB chunk\n"
      "\n"
      "md1 : inactive sdc1[0](S)\n"
      "      976630488 blocks super 1.2\n"
      "\n"
      "md2 : broken\n"
      "unused devices: <none>\n");
  std::string text = Join(stat.fPersonalities) + "\n";
  for (const TMdArray& a : stat.fArrays) {
    text += a.fName + "|" + a.fState + "|" + a.fLevel + "|";
    for (const TMdMember& m : a.fMembers) text += m.fDevice + "#" + std::to_string(m.fRole) + m.fFlags + " ";
    text += "|" + std::to_string(a.fBlocks) + "|" + a.fMetadata + "|" + a.fStatus + "|" + a.fProgress.substr(0, 16) +
            "|" + a.fBitmap + "\n";
  }
  EXPECT_EQ(text + WarningLines(stat.fWarnings),
            "raid1,raid6\n"
            "md0|active|raid1|sdb1#1F sda1#0 |1953382464|1.2|[2/1] [U_]|recovery = 12.6%|2/15 pages [8KB], 65536KB chunk\n"
            "md1|inactive||sdc1#0S |976630488|1.2|||\n"
            "W10");
}

TEST(SystemFiles, OsReleaseUnquoted) {
  TOsRelease release = ParseOsRelease(
      "# made up\nNAME=\"Oxbow Linux\"\nVERSION_ID='12'\nID=oxbow\nPRETTY_NAME=\"Oxbow \\\"Tern\\\"\"\nBROKEN=\"x\n");
  EXPECT_EQ(Fields(release.fFields) + " " + WarningLines(release.fWarnings),
            "NAME=Oxbow Linux;VERSION_ID=12;ID=oxbow;PRETTY_NAME=Oxbow \"Tern\" W6");
}

TEST(SystemFiles, ReleaseFilesOfOlderDistributions) {
  const std::pair<const char*, const char*> cases[] = {
      {"Oxbow Linux Server release 6.10 (Tern)\n", "Oxbow Linux Server release 6.10 (Tern)|6.10"},
      {"Oxbow Linux release 7.9.2009 (Core)\n", "Oxbow Linux release 7.9.2009 (Core)|7.9.2009"},
      {"Oxbow Enterprise Server 11 (x86_64)\nVERSION = 11\nPATCHLEVEL = 4\n", "Oxbow Enterprise Server 11 (x86_64)|11.4"},
      {"Oxbow Enterprise Server 10 (s390x)\nVERSION = 10\n", "Oxbow Enterprise Server 10 (s390x)|10"},
      {"", "|"},
  };
  for (const auto& [text, expected] : cases) {
    const TSystemRelease release = ParseSystemRelease(text);
    EXPECT_EQ(release.fName + "|" + release.fVersion, expected) << text;
  }
}

TEST(SystemFiles, TimedatectlZone) {
  const std::pair<const char*, const char*> cases[] = {
      {"               Local time: Mon 2026-12-07 14:05:17 CET\n                Time zone: Europe/Berlin (CET, +0100)\n",
       "Europe/Berlin|CET|60"},
      {"      Local time: Mon 2026-12-07 08:05:17 EST\n       Time zone: America/New_York (EST, -0500)\n",
       "America/New_York|EST|-300"},
      {"                Time zone: Asia/Kolkata (IST, +0530)\n", "Asia/Kolkata|IST|330"},
      {"                Time zone: n/a (UTC, +0000)\n", "n/a|UTC|0"},
      {"Failed to connect to bus: No such file or directory\n", "||-"},
  };
  for (const auto& [text, expected] : cases) {
    const TTimeSettings settings = ParseTimedatectl(text);
    EXPECT_EQ(settings.fZoneName + "|" + settings.fZone + "|" + Text(settings.fOffsetMinutes), expected) << text;
  }
}

TEST(SystemFiles, UptimeOfProcOrOfTheCommand) {
  const std::pair<const char*, const char*> cases[] = {
      {"456.38 153.20\n", "456.38"},
      {" 16:52:41 up 4 min,  0 user,  load average: 1.97, 0.98, 0.39\n", "240"},
      {" 16:52:41 up  2:05,  1 user,  load average: 0.00, 0.00, 0.00\n", "7500"},
      {" 16:52:41 up 3 days,  2:05,  2 users,  load average: 0.00, 0.00, 0.00\n", "266700"},
      {" 16:52:41 up 1 day, 10 min,  1 user,  load average: 0.00, 0.00, 0.00\n", "87000"},
      {"16:52:41 up 12 days, 0 users\n", "1.0368e+06"},
      {"uptime: command not found\n", "-"},
      {"nan\n", "-"},
  };
  for (const auto& [text, seconds] : cases) EXPECT_EQ(Text(ParseUptime(text)), seconds) << text;
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
