// /proc/cpuinfo, /proc/meminfo, /proc/mdstat, /etc/os-release and the older release files.
#include "machine/parsers/system_files.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

TEST(SystemFiles, CpuInfoBlocksAndMachineFields) {
  TCpuInfo info = ParseCpuInfo(
      "processor\t: 0\nmodel name\t: Tern T9 @ 2.10GHz\nflags\t\t: fpu vme\n\n"
      "processor\t: 1\nmodel name\t: Tern T9 @ 2.10GHz\n\nHardware\t: Oxbow Board\nodd line\n");
  std::string text;
  for (const TFieldBlock& block : info.fProcessors) text += std::to_string(block.fLine) + " " + Fields(block) + "\n";
  EXPECT_EQ(text + Fields(info.fMachine) + " " + WarningLines(info.fWarnings),
            "1 processor=0;model name=Tern T9 @ 2.10GHz;flags=fpu vme\n"
            "5 processor=1;model name=Tern T9 @ 2.10GHz\n"
            "Hardware=Oxbow Board W9");
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
