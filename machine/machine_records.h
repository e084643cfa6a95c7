// Everything the parsers made of one machine, whichever sources it came from;
// what was not read stays empty. The collector fills it, the mapping reads it.
#ifndef QZA_MACHINE_MACHINE_RECORDS_H
#define QZA_MACHINE_MACHINE_RECORDS_H

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "machine/parsers/dmidecode.h"
#include "machine/parsers/ipmi.h"
#include "machine/parsers/logs.h"
#include "machine/parsers/lspci.h"
#include "machine/parsers/network.h"
#include "machine/parsers/sensors.h"
#include "machine/parsers/smart.h"
#include "machine/parsers/software.h"
#include "machine/parsers/storage.h"
#include "machine/parsers/system_files.h"

namespace NVKXQZA20::NMachine {

struct TNamedLog {
  std::string fName;  // "/var/log/syslog", "journal"
  TLog fLog;
};

struct TMachineRecords {
  std::string fHostName;
  std::string fUname;  // uname -a
  TOsRelease fOsRelease;
  TSystemRelease fSystemRelease;
  std::optional<double> fUptimeSeconds;
  TCpuInfo fCpuInfo;
  TLscpu fLscpu;
  std::string fSmtControl;  // "on", "off", "forceoff", "notsupported", "notimplemented"
  std::string fKernelCommandLine;
  TMemInfo fMemInfo;
  TDmiRecords fDmi;
  // /sys/class/dmi/id: what the kernel shows of SMBIOS without root.
  std::map<std::string, std::string> fDmiId;
  TPciRecords fPci;
  TBlockDevices fBlockDevices;
  TMounts fMounts;
  TDiskSpaces fDiskSpace;
  TNetInterfaces fInterfaces;
  std::map<std::string, TSysNetInterface> fSysNet;  // by interface name
  TPackages fPackages;
  TKernelModules fModules;
  TModuleInfos fModuleInfo;
  TProcesses fProcesses;
  std::optional<long long> fBootTime;  // /proc/stat's btime
  // Live only: /proc/PID/stat of the processes ps listed, by PID, its times
  // in ticks of fClockTicks per second.
  std::map<std::string, TProcessStat> fProcessStats;
  long fClockTicks = 0;
  std::vector<TNamedLog> fLogs;
  TSensors fSensors;
  TSelEvents fSel;
  TSdrSensors fSdr;
  TFruDevices fFru;
  TMcInfo fMc;
  TMdStat fMdStat;
  std::string fKernelRingBuffer;  // dmesg, as printed
  TIpRoutes fRoutes;  // of both families, as read from either source
  std::vector<std::string> fNameServers;  // resolv.conf's, in order
  std::optional<bool> fIpForwarding;
  std::map<std::string, std::string> fDrivers;  // by interface name: "virtio_net"
  TNetDev fNetworkCounters;
  TUsbDevices fUsb;
  std::string fTimeZoneName;  // "Europe/Berlin": /etc/timezone or the /etc/localtime link
  std::string fDate;          // date's output
  std::string fDateUtc;       // date --utc's output
  TTimeSettings fTimeSettings;  // timedatectl's zone: the offset where date --utc is missing
  std::vector<std::pair<std::string, TSmartDevice>> fSmart;  // by disk ("sda")
};

}  // namespace NVKXQZA20::NMachine

#endif
