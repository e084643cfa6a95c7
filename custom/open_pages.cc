// Four device pages of our own design: the LSI IDE RAID controller, the PMC
// RAID controller, the error registers of the scalability chipset (ZEB) and
// the merged view of the operating system's devices.
#include <iterator>
#include <map>

#include "catalog/page_building.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TQZAException;

namespace {

// Each controller, with its BIOS and firmware levels, followed by its
// volumes and its drives.
TReportParameters LSIIDEPage() {
  TPageBuilder page("LSI IDE Controller", "lsiide");
  page.Table("VKXSG_LSIIDEProtocolController", "Controller Information")
      .RowStyle("60%", "40%")
      .SortBy("ControllerNum", kAscending)
      .Rows({"ControllerNum", "ControllerType", "ChannelDescription"})
      .Column("Version", "")
      .Through("VKXSG_LSIControllerBIOSElement", "VKXSG_LSIBIOSElement")
      .Label("BIOS Version")
      .Column("Version", "")
      .Through("VKXSG_LSIControllerFirmwareElement", "VKXSG_LSIFirmwareElement")
      .Label("Firmware Version")
      .AssociatedTables({TTableBuilder("VKXSG_LSILogicalDisk", "Logical Drive Information")
                             .ColumnStyle("100%")
                             .ReachedThrough("VKXSG_LSIProtocolControllerForUnit", "VKXSG_LSILogicalDisk")
                             .SortBy("VolumeNumber", kAscending)
                             .Columns({{"VolumeID", "10%"},
                                       {"VolumeNumber", "15%"},
                                       {"VolumeStatus", "15%"},
                                       {"RAIDLevel", "15%"},
                                       {"BlockSize", "10%"},
                                       {"PhysicalHardDisks", "35%"}}),
                         TTableBuilder("VKXSG_LSIDiskDrive", "Physical Drive Information")
                             .ColumnStyle("100%")
                             .ReachedThrough("VKXSG_LSIProtocolControllerForPhysicalDisk", "VKXSG_LSIDiskDrive")
                             .SortBy("ChannelNum", kAscending)
                             .SortBy("TargetID", kAscending)
                             .Columns({{"ChannelNum", "8%"},
                                       {"TargetID", "8%"},
                                       {"State", "10%"},
                                       {"MaxMediaSize", "12%"},
                                       {"ModelNumber", "20%"},
                                       {"FirmwareRevision", "12%"},
                                       {"SerialNo", "15%"},
                                       {"DriveType", "15%"}})});
  return page.Build();
}

// Each controller with its card and its driver, BIOS and firmware levels,
// followed by its logical and physical drives.
TReportParameters PMCPage() {
  const char kCard[] = "PMC_Card";
  const char kPackaging[] = "PMC_SystemPackaging";
  const char kSoftware[] = "PMC_ElementSoftwareIdentity";
  TPageBuilder page("PMC RAID", "pmc_raid");
  page.Table("PMC_ControllerComputerSystem", "Controller Information")
      .RowStyle("60%", "40%")
      .SortBy("Name", kAscending)
      .Rows({"ElementName", "Name"})
      .Column("Model", "")
      .Through(kPackaging, kCard)
      .Label("Card Model")
      .Column("SerialNumber", "")
      .Through(kPackaging, kCard)
      .Label("Card Serial Number")
      .Column("PartNumber", "")
      .Through(kPackaging, kCard)
      .Label("Card Part Number")
      .Column("VersionString", "")
      .Through(kSoftware, "PMC_DriverSoftwareIdentity")
      .Label("Driver Version")
      .Column("VersionString", "")
      .Through(kSoftware, "PMC_BiosSoftwareIdentity")
      .Label("BIOS Version")
      .Column("VersionString", "")
      .Through(kSoftware, "PMC_FirmwareSoftwareIdentity")
      .Label("Firmware Version")
      .AssociatedTables({TTableBuilder("PMC_StorageVolume", "Logical Drives")
                             .ColumnStyle("100%")
                             .ReachedThrough("PMC_SystemDevice", "PMC_StorageVolume")
                             .SortBy("DeviceID", kAscending)
                             .Columns({{"ElementName", "25%"},
                                       {"RAIDLevel", "15%"},
                                       {"OperationalStatus", "15%"},
                                       {"BlockSize", "15%"},
                                       {"NumberOfBlocks", "30%"}}),
                         TTableBuilder("PMC_DiskDrive", "Physical Drives")
                             .ColumnStyle("100%")
                             .ReachedThrough("PMC_SystemDevice", "PMC_DiskDrive")
                             .SortBy("DeviceID", kAscending)
                             .Columns({{"ElementName", "15%"},
                                       {"Vendor", "15%"},
                                       {"Model", "20%"},
                                       {"SerialNumber", "20%"},
                                       {"FirmwareRevision", "15%"},
                                       {"OperationalStatus", "15%"}})});
  return page.Build();
}

const char kRegisterLink[] = "zeb_reg";
const char kRegisterPage[] = "ZEB Chipset Registers";
const char kRegisterValue[] = "Value";

TTableBuilder RegisterTable() {
  TTableBuilder registers("VKXSG_ZEBChipsetErrorData", "Chipset Error Registers");
  registers.ColumnStyle("100%")
      .Sortable()
      .SortBy("SourceNode", kAscending)
      .SortBy("Component", kAscending)
      .SortBy("RegisterName", kAscending)
      .Columns({{"SourceNode", "8%"},
                {"Component", "17%"},
                {"RegisterName", "20%"},
                {"Address", "15%"},
                {kRegisterValue, "15%"},
                {"DecodedError", "25%"}});
  return registers;
}

const char kMergedLink[] = "mergedDevices";
const char kMergedPage[] = "Merged Devices";
const char kDriverPrefix[] = "driver=";
const char kPCIAddressPrefix[] = "pci@";

std::vector<std::string> ElementTexts(const ICIMInstance& instance, const std::string& name) {
  try {
    return instance.GetProperty(name)->GetValueTexts();
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return {};
  }
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// What the device list tells about one device besides its own properties:
// its PCI function (its identifying info names the function's device ID,
// on Linux after "pci@") and its driver (on Linux as "driver=<name>").
struct TDeviceLinks {
  TWriter::TInstancePtr fPCIFunction;
  std::string fDriverName;
  TWriter::TInstancePtr fDriver;
};

class TDeviceIndex {
 public:
  explicit TDeviceIndex(const NVKXQZA20::ICIMNamespace& ns) {
    for (const TWriter::TInstancePtr& function : InstancesOfClass(ns, "VKXSG_PCIDevice")) {
      fPCIFunctions.emplace(PropertyText(*function, "DeviceID"), function);
    }
    for (const char* driverClass : {"VKXSG_LinuxKernelModule", "VKXSG_DeviceDriverInfo"}) {
      for (const TWriter::TInstancePtr& driver : InstancesOfClass(ns, driverClass)) {
        fDrivers.emplace(PropertyText(*driver, "Name"), driver);
      }
    }
  }

  TDeviceLinks LinksOf(const ICIMInstance& device) const {
    TDeviceLinks links;
    for (const std::string& info : ElementTexts(device, "OtherIdentifyingInfo")) {
      if (StartsWith(info, kDriverPrefix)) {
        links.fDriverName = info.substr(sizeof(kDriverPrefix) - 1);
        links.fDriver = Find(fDrivers, links.fDriverName);
        continue;
      }
      const std::string address =
          StartsWith(info, kPCIAddressPrefix) ? info.substr(sizeof(kPCIAddressPrefix) - 1) : info;
      if (!links.fPCIFunction) links.fPCIFunction = Find(fPCIFunctions, address);
    }
    return links;
  }

 private:
  typedef std::map<std::string, TWriter::TInstancePtr> TByName;
  static TWriter::TInstancePtr Find(const TByName& index, const std::string& name) {
    const TByName::const_iterator found = index.find(name);
    return found == index.end() ? TWriter::TInstancePtr() : found->second;
  }

  TByName fPCIFunctions;
  TByName fDrivers;
};

struct TMergedColumn {
  const char* fLabel;
  int32_t fWidth;
};

const TMergedColumn kMergedColumns[] = {
    {"Device Class", 10},      {"Device", 20}, {"Vendor", 12}, {"Identifying Info", 16},
    {"PCI Vendor:Device", 10}, {"Slot", 12},   {"Driver", 10}, {"Driver Version", 10}};

}  // namespace

void TWriter::WriteLSIIDEReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TTraceScope trace("Entering TWriter::WriteLSIIDEReport", "Exiting TWriter::WriteLSIIDEReport");
  WriteGenericReport(LSIIDEPage());
}

void TWriter::WritePMCReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WritePMCReport");
  WriteGenericReport(PMCPage());
}

void TWriter::WriteZEBRegisterReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteZEBRegisterReport");
  const TReportClass table = RegisterTable().Definition();
  const TInstances registers = GetInstances(table);
  OpenPage(PagePath(kRegisterLink));
  BeginPageBody();
  WritePageTitle(kRegisterPage, "", "");
  if (!registers.empty()) WriteRegisterGrid(table, registers);
  EndPageBody();
  ClosePage();
  bool hasContent = !registers.empty();
  RegisterPage(kRegisterLink, kRegisterPage, hasContent);
}

// The register value goes to the writer's register cell, which may decode
// its bits.
void TWriter::WriteRegisterGrid(const TReportClass& table, const TInstances& registers) {
  WritePlainTableTitle(table.GetTitle());
  BeginGridTable(table.GetTableWidth(), table.GetTitle(), table.IsTableSortable());
  const boost::shared_ptr<NVKXQZA20::ICIMClass> registerClass = registers.front()->GetClass();
  bool headerFlag = false;
  BeginRow(headerFlag);
  for (const TReportProperty& column : table.GetProperties()) WriteHeaderCell(registerClass, column);
  EndRow();
  EndGridHeader();
  for (const TInstancePtr& record : registers) {
    bool rowFlag = true;
    BeginRow(rowFlag);
    for (const TReportProperty& column : table.GetProperties()) {
      if (column.GetProperty() == kRegisterValue) {
        WriteRegisterTable(record, GetPropertyValue(record, kRegisterValue, " "));
      } else {
        WriteValueCell(record, column);
      }
    }
    EndRow();
  }
  EndTable();
}

void TWriter::WriteMergedDevicesReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteMergedDevicesReport");
  TTableBuilder devicesInOrder("VKXSG_LogicalDevice");
  devicesInOrder.SortBy("DeviceClass", kAscending).SortBy("ElementName", kAscending);
  const TInstances devices = GetInstances(devicesInOrder.Definition());
  OpenPage(PagePath(kMergedLink));
  BeginPageBody();
  WritePageTitle(kMergedPage, "", "");
  if (!devices.empty()) WriteTableGrid(MergedDevicesGrid(devices));
  EndPageBody();
  ClosePage();
  bool hasContent = !devices.empty();
  RegisterPage(kMergedLink, kMergedPage, hasContent);
}

// One row per device: its own description, then its PCI function with the
// slot (or system board) that holds it, then its driver.
TTableGrid TWriter::MergedDevicesGrid(const TInstances& devices) {
  const int32_t columns = static_cast<int32_t>(std::size(kMergedColumns));
  TTableGrid grid(static_cast<int32_t>(devices.size()) + 1, columns, false);
  grid.fColumnReport = true;
  grid.fSortable = true;
  for (int32_t c = 0; c < columns; ++c) {
    grid.Cell(0, c).fText = kMergedColumns[c].fLabel;
    grid.fColumnWidths[c] = kMergedColumns[c].fWidth;
  }
  const std::string separator = GetArraySeparatorText(TReportProperty::DefaultSeparator);
  const auto text = [this, &separator](const TInstancePtr& instance, const char* property) {
    return instance ? GetPropertyValue(instance, property, separator) : std::string();
  };
  const auto slotOf = [this, &separator](const TInstancePtr& function) {
    if (!function) return std::string();
    const std::string slot =
        GetPropertyValueFromAssociation(function, "SlotAllInfo", "VKXSG_DeviceInSlot", "VKXSG_SystemSlot", separator);
    if (!slot.empty()) return slot;
    return GetPropertyValueFromAssociation(function, "SlotAllInfo", "VKXSG_DeviceOnSystemBoard", "VKXSG_SystemBoard",
                                           separator);
  };
  const TDeviceIndex index(*fNamespace);
  for (size_t i = 0; i < devices.size(); ++i) {
    const TInstancePtr& device = devices[i];
    const TDeviceLinks links = index.LinksOf(*device);
    const TInstancePtr& function = links.fPCIFunction;
    const std::string pciIDs = function ? text(function, "VendorID") + ":" + text(function, "PciDeviceID") : "";
    const std::string texts[] = {text(device, "DeviceClass"),
                                 text(device, "ElementName"),
                                 text(device, "Manufacturer"),
                                 text(device, "OtherIdentifyingInfo"),
                                 pciIDs,
                                 slotOf(function),
                                 EncodeValue(links.fDriverName),
                                 text(links.fDriver, "Version")};
    static_assert(sizeof(texts) / sizeof(texts[0]) == std::size(kMergedColumns), "one text per column");
    for (int32_t c = 0; c < columns; ++c) grid.Cell(static_cast<int32_t>(i) + 1, c).fText = texts[c];
  }
  return grid;
}
