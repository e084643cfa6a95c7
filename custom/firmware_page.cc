// The "Firmware/VPD" page: one table of the firmware levels of every
// component the repository knows (system firmware, Brocade, Emulex, LSI
// controllers and drives, PMC controllers), one of BIOS/uEFI levels, and the
// vital product data tables. Rows of several vendors' classes share one
// table, so every row has the columns of its table.
#include "custom/device_reading.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

typedef TReportParameters::TReportProperty TColumn;
typedef std::vector<TColumn> TColumns;

const char kPageLink[] = "firmware";
const char kPageTitle[] = "Firmware/VPD";
const char kVendorSoftwareIdentity[] = "LSIESG_ElementSoftwareIdentity";
const char kLegacyController[] = "VKXSG_LSISCSIProtocolController";

TColumn Column(const std::string& property, const std::string& width, const std::string& label = "") {
  return TColumn(property, width, "", "", label);
}

TColumn ColumnThrough(const std::string& property, const std::string& width,
                      const std::string& associationClass, const std::string& associationTarget) {
  return TColumn(property, width, associationClass, associationTarget, "");
}

// A cell that shows a text instead of a value: its column has only a width.
// A row's literal text goes to its first such cell, the others stay empty.
TColumn TextColumn(const std::string& width) { return TColumn("", width, "", "", ""); }

TColumns FirmwareColumns() {
  return {Column("Name", "15%"),
          Column("Manufacturer", "15%"),
          ColumnThrough("ProductID", "15%", "VKXSG_DeviceFirmware", "VKXSG_SysBusDevice"),
          TColumn("OtherIdentifyingInfo", "20%", "VKXSG_DeviceFirmware", "CIM_LogicalDevice", "Device"),
          Column("Version", "10%"),
          Column("BuildNumber", "10%"),
          Column("BuildDate", "15%")};
}

TColumns BrocadeFirmwareRow() {
  return {Column("Description", "15%", "Name"),
          Column("Manufacturer", "15%"),
          TextColumn("15%"),
          TextColumn("20%"),
          Column("VersionString", "10%"),
          TextColumn("10%"),
          TextColumn("15%")};
}

TColumns EmulexFirmwareRow() {
  return {Column("Name", "15%"),    TextColumn("15%"), TextColumn("15%"), TextColumn("20%"),
          Column("Version", "10%"), TextColumn("10%"), TextColumn("15%")};
}

// A vendor-provider controller or drive: its firmware identity gives the
// levels, the element itself its name.
TColumns LSIFirmwareRow(const std::string& identityClass, const std::string& ownNameProperty) {
  return {TextColumn("15%"),
          ColumnThrough("Manufacturer", "15%", kVendorSoftwareIdentity, identityClass),
          TextColumn("15%"),
          Column(ownNameProperty, "20%"),
          ColumnThrough("VersionString", "10%", kVendorSoftwareIdentity, identityClass),
          ColumnThrough("BuildNumber", "10%", kVendorSoftwareIdentity, identityClass),
          TextColumn("15%")};
}

TColumns PMCFirmwareRow() {
  return {TextColumn("15%"),
          TextColumn("15%"),
          TextColumn("15%"),
          TextColumn("20%"),
          Column("VersionString", "10%"),
          TextColumn("10%"),
          TextColumn("15%")};
}

// The node column is there on a multi-node system only.
TColumns BIOSRow(const TColumn& name, const TColumn& node, const TColumn& buildNumber, const TColumn& version,
                 const TColumn& releaseDate, bool multiNode) {
  TColumns row = {name};
  if (multiNode) row.push_back(node);
  row.insert(row.end(), {buildNumber, version, releaseDate});
  return row;
}

TColumns BIOSColumns(bool multiNode) {
  return BIOSRow(Column("Name", "20%"), Column("SourceNode", "20%"), Column("BuildNumber", "20%"),
                 Column("Version", "20%"), Column("ReleaseDate", "20%"), multiNode);
}

TColumns BrocadeBIOSRow(bool multiNode) {
  return BIOSRow(Column("Description", "20%", "Name"), TextColumn("20%"), Column("BuildNumber", "20%"),
                 Column("VersionString", "20%", "Version"), Column("ReleaseDate", "20%"), multiNode);
}

TColumns LSIBIOSRow(bool multiNode) {
  const char kIdentity[] = "LSIESG_ControllerBIOSIdentity";
  return BIOSRow(TextColumn("20%"), TextColumn("20%"),
                 ColumnThrough("BuildNumber", "20%", kVendorSoftwareIdentity, kIdentity),
                 ColumnThrough("VersionString", "20%", kVendorSoftwareIdentity, kIdentity),
                 ColumnThrough("ReleaseDate", "20%", kVendorSoftwareIdentity, kIdentity), multiNode);
}

TColumns PMCBIOSRow(bool multiNode) {
  return BIOSRow(TextColumn("20%"), TextColumn("20%"), TextColumn("20%"), Column("VersionString", "20%"),
                 TextColumn("20%"), multiNode);
}

TReportParameters::TReportClass VPDTable(const std::string& title, const std::string& className,
                                         const TColumns& columns) {
  TReportParameters::TReportClass table;
  table.SetTitle(title);
  table.SetClass(className);
  table.SetProperties(columns);
  return table;
}

std::vector<TReportParameters::TReportClass> VPDTables(bool multiNode) {
  const TColumns diagnosticColumns = multiNode
                                         ? TColumns{Column("BuildNumber", "50%"), Column("SourceNode", "50%")}
                                         : TColumns{Column("BuildNumber", "100%")};
  std::vector<TReportParameters::TReportClass> tables = {
      VPDTable("Post BIOS VPD", "VKXSG_PostBIOSVPD",
               {Column("BuildNumber", "15%"), Column("BuildDate", "20%"), Column("Version", "20%"),
                Column("Filename", "15%"), Column("UniqueID", "25%")}),
      VPDTable("Diagnostic VPD", "VKXSG_DiagnosticVPD", diagnosticColumns),
      VPDTable("SP Firmware Main VPD", "VKXSG_SPROMFirmwareVPDMain",
               {Column("Name", "20%"), Column("BuildNumber", "20%"), Column("BuildDate", "20%"),
                Column("Version", "20%"), Column("Filename", "20%")}),
      VPDTable("SP Firmware BootROM VPD", "VKXSG_SPROMFirmwareVPDBootROM",
               {Column("BuildNumber", "25%"), Column("BuildDate", "25%"), Column("Version", "25%"),
                Column("Filename", "25%")}),
      VPDTable("SP Hardware Revision", "VKXSG_HardwareRevisionLevel", {Column("Hardwarelevel", "100%")}),
      VPDTable("Other VPD", "VKXSG_FRU",
               {Column("Name", "20%"), Column("Vendor", "20%"), Column("FRUNumber", "20%"),
                Column("PartNumber", "20%"), Column("SerialNumber", "20%")})};
  tables.back().GetInstanceSorter().AddProperty("Name", true, false);
  return tables;
}

// "LSI 9260 Controller Firmware" for an IR controller, "9260 Firmware" for
// a MegaRAID one; nothing without a model.
std::string LSILabel(const std::string& model, bool megaRaid, const std::string& kind) {
  if (model.empty()) return "";
  return megaRaid ? model + " " + kind : "LSI " + model + " Controller " + kind;
}

std::string PMCLabel(const NVKXQZA20::ICIMInstance& identity) {
  return "PMC(" + PropertyText(identity, "InstanceID") + ")";
}

bool IsMegaRaid(const NVKXQZA20::ICIMInstance& controller) {
  return Contains(ClassNameOf(controller), "LSIESG_MegaRAIDHBA");
}

// The software identities of every Brocade adapter, in adapter order.
TDeviceInstances BrocadeIdentities(const NVKXQZA20::ICIMNamespace& ns) {
  TDeviceInstances identities;
  for (const TDeviceInstances::value_type& adapter : InstancesOfClass(ns, "BROCADE_PortController")) {
    const TDeviceInstances own =
        Associated(*adapter, "BROCADE_AdapterElementSoftwareIdentity", "BROCADE_AdapterSoftwareIdentity");
    identities.insert(identities.end(), own.begin(), own.end());
  }
  return identities;
}

bool IsBIOSIdentity(const NVKXQZA20::ICIMInstance& identity) {
  return Contains(PropertyText(identity, "Description"), "BIOS");
}

}  // namespace

void TWriter::WriteCustomFirmwareReport(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteCustomFirmwareReport");
  const bool multiNode = builder->IsMultiNode();
  const bool vendorProvider = isCardinalSupport();
  OpenPage(PagePath(kPageLink));
  BeginPageBody();
  WritePageTitle(kPageTitle, "", "");
  bool hasContent = WriteFirmwareTable(vendorProvider);
  if (HasInstances(*fNamespace, "EMXCNA_FirmwareVersion")) hasContent = true;
  if (WriteBIOSTable(vendorProvider, multiNode)) hasContent = true;
  for (const TReportClass& table : VPDTables(multiNode)) {
    if (WriteInstanceGrid(table)) hasContent = true;
  }
  EndPageBody();
  ClosePage();
  RegisterPage(kPageLink, kPageTitle, hasContent);
}

bool TWriter::WriteFirmwareTable(bool vendorProvider) {
  const char kElementClass[] = "VKXSG_FirmwareElement";
  const TInstances elements = SortedByName(InstancesOfClass(*fNamespace, kElementClass));
  if (elements.empty()) return false;
  const TColumns columns = FirmwareColumns();
  BeginCustomGrid("Firmware", fNamespace->GetClass(kElementClass), columns);
  for (const TInstancePtr& element : elements) {
    if (vendorProvider && IsLeftToVendorProvider(element, "Firmware")) continue;
    WriteGridRow(element, columns, "");
  }
  for (const TInstancePtr& identity : BrocadeIdentities(*fNamespace)) {
    if (!IsBIOSIdentity(*identity)) WriteGridRow(identity, BrocadeFirmwareRow(), "");
  }
  for (const TInstancePtr& firmware : InstancesOfClass(*fNamespace, "EMXCNA_FirmwareVersion")) {
    WriteGridRow(firmware, EmulexFirmwareRow(), "Emulex");
  }
  if (vendorProvider) WriteLSIVendorFirmwareRows();
  for (const TInstancePtr& identity : InstancesOfClass(*fNamespace, "PMC_FirmwareSoftwareIdentity")) {
    WriteGridRow(identity, PMCFirmwareRow(), PMCLabel(*identity));
  }
  EndTable();
  return true;
}

// With the vendor provider present, LSI controllers are listed from its
// classes; only the 1030 controllers, which it does not know, stay here.
bool TWriter::IsLeftToVendorProvider(TInstancePtr element, const std::string& kind) {
  const std::string className = ClassNameOf(*element);
  if (!Contains(className, "LSI") || !Contains(className, kind)) return false;
  return !Contains(LSIControllerTypeOf(element, className, kind), "1030");
}

std::string TWriter::LSIControllerTypeOf(TInstancePtr element, const std::string& className,
                                         const std::string& kind) {
  if (kind == "BIOS") {
    return GetPropertyValueFromAssociation(element, "ControllerType", "VKXSG_LSIControllerBIOSElement",
                                           kLegacyController, " ");
  }
  if (!Contains(className, "VKXSG_LSIDiskFirmwareElement")) {
    return GetPropertyValueFromAssociation(element, "ControllerType", "VKXSG_LSIControllerFirmwareElement",
                                           kLegacyController, " ");
  }
  const TInstances drives = Associated(*element, "VKXSG_LSIDiskFirmware", "VKXSG_LSIDiskDrive");
  if (drives.empty()) return "";
  return GetPropertyValueFromAssociation(
      drives.front(), "ControllerType", "VKXSG_LSIProtocolControllerForPhysicalDisk", kLegacyController, " ");
}

void TWriter::WriteLSIVendorFirmwareRows() {
  if (!HasClass("CIM_ComputerSystem") || !HasClass("CIM_PhysicalPackage")) return;
  for (const TInstancePtr& controller : InstancesOfClass(*fNamespace, "CIM_ComputerSystem")) {
    const bool megaRaid = IsMegaRaid(*controller);
    for (const TInstancePtr& package : LSIControllerPackages(controller)) {
      const std::string model = PropertyText(*package, "Model");
      WriteGridRow(controller, LSIFirmwareRow("LSIESG_ControllerFirmwareIdentity", "ElementName"),
                   LSILabel(model, megaRaid, "Firmware"));
      if (megaRaid && HasInstances(*fNamespace, "LSIESG_FirmwarePackageIdentity")) {
        WriteGridRow(controller, LSIFirmwareRow("LSIESG_FirmwarePackageIdentity", "ElementName"),
                     model + " Package Build");
      }
      const std::string deviceLabel = LSILabel(model, megaRaid, "Physical Device");
      for (const TInstancePtr& drive : Associated(*controller, "LSIESG_SystemDevice", "LSIESG_DiskDrive")) {
        WriteGridRow(drive, LSIFirmwareRow("LSIESG_DriveFirmwareIdentity", "Name"), deviceLabel);
      }
    }
  }
}

bool TWriter::WriteBIOSTable(bool vendorProvider, bool multiNode) {
  const char kBIOSClass[] = "CIM_BIOSElement";
  const TInstances bioses = InstancesOfClass(*fNamespace, kBIOSClass);
  if (bioses.empty()) return false;
  const TColumns columns = BIOSColumns(multiNode);
  BeginCustomGrid("BIOS/uEFI", fNamespace->GetClass(kBIOSClass), columns);
  for (const TInstancePtr& bios : bioses) {
    if (vendorProvider && IsLeftToVendorProvider(bios, "BIOS")) continue;
    WriteGridRow(bios, columns, "");
  }
  for (const TInstancePtr& identity : BrocadeIdentities(*fNamespace)) {
    if (IsBIOSIdentity(*identity)) WriteGridRow(identity, BrocadeBIOSRow(multiNode), "");
  }
  if (vendorProvider) WriteLSIVendorBIOSRows(multiNode);
  for (const TInstancePtr& identity : InstancesOfClass(*fNamespace, "PMC_BiosSoftwareIdentity")) {
    WriteGridRow(identity, PMCBIOSRow(multiNode), PMCLabel(*identity));
  }
  EndTable();
  return true;
}

// A controller whose packages cannot be read is listed without them; any
// other failure ends the vendor-provider rows, and the table goes on.
void TWriter::WriteLSIVendorBIOSRows(bool multiNode) {
  if (!HasClass("CIM_ComputerSystem") || !HasClass("CIM_PhysicalPackage")) return;
  try {
    for (const TInstancePtr& controller : InstancesOfClass(*fNamespace, "CIM_ComputerSystem")) {
      TInstances packages;
      try {
        packages = LSIControllerPackages(controller);
      } catch (const NVKXQZA20::TQZAException&) {
        LogLine(3,
                "TWriter::WriteCustomFirmwareReport -- Enumerate Associated Instances Exception for "
                "CIM_PhysicalPackage");
      }
      const bool megaRaid = IsMegaRaid(*controller);
      for (const TInstancePtr& package : packages) {
        WriteGridRow(controller, LSIBIOSRow(multiNode),
                     LSILabel(PropertyText(*package, "Model"), megaRaid, "BIOS"));
      }
    }
  } catch (const NVKXQZA20::TQZAException&) {
    LogLine(3, "TWriter::WriteCustomFirmwareReport -- Exception when processing current controller");
  }
}

bool TWriter::WriteInstanceGrid(const TReportClass& table) {
  const TInstances instances = GetInstances(table);
  if (instances.empty()) return false;
  const TColumns& columns = table.GetProperties();
  BeginCustomGrid(table.GetTitle(), fNamespace->GetClass(table.GetClass()), columns);
  for (const TInstancePtr& instance : instances) WriteGridRow(instance, columns, "");
  EndTable();
  return true;
}

void TWriter::BeginCustomGrid(const std::string& title, boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass,
                              const std::vector<TReportProperty>& columns) {
  WritePlainTableTitle(title);
  BeginGridTable("100%", title, false);
  bool rowFlag = true;
  BeginRow(rowFlag);
  for (const TReportProperty& column : columns) WriteHeaderCell(cimClass, column);
  EndRow();
  EndGridHeader();
}

void TWriter::WriteGridRow(TInstancePtr instance, const std::vector<TReportProperty>& columns,
                           const std::string& text) {
  bool rowFlag = true;
  BeginRow(rowFlag);
  bool textWritten = false;
  for (const TReportProperty& column : columns) {
    if (!column.GetProperty().empty()) {
      WriteValueCell(instance, column);
      continue;
    }
    WritePropertyCell(column, textWritten ? "" : text);
    textWritten = true;
  }
  EndRow();
}
