#include "machine/source_table.h"

#include <stdexcept>

namespace NVKXQZA20::NMachine {

namespace {

TSource File(EFact fact, std::string title, std::string file, std::vector<std::string> other = {}) {
  TSource source;
  source.fFact = fact;
  source.fTitle = std::move(title);
  source.fFile = std::move(file);
  source.fOtherSosPaths = std::move(other);
  return source;
}

TSource Command(EFact fact, std::string title, std::string plugin, std::vector<std::string> command,
                std::vector<std::string> other = {}) {
  TSource source;
  source.fFact = fact;
  source.fTitle = std::move(title);
  source.fPlugin = std::move(plugin);
  source.fCommand = std::move(command);
  source.fOtherSosPaths = std::move(other);
  return source;
}

TSource Log(TSource source) {
  source.fLog = true;
  source.fMaxBytes = 0;
  return source;
}

TSource NeedsRoot(TSource source) {
  source.fNeedsRoot = true;
  return source;
}

TSource Slow(TSource source, int seconds) {
  source.fTimeoutSeconds = seconds;
  return source;
}

std::vector<TSource> MakeTable() {
  return {
      File(EFact::kHostName, "host name", "/proc/sys/kernel/hostname",
           {"sos_commands/host/hostname", "hostname", "etc/hostname"}),
      Command(EFact::kKernel, "kernel", "kernel", {"uname", "-a"}, {"uname"}),
      File(EFact::kOsRelease, "operating system release", "/etc/os-release", {"usr/lib/os-release"}),
      // Older distributions name themselves only there.
      File(EFact::kSystemRelease, "distribution release", "/etc/redhat-release", {"etc/SuSE-release"}),
      // sos keeps no /proc/uptime, only what the uptime command printed.
      File(EFact::kUptime, "uptime", "/proc/uptime", {"sos_commands/host/uptime", "uptime"}),
      File(EFact::kCpuInfo, "processors", "/proc/cpuinfo"),
      Command(EFact::kLscpu, "processor summary", "processor", {"lscpu"}),
      File(EFact::kSmtControl, "simultaneous multithreading", "/sys/devices/system/cpu/smt/control"),
      File(EFact::kKernelCommandLine, "kernel command line", "/proc/cmdline"),
      File(EFact::kMemInfo, "memory use", "/proc/meminfo"),
      NeedsRoot(Command(EFact::kDmidecode, "SMBIOS tables (dmidecode)", "hardware", {"dmidecode"}, {"dmidecode"})),
      Command(EFact::kPci, "PCI devices", "pci", {"lspci", "-nnvv"}, {"lspci"}),
      Command(EFact::kBlockDevices, "block devices", "block",
              {"lsblk", "-b", "-P", "-o", "NAME,PKNAME,TYPE,SIZE,FSTYPE,MOUNTPOINT,MODEL,SERIAL,VENDOR,REV,TRAN,HCTL,RO,RM"},
              {"sos_commands/block/lsblk"}),
      File(EFact::kMounts, "mounted file systems", "/proc/mounts", {"sos_commands/filesys/mount_-l", "mount"}),
      Command(EFact::kDiskSpace, "file system space", "filesys", {"df", "-al", "-x", "autofs"}, {"df"}),
      Command(EFact::kNetworkAddresses, "network interfaces", "networking", {"ip", "-d", "address"},
              {"sos_commands/networking/ip_address", "ip_addr"}),
      Command(EFact::kDebianPackages, "Debian packages", "dpkg", {"dpkg", "-l"}, {"installed-debs"}),
      Command(EFact::kRpmPackages, "RPM packages", "rpm",
              {"rpm", "--nodigest", "-qa", "--qf=%{NAME}-%{VERSION}-%{RELEASE}.%{ARCH}~~%{INSTALLTIME:date}\\n"},
              {"installed-rpms"}),
      Command(EFact::kKernelModules, "kernel modules", "kernel", {"lsmod"}, {"lsmod"}),
      Command(EFact::kModuleInfo, "kernel module details", "kernel", {"modinfo"},
              {"sos_commands/kernel/modinfo_ALL_MODULES"}),
      Command(EFact::kProcesses, "processes", "process", {"ps", "auxwww"}, {"ps"}),
      Log(File(EFact::kSyslog, "system log", "/var/log/syslog")),
      Log(File(EFact::kMessages, "system log", "/var/log/messages")),
      Log(Slow(Command(EFact::kJournal, "journal", "logs", {"journalctl", "--no-pager", "-o", "json", "-n", "5000"},
                       {"sos_commands/logs/journalctl_--no-pager", "sos_commands/logs/journalctl_--no-pager_--catalog_--boot"}),
               20)),
      Command(EFact::kSensors, "sensors (lm-sensors)", "hardware", {"sensors"}, {"sos_commands/lmsensors/sensors"}),
      // sos runs ipmitool through the USB interface when that answers.
      NeedsRoot(Command(EFact::kIpmiSel, "IPMI event log", "ipmitool", {"ipmitool", "sel", "elist"},
                        {"sos_commands/ipmitool/ipmitool_sel_list", "sos_commands/ipmitool/ipmitool_-I_usb_sel_list"})),
      NeedsRoot(Command(EFact::kIpmiSdr, "IPMI sensors", "ipmitool", {"ipmitool", "sdr", "elist"},
                        {"sos_commands/ipmitool/ipmitool_sensor_list",
                         "sos_commands/ipmitool/ipmitool_-I_usb_sensor_list"})),
      NeedsRoot(Command(EFact::kIpmiFru, "IPMI FRU", "ipmitool", {"ipmitool", "fru"},
                        {"sos_commands/ipmitool/ipmitool_fru_print", "sos_commands/ipmitool/ipmitool_-I_usb_fru_print"})),
      NeedsRoot(Command(EFact::kIpmiMc, "IPMI controller", "ipmitool", {"ipmitool", "mc", "info"},
                        {"sos_commands/ipmitool/ipmitool_-I_usb_mc_info"})),
      File(EFact::kMdStat, "software RAID", "/proc/mdstat"),
      // -r: each message with the kernel's level; sos stores plain dmesg.
      Log(Command(EFact::kKernelRingBuffer, "kernel ring buffer", "kernel", {"dmesg", "-r"},
                  {"sos_commands/kernel/dmesg"})),
      Command(EFact::kRoutes, "routes", "networking", {"ip", "route", "show", "table", "all"},
              {"sos_commands/networking/ip_route"}),
      Command(EFact::kIpv6Routes, "IPv6 routes", "networking", {"ip", "-6", "route", "show", "table", "all"}),
      File(EFact::kResolvConf, "name servers", "/etc/resolv.conf"),
      File(EFact::kIpForwarding, "IP forwarding", "/proc/sys/net/ipv4/ip_forward"),
      File(EFact::kKernelCounters, "boot time", "/proc/stat"),
      File(EFact::kNetworkCounters, "network statistics", "/proc/net/dev"),
      Command(EFact::kUsbDevices, "USB devices", "usb", {"lsusb"}),
      File(EFact::kTimeZoneName, "time zone", "/etc/timezone"),
      Command(EFact::kDate, "local time", "date", {"date"}, {"date"}),
      Command(EFact::kDateUtc, "universal time", "date", {"date", "--utc"}),
      Command(EFact::kTimeSettings, "time settings", "systemd", {"timedatectl"}),
  };
}

}  // namespace

const std::vector<TSource>& SourceTable() {
  static const std::vector<TSource> table = MakeTable();
  return table;
}

const TSource& SourceOf(EFact fact) {
  for (const TSource& source : SourceTable()) {
    if (source.fFact == fact) return source;
  }
  throw std::logic_error("a fact without a source");
}

// sos: runs of characters other than letters, digits, '_', '-', '.' and '/'
// become '_', '/' becomes '.', and ' ._-' are stripped from both ends.
std::string SosCommandName(const std::vector<std::string>& command) {
  std::string line;
  for (const std::string& word : command) line += (line.empty() ? "" : " ") + word;
  std::string name;
  bool inRun = false;
  for (char c : line) {
    const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' || c == '/';
    if (!kept) {
      if (!inRun) name += '_';
      inRun = true;
      continue;
    }
    inRun = false;
    name += c == '/' ? '.' : c;
  }
  const size_t first = name.find_first_not_of(" ._-");
  if (first == std::string::npos) return "";
  return name.substr(first, name.find_last_not_of(" ._-") - first + 1);
}

std::vector<std::string> SosPathsOf(const TSource& source) {
  std::vector<std::string> paths;
  if (!source.fFile.empty()) paths.push_back(source.fFile.substr(1));
  if (!source.fCommand.empty() && !source.fPlugin.empty()) {
    paths.push_back("sos_commands/" + source.fPlugin + "/" + SosCommandName(source.fCommand));
  }
  paths.insert(paths.end(), source.fOtherSosPaths.begin(), source.fOtherSosPaths.end());
  return paths;
}

TSource DiskSmartSource(const std::string& disk) {
  TSource source = NeedsRoot(Command(EFact::kSmart, "SMART data of " + disk, "ata",
                                     {"smartctl", "-j", "-x", "/dev/" + disk}));
  source.fOtherSosPaths = {"sos_commands/ata/" + SosCommandName({"smartctl", "-a", "/dev/" + disk}),
                           "sos_commands/nvme/" + SosCommandName({"smartctl", "--all", "/dev/" + disk})};
  return source;
}

TSource InterfaceDriverSource(const std::string& interface) {
  return Command(EFact::kInterfaceDriver, "driver of " + interface, "networking", {"ethtool", "-i", interface});
}

}  // namespace NVKXQZA20::NMachine
