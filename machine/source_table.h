// The source table: every fact the collector reads, where a sos report keeps
// it and which file or command gives it on a live machine, with the limits of
// reading it. A new source is one row here and, when it is a new format, one
// parser and one mapping function.
//
// A command's output in a sos report lies under sos_commands/PLUGIN/ by the
// name sos gives it (SosCommandName); a copied file lies at its own path
// below the report's root.
#ifndef QZA_MACHINE_SOURCE_TABLE_H
#define QZA_MACHINE_SOURCE_TABLE_H

#include <cstddef>
#include <string>
#include <vector>

namespace NVKXQZA20::NMachine {

enum class EFact {
  kHostName,
  kKernel,  // uname -a
  kOsRelease,
  kSystemRelease,  // /etc/redhat-release, /etc/SuSE-release
  kUptime,
  kCpuInfo,
  kLscpu,
  kSmtControl,        // /sys/devices/system/cpu/smt/control
  kKernelCommandLine,  // /proc/cmdline
  kMemInfo,
  kDmidecode,
  kPci,
  kBlockDevices,
  kMounts,
  kDiskSpace,
  kNetworkAddresses,
  kDebianPackages,
  kRpmPackages,
  kKernelModules,
  kModuleInfo,
  kProcesses,
  kSyslog,
  kMessages,
  kJournal,
  kSensors,
  kIpmiSel,
  kIpmiSdr,
  kIpmiFru,
  kIpmiMc,
  kMdStat,
  kKernelRingBuffer,  // dmesg
  kRoutes,
  kIpv6Routes,  // where `ip route show table all` leaves them out
  kResolvConf,
  kIpForwarding,  // /proc/sys/net/ipv4/ip_forward
  kKernelCounters,  // /proc/stat: the boot time
  kNetworkCounters,  // /proc/net/dev
  kUsbDevices,
  kTimeZoneName,  // /etc/timezone
  kDate,          // date: the local time and its zone's abbreviation
  kDateUtc,       // date --utc: with kDate, the zone's offset
  kTimeSettings,  // timedatectl (sos only): the zone's offset where date --utc is missing
  kSmart,  // one output per disk: see DiskSmartSource
  kInterfaceDriver,  // ethtool -i of one interface: see InterfaceDriverSource
};

// Bounds of a log: the last kDefaultLogBytes unless the user says otherwise.
constexpr size_t kDefaultLogBytes = 8u << 20;

struct TSource {
  EFact fFact = EFact::kHostName;
  std::string fTitle;  // "PCI devices": what the log says was (not) read
  std::string fFile;   // absolute path, read through the root; "" for none
  std::string fPlugin;              // the sos plugin that runs fCommand
  std::vector<std::string> fCommand;  // run on a live machine; empty for none
  std::vector<std::string> fOtherSosPaths;  // older or other layouts, in order
  int fTimeoutSeconds = 10;
  size_t fMaxBytes = 16u << 20;  // 0: the log bound of the collection
  bool fLog = false;             // keep the end, not the start
  bool fNeedsRoot = false;       // said in the log when it cannot be read
};

const std::vector<TSource>& SourceTable();
const TSource& SourceOf(EFact fact);

// The file name sos gives a command's output: "lspci -nnvv" is
// "lspci_-nnvv", "smartctl -a /dev/sda" is "smartctl_-a_.dev.sda".
std::string SosCommandName(const std::vector<std::string>& command);

// The sos paths of a source, relative to the report's root, in the order
// they are tried: the copied file, the command's output, the other layouts.
std::vector<std::string> SosPathsOf(const TSource& source);

// smartctl of one disk ("sda"): JSON when live, sos's text form in a report.
TSource DiskSmartSource(const std::string& disk);

// ethtool -i of one network interface ("eth0"): its driver where /sys does
// not link it, as in a sos report.
TSource InterfaceDriverSource(const std::string& interface);

}  // namespace NVKXQZA20::NMachine

#endif
