// Disks, file systems, network, software, processes and logs, as the
// hardware, network, software, process and log pages read them.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "machine/machine_mapping.h"
#include "machine/mapping_text.h"

namespace NVKXQZA20::NMachine {

namespace {

const int kRunning = 3;  // CIM_SoftwareElement.SoftwareElementState

// File systems of mounts that are no volume of the machine.
bool IsVolume(const std::string& device, const std::string& type) {
  static const std::set<std::string> kKept = {"overlay", "nfs", "nfs4", "cifs", "smb3", "zfs", "fuseblk", "9p"};
  return StartsWith(device, "/") || kKept.count(type) != 0;
}

std::string DevicePath(const std::string& name) { return StartsWith(name, "/") ? name : "/dev/" + name; }

// The parent of a block device: drawn above it (tree) or named (PKNAME).
std::string ParentOf(const TBlockDevice& device) {
  return device.fParent.empty() ? device.Column("PKNAME") : device.fParent;
}

std::optional<long long> SizeOf(const TBlockDevice& device) {
  const auto bytes = ParseByteSize(device.Column("SIZE"));
  if (!bytes) return std::nullopt;
  return static_cast<long long>(*bytes);
}

struct TStorageAliases {
  std::map<std::string, std::string> fPartitionByDevice;  // "/dev/sda1" -> alias
};

void MapDisks(const TBlockDevices& devices, TCollection& out, TStorageAliases& aliases) {
  std::map<std::string, long long> partitionCount;
  for (const TBlockDevice& device : devices.fDevices) {
    if (device.Column("TYPE") == "part") ++partitionCount[ParentOf(device)];
  }
  std::map<std::string, std::string> diskAlias;
  for (const TBlockDevice& device : devices.fDevices) {
    const std::string type = device.Column("TYPE");
    const std::string path = DevicePath(device.fName);
    if (type == "disk") {
      const std::string alias = out.NewAlias("Disk_" + device.fName);
      diskAlias[device.fName] = alias;
      TMofInstance disk("VKXSG_MediaAccessDevice", alias);
      disk.Set("CreationClassName", "VKXSG_MediaAccessDevice").Set("DeviceID", out.UniqueKey("disk", path)).Set("Name", path)
          .SetIfAny("Model", Trimmed(device.Column("VENDOR") + " " + device.Column("MODEL")))
          .SetNumber("NoOfPartitions", partitionCount[device.fName]);
      if (const auto size = SizeOf(device)) disk.SetNumber("Size", *size);
      out.Add(disk);
      const std::string hctl = device.Column("HCTL");
      unsigned host = 0, channel = 0, target = 0, lun = 0;
      if (std::sscanf(hctl.c_str(), "%u:%u:%u:%u", &host, &channel, &target, &lun) == 4) {
        TMofInstance scsi("VKXSG_SCSIDevice");
        scsi.Set("CreationClassName", "VKXSG_SCSIDevice").Set("DeviceID", out.UniqueKey("scsi", hctl))
            .SetIfAny("VendorId", device.Column("VENDOR")).SetIfAny("ProductId", device.Column("MODEL"))
            .SetIfAny("serialNum", device.Column("SERIAL")).SetIfAny("Revision", device.Column("REV"))
            .Set("DeviceType", "Direct-Access").SetNumber("HostAdapterId", host).SetNumber("Bus", channel)
            .SetNumber("TargetId", target).SetNumber("Lun", lun);
        out.Add(scsi);
      }
    } else if (type == "part") {
      const std::string alias = out.NewAlias("Part_" + device.fName);
      aliases.fPartitionByDevice[path] = alias;
      TMofInstance partition("VKXSG_DiskPartition", alias);
      partition.Set("CreationClassName", "VKXSG_DiskPartition").Set("DeviceID", out.UniqueKey("partition", path));
      if (const auto size = SizeOf(device)) partition.SetNumber("Size", *size);
      out.Add(partition);
      const auto disk = diskAlias.find(ParentOf(device));
      if (disk != diskAlias.end()) {
        out.Add(TMofInstance("VKXSG_PartitionPresent").SetReference("Antecedent", disk->second)
                    .SetReference("Dependent", alias));
      }
    }
  }
}

void MapVolumes(const TMachineRecords& records, const TStorageAliases& aliases, TCollection& out) {
  std::map<std::string, std::string> typeByMountPoint;
  for (const TMount& mount : records.fMounts.fMounts) typeByMountPoint[mount.fMountPoint] = mount.fType;
  if (records.fDiskSpace.fInodes) return;
  std::set<std::string> seen;
  for (const TDiskSpace& space : records.fDiskSpace.fFileSystems) {
    const std::string type = !space.fType.empty() ? space.fType : typeByMountPoint[space.fMountPoint];
    if (!IsVolume(space.fFileSystem, type) || !space.fTotal || *space.fTotal == 0) continue;
    if (!seen.insert(space.fMountPoint).second) continue;
    const std::string alias = out.NewAlias("Vol_" + space.fMountPoint);
    TMofInstance volume("VKXSG_LogicalDisk", alias);
    volume.Set("CreationClassName", "VKXSG_LogicalDisk").Set("DeviceID", out.UniqueKey("volume", space.fMountPoint))
        .SetStrings("OtherIdentifyingInfo", {space.fFileSystem}).SetIfAny("FileSystemName", type)
        .SetNumber("TotalSpace", static_cast<long long>(*space.fTotal));
    if (space.fAvailable) volume.SetNumber("FreeSpace", static_cast<long long>(*space.fAvailable));
    out.Add(volume);
    const auto partition = aliases.fPartitionByDevice.find(space.fFileSystem);
    if (partition != aliases.fPartitionByDevice.end()) {
      out.Add(TMofInstance("VKXSG_LogicalDiskBasedOnPartition").SetReference("Antecedent", partition->second)
                  .SetReference("Dependent", alias));
    }
  }
}

// A dotted IPv4 mask of a prefix length.
std::string Ipv4Mask(int prefix) {
  if (prefix < 0 || prefix > 32) return "";
  const unsigned mask = prefix == 0 ? 0 : 0xFFFFFFFFu << (32 - prefix);
  return std::to_string(mask >> 24) + "." + std::to_string((mask >> 16) & 255) + "." +
         std::to_string((mask >> 8) & 255) + "." + std::to_string(mask & 255);
}

void MapAddresses(const TNetInterface& interface, const std::string& portAlias, const std::string& host,
                  TCollection& out) {
  for (const TIpAddress& address : interface.fAddresses) {
    const bool v4 = address.fFamily == "inet";
    const std::string alias = out.NewAlias("Ip_" + interface.fName + "_" + address.fAddress);
    TMofInstance endpoint("VKXSG_IPProtocolEndpoint", alias);
    endpoint.Set("CreationClassName", "VKXSG_IPProtocolEndpoint").Set("Name", out.UniqueKey("endpoint", interface.fName + ":" + address.fAddress))
        .SetIfAny("SystemName", host).Set(v4 ? "IPv4Address" : "IPv6Address", address.fAddress)
        .SetNumber("ProtocolIFType", v4 ? 4096 : 4097);
    if (v4) endpoint.SetIfAny("SubnetMask", Ipv4Mask(address.fPrefixLength));
    if (address.fPrefixLength >= 0) endpoint.SetNumber("PrefixLength", address.fPrefixLength);
    out.Add(endpoint);
    out.Add(TMofInstance("VKXSG_PortImplementsEndpoint").SetReference("Antecedent", portAlias)
                .SetReference("Dependent", alias));
  }
}

// /proc/net/dev's counters of a port, by the statistics' property names.
struct TCounterProperty {
  bool fReceive;
  const char* fCounter;
  const char* fProperty;
};
const TCounterProperty kCounterProperties[] = {
    {true, "packets", "RXPackets"},   {true, "errs", "RXErrors"},        {true, "drop", "RXDropErrors"},
    {true, "fifo", "RXOverrunErrors"}, {true, "frame", "RXFrameErrors"}, {false, "packets", "TXPackets"},
    {false, "errs", "TXErrors"},      {false, "drop", "TXDropErrors"},   {false, "fifo", "TXOverrunErrors"},
    {false, "carrier", "TXCarrierErrors"}, {false, "colls", "Collisions"}, {true, "bytes", "RXBytes"},
    {false, "bytes", "TXBytes"},
};

void MapCounters(const TNetInterface& interface, const std::string& portAlias, const TMachineRecords& records,
                 TCollection& out) {
  for (const TNetCounters& counters : records.fNetworkCounters.fInterfaces) {
    if (counters.fInterface != interface.fName) continue;
    const std::string alias = out.NewAlias("Stats_" + interface.fName);
    TMofInstance statistics("VKXSG_NetworkStatisticalData", alias);
    statistics.Set("InstanceID", out.UniqueKey("netstat", "VKX:netstat:" + interface.fName))
        .Set("StatisticTime", CimDateTime(out.Collected()));
    for (const TCounterProperty& property : kCounterProperties) {
      const auto& direction = property.fReceive ? counters.fReceive : counters.fTransmit;
      const auto value = direction.find(property.fCounter);
      if (value != direction.end()) statistics.SetNumber(property.fProperty, static_cast<long long>(value->second));
    }
    out.Add(statistics);
    out.Add(TMofInstance("VKXSG_NetworkPortStatistics").SetReference("ManagedElement", portAlias)
                .SetReference("Stats", alias));
    return;
  }
}

// Answers the port's alias.
std::string MapInterface(const TNetInterface& interface, const TMachineRecords& records, TCollection& out) {
  const bool physical = interface.fKind.empty() && interface.fLinkType == "ether";
  const char* className = physical ? "VKXSG_PhysicalNetworkPort" : "VKXSG_VirtualNetworkPort";
  const std::string alias = out.NewAlias("Port_" + interface.fName);
  TMofInstance port(className, alias);
  port.Set("CreationClassName", className).Set("DeviceID", out.UniqueKey("port", interface.fName)).Set("Name", interface.fName)
      .SetIfAny("Description", interface.fKind.empty() ? interface.fLinkType : interface.fKind)
      .SetNumber("EnabledState", interface.fState == "DOWN" ? 3 : 2);
  if (!interface.fMac.empty()) port.Set("PermanentAddress", interface.fMac).SetStrings("NetworkAddresses", {interface.fMac});
  if (interface.fMtu) port.SetNumber("ActiveMaximumTransmissionUnit", *interface.fMtu);
  if (physical) port.SetNumber("LinkTechnology", 2);  // Ethernet
  if (physical && !interface.fMaster.empty()) port.Set("TeamName", interface.fMaster);
  const auto sys = records.fSysNet.find(interface.fName);
  if (sys != records.fSysNet.end() && sys->second.fSpeedMbps) {
    port.SetNumber("Speed", static_cast<long long>(*sys->second.fSpeedMbps * 1000000));
    port.Set("speedDuplex", std::to_string(*sys->second.fSpeedMbps) + "Mb/s " + sys->second.fDuplex);
  }
  out.Add(port);
  MapAddresses(interface, alias, Trimmed(records.fHostName), out);
  MapCounters(interface, alias, records, out);
  return alias;
}

// Bonds and teams (ip -d's kind) with their virtual port and the ports
// enslaved to them.
void MapTeams(const TNetInterfaces& interfaces, const std::map<std::string, std::string>& portAliases,
              TCollection& out) {
  for (const TNetInterface& team : interfaces.fInterfaces) {
    if (team.fKind != "bond" && team.fKind != "team") continue;
    const std::string alias = out.NewAlias("Team_" + team.fName);
    const auto mode = team.fKindAttributes.find("mode");
    TMofInstance group("VKXSG_VirtualNetworkingGroup", alias);
    group.Set("TeamName", team.fName)
        .Set("TeamType", team.fKind + (mode == team.fKindAttributes.end() ? "" : " " + mode->second));
    out.Add(group);
    const auto port = portAliases.find(team.fName);
    if (port != portAliases.end()) {
      out.Add(TMofInstance("VKXSG_VirtualNetworkingPortComponent").SetReference("GroupComponent", alias)
                  .SetReference("PartComponent", port->second));
    }
    for (const TNetInterface& member : interfaces.fInterfaces) {
      if (member.fMaster != team.fName) continue;
      const std::string memberAlias = out.NewAlias("Member_" + team.fName + "_" + member.fName);
      out.Add(TMofInstance("VKXSG_SpareGroup", memberAlias)
                  .Set("InstanceID", "VKX:" + team.fName + ":" + member.fName).Set("Name", member.fName));
      out.Add(TMofInstance("VKXSG_VirtualNetworkingRedundancyGroupComponent").SetReference("GroupComponent", alias)
                  .SetReference("PartComponent", memberAlias));
    }
  }
}

// The unicast routes of every table, as `route -n` would show them; local,
// broadcast and the other kinds say nothing about where traffic goes.
void MapRoutes(const TIpRoutes& routes, TCollection& out) {
  long long index = 0;
  for (const TIpRoute& route : routes.fRoutes) {
    if (!route.fType.empty()) continue;
    auto attribute = [&route](const char* name) {
      const auto found = route.fAttributes.find(name);
      return found == route.fAttributes.end() ? std::string() : found->second;
    };
    std::string destination = route.fDestination == "default" ? "0.0.0.0/0" : route.fDestination;
    const size_t slash = destination.find('/');
    const bool v4 = destination.find(':') == std::string::npos;
    const auto prefix = slash == std::string::npos ? std::optional<long long>(v4 ? 32 : 128)
                                                   : WholeNumber(destination.substr(slash + 1));
    std::string flags = "U";
    if (!attribute("via").empty()) flags += "G";
    if (prefix && *prefix == (v4 ? 32 : 128)) flags += "H";
    TMofInstance instance("VKXSG_NextHopIPRoute");
    instance.Set("InstanceID", "VKX:Route:" + std::to_string(index++))
        .Set("DestinationAddress", destination.substr(0, slash))
        .Set("Gateway", attribute("via").empty() ? (v4 ? "0.0.0.0" : "::") : attribute("via"))
        .SetIfAny("DestinationMask", v4 && prefix ? Ipv4Mask(static_cast<int>(*prefix))
                                                  : (prefix ? std::to_string(*prefix) : ""))
        .Set("Flags", flags).SetIfAny("Iface", attribute("dev"));
    const auto metric = WholeNumber(attribute("metric"));
    if (metric && *metric <= 65535) instance.SetNumber("RouteMetric", *metric);  // a uint16 in CIM
    out.Add(instance);
  }
}

std::string Kilobytes(const std::string& kib) {
  std::string digits = Trimmed(kib);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits + " Kilobytes";
}

// CIM_Process.ExecutionState of ps's STAT letter.
long long ExecutionStateOf(const std::string& stat) {
  switch (stat.empty() ? '?' : stat[0]) {
    case 'R': return 3;  // Running
    case 'S': case 'I': return 6;  // Suspended Ready
    case 'D': return 4;  // Blocked
    case 'T': case 't': return 8;  // Stopped
    case 'Z': case 'X': return 7;  // Terminated
    default: return 0;
  }
}

std::string ProgramName(const std::string& command) {
  std::string first = command.substr(0, command.find(' '));
  if (StartsWith(command, "[")) return command;  // a kernel thread
  const size_t slash = first.rfind('/');
  return slash == std::string::npos ? first : first.substr(slash + 1);
}

// ps's START as a CIM datetime: "14:05" (within a day of the machine's
// clock), "Dec06" (within a year); a bare year says too little.
std::string ProcessStart(const std::string& start, const TMachineClock& clock) {
  std::tm now{};
  ::gmtime_r(&clock.fLocalAsIfUtc, &now);
  std::tm fields = now;
  fields.tm_sec = 0;
  const char* end = ::strptime(start.c_str(), "%H:%M", &fields);
  const bool today = end != nullptr && *end == '\0';
  if (!today) {
    fields = now;
    fields.tm_hour = fields.tm_min = fields.tm_sec = 0;
    end = ::strptime(start.c_str(), "%b%d", &fields);
    if (end == nullptr || *end != '\0') return "";
  }
  std::time_t started = ::timegm(&fields);
  if (started > clock.fLocalAsIfUtc) {
    if (today) {
      started -= 24 * 60 * 60;
    } else {
      --fields.tm_year;
      started = ::timegm(&fields);
    }
  }
  return CimLocalTime(started, clock.fOffsetMinutes);
}

void MapProcesses(const TMachineRecords& records, TCollection& out) {
  const std::optional<TMachineClock> clock = MachineClock(records.fDate, records.fDateUtc);
  for (const TProcess& process : records.fProcesses.fProcesses) {
    std::string command = process.Column("COMMAND");
    if (command.empty()) command = process.Column("CMD");
    TMofInstance instance("VKXSG_Process");
    // A ps table of a sos report may repeat a process id; two instances with
    // one path would be one.
    instance.Set("Handle", out.UniqueKey("process", process.Column("PID"))).Set("Name", ProgramName(command))
        .SetIfAny("User", process.Column("USER"))
        .SetNumber("ExecutionState", ExecutionStateOf(process.Column("STAT"))).Set("CommandLine", command);
    if (WholeNumber(process.Column("RSS"))) instance.Set("WorkingSetSize", Kilobytes(process.Column("RSS")));
    if (const auto priority = WholeNumber(process.Column("PRI"))) instance.SetNumber("Priority", *priority);
    if (clock) instance.SetIfAny("CreationDate", ProcessStart(process.Column("START"), *clock));
    out.Add(instance);
  }
}

void MapPackages(const TPackages& packages, TCollection& out) {
  for (const TPackage& package : packages.fPackages) {
    // dpkg's "rc" and the like are removed packages that left their files.
    if (package.fState.size() >= 2 && package.fState[1] != 'i') continue;
    TMofInstance instance("VKXSG_InstalledRPM");
    instance.Set("ProductName", package.fName)
        .Set("ProductVersion", out.UniqueKey("package " + package.fName, package.fRelease.empty()
                                                                             ? package.fVersion
                                                                             : package.fVersion + "-" + package.fRelease))
        .SetIfAny("Architecture", package.fArchitecture).SetIfAny("Summary", package.fDescription);
    const std::string installed = LogTimeAsCim(package.fInstallTime, out.Collected());
    instance.SetIfAny("ProductInstallDate", installed);
    out.Add(instance);
  }
}

std::string BaseModuleName(const std::string& file) {
  std::string name = file.substr(file.rfind('/') + 1);
  name = name.substr(0, name.find(".ko"));
  for (char& c : name) c = c == '-' ? '_' : c;
  return name;
}

void MapModules(const TMachineRecords& records, TCollection& out) {
  std::map<std::string, const TFieldBlock*> infoByName;
  for (const TFieldBlock& info : records.fModuleInfo.fModules) {
    const std::string name = info.Value("name").empty() ? BaseModuleName(info.Value("filename")) : info.Value("name");
    infoByName[name] = &info;
  }
  for (const TKernelModule& module : records.fModules.fModules) {
    TMofInstance instance("VKXSG_LinuxKernelModule");
    instance.Set("Name", module.fName).Set("SoftwareElementID", module.fName)
        .SetNumber("SoftwareElementState", kRunning).SetNumber("ModuleSize", static_cast<long long>(module.fSize));
    if (!module.fUsedBy.empty()) instance.SetStrings("UsedBy", module.fUsedBy);
    const auto info = infoByName.find(module.fName);
    if (info != infoByName.end()) {
      const TFieldBlock& f = *info->second;
      instance.SetIfAny("Description", f.Value("description")).SetIfAny("Manufacturer", f.Value("author"))
          .SetIfAny("Version", f.Value("version").empty() ? f.Value("srcversion") : f.Value("version"))
          .SetIfAny("Path", f.Value("filename"));
    }
    out.Add(instance);
  }
}

// CIM_RecordForLog.PerceivedSeverity of a syslog severity (0 emerg .. 7 debug).
long long PerceivedSeverity(int severity) {
  static const long long kBySyslog[] = {7, 6, 6, 5, 3, 2, 2, 2};
  return severity >= 0 && severity <= 7 ? kBySyslog[severity] : 0;
}

void MapLog(const TNamedLog& log, TCollection& out) {
  long long id = 0;
  const std::string collected = CimDateTime(out.Collected());
  for (const TLogEntry& entry : log.fLog.fEntries) {
    TMofInstance record("VKXSG_LinuxEventLogRecord");
    const std::string time = LogTimeAsCim(entry.fTime, out.Collected());
    record.Set("LogCreationClassName", "VKXSG_MessageLog").Set("LogName", log.fName)
        .Set("CreationClassName", "VKXSG_LinuxEventLogRecord").Set("RecordID", std::to_string(++id))
        .Set("MessageTimestamp", time.empty() ? collected : time)
        .SetIfAny("Source", entry.fPid.empty() ? entry.fSource : entry.fSource + "[" + entry.fPid + "]")
        .Set("Message", entry.fMessage);
    if (entry.fSeverity) record.SetNumber("PerceivedSeverity", PerceivedSeverity(*entry.fSeverity));
    out.Add(record);
  }
}

void MapSmart(const std::string& disk, const TSmartDevice& smart, TCollection& out) {
  if (smart.fModel.empty() && smart.fHealth.empty()) return;
  const std::string device = DevicePath(disk);
  const std::string alias = out.NewAlias("Smart_" + disk);
  TMofInstance ata("OMC_ATADevice", alias);
  ata.Set("CreationClassName", "OMC_ATADevice").Set("DeviceID", out.UniqueKey("ata", device))
      .SetIfAny("VendorID", smart.fVendor.empty() ? smart.fModelFamily : smart.fVendor).SetIfAny("ProductID", smart.fModel)
      .SetIfAny("SerialNumber", smart.fSerial).SetIfAny("FirmwareRevision", smart.fFirmware);
  out.Add(ata);
  if (!smart.fHealth.empty()) {
    const std::string log = out.NewAlias("SmartLog_" + disk);
    TMofInstance status("OMC_IDESMARTErrorLog", log);
    status.Set("CreationClassName", "OMC_IDESMARTErrorLog").Set("Name", "SMART:" + device)
        .Set("smartStatus", smart.fHealth == "OK" ? "PASSED" : smart.fHealth);
    out.Add(status);
    out.Add(TMofInstance("OMC_IDESMARTUseOfMessageLog").SetReference("Antecedent", log).SetReference("Dependent", alias));
  }
  for (const TSmartAttribute& attribute : smart.fAttributes) {
    const std::string stats = out.NewAlias("SmartAttr_" + disk + "_" + std::to_string(attribute.fId));
    TMofInstance instance("OMC_IDESMARTAttrib", stats);
    instance.Set("InstanceID", "SMART:" + device + ":" + std::to_string(attribute.fId))
        .SetNumber("attribID", attribute.fId).Set("attribName", attribute.fName);
    if (StartsWith(attribute.fFlags, "0x")) instance.SetNumber("flags", std::strtol(attribute.fFlags.c_str(), nullptr, 16));
    if (attribute.fValue) instance.SetNumber("value", *attribute.fValue);
    if (attribute.fWorst) instance.SetNumber("worst", *attribute.fWorst);
    if (attribute.fThreshold) instance.SetNumber("threshold", *attribute.fThreshold);
    out.Add(instance);
    out.Add(TMofInstance("OMC_IDESMARTElementStatisticalData").SetReference("ManagedElement", alias)
                .SetReference("Stats", stats));
  }
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string CimOf(int year, int month, int day, int hour, int minute, int second, int offsetMinutes) {
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return "";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d.000000%c%03d", year, month, day, hour, minute, second,
                offsetMinutes < 0 ? '-' : '+', std::abs(offsetMinutes));
  return buffer;
}

int LocalOffsetMinutes(std::time_t moment) {
  std::tm local{};
  ::localtime_r(&moment, &local);
  return static_cast<int>(local.tm_gmtoff / 60);
}

// "+0000", "+05:30", "Z", "" (local).
int OffsetOf(const char* zone, std::time_t collected) {
  if (*zone == 'Z') return 0;
  int hours = 0, minutes = 0;
  if ((*zone == '+' || *zone == '-') && std::sscanf(zone + 1, "%2d:%2d", &hours, &minutes) >= 1) {
    if (std::strlen(zone) >= 5 && zone[3] != ':') std::sscanf(zone + 1, "%2d%2d", &hours, &minutes);
    return (*zone == '-' ? -1 : 1) * (hours * 60 + minutes);
  }
  return LocalOffsetMinutes(collected);
}

}  // namespace

std::string LogTimeAsCim(const std::string& time, std::time_t collected) {
  const std::string text = Trimmed(time);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, consumed = 0;
  if (text.size() >= 13 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const std::time_t moment = static_cast<std::time_t>(std::stoll(text) / 1000000);
    return CimDateTime(moment);
  }
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%*1[T ]%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second,
                  &consumed) == 6) {
    const char* zone = text.c_str() + consumed;
    while (*zone == '.' || (*zone >= '0' && *zone <= '9')) ++zone;
    while (*zone == ' ') ++zone;
    return CimOf(year, month, day, hour, minute, second, OffsetOf(zone, collected));
  }
  char monthName[4] = {};
  if (std::sscanf(text.c_str(), "%3s %d %d:%d:%d", monthName, &day, &hour, &minute, &second) == 5) {
    for (int m = 0; m < 12; ++m) {
      if (std::strcmp(monthName, kMonths[m]) != 0) continue;
      std::tm now{};
      ::localtime_r(&collected, &now);
      // A line of a month after the collection's is of the year before.
      const int lineYear = now.tm_year + 1900 - (m > now.tm_mon ? 1 : 0);
      return CimOf(lineYear, m + 1, day, hour, minute, second, LocalOffsetMinutes(collected));
    }
  }
  // ipmitool: "04/05/2026 10:01:02"
  if (std::sscanf(text.c_str(), "%2d/%2d/%4d %2d:%2d:%2d", &month, &day, &year, &hour, &minute, &second) == 6) {
    return CimOf(year, month, day, hour, minute, second, LocalOffsetMinutes(collected));
  }
  return "";
}

// Software RAID has no page of its own: each array is a row of "Other
// Devices" with its level, members and state.
void MapMdArrays(const TMdStat& mdstat, TCollection& out) {
  for (const TMdArray& array : mdstat.fArrays) {
    std::vector<std::string> identity;
    std::string members;
    for (const TMdMember& member : array.fMembers) {
      members += (members.empty() ? "" : " ") + member.fDevice + (member.fFlags.empty() ? "" : "(" + member.fFlags + ")");
    }
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"State", array.fState},
                                      {"Members", members},
                                      {"Size", array.fBlocks ? std::to_string(array.fBlocks) + " KiB" : ""},
                                      {"Metadata", array.fMetadata},
                                      {"Status", array.fStatus},
                                      {"Progress", array.fProgress},
                                      {"Bitmap", array.fBitmap}}) {
      if (!value.empty()) identity.push_back(std::string(name) + ": " + value);
    }
    TMofInstance device("VKXSG_LogicalDevice");
    device.Set("CreationClassName", "VKXSG_LogicalDevice").Set("DeviceID", out.UniqueKey("logical device", "/dev/" + array.fName))
        .Set("DeviceClass", "Software RAID")
        .Set("ElementName", array.fName + (array.fLevel.empty() ? "" : " (" + array.fLevel + ")"))
        .SetStrings("OtherIdentifyingInfo", identity);
    out.Add(device);
  }
}

void MapStorage(const TMachineRecords& records, TCollection& out) {
  TStorageAliases aliases;
  MapDisks(records.fBlockDevices, out, aliases);
  MapVolumes(records, aliases, out);
  for (const auto& smart : records.fSmart) MapSmart(smart.first, smart.second, out);
  MapMdArrays(records.fMdStat, out);
}

void MapNetwork(const TMachineRecords& records, TCollection& out) {
  const std::string host = Trimmed(records.fHostName);
  if (!host.empty()) {
    const size_t dot = host.find('.');
    TMofInstance service("VKXSG_IPService", "IPService");
    service.Set("CreationClassName", "VKXSG_IPService").Set("Name", "IPService").Set("SystemName", host)
        .Set("HostName", host.substr(0, dot)).SetIfAny("DomainName", dot == std::string::npos ? "" : host.substr(dot + 1));
    out.Add(service);
  }
  std::map<std::string, std::string> portAliases;
  for (const TNetInterface& interface : records.fInterfaces.fInterfaces) {
    if (interface.fLinkType == "loopback") continue;
    portAliases[interface.fName] = MapInterface(interface, records, out);
  }
  MapTeams(records.fInterfaces, portAliases, out);
  MapRoutes(records.fRoutes, out);
}

void MapSoftware(const TMachineRecords& records, TCollection& out) {
  MapPackages(records.fPackages, out);
  MapModules(records, out);
  MapProcesses(records, out);
}

void MapLogs(const TMachineRecords& records, TCollection& out) {
  for (const TNamedLog& log : records.fLogs) MapLog(log, out);
}

void MapMachine(const TMachineRecords& records, const TDataSource& source, TCollection& out) {
  MapSystem(records, source, out);
  MapProcessorsAndMemory(records, out);
  MapPci(records, out);
  MapStorage(records, out);
  MapNetwork(records, out);
  MapSoftware(records, out);
  MapLogs(records, out);
  MapHealth(records, out);
}

}  // namespace NVKXQZA20::NMachine
