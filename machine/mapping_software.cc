// Disks, file systems, network, software, processes and logs, as the
// hardware, network, software, process and log pages read them.
#include <time.h>

#include <algorithm>
#include <charconv>
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

std::optional<unsigned long long> SizeOf(const TBlockDevice& device) { return ParseByteSize(device.Column("SIZE")); }

// lsblk draws a device below each of its parents (a logical volume below
// every physical volume, an md array below every member, a multipath device
// below every path), and -P lists it once per parent: one device per name,
// with every parent, in the order lsblk first shows them.
struct TBlockNode {
  const TBlockDevice* fDevice = nullptr;
  std::vector<std::string> fParents;
};

std::vector<TBlockNode> UniqueBlockDevices(const TBlockDevices& devices) {
  std::vector<TBlockNode> nodes;
  std::map<std::string, size_t> byName;
  for (const TBlockDevice& device : devices.fDevices) {
    const auto [at, added] = byName.emplace(device.fName, nodes.size());
    if (added) nodes.push_back({&device, {}});
    std::vector<std::string>& parents = nodes[at->second].fParents;
    const std::string parent = ParentOf(device);
    if (!parent.empty() && std::find(parents.begin(), parents.end(), parent) == parents.end()) parents.push_back(parent);
  }
  return nodes;
}

// Newer lsblk prints every mount point (MOUNTPOINTS, one per line), older
// ones the first (MOUNTPOINT).
std::string MountPointsOf(const TBlockDevice& device) {
  std::string points = device.Column("MOUNTPOINTS").empty() ? device.Column("MOUNTPOINT") : device.Column("MOUNTPOINTS");
  std::replace(points.begin(), points.end(), '\n', ',');
  return points;
}

// What a device stacked on others is, by lsblk's TYPE; "" for the kinds the
// disk table holds.
std::string StackedDeviceClass(const std::string& type) {
  if (type == "disk" || type == "loop" || type == "rom" || type == "part") return "";
  if (type == "lvm") return "Logical volume";
  if (StartsWith(type, "raid") || type == "md" || type == "linear") return "Software RAID";
  if (type == "mpath") return "Multipath device";
  if (type == "crypt") return "Encrypted volume";
  return "Block device";
}

// Device-mapper devices (logical volumes, multipath, encrypted) live below
// /dev/mapper under the name lsblk shows.
std::string BlockDevicePath(const TBlockDevice& device) {
  const std::string type = device.Column("TYPE");
  const bool mapped = type == "lvm" || type == "mpath" || type == "crypt" || type == "dm";
  return mapped && !StartsWith(device.fName, "/") ? "/dev/mapper/" + device.fName : DevicePath(device.fName);
}

struct TStorageAliases {
  std::map<std::string, std::string> fPartitionByDevice;  // "/dev/sda1" -> alias
  std::map<std::string, std::string> fMountPointsByName;  // "md0" -> "/srv,/"
};

// A disk, a loop device or an optical drive; the latter two say so in their
// name, as the Linux disk table shows no type.
std::string MapDisk(const TBlockDevice& device, long long partitions, TCollection& out) {
  const std::string type = device.Column("TYPE");
  const std::string path = DevicePath(device.fName);
  const std::string alias = out.NewAlias("Disk_" + device.fName);
  TMofInstance disk("VKXSG_MediaAccessDevice", alias);
  disk.Set("CreationClassName", "VKXSG_MediaAccessDevice").Set("DeviceID", out.UniqueKey("disk", path))
      .Set("Name", type == "disk" ? path : path + " (" + type + ")").Set("DiskType", type)
      .SetIfAny("Model", Trimmed(device.Column("VENDOR") + " " + device.Column("MODEL")))
      .SetNumber("NoOfPartitions", ECimInteger::kUint32, partitions);
  if (const auto size = SizeOf(device)) disk.SetNumber("Size", ECimInteger::kUint64, *size);
  if (!MountPointsOf(device).empty()) disk.SetStrings("OtherIdentifyingInfo", {"Mount points: " + MountPointsOf(device)});
  out.Add(disk);
  const std::string hctl = device.Column("HCTL");
  unsigned host = 0, channel = 0, target = 0, lun = 0;
  if (std::sscanf(hctl.c_str(), "%u:%u:%u:%u", &host, &channel, &target, &lun) == 4) {
    TMofInstance scsi("VKXSG_SCSIDevice");
    scsi.Set("CreationClassName", "VKXSG_SCSIDevice").Set("DeviceID", out.UniqueKey("scsi", hctl))
        .SetIfAny("VendorId", device.Column("VENDOR")).SetIfAny("ProductId", device.Column("MODEL"))
        .SetIfAny("serialNum", device.Column("SERIAL")).SetIfAny("Revision", device.Column("REV"))
        .Set("DeviceType", "Direct-Access").SetNumber("HostAdapterId", ECimInteger::kUint16, host).SetNumber("Bus", ECimInteger::kUint16, channel)
        .SetNumber("TargetId", ECimInteger::kUint16, target).SetNumber("Lun", ECimInteger::kUint16, lun);
    out.Add(scsi);
  }
  return alias;
}

void MapPartition(const TBlockNode& node, const std::map<std::string, std::string>& diskAlias, TCollection& out,
                  TStorageAliases& aliases) {
  const TBlockDevice& device = *node.fDevice;
  const std::string path = DevicePath(device.fName);
  const std::string alias = out.NewAlias("Part_" + device.fName);
  aliases.fPartitionByDevice[path] = alias;
  TMofInstance partition("VKXSG_DiskPartition", alias);
  partition.Set("CreationClassName", "VKXSG_DiskPartition").Set("DeviceID", out.UniqueKey("partition", path));
  if (const auto size = SizeOf(device)) partition.SetNumber("Size", ECimInteger::kUint64, *size);
  if (!MountPointsOf(device).empty()) partition.SetStrings("OtherIdentifyingInfo", {"Mount points: " + MountPointsOf(device)});
  out.Add(partition);
  for (const std::string& parent : node.fParents) {
    const auto disk = diskAlias.find(parent);
    if (disk == diskAlias.end()) continue;
    out.Add(TMofInstance("VKXSG_PartitionPresent").SetReference("Antecedent", disk->second).SetReference("Dependent", alias));
  }
}

// A logical volume, an md array, a multipath or encrypted device: a row of
// "Other Devices" with what it lies on and where it is mounted.
void MapStackedDevice(const TBlockNode& node, const std::string& deviceClass, TCollection& out) {
  const TBlockDevice& device = *node.fDevice;
  std::vector<std::string> identity = {"Type: " + device.Column("TYPE")};
  if (const auto size = SizeOf(device)) identity.push_back("Size: " + std::to_string(*size >> 10) + " KiB");
  std::string parents;
  for (const std::string& parent : node.fParents) parents += (parents.empty() ? "" : " ") + parent;
  if (!parents.empty()) identity.push_back("On: " + parents);
  if (!MountPointsOf(device).empty()) identity.push_back("Mount points: " + MountPointsOf(device));
  TMofInstance instance("VKXSG_LogicalDevice");
  instance.Set("CreationClassName", "VKXSG_LogicalDevice")
      .Set("DeviceID", out.UniqueKey("logical device", BlockDevicePath(device))).Set("DeviceClass", deviceClass)
      .Set("ElementName", device.fName + " (" + device.Column("TYPE") + ")").SetStrings("OtherIdentifyingInfo", identity);
  out.Add(instance);
}

bool IsMdArrayOf(const TMdStat& mdstat, const std::string& name) {
  return std::any_of(mdstat.fArrays.begin(), mdstat.fArrays.end(), [&](const TMdArray& array) { return array.fName == name; });
}

// Each device once, by name. An md array /proc/mdstat lists is mapped from
// there, which says more; lsblk adds its mount points.
void MapDisks(const TMachineRecords& records, TCollection& out, TStorageAliases& aliases) {
  const std::vector<TBlockNode> nodes = UniqueBlockDevices(records.fBlockDevices);
  std::map<std::string, long long> partitionCount;
  for (const TBlockNode& node : nodes) {
    if (node.fDevice->Column("TYPE") != "part") continue;
    for (const std::string& parent : node.fParents) ++partitionCount[parent];
  }
  std::map<std::string, std::string> diskAlias;
  for (const TBlockNode& node : nodes) {
    const TBlockDevice& device = *node.fDevice;
    const std::string type = device.Column("TYPE");
    const std::string deviceClass = StackedDeviceClass(type);
    if (type == "part") {
      MapPartition(node, diskAlias, out, aliases);
    } else if (deviceClass.empty()) {
      diskAlias[device.fName] = MapDisk(device, partitionCount[device.fName], out);
    } else if (IsMdArrayOf(records.fMdStat, device.fName)) {
      aliases.fMountPointsByName[device.fName] = MountPointsOf(device);
    } else {
      MapStackedDevice(node, deviceClass, out);
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
        .SetNumber("TotalSpace", ECimInteger::kUint64, *space.fTotal);
    if (space.fAvailable) volume.SetNumber("FreeSpace", ECimInteger::kUint64, *space.fAvailable);
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

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

// A port's addresses as the pages read them: one endpoint of the port, each
// family's addresses in its column, each with its prefix length.
void MapAddresses(const TNetInterface& interface, const std::string& portAlias, const std::string& host,
                  TCollection& out) {
  std::vector<std::string> byFamily[2];  // IPv4, IPv6
  const TIpAddress* first[2] = {nullptr, nullptr};
  for (const TIpAddress& address : interface.fAddresses) {
    const int family = address.fFamily == "inet" ? 0 : 1;
    if (!first[family]) first[family] = &address;
    const bool prefixed = address.fPrefixLength >= 0;
    byFamily[family].push_back(address.fAddress + (prefixed ? "/" + std::to_string(address.fPrefixLength) : ""));
  }
  if (!first[0] && !first[1]) return;
  const std::string alias = out.NewAlias("Ip_" + interface.fName);
  TMofInstance endpoint("VKXSG_IPProtocolEndpoint", alias);
  endpoint.Set("CreationClassName", "VKXSG_IPProtocolEndpoint").Set("Name", out.UniqueKey("endpoint", interface.fName))
      .SetIfAny("SystemName", host).SetIfAny("IPv4Address", Joined(byFamily[0]))
      .SetIfAny("IPv6Address", Joined(byFamily[1]))
      .SetNumber("ProtocolIFType", ECimInteger::kUint16, !first[1] ? 4096 : !first[0] ? 4097 : 4098);
  if (first[0]) endpoint.SetIfAny("SubnetMask", Ipv4Mask(first[0]->fPrefixLength));
  if (first[1] && first[1]->fPrefixLength >= 0) endpoint.SetNumber("PrefixLength", ECimInteger::kUint8, first[1]->fPrefixLength);
  out.Add(endpoint);
  out.Add(TMofInstance("VKXSG_PortImplementsEndpoint").SetReference("Antecedent", portAlias)
              .SetReference("Dependent", alias));
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
      if (value != direction.end()) statistics.SetNumber(property.fProperty, ECimInteger::kUint64, value->second);
    }
    out.Add(statistics);
    out.Add(TMofInstance("VKXSG_NetworkPortStatistics").SetReference("ManagedElement", portAlias)
                .SetReference("Stats", alias));
    return;
  }
}

std::string RouteAttribute(const TIpRoute& route, const char* name) {
  const auto found = route.fAttributes.find(name);
  return found == route.fAttributes.end() ? std::string() : found->second;
}

// ip leaves out a metric of 0.
std::string Metric(const TIpRoute& route) {
  const std::string metric = RouteAttribute(route, "metric");
  return metric.empty() ? "0" : metric;
}

bool IsIpv4(const TIpRoute& route) { return route.fFamily != "inet6"; }

// "default" is the whole space of the route's family.
std::string RouteDestination(const TIpRoute& route) {
  if (route.fDestination != "default") return route.fDestination;
  return IsIpv4(route) ? "0.0.0.0/0" : "::/0";
}

// The gateways of a port's default routes, in the order ip lists them.
std::vector<std::string> GatewaysOf(const std::string& port, const TIpRoutes& routes) {
  std::vector<std::string> gateways;
  for (const TIpRoute& route : routes.fRoutes) {
    const std::string via = RouteAttribute(route, "via");
    if (route.fType.empty() && route.fDestination == "default" && RouteAttribute(route, "dev") == port &&
        !via.empty() && std::find(gateways.begin(), gateways.end(), via) == gateways.end()) {
      gateways.push_back(via);
    }
  }
  return gateways;
}

std::string DriverOfPort(const std::string& port, const TMachineRecords& records) {
  const auto driver = records.fDrivers.find(port);
  return driver == records.fDrivers.end() ? "" : driver->second;
}

// Answers the port's alias.
std::string MapInterface(const TNetInterface& interface, const TMachineRecords& records, TCollection& out) {
  const bool physical = interface.fKind.empty() && interface.fLinkType == "ether";
  const char* className = physical ? "VKXSG_PhysicalNetworkPort" : "VKXSG_VirtualNetworkPort";
  const std::string alias = out.NewAlias("Port_" + interface.fName);
  TMofInstance port(className, alias);
  port.Set("CreationClassName", className).Set("DeviceID", out.UniqueKey("port", interface.fName)).Set("Name", interface.fName)
      .SetIfAny("Description", interface.fKind.empty() ? interface.fLinkType : interface.fKind)
      .SetNumber("EnabledState", ECimInteger::kUint16, interface.fState == "DOWN" ? 3 : 2);
  if (!interface.fMac.empty()) port.Set("PermanentAddress", interface.fMac).SetStrings("NetworkAddresses", {interface.fMac});
  if (interface.fMtu) port.SetNumber("ActiveMaximumTransmissionUnit", ECimInteger::kUint64, *interface.fMtu);
  if (physical) port.SetNumber("LinkTechnology", ECimInteger::kUint16, 2);  // Ethernet
  if (physical && !interface.fMaster.empty()) port.Set("TeamName", interface.fMaster);
  const auto sys = records.fSysNet.find(interface.fName);
  if (sys != records.fSysNet.end() && sys->second.fSpeedMbps) {
    port.SetRounded("Speed", ECimInteger::kUint64, static_cast<double>(*sys->second.fSpeedMbps) * 1e6);
    port.Set("speedDuplex", std::to_string(*sys->second.fSpeedMbps) + "Mb/s " + sys->second.fDuplex);
  }
  port.SetIfAny("DriverLoaded", DriverOfPort(interface.fName, records));
  const std::vector<std::string> gateways = GatewaysOf(interface.fName, records.fRoutes);
  if (!gateways.empty()) port.SetStrings("GatewayList", gateways);
  // resolv.conf's servers are the machine's: shown on the ports that have an address.
  if (!interface.fAddresses.empty() && !records.fNameServers.empty()) port.SetStrings("DnsServers", records.fNameServers);
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

// The unicast routes of every table of both families, as `route -n` would
// show them; local, broadcast and the other kinds say nothing about where
// traffic goes. A route is keyed by what it is (table, family, destination,
// gateway, device, metric), so two collections compare route by route; a
// route that both of ip's outputs list is one route.
void MapRoutes(const TIpRoutes& routes, TCollection& out) {
  std::set<std::string> keys;
  for (const TIpRoute& route : routes.fRoutes) {
    if (!route.fType.empty()) continue;
    const bool v4 = IsIpv4(route);
    const std::string destination = RouteDestination(route);
    const std::string via = RouteAttribute(route, "via");
    const std::string gateway = via.empty() ? (v4 ? "0.0.0.0" : "::") : via;
    const std::string table = RouteAttribute(route, "table").empty() ? "main" : RouteAttribute(route, "table");
    const std::string key = "VKX:Route:" + table + " " + (v4 ? "inet " : "inet6 ") + destination + " via " + gateway +
                            " dev " + RouteAttribute(route, "dev") + " metric " + Metric(route);
    if (!keys.insert(key).second) continue;
    const size_t slash = destination.find('/');
    const auto prefix = slash == std::string::npos ? std::optional<long long>(v4 ? 32 : 128)
                                                   : WholeNumber(destination.substr(slash + 1));
    std::string flags = "U";
    if (!via.empty()) flags += "G";
    if (prefix && *prefix == (v4 ? 32 : 128)) flags += "H";
    TMofInstance instance("VKXSG_NextHopIPRoute");
    instance.Set("InstanceID", key).Set("DestinationAddress", destination.substr(0, slash)).Set("Gateway", gateway)
        .SetIfAny("DestinationMask", v4 && prefix ? Ipv4Mask(static_cast<int>(*prefix))
                                                  : (prefix ? std::to_string(*prefix) : ""))
        .Set("Flags", flags).SetIfAny("Iface", RouteAttribute(route, "dev"));
    const auto metric = WholeNumber(RouteAttribute(route, "metric"));
    if (metric && *metric <= 65535) instance.SetNumber("RouteMetric", ECimInteger::kUint16, *metric);  // a uint16 in CIM
    out.Add(instance);
  }
}

std::string Kilobytes(const std::string& kib) {
  std::string digits = Trimmed(kib);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits + " Kilobytes";
}

// CIM_Process.ExecutionState of ps's STAT letter, by what each means: a
// sleeping process waits for an event, as DMTF's "Blocked" says; "Suspended"
// would read as stopped.
struct TLinuxState {
  char fLetter;
  long long fExecutionState;
};
const TLinuxState kLinuxStates[] = {
    {'R', 3},  // running or runnable: Running
    {'S', 4},  // interruptible sleep, waiting for an event: Blocked
    {'D', 4},  // uninterruptible sleep, mostly on I/O: Blocked
    {'I', 4},  // idle kernel thread, waiting for work: Blocked
    {'T', 8},  // stopped by a signal: Stopped
    {'t', 8},  // stopped by a tracer: Stopped
    {'Z', 7},  // exited, not yet reaped (zombie): Terminated
    {'X', 7},  // dead: Terminated
};

long long ExecutionStateOf(const std::string& stat) {
  for (const TLinuxState& state : kLinuxStates) {
    if (!stat.empty() && stat[0] == state.fLetter) return state.fExecutionState;
  }
  return 0;  // Unknown
}

bool IsKernelThread(const std::string& command) { return StartsWith(command, "[") && command.back() == ']'; }

std::string ProgramName(const std::string& command) {
  if (IsKernelThread(command)) return command.substr(1, command.size() - 2);
  std::string first = command.substr(0, command.find(' '));
  const size_t slash = first.rfind('/');
  return slash == std::string::npos ? first : first.substr(slash + 1);
}

// ps's START, as local time read as universal time: "14:05" (within a day
// of the machine's clock), "Dec06" (within a year); a bare year says too
// little.
std::optional<std::time_t> PsStart(const std::string& start, const TMachineClock& clock) {
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
    if (end == nullptr || *end != '\0') return std::nullopt;
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
  return started;
}

// Ticks of /proc/PID/stat as the process page's text.
std::string Duration(unsigned long long ticks, long ticksPerSecond) {
  const unsigned long long milliseconds = ticks * 1000 / static_cast<unsigned long long>(ticksPerSecond);
  const unsigned long long seconds = milliseconds / 1000;
  return std::to_string(seconds / 3600) + " hour " + std::to_string(seconds / 60 % 60) + " minute " +
         std::to_string(seconds % 60) + " second " + std::to_string(milliseconds % 1000) + " millisecond";
}

// When the process started, as a CIM datetime in the machine's zone: exact
// from /proc/PID/stat; else ps's START, to the minute, which a process
// started in the boot's minute would show before the boot.
std::string ProcessStart(const TProcess& process, const TProcessStat* times, const TMachineRecords& records,
                         const std::optional<TMachineClock>& clock) {
  const long offset = clock ? clock->fOffsetMinutes : 0;
  std::optional<std::time_t> localStart;
  if (times && records.fBootTime && records.fClockTicks > 0) {
    localStart = *records.fBootTime + static_cast<std::time_t>(times->fStartTicks / records.fClockTicks) + offset * 60;
  } else if (clock) {
    localStart = PsStart(process.Column("START"), *clock);
    if (localStart && records.fBootTime) localStart = std::max<std::time_t>(*localStart, *records.fBootTime + offset * 60);
  }
  return localStart ? CimLocalTime(*localStart, offset) : "";
}

void MapProcesses(const TMachineRecords& records, TCollection& out) {
  const std::optional<TMachineClock> clock =
      MachineClock(records.fDate, records.fDateUtc, records.fTimeSettings, records.fTimeZoneName);
  for (const TProcess& process : records.fProcesses.fProcesses) {
    std::string command = process.Column("COMMAND");
    if (command.empty()) command = process.Column("CMD");
    const auto stat = records.fProcessStats.find(process.Column("PID"));
    const TProcessStat* times = stat == records.fProcessStats.end() ? nullptr : &stat->second;
    TMofInstance instance("VKXSG_Process");
    // A ps table of a sos report may repeat a process id; two instances with
    // one path would be one.
    instance.Set("Handle", out.UniqueKey("process", process.Column("PID"))).Set("Name", ProgramName(command))
        .SetIfAny("User", process.Column("USER"))
        .SetNumber("ExecutionState", ECimInteger::kUint16, ExecutionStateOf(process.Column("STAT"))).SetIfAny("CommandLine", IsKernelThread(command) ? "" : command);  // ps names a kernel thread in brackets
    if (WholeNumber(process.Column("RSS"))) instance.Set("WorkingSetSize", Kilobytes(process.Column("RSS")));
    if (const auto priority = WholeNumber(process.Column("PRI"))) instance.SetNumber("Priority", ECimInteger::kUint32, *priority);
    else if (times && times->fPriority >= 0) instance.SetNumber("Priority", ECimInteger::kUint32, times->fPriority);
    // ps's TIME is user and kernel time together: it fills neither.
    if (times && records.fClockTicks > 0) {
      instance.Set("UserModeTime", Duration(times->fUserTicks, records.fClockTicks))
          .Set("KernelModeTime", Duration(times->fKernelTicks, records.fClockTicks));
    }
    instance.SetIfAny("CreationDate", ProcessStart(process, times, records, clock));
    out.Add(instance);
  }
}

// A package is one per name and architecture: where several architectures
// may install it side by side, its name carries the architecture as its tool
// spells it ("libc6:i386" of dpkg, "glibc.i686" of yum: rpm's multilib may
// pair any package that fits one architecture only).
std::string PackageName(const TPackage& package) {
  const std::string& architecture = package.fArchitecture;
  const bool rpm = !package.fRelease.empty();
  if (architecture.empty() || architecture == "noarch" || (!rpm && !package.fMultiArch)) return package.fName;
  return package.fName + (rpm ? "." : ":") + architecture;
}

void MapPackages(const TPackages& packages, TCollection& out) {
  for (const TPackage& package : packages.fPackages) {
    // dpkg's "rc" and the like are removed packages that left their files.
    if (package.fState.size() >= 2 && package.fState[1] != 'i') continue;
    TMofInstance instance("VKXSG_InstalledRPM");
    instance.Set("ProductName", PackageName(package))
        .Set("ProductVersion", out.UniqueKey("package " + PackageName(package), package.fRelease.empty()
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
  // A kernel has one module of a name: a repeated line (a list read twice)
  // is the same module.
  std::set<std::string> mapped;
  for (const TKernelModule& module : records.fModules.fModules) {
    if (!mapped.insert(module.fName).second) continue;
    TMofInstance instance("VKXSG_LinuxKernelModule");
    instance.Set("Name", module.fName).Set("SoftwareElementID", module.fName)
        .SetNumber("SoftwareElementState", ECimInteger::kUint16, kRunning).SetNumber("ModuleSize", ECimInteger::kUint32, module.fSize);
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
    if (entry.fSeverity) record.SetNumber("PerceivedSeverity", ECimInteger::kUint16, PerceivedSeverity(*entry.fSeverity));
    out.Add(record);
  }
}

// smartctl's flags mark a pre-failure attribute by bit 0 of the number
// ("0x0033") or by the leading "P" of the letters ("PO--CK"); the others age.
std::string AttributeType(const std::string& flags) {
  if (flags.empty()) return "";
  const bool preFail = StartsWith(flags, "0x") ? (std::strtoul(flags.c_str(), nullptr, 16) & 1) != 0 : flags[0] == 'P';
  return preFail ? "Pre-fail" : "Old_age";
}

// The raw value's leading number ("156490032", "35 (Min/Max 20/41)",
// "4251h+17m") as the six bytes of a raw48 value, least significant first.
std::vector<long long> RawBytes(const std::string& raw) {
  const size_t digits = std::min(raw.find_first_not_of("0123456789"), raw.size());
  if (digits == 0 || digits > 15) return {};
  unsigned long long number = std::stoull(raw.substr(0, digits));
  if (number >> 48 != 0) return {};
  std::vector<long long> bytes;
  for (int i = 0; i < 6; ++i, number >>= 8) bytes.push_back(static_cast<long long>(number & 0xff));
  return bytes;
}

void MapSmart(const std::string& disk, const TSmartDevice& smart, TCollection& out) {
  const std::string device = DevicePath(disk);
  const std::string alias = out.NewAlias("Smart_" + disk);
  TMofInstance ata("OMC_ATADevice", alias);
  // A device smartctl printed twice keeps each printing's log and attributes.
  const std::string key = out.UniqueKey("ata", device);
  ata.Set("CreationClassName", "OMC_ATADevice").Set("DeviceID", key)
      .SetIfAny("VendorID", smart.fVendor.empty() ? smart.fModelFamily : smart.fVendor).SetIfAny("ProductID", smart.fModel)
      .SetIfAny("SerialNumber", smart.fSerial).SetIfAny("FirmwareRevision", smart.fFirmware);
  out.Add(ata);
  if (!smart.fHealth.empty()) {
    const std::string log = out.NewAlias("SmartLog_" + disk);
    TMofInstance status("OMC_IDESMARTErrorLog", log);
    status.Set("CreationClassName", "OMC_IDESMARTErrorLog").Set("Name", "SMART:" + key)
        .Set("smartStatus", smart.fHealth == "OK" ? "PASSED" : smart.fHealth);
    out.Add(status);
    out.Add(TMofInstance("OMC_IDESMARTUseOfMessageLog").SetReference("Antecedent", log).SetReference("Dependent", alias));
  }
  for (const TSmartAttribute& attribute : smart.fAttributes) {
    const std::string stats = out.NewAlias("SmartAttr_" + disk + "_" + std::to_string(attribute.fId));
    TMofInstance instance("OMC_IDESMARTAttrib", stats);
    instance.Set("InstanceID", out.UniqueKey("SMART attribute", "SMART:" + key + ":" + std::to_string(attribute.fId)))
        .SetNumber("attribID", ECimInteger::kUint8, attribute.fId).Set("attribName", attribute.fName);
    if (StartsWith(attribute.fFlags, "0x")) instance.SetNumber("flags", ECimInteger::kUint16, std::strtol(attribute.fFlags.c_str(), nullptr, 16));
    if (attribute.fValue) instance.SetNumber("value", ECimInteger::kUint8, *attribute.fValue);
    if (attribute.fWorst) instance.SetNumber("worst", ECimInteger::kUint8, *attribute.fWorst);
    if (attribute.fThreshold) instance.SetNumber("threshold", ECimInteger::kUint8, *attribute.fThreshold);
    instance.SetIfAny("type", AttributeType(attribute.fFlags));
    const std::vector<long long> raw = RawBytes(attribute.fRaw);
    if (!raw.empty()) instance.SetNumbers("rawVal", ECimInteger::kUint8, raw);
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
    unsigned long long microseconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), microseconds);
    return error == std::errc() ? CimDateTime(static_cast<std::time_t>(microseconds / 1000000)) : "";
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

std::string MountPointsOfArray(const std::string& name, const TStorageAliases& aliases) {
  const auto points = aliases.fMountPointsByName.find(name);
  return points == aliases.fMountPointsByName.end() ? "" : points->second;
}

// Software RAID has no page of its own: each array is a row of "Other
// Devices" with its level, members and state.
void MapMdArrays(const TMdStat& mdstat, const TStorageAliases& aliases, TCollection& out) {
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
                                      {"Bitmap", array.fBitmap},
                                      {"Mount points", MountPointsOfArray(array.fName, aliases)}}) {
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
  MapDisks(records, out, aliases);
  MapVolumes(records, aliases, out);
  for (const auto& smart : records.fSmart) MapSmart(smart.first, smart.second, out);
  MapMdArrays(records.fMdStat, aliases, out);
}

void MapNetwork(const TMachineRecords& records, TCollection& out) {
  const std::string host = Trimmed(records.fHostName);
  if (!host.empty()) {
    const size_t dot = host.find('.');
    TMofInstance service("VKXSG_IPService", "IPService");
    service.Set("CreationClassName", "VKXSG_IPService").Set("Name", "IPService").Set("SystemName", host)
        .Set("HostName", host.substr(0, dot)).SetIfAny("DomainName", dot == std::string::npos ? "" : host.substr(dot + 1));
    if (records.fIpForwarding) service.SetBool("RoutingEnabled", *records.fIpForwarding);
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
