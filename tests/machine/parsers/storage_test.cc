// lsblk tables and pairs, /sys/block facts, mounts and df.
#include "machine/parsers/storage.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TBlockDevices& devices, const std::vector<std::string>& columns) {
  std::string text;
  for (const TBlockDevice& device : devices.fDevices) {
    text += device.fName + "<" + device.fParent;
    for (const std::string& column : columns) text += "|" + device.Column(column);
    text += "\n";
  }
  return text + WarningLines(devices.fWarnings);
}

TEST(Storage, LsblkTreeListAndPairs) {
  struct TCase {
    const char* fText;
    std::vector<std::string> fColumns;
    const char* fExpected;
  } cases[] = {
      {"NAME        MAJ:MIN RM   SIZE RO TYPE  MOUNTPOINTS\n"
       "sda           8:0    0 931.5G  0 disk  \n"
       "├─sda1        8:1    0   512M  0 part  /boot/efi\n"
       "└─sda2        8:2    0   931G  0 part  \n"
       "  └─vg0-root 253:0   0   931G  0 lvm   /\n"
       "sr0          11:0    1  1024M  0 rom   \n",
       {"MAJ:MIN", "SIZE", "TYPE", "MOUNTPOINTS"},
       "sda<|8:0|931.5G|disk|\nsda1<sda|8:1|512M|part|/boot/efi\nsda2<sda|8:2|931G|part|\n"
       "vg0-root<sda2|253:0|931G|lvm|/\nsr0<|11:0|1024M|rom|\n"},
      {"NAME  FSTYPE FSVER LABEL     UUID FSAVAIL FSUSE% MOUNTPOINTS\n"
       "loop0                                           \n"
       "sda1  vfat   FAT32 Tern Boot 1A2B  505.8M     1% /boot/efi\n",
       {"FSTYPE", "LABEL", "UUID", "FSAVAIL", "FSUSE%"},
       "loop0<|||||\nsda1<|vfat|Tern Boot|1A2B|505.8M|1%\n"},
      // Further mount points on lines of their own, in the tree and in the list.
      {"NAME   MAJ:MIN TYPE   SIZE MOUNTPOINTS\n"
       "sda      8:0   disk 223.6G \n"
       "├─sda4   8:4   part    50G /srv\n"
       "│                          /\n"
       "└─sda5   8:5   part    35G \n",
       {"MOUNTPOINTS"}, "sda<|\nsda4<sda|/srv\n/\nsda5<sda|\n"},
      {"NAME TYPE MOUNTPOINTS\nsda4 part /srv\n          /\n", {"MOUNTPOINTS"}, "sda4<|/srv\n/\n"},
      {"NAME=\"sdb\" SIZE=\"1T\" TYPE=\"disk\" MOUNTPOINT=\"/srv/tern\\x20data\"\nNAME=\"sdb1\" SIZE=\"1T\nSIZE=\"1T\"\n",
       {"SIZE", "TYPE", "MOUNTPOINT"},
       "sdb<|1T|disk|/srv/tern data\nW2 W3"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(ParseLsblk(c.fText), c.fColumns), c.fExpected) << c.fText;
}

TEST(Storage, SysBlockFacts) {
  TSysBlockDevice device = ReadSysBlockDevice(
      "sda", {{"size", "1953525168\n"}, {"removable", "0\n"}, {"queue/rotational", "1"}, {"device/model", "TX-2000  \n"},
              {"device/rev", "A1"}});
  EXPECT_EQ(Text(device.fBytes) + " " + Text(device.fRemovable) + " " + Text(device.fReadOnly) + " " +
                Text(device.fRotational) + " " + device.fModel + " " + device.fFirmware,
            "1000204886016 0 - 1 TX-2000 A1");
}

TEST(Storage, MountsWithEscapes) {
  TMounts mounts = ParseMounts("# fstab\n/dev/sda1 /mnt/tern\\040data ext4 rw,relatime 0 0\nbroken line\n");
  ASSERT_EQ(mounts.fMounts.size(), 1u);
  const TMount& mount = mounts.fMounts[0];
  EXPECT_EQ(mount.fDevice + "|" + mount.fMountPoint + "|" + mount.fType + "|" + Join(mount.fOptions) + " " +
                WarningLines(mounts.fWarnings),
            "/dev/sda1|/mnt/tern data|ext4|rw,relatime W3");
}

TEST(Storage, DfForms) {
  struct TCase {
    const char* fText;
    const char* fExpected;
  } cases[] = {
      {"Filesystem     1K-blocks    Used Available Use% Mounted on\n"
       "/dev/sda2       10000000 4000000   6000000  40% /srv/tern data\n"
       "proc                   0       0         0    - /proc\n"
       "/dev/mapper/a-very-long-volume-name\n"
       "                    2048    1024      1024  50% /x\n",
       "0 /dev/sda2||10240000000|4096000000|6144000000|/srv/tern data\nproc||0|0|0|/proc\n"
       "/dev/mapper/a-very-long-volume-name||2097152|1048576|1048576|/x\n"},
      {"Filesystem     Type  Size  Used Avail Use% Mounted on\ntmpfs          tmpfs 1.5G     0  1.5G   0% /run\n",
       "0 tmpfs|tmpfs|1610612736|0|1610612736|/run\n"},
      {"Filesystem      Inodes  IUsed   IFree IUse% Mounted on\n/dev/sda2      655360  12000  643360    2% /\nshort 1 2\n",
       "1 /dev/sda2||655360|12000|643360|/\nW3"},
  };
  for (const TCase& c : cases) {
    TDiskSpaces spaces = ParseDf(c.fText);
    std::string text = std::to_string(spaces.fInodes) + " ";
    for (const TDiskSpace& s : spaces.fFileSystems)
      text += s.fFileSystem + "|" + s.fType + "|" + Text(s.fTotal) + "|" + Text(s.fUsed) + "|" + Text(s.fAvailable) +
              "|" + s.fMountPoint + "\n";
    EXPECT_EQ(text + WarningLines(spaces.fWarnings), c.fExpected);
  }
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
