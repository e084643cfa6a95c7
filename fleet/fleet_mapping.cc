#include "fleet/fleet_mapping.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "findings/report_problems.h"
#include "writer/cim_reading.h"

using namespace NVKXQZA20;

namespace {

using TInstancePtr = boost::shared_ptr<ICIMInstance>;
// A column's value of an instance; property is the source's operand.
using TReader = std::string (*)(const ICIMInstance& instance, const char* property);

std::vector<TInstancePtr> Associated(const ICIMInstance& instance, const char* association) {
  std::vector<TInstancePtr> found;
  instance.Associators(TAddToVectorCallback<ICIMInstance>(found), association, "", "", "");
  return found;
}

std::string JoinedTexts(const std::vector<TInstancePtr>& instances, const char* property) {
  std::string joined;
  for (const TInstancePtr& instance : instances) {
    const std::string text = PropertyText(*instance, property);
    if (!text.empty()) joined += (joined.empty() ? "" : " ") + text;
  }
  return joined;
}

std::string Plain(const ICIMInstance& instance, const char* property) { return PropertyText(instance, property); }

// "20260814000000.000000+000" -> "2026-08-14".
std::string DateOnly(const ICIMInstance& instance, const char* property) {
  return UtcTimeOfCimDateTime(PropertyText(instance, property)).substr(0, 10);
}

std::string ClassName(const ICIMInstance& instance, const char*) { return instance.GetClass()->GetName(); }

// CIM_EnabledLogicalElement.EnabledState: 2 Enabled, 3 Disabled.
std::string LinkState(const ICIMInstance& instance, const char* property) {
  const std::string state = PropertyText(instance, property);
  return state == "2" ? "up" : state == "3" ? "down" : state;
}

// CIM_ManagedSystemElement.OperationalStatus, in words.
std::string StatusWords(const ICIMInstance& instance, const char* property) {
  static const std::pair<const char*, const char*> kWords[] = {
      {"2", "OK"},    {"3", "Degraded"},          {"4", "Stressed"}, {"5", "Predictive Failure"},
      {"6", "Error"}, {"7", "Non-Recoverable Error"}, {"10", "Stopped"}, {"13", "Lost Communication"}};
  std::string words;
  for (const TCIMValue& code : instance.GetProperty(property)->GetValue().ToArray()) {
    std::string word = code.ToString();
    for (const auto& [number, name] : kWords) {
      if (word == number) word = name;
    }
    words += (words.empty() ? "" : ", ") + word;
  }
  return words;
}

bool NotOk(const ICIMInstance& instance) {
  const std::string status = PropertyText(instance, "OperationalStatus");
  return !status.empty() && status != "2";
}

// lspci's "Kernel driver in use: i40e", kept among the identifying texts.
std::string PciDriver(const ICIMInstance& instance, const char* property) {
  static const std::string kPrefix = "Kernel driver in use: ";
  for (const TCIMValue& text : instance.GetProperty(property)->GetValue().ToArray()) {
    const std::string line = text.ToString();
    if (line.compare(0, kPrefix.size(), kPrefix) == 0) return line.substr(kPrefix.size());
  }
  return "";
}

std::string DeviceFirmware(const ICIMInstance& instance, const char* property) {
  return JoinedTexts(Associated(instance, "VKXSG_DeviceFirmware"), property);
}

std::string PortAddresses(const ICIMInstance& instance, const char*) {
  const std::vector<TInstancePtr> endpoints = Associated(instance, "VKXSG_PortImplementsEndpoint");
  const std::string v4 = JoinedTexts(endpoints, "IPv4Address");
  const std::string v6 = JoinedTexts(endpoints, "IPv6Address");
  return v4 + (v4.empty() || v6.empty() ? "" : " ") + v6;
}

std::string SmartHealth(const ICIMInstance& drive, const char* property) {
  return JoinedTexts(Associated(drive, "OMC_IDESMARTUseOfMessageLog"), property);
}

// SMART raw values are six bytes, least significant first.
std::string RawValue(const ICIMInstance& attribute, const char*) {
  const std::vector<TCIMValue> bytes = attribute.GetProperty("rawVal")->GetValue().ToArray();
  if (bytes.empty()) return "";
  unsigned long long raw = 0;
  for (size_t i = 0; i < bytes.size() && i < 6; ++i) raw |= (bytes[i].ToUInt64() & 0xff) << (8 * i);
  return std::to_string(raw);
}

// The raw value of the drive's SMART attribute whose number is property.
std::string SmartRaw(const ICIMInstance& drive, const char* property) {
  for (const TInstancePtr& attribute : Associated(drive, "OMC_IDESMARTElementStatisticalData")) {
    if (PropertyText(*attribute, "attribID") == property) return RawValue(*attribute, "");
  }
  return "";
}

std::string DriveOfAttribute(const ICIMInstance& attribute, const char* property) {
  return JoinedTexts(Associated(attribute, "OMC_IDESMARTElementStatisticalData"), property);
}

struct TColumnSource {
  const char* fColumn;
  const char* fProperty;
  TReader fRead = Plain;
};

// The rows one class (its subclasses included) gives a table; fKeep, when
// set, picks the instances that make rows.
struct TTableSource {
  const char* fTable;
  const char* fClass;
  std::vector<TColumnSource> fColumns;
  bool (*fKeep)(const ICIMInstance&) = nullptr;
  // Read only when the sources before it gave the table no rows.
  bool fFallback = false;
};

const std::vector<TColumnSource> kMemoryColumns = {
    {"slot", "Tag"}, {"bank", "BankLabel"}, {"bytes", "Capacity"}, {"maker", "Manufacturer"},
    {"part_number", "PartNumber"}, {"serial", "SerialNumber"}};

const TTableSource kTableSources[] = {
    {"bios", "VKXSG_BIOSElement",
     {{"maker", "Manufacturer"}, {"version", "Version"}, {"build", "BuildNumber"},
      {"release_date", "ReleaseDate", DateOnly}}},
    {"processors", "CIM_Processor",
     {{"socket", "DeviceID"}, {"name", "Name"}, {"maker", "Manufacturer"}, {"cores", "Core"},
      {"max_mhz", "MaxClockSpeed"}, {"current_mhz", "CurrentClockSpeed"}}},
    {"memory", "VKXSG_PhysicalMemory", kMemoryColumns},
    {"memory", "OMC_PhysicalMemory", kMemoryColumns},
    // The DIMMs' SPD data describe the same modules; alone, they are the memory.
    {"memory", "VKXSG_SPDData", kMemoryColumns, nullptr, true},
    {"drives", "OMC_ATADevice",
     {{"device", "DeviceID"}, {"maker", "VendorID"}, {"model", "ProductID"}, {"firmware", "FirmwareRevision"},
      {"serial", "SerialNumber"}, {"smart_health", "smartStatus", SmartHealth},
      {"reallocated_sectors", "5", SmartRaw}, {"pending_sectors", "197", SmartRaw}}},
    {"drives", "VKXSG_LSIDiskDrive",
     {{"device", "DeviceID"}, {"model", "ModelNumber"}, {"firmware", "FirmwareRevision"}, {"serial", "SerialNo"},
      {"state", "State"}}},
    {"drives", "VKXSG_krDiskDrive",
     {{"device", "DeviceID"}, {"maker", "Vendor"}, {"model", "Model"}, {"firmware", "Firmware"},
      {"serial", "DeviceSerialNum"}, {"state", "State"}}},
    {"drives", "PMC_DiskDrive",
     {{"device", "DeviceID"}, {"maker", "Vendor"}, {"model", "Model"}, {"firmware", "FirmwareRevision"},
      {"serial", "SerialNumber"}, {"state", "OperationalStatus", StatusWords}}},
    {"smart_attributes", "OMC_IDESMARTAttrib",
     {{"device", "DeviceID", DriveOfAttribute}, {"attribute_id", "attribID"}, {"name", "attribName"},
      {"value", "value"}, {"worst", "worst"}, {"threshold", "threshold"}, {"raw", "rawVal", RawValue}}},
    {"raid_volumes", "VKXSG_LSILogicalDisk",
     {{"device", "DeviceID"}, {"raid_level", "RAIDLevel"}, {"status", "VolumeStatus"}}},
    {"raid_volumes", "VKXSG_krLogicalDisk",
     {{"device", "DeviceID"}, {"name", "LogicalDriveName"}, {"raid_level", "RaidLevel"},
      {"status", "LogicalDriveStatus"}}},
    {"raid_volumes", "LSIESG_StorageVolume",
     {{"device", "DeviceID"}, {"name", "ElementName"}, {"status", "OperationalStatus", StatusWords}}},
    {"raid_volumes", "PMC_StorageVolume",
     {{"device", "DeviceID"}, {"name", "ElementName"}, {"status", "OperationalStatus", StatusWords}}},
    {"pci_functions", "CIM_PCIDevice",
     {{"address", "DeviceID"}, {"vendor_id", "VendorID"}, {"device_id", "PciDeviceID"}, {"class_code", "ClassCode"},
      {"name", "Description"}, {"maker", "Manufacturer"}, {"driver", "OtherIdentifyingInfo", PciDriver},
      {"firmware", "Version", DeviceFirmware}}},
    {"firmware", "VKXSG_FirmwareElement",
     {{"class", "", ClassName}, {"name", "Name"}, {"maker", "Manufacturer"}, {"version", "Version"},
      {"build", "BuildNumber"}, {"release_date", "BuildDate", DateOnly}}},
    {"firmware", "CIM_BIOSElement",
     {{"class", "", ClassName}, {"name", "Name"}, {"maker", "Manufacturer"}, {"version", "Version"},
      {"build", "BuildNumber"}, {"release_date", "ReleaseDate", DateOnly}}},
    {"packages", "VKXSG_InstalledProduct",
     {{"name", "ProductName"}, {"version", "ProductVersion"}, {"vendor", "ProductVendor"},
      {"architecture", "Architecture"}}},
    {"kernel_modules", "VKXSG_LinuxKernelModule",
     {{"name", "Name"}, {"version", "Version"}, {"description", "Description"}, {"path", "Path"}}},
    {"kernel_modules", "VKXSG_DeviceDriverInfo",
     {{"name", "Name"}, {"version", "Version"}, {"description", "Description"}, {"path", "Path"}}},
    {"network_ports", "VKXSG_PhysicalNetworkPort",
     {{"name", "Name"}, {"mac", "PermanentAddress"}, {"speed_bps", "Speed"}, {"link_state", "EnabledState", LinkState},
      {"mtu", "ActiveMaximumTransmissionUnit"}, {"driver", "DriverLoaded"}, {"addresses", "", PortAddresses}}},
    {"sensors_not_ok", "CIM_NumericSensor",
     {{"name", "ElementName"}, {"sensor_type", "SensorType"}, {"reading", "CurrentReading"},
      {"status", "OperationalStatus", StatusWords}},
     NotOk},
};

// A property the class lacks reads as "" rather than failing the row.
std::string ValueOf(const TColumnSource& column, const ICIMInstance& instance) {
  try {
    return column.fRead(instance, column.fProperty);
  } catch (const TQZAException&) {
    return "";
  }
}

TFleetTableRows RowsOf(const TTableSource& source, const ICIMNamespace& ns) {
  TFleetTableRows rows{source.fTable, {}, {}};
  for (const TColumnSource& column : source.fColumns) rows.fColumns.push_back(column.fColumn);
  for (const TInstancePtr& instance : InstancesOfClass(ns, source.fClass)) {
    if (source.fKeep && !source.fKeep(*instance)) continue;
    TFleetRow row;
    for (const TColumnSource& column : source.fColumns) row.push_back(TFleetValue::TextOrNull(ValueOf(column, *instance)));
    rows.fRows.push_back(std::move(row));
  }
  return rows;
}

TFleetTableRows ProblemRows(const TWriter::TNamespacePtr& ns) {
  TFleetTableRows rows{"problems", {"severity", "message", "count", "page"}, {}};
  for (const TProblem& problem : ReadReportProblems(ns)) {
    rows.fRows.push_back({TFleetValue::TextOrNull(SeverityName(problem.fSeverity)), TFleetValue::Text(problem.fMessage),
                          TFleetValue::Text(std::to_string(problem.fCount)), TFleetValue::TextOrNull(problem.fPage)});
  }
  return rows;
}

// The first instance of exactly that class: the subclasses of a computer
// system are its service processors and nodes, not the host.
std::string FirstOfClass(const ICIMNamespace& ns, const char* className, const char* property) {
  for (const TInstancePtr& instance : InstancesOfClass(ns, className)) {
    if (instance->GetClass()->GetName() == className) return PropertyText(*instance, property);
  }
  return "";
}

TFleetTableRows CollectionRow(const ICIMNamespace& ns, const std::string& source) {
  std::string kernel = FirstOfClass(ns, "VKXSG_OperatingSystem", "KernelRelease");
  if (kernel.empty()) kernel = FirstOfClass(ns, "VKXSG_OperatingSystem", "Version");
  const char* system = "VKXSG_ComputerSystem";
  return {"collections",
          {"host", "serial", "maker", "model", "os", "kernel", "collected", "source"},
          {{TFleetValue::TextOrNull(FirstOfClass(ns, system, "Name")),
            TFleetValue::TextOrNull(FirstOfClass(ns, system, "SerialNumber")),
            TFleetValue::TextOrNull(FirstOfClass(ns, system, "Manufacturer")),
            TFleetValue::TextOrNull(FirstOfClass(ns, system, "ProductName")),
            TFleetValue::TextOrNull(FirstOfClass(ns, "VKXSG_OperatingSystem", "Name")),
            TFleetValue::TextOrNull(kernel),
            TFleetValue::TextOrNull(UtcTimeOfCimDateTime(FirstOfClass(ns, "VKXSG_QZAProduct", "CollectionTime"))),
            TFleetValue::Text(source)}}};
}

bool HasRowsFor(const TFleetCollection& collection, const std::string& table) {
  for (const TFleetTableRows& rows : collection.fTables) {
    if (rows.fTable == table) return true;
  }
  return false;
}

}  // namespace

std::string UtcTimeOfCimDateTime(const std::string& text) {
  struct tm local = {};
  char sign = 0;
  int offset = 0, consumed = 0;
  if (text.size() != 25 ||
      std::sscanf(text.c_str(), "%4d%2d%2d%2d%2d%2d.%*6d%c%3d%n", &local.tm_year, &local.tm_mon, &local.tm_mday,
                  &local.tm_hour, &local.tm_min, &local.tm_sec, &sign, &offset, &consumed) != 8 ||
      consumed != 25 || (sign != '+' && sign != '-')) {
    return "";
  }
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  // The offset is the local time's minutes ahead of UTC.
  const time_t utc = timegm(&local) - (sign == '-' ? -offset : offset) * 60;
  struct tm parts;
  char buffer[32];
  if (gmtime_r(&utc, &parts) == nullptr || std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &parts) == 0) {
    return "";
  }
  return buffer;
}

TFleetCollection ReadFleetCollection(const TWriter::TNamespacePtr& ns, const std::string& contentHash,
                                     const std::string& source) {
  TFleetCollection collection{contentHash, CollectionRow(*ns, source), {}};
  for (const TTableSource& tableSource : kTableSources) {
    if (tableSource.fFallback && HasRowsFor(collection, tableSource.fTable)) continue;
    TFleetTableRows rows = RowsOf(tableSource, *ns);
    if (!rows.fRows.empty()) collection.fTables.push_back(std::move(rows));
  }
  collection.fTables.push_back(ProblemRows(ns));
  return collection;
}
