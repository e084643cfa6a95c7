// Block devices and file systems: `lsblk` in the table forms sos stores
// (tree or -l list, any columns), `lsblk -P` pairs, /sys/block attributes,
// /proc/mounts (also /etc/fstab), and `df` (-al, -ali, -h, -T, -P).
#ifndef QZA_MACHINE_PARSERS_STORAGE_H
#define QZA_MACHINE_PARSERS_STORAGE_H

#include <map>
#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TBlockDevice {
  size_t fLine = 0;
  std::string fName;    // "sda1", tree marks removed
  std::string fParent;  // "sda" for a partition drawn below its disk; "" at top
  // Every column by its header name as printed ("MAJ:MIN", "SIZE", "TYPE",
  // "MOUNTPOINTS", "FSTYPE", "ROTA", ...); an empty cell is "". Several
  // mount points are one per line, as -P prints them ("/srv\x0a/") and as
  // the table form draws them on lines of their own below the device.
  std::map<std::string, std::string> fColumns;

  std::string Column(const std::string& name) const;
};

struct TBlockDevices {
  std::vector<TBlockDevice> fDevices;
  std::vector<TParseWarning> fWarnings;
};
// Table output (header line, then one line per device) or -P/--pairs output.
TBlockDevices ParseLsblk(const std::string& text);

// Facts of /sys/block/NAME, from the files the collector read there, keyed by
// their path below the device ("size", "removable", "ro", "queue/rotational",
// "device/model", "device/vendor", "device/serial", "device/firmware_rev").
struct TSysBlockDevice {
  std::string fName;
  std::optional<unsigned long long> fBytes;  // "size" is in 512-byte sectors
  std::optional<bool> fRemovable;
  std::optional<bool> fReadOnly;
  std::optional<bool> fRotational;
  std::string fModel;
  std::string fVendor;
  std::string fSerial;
  std::string fFirmware;
};
TSysBlockDevice ReadSysBlockDevice(const std::string& name,
                                   const std::map<std::string, std::string>& files);

struct TMount {
  size_t fLine = 0;
  std::string fDevice;
  std::string fMountPoint;  // octal escapes ("\040") decoded
  std::string fType;
  std::vector<std::string> fOptions;
};
struct TMounts {
  std::vector<TMount> fMounts;
  std::vector<TParseWarning> fWarnings;
};
TMounts ParseMounts(const std::string& text);

struct TDiskSpace {
  size_t fLine = 0;
  std::string fFileSystem;
  std::string fType;  // with -T, else ""
  // Bytes (block counts are multiplied by the header's block size, "-h" sizes
  // read as binary units) or inode counts with -i; nothing for "-".
  std::optional<unsigned long long> fTotal;
  std::optional<unsigned long long> fUsed;
  std::optional<unsigned long long> fAvailable;
  std::string fMountPoint;
};
struct TDiskSpaces {
  bool fInodes = false;  // the numbers count inodes
  std::vector<TDiskSpace> fFileSystems;
  std::vector<TParseWarning> fWarnings;
};
TDiskSpaces ParseDf(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
