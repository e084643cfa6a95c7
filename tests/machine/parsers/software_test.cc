// Package lists, kernel modules and process tables.
#include "machine/parsers/software.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TPackages& packages) {
  std::string text;
  for (const TPackage& p : packages.fPackages)
    text += p.fName + (p.fMultiArch ? ":" : "") + "|" + p.fVersion + "|" + p.fRelease + "|" + p.fArchitecture + "|" + p.fState + "|" +
            p.fDescription + "|" + p.fInstallTime + "\n";
  return text + WarningLines(packages.fWarnings);
}

TEST(Software, PackageLists) {
  struct TCase {
    TPackages (*fParse)(const std::string&);
    const char* fText;
    const char* fExpected;
  } cases[] = {
      {ParseDpkgList,
       "Desired=Unknown/Install/Remove/Purge/Hold\n"
       "||/ Name           Version      Architecture Description\n"
       "+++-==============-============-============-=================\n"
       "ii  tern-tools     1:2.4-1      amd64        tools for tern boards\n"
       "rc  libtern1:amd64 2.3-0        amd64        \n"
       "??\n",
       "tern-tools|1:2.4-1||amd64|ii|tools for tern boards|\nlibtern1:|2.3-0||amd64|rc||\nW6"},
      {ParseDpkgQuery, "tern-tools\t1:2.4-1\tamd64\tinstall ok installed\nlibtern1\t2.3-0\nbroken\n",
       "tern-tools|1:2.4-1||amd64|install ok installed||\nlibtern1|2.3-0|||||\nW3"},
      {ParseRpmList,
       "tern-utils-libs-2.4.1-3.el9.x86_64                 Tue Aug 30 10:23:45 2026\n"
       "oxbow-release-12-1.noarch~~Wed Sep  2 08:00:00 2026\n"
       "gpg-pubkey-0a1b2c3d-5e6f7a8b\n"
       "nodash.x86_64\n",
       "tern-utils-libs|2.4.1|3.el9|x86_64|||Tue Aug 30 10:23:45 2026\n"
       "oxbow-release|12|1|noarch|||Wed Sep  2 08:00:00 2026\n"
       "gpg-pubkey|0a1b2c3d|5e6f7a8b||||\nW4"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(c.fParse(c.fText)), c.fExpected) << c.fText;
}

TEST(Software, LsmodAndModinfo) {
  TKernelModules modules = ParseLsmod(
      "Module                  Size  Used by\ntern_net              86016  1 tern_bond,\ntern_bond             12288  0\n"
      "tern_core             20480  2 tern_net,[permanent]\nbad x y\n");
  std::string text;
  for (const TKernelModule& m : modules.fModules)
    text += m.fName + " " + std::to_string(m.fSize) + " " + std::to_string(m.fUseCount) + " " + Join(m.fUsedBy) + "\n";
  EXPECT_EQ(text + WarningLines(modules.fWarnings),
            "tern_net 86016 1 tern_bond\ntern_bond 12288 0 \ntern_core 20480 2 tern_net,[permanent]\nW5");

  TModuleInfos infos = ParseModinfo(
      "filename:       /lib/modules/6.1.0/kernel/drivers/net/tern_net.ko\nalias:          pci:v00001D0Fd*\n"
      "alias:          tern\nsig_key:        0A:1B\n\t\t2C:3D\nname:           tern_net\nparm:           debug:level (int)\n"
      "modinfo: ERROR: Module tern_gone not found.\n"
      "name:           tern_core\nfilename:       (builtin)\n");
  std::string modinfo;
  for (const TFieldBlock& block : infos.fModules) modinfo += std::to_string(block.fLine) + " " + Fields(block) + "\n";
  EXPECT_EQ(modinfo + WarningLines(infos.fWarnings),
            "1 filename=/lib/modules/6.1.0/kernel/drivers/net/tern_net.ko;alias=pci:v00001D0Fd*;alias=tern;"
            "sig_key=0A:1B[2C:3D];name=tern_net;parm=debug:level (int)\n"
            "9 name=tern_core;filename=(builtin)\nW8");
}

TEST(Software, PsColumnsWithCommandLeftWhole) {
  TProcesses processes = ParsePs(
      "Warning: bad syntax, perhaps a bogus '-'?\n"
      "USER         PID %CPU %MEM    VSZ   RSS TTY      STAT START   TIME COMMAND\n"
      "root           1  0.0  0.1 167744 11520 ?        Ss   Dec06   0:04 /sbin/init splash --tern\n"
      "tern        4242  1.5  2.0  90000 40960 pts/0    R+   03:22   0:00 ternd -c /etc/tern.conf\n"
      "short line\n");
  std::string text;
  for (const TProcess& p : processes.fProcesses)
    text += p.Column("PID") + "|" + p.Column("USER") + "|" + p.Column("RSS") + "|" + p.Column("STAT") + "|" +
            p.Column("COMMAND") + "\n";
  EXPECT_EQ(text + WarningLines(processes.fWarnings),
            "1|root|11520|Ss|/sbin/init splash --tern\n4242|tern|40960|R+|ternd -c /etc/tern.conf\nW1 W5");
}

// A name may hold blanks and parentheses: the fields count from its last ')'.
TEST(Software, ProcessStatTimesAndBootTime) {
  const std::pair<const char*, const char*> cases[] = {
      {"721 (cat) R 717 717 16011 0 -1 4194304 100 0 0 0 7 3 0 0 20 0 1 0 175194 3133440 416", "7 3 175194 20"},
      {"88 (tern (x) d) S 1 88 88 0 -1 4194560 9 0 0 0 1200 45 0 0 -2 0 1 0 12 0 0", "1200 45 12 -2"},
      {"99 (short) S 1 2 3", "-"},
      {"no name here", "-"},
  };
  for (const auto& [line, expected] : cases) {
    const auto times = ParseProcessStat(line);
    EXPECT_EQ(times ? std::to_string(times->fUserTicks) + " " + std::to_string(times->fKernelTicks) + " " +
                          std::to_string(times->fStartTicks) + " " + std::to_string(times->fPriority)
                    : "-",
              expected)
        << line;
  }
  EXPECT_EQ(ParseBootTime("cpu  1 2 3\nintr 5\nbtime 1796662107\nprocesses 900\n"), 1796662107);
  EXPECT_EQ(ParseBootTime("cpu  1 2 3\n"), std::nullopt);
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
