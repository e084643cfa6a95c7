// The "LSI Controller" page and its raw-data page. The controllers, their
// logical and physical drives come from the LSI vendor provider's classes
// (LSIESG_) when it is present, otherwise from the older VKXSG_LSI classes,
// which also describe the 1030 integrated-mirroring controllers.
#include "custom/device_reading.h"
#include "custom/property_tables.h"
#include "custom/result_file.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

const char kPageLink[] = "lsi_mir";
const char kPageTitle[] = "LSI Controller";
const char kRawPageLink[] = "lsi_rawData";
const char kRawPageTitle[] = "LSI Raw Data Information";
const char kPropertyWidth[] = "50%";
const char kValueWidth[] = "40%";

const char kLegacyController[] = "VKXSG_LSISCSIProtocolController";
const char kMegaRaidRawData[] = "VKXSG_MegaLSIRawData";
const char kLSIRawData[] = "VKXSG_lsiRawData";
const char kSoftwareIdentity[] = "LSIESG_ElementSoftwareIdentity";
const char kVendorControllerInformation[] = "Controller Information";
const char kLogicalDrives[] = "Logical drive information";
const int kHardDiskDeviceType = 14;
const int kLSITypeWithVolumeID = 3;
const int32_t kRawGridWidth = 75;
const int32_t kRawCommandWidth = 80;
const int32_t kRawResultWidth = 20;

// The firmware levels of the controllers and drives of this part's page.
const char* const kCardinalClasses[] = {"LSIESG_DiskDrive", "LSIESG_StorageVolume", "LSIESG_DiskExtent",
                                        "LSIESG_ControllerFirmwareIdentity", "LSIESG_ControllerBIOSIdentity"};

std::string SectionCaption(const std::string& controllerTitle, const std::string& section) {
  return controllerTitle + " -- " + section;
}

// An unreadable LSIType counts as 0.
uint8_t LSIType(const NVKXQZA20::ICIMInstance& controller) {
  try {
    return controller.GetProperty("LSIType")->GetValue().ToUInt8();
  } catch (const NVKXQZA20::TQZAException&) {
    return 0;
  }
}

// An unreadable DeviceType is no hard disk.
bool IsHardDisk(const NVKXQZA20::ICIMInstance& drive) {
  try {
    return drive.GetProperty("DeviceType")->GetValue().ToUInt32() == kHardDiskDeviceType;
  } catch (const NVKXQZA20::TQZAException&) {
    return false;
  }
}

std::vector<TReportParameters::TReportProperty> Rows(const std::vector<std::string>& properties) {
  std::vector<TReportParameters::TReportProperty> rows;
  for (const std::string& property : properties) rows.push_back(Row(property));
  return rows;
}

}  // namespace

// The layout of one legacy controller's tables; the 1030 controllers show
// fewer rows.
struct TWriter::TLSIControllerLayout {
  std::string fMethod;
  bool fNumberedTitle;
  bool fVolumeIDInStatus;
  std::vector<std::string> fLogicalDriveRows;
  std::vector<std::string> fDriveRows;
  bool fEnclosures;
};

void TWriter::WriteLSIReport(TBuilderPtr builder, std::string pageID) {
  TNamedTraceScope trace("TWriter::WriteLSIReport");
  if (isCardinalSupport()) {
    WriteLSIReportWithCardinal(builder, pageID);
  } else {
    WriteLSIReportWithLegacyProvider(builder, pageID);
  }
}

bool TWriter::isCardinalSupport() {
  TNamedTraceScope trace("TWriter::isCardinalSupport");
  for (const char* className : kCardinalClasses) {
    if (HasInstances(*fNamespace, className)) return true;
  }
  return false;
}

bool TWriter::isLSIRawDataPresent() {
  TNamedTraceScope trace("TWriter::isLSIRawDataPresent");
  return HasInstances(*fNamespace, kLSIRawData) || HasInstances(*fNamespace, kMegaRaidRawData);
}

bool TWriter::isMRRawDataPresent() {
  TNamedTraceScope trace("TWriter::isMRRawDataPresent");
  return HasInstances(*fNamespace, kMegaRaidRawData);
}

bool TWriter::isLSIIntegratedRaid1030Exsited() {
  TNamedTraceScope trace("TWriter::isLSIIntegratedRaid1030Exsited");
  for (const TInstancePtr& controller : InstancesOfClass(*fNamespace, kLegacyController)) {
    if (IsLSI1030Controller(controller)) return true;
  }
  return false;
}

bool TWriter::IsLSI1030Controller(TInstancePtr controller) {
  return Contains(GetPropertyValue(controller, "ControllerType", ","), "1030");
}

void TWriter::WriteLSIReportWithCardinal(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteLSIReportWithCardinal");
  const bool rawPageWanted = isLSIRawDataPresent() && fMode == "luz" && fWriterType == "html";
  WriteLSIPage(rawPageWanted, &TWriter::WriteLSICardinalTables);
}

// MegaRAID controllers are described by their raw data only, so their raw
// page is written in every mode.
void TWriter::WriteLSIReportWithLegacyProvider(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteLSIReportWithLegacyProvider");
  const bool rawPageWanted =
      fWriterType == "html" && ((isLSIRawDataPresent() && fMode == "luz") || isMRRawDataPresent());
  WriteLSIPage(rawPageWanted, &TWriter::WriteLSILegacyTables);
}

void TWriter::WriteLSIPage(bool rawPageWanted, TLSITables writeTables) {
  bool noCard = true;
  bool rawWritten = false;
  std::string rawLink;
  if (rawPageWanted) {
    std::string pageLink = kPageLink;
    rawLink = WriteLSIRawDataReport(pageLink);
    rawWritten = !rawLink.empty();
    noCard = !rawWritten;
  }
  OpenPage(PagePath(kPageLink));
  BeginPageBody();
  if (rawWritten) {
    WritePageTitle(kPageTitle, "- [Show Rawdata Report]", rawLink);
  } else {
    WritePageTitle(kPageTitle, "", "");
  }
  (this->*writeTables)(noCard, rawWritten);
  if (noCard && !rawWritten) WriteMessageTable("No LSI RAID card detected\n", "No LSI RAID card detected\n");
  EndPageBody();
  ClosePage();
  bool hasContent = !noCard || rawWritten;
  RegisterPage(kPageLink, kPageTitle, hasContent);
}

// Without the vendor provider's controllers no further tables follow; what
// the 1030 tables or the raw page showed still counts as a card.
void TWriter::WriteLSICardinalTables(bool& noCard, bool /*rawWritten*/) {
  if (isLSIIntegratedRaid1030Exsited()) {
    WriteLSIIntegratedRaid1030Report();
    noCard = false;
  }
  if (!HasClass("CIM_ComputerSystem") || !HasClass("CIM_PhysicalPackage")) {
    return;
  }
  for (const TInstancePtr& controller : InstancesOfClass(*fNamespace, "CIM_ComputerSystem")) {
    for (const TInstancePtr& package : LSIControllerPackages(controller)) {
      WriteLSIPackageTables(controller, package);
      noCard = false;
    }
  }
}

// Enclosures are packages of the controller too, but hold no controller.
TWriter::TInstances TWriter::LSIControllerPackages(TInstancePtr controller) {
  TInstances packages;
  for (const TInstancePtr& package :
       Associated(*controller, "LSIESG_SystemPackaging", "CIM_PhysicalPackage")) {
    if (!Contains(ClassNameOf(*package), "LSIESG_EnclosureChassis")) packages.push_back(package);
  }
  return packages;
}

void TWriter::WriteLSIPackageTables(TInstancePtr controller, TInstancePtr package) {
  WritePlainTableTitle(kVendorControllerInformation);
  BeginPropertyTable(kPropertyWidth, kValueWidth, kVendorControllerInformation);
  WritePropertyRows(package, {Row("Model")});
  std::vector<TReportProperty> controllerRows = {
      Row("ElementName"),
      RowThrough("VersionString", kSoftwareIdentity, "LSIESG_ControllerBIOSIdentity", "BIOS Version"),
      RowThrough("VersionString", kSoftwareIdentity, "LSIESG_ControllerFirmwareIdentity",
                 "Firmware Version")};
  if (ClassNameOf(*controller) == "LSIESG_MegaRAIDHBA" && HasClass("LSIESG_FirmwarePackageIdentity")) {
    controllerRows.push_back(RowThrough("VersionString", kSoftwareIdentity, "LSIESG_FirmwarePackageIdentity",
                                        "FW Package Build version"));
  }
  WritePropertyRows(controller, controllerRows);
  EndTable();
  WriteLSIVolumeTables(controller);
  WriteLSIDriveTables(controller);
}

// Each volume's table lists its member extents after its own rows.
void TWriter::WriteLSIVolumeTables(TInstancePtr controller) {
  const TInstances volumes =
      SortedByName(Associated(*controller, "LSIESG_SystemDevice", "LSIESG_StorageVolume"));
  if (volumes.empty()) return;
  WritePlainTableTitle(kLogicalDrives);
  for (const TInstancePtr& volume : volumes) {
    BeginPropertyTable(kPropertyWidth, kValueWidth,
                       SectionCaption(kVendorControllerInformation, kLogicalDrives));
    WritePropertyRows(volume, {Row("Name"), Row("OperationalStatus"),
                               RowThrough("ElementName", "LSIESG_ElementSettingData",
                                          "LSIESG_StorageVolumeSetting", "RAIDLevel")});
    for (const TInstancePtr& extent :
         SortedByName(Associated(*volume, "LSIESG_ConcreteDependency", "LSIESG_DiskExtent"))) {
      SetRawDataLink(1);
      WritePropertyRows(extent, {RowThrough("Name", "LSIESG_MediaPresent", "LSIESG_DiskDrive", "Name"),
                                 Row("OperationalStatus")});
    }
    EndTable();
  }
}

void TWriter::WriteLSIDriveTables(TInstancePtr controller) {
  const char kPhysicalDrives[] = "Physical drive information";
  const TInstances drives = SortedByName(Associated(*controller, "LSIESG_SystemDevice", "LSIESG_DiskDrive"));
  if (drives.empty()) return;
  WritePlainTableTitle(kPhysicalDrives);
  for (const TInstancePtr& drive : drives) {
    BeginPropertyTable(kPropertyWidth, kValueWidth,
                       SectionCaption(kVendorControllerInformation, kPhysicalDrives));
    WritePropertyRows(
        drive,
        {Row("Name"), Row("ElementName"), Row("OperationalStatus"),
         RowThrough("FRUNumber", "LSIESG_Realizes", "LSIESG_PhysicalDrive", "FRU Number"),
         RowThrough("BlockSize", "LSIESG_MediaPresent", "LSIESG_DiskExtent", ""),
         RowThrough("NumberOfBlocks", "LSIESG_MediaPresent", "LSIESG_DiskExtent", ""),
         RowThrough("Manufacturer", kSoftwareIdentity, "LSIESG_DriveFirmwareIdentity", ""),
         RowThrough("VersionString", kSoftwareIdentity, "LSIESG_DriveFirmwareIdentity", "Firmware version")});
    EndTable();
  }
}

TWriter::TInstances TWriter::SortedByName(TInstances instances) {
  TInstanceSorter byName;
  byName.AddProperty("Name", true, false);
  SortInstances(instances, byName);
  return instances;
}

void TWriter::WriteLSILegacyTables(bool& noCard, bool rawWritten) {
  if (rawWritten && fMode != "luz" && isMRRawDataPresent()) {
    WriteMessageTable(
        "LSI MegaRaid Controller Card is Detected.\nPlease click [Show Rawdata Report] to view MegaRaid raw "
        "data.\n",
        "LSI MegaRaid Controller Card is Detected.\n");
  }
  WriteLSIIntegratedRaidReport(noCard);
}

void TWriter::WriteLSIIntegratedRaidReport(bool& noCard) {
  TNamedTraceScope trace("TWriter::WriteLSIIntegratedRaidReport");
  static const TLSIControllerLayout kLayout = {
      "TWriter::WriteLSIIntegratedRaidReport",
      true,
      true,
      {"VolumeID", "VolumeNumber", "VolumeStatus", "RAIDLevel", "BlockSize", "PhysicalHardDisks"},
      {"EnclosureNum", "TargetID", "SlotID", "DeviceType", "VKXFruCru", "State", "MaxMediaSize",
       "InquiryData", "ModelNumber", "FirmwareRevision", "SerialNo", "DriveType"},
      true};
  const TInstances controllers = InstancesOfClass(*fNamespace, kLegacyController);
  noCard = controllers.empty();
  for (const TInstancePtr& controller : controllers) WriteLSILegacyController(controller, kLayout);
}

void TWriter::WriteLSIIntegratedRaid1030Report() {
  TNamedTraceScope trace("TWriter::WriteLSIIntegratedRaid1030Report");
  static const TLSIControllerLayout kLayout = {
      "TWriter::WriteLSIIntegratedRaid1030Report",
      false,
      false,
      {"VolumeNumber", "VolumeStatus", "RAIDLevel", "BlockSize", "PhysicalHardDisks"},
      {"EnclosureNum", "TargetID", "SlotID", "DeviceType", "State", "MaxMediaSize", "InquiryData",
       "ModelNumber", "FirmwareRevision", "SerialNo", "DriveType"},
      false};
  for (const TInstancePtr& controller : InstancesOfClass(*fNamespace, kLegacyController)) {
    if (IsLSI1030Controller(controller)) WriteLSILegacyController(controller, kLayout);
  }
}

void TWriter::WriteLSILegacyController(TInstancePtr controller, const TLSIControllerLayout& layout) {
  const std::string title =
      layout.fNumberedTitle
          ? "Controller #" + GetPropertyValue(controller, "ControllerNum", ",") + " Configuration"
          : kVendorControllerInformation;
  WritePlainTableTitle(title);
  BeginPropertyTable(kPropertyWidth, kValueWidth, title);
  WritePropertyRows(controller, {Row("ControllerType"),
                                 RowThrough("Version", "VKXSG_LSIControllerBIOSElement",
                                            "VKXSG_LSIBIOSElement", "BIOS Version"),
                                 RowThrough("Version", "VKXSG_LSIControllerFirmwareElement",
                                            "VKXSG_LSIFirmwareElement", "Firmware Version"),
                                 Row("SCSIChannelDescription"), Row("InitiatorIDs")});
  EndTable();
  WriteLSIControllerStatus(controller, title, layout.fVolumeIDInStatus);
  WriteLSISection(title, kLogicalDrives,
                  Associated(*controller, "VKXSG_LSIProtocolControllerForUnit", "VKXSG_LSILogicalDisk"),
                  Rows(layout.fLogicalDriveRows));
  WriteLSIHardDisks(controller, title, layout);
  if (layout.fEnclosures) {
    WriteLSISection(
        title, "Enclosure Information", InstancesOfClass(*fNamespace, "VKXSG_LSIEnclosureInformation"),
        Rows({"EnclosureNum", "LogicalID", "Numslots", "StartSlot", "StartTargetID", "StartBus"}));
  }
}

// Progress rows only mean something while an operation runs.
void TWriter::WriteLSIControllerStatus(TInstancePtr controller, const std::string& controllerTitle,
                                       bool volumeIDShown) {
  const char kStatus[] = "Controller Status";
  const std::string operation = GetPropertyValue(controller, "CurrentOperation", ",");
  if (operation.empty()) return;
  std::vector<std::string> rows;
  if (volumeIDShown && LSIType(*controller) == kLSITypeWithVolumeID) rows.push_back("VolumeID");
  rows.insert(rows.end(), {"CurrentOperation", "LogicalDriveInProgress", "VolumeStatus", "VolumeState"});
  if (!Contains(operation, "None"))
    rows.insert(rows.end(), {"LogicalDriveSize", "NumRemainingSectors", "PercentComplete"});
  WritePlainTableTitle(kStatus);
  BeginPropertyTable(kPropertyWidth, kValueWidth, SectionCaption(controllerTitle, kStatus));
  WritePropertyRows(controller, Rows(rows));
  EndTable();
}

void TWriter::WriteLSISection(const std::string& controllerTitle, const std::string& section,
                              const TInstances& instances, const std::vector<TReportProperty>& rows) {
  if (instances.empty()) return;
  WritePlainTableTitle(section);
  for (const TInstancePtr& instance : instances) {
    BeginPropertyTable(kPropertyWidth, kValueWidth, SectionCaption(controllerTitle, section));
    WritePropertyRows(instance, rows);
    EndTable();
  }
}

// Drives are listed by channel: each new channel number opens with a title.
void TWriter::WriteLSIHardDisks(TInstancePtr controller, const std::string& controllerTitle,
                                const TLSIControllerLayout& layout) {
  const char kPhysicalDevices[] = "Physical device information";
  TInstances disks;
  for (const TInstancePtr& drive :
       Associated(*controller, "VKXSG_LSIProtocolControllerForPhysicalDisk", "VKXSG_LSIDiskDrive")) {
    if (IsHardDisk(*drive)) {
      disks.push_back(drive);
    } else {
      LogLine(3, layout.fMethod + " -- Filter instance which type is not hard disk");
    }
  }
  if (disks.empty()) return;
  WritePlainTableTitle(kPhysicalDevices);
  const std::vector<TReportProperty> rows = Rows(layout.fDriveRows);
  std::string channel;
  for (size_t i = 0; i < disks.size(); ++i) {
    const std::string diskChannel = GetPropertyValue(disks[i], "ChannelNum", ",");
    if (i == 0 || diskChannel != channel) WritePlainTableTitle("Channel #:" + diskChannel);
    channel = diskChannel;
    BeginPropertyTable(kPropertyWidth, kValueWidth, SectionCaption(controllerTitle, kPhysicalDevices));
    WritePropertyRows(disks[i], rows);
    EndTable();
  }
}

// Every result file is written before the raw page opens, so a file that
// cannot be written leaves neither a page nor a partial file behind.
std::string TWriter::WriteLSIRawDataReport(std::string& pageLink) {
  TNamedTraceScope trace("TWriter::WriteLSIRawDataReport");
  const TInstances megaRaidRecords = InstancesOfClass(*fNamespace, kMegaRaidRawData);
  const TInstances lsiRecords = InstancesOfClass(*fNamespace, kLSIRawData);
  if (megaRaidRecords.empty() && lsiRecords.empty()) return "";
  std::vector<TTableGrid> grids;
  if (!megaRaidRecords.empty()) {
    grids.push_back(LSIRawDataGrid(megaRaidRecords, "Raw Result", "MegaLSI_RawData_Rresults_"));
  }
  if (!lsiRecords.empty()) grids.push_back(LSIRawDataGrid(lsiRecords, "Result", "LSI_RawData_Results_"));
  OpenPage(PagePath(kRawPageLink));
  BeginPageBody();
  WritePageTitle(kRawPageTitle, "- [Show Standard Report]", pageLink);
  WriteSeparator();
  for (const TTableGrid& grid : grids) {
    WritePlainTableTitle("Commands Issued");
    WriteTableGrid(grid);
  }
  EndPageBody();
  ClosePage();
  return kRawPageLink;
}

// Row i + 1 names the command of record i and links to its result file,
// numbered from 0.
TTableGrid TWriter::LSIRawDataGrid(const TInstances& records, const std::string& resultHeader,
                                   const std::string& filePrefix) {
  TTableGrid grid(static_cast<int32_t>(records.size()) + 1, 2, false);
  grid.fColumnReport = true;
  grid.fTableWidth = kRawGridWidth;
  grid.fColumnWidths = {kRawCommandWidth, kRawResultWidth};
  grid.Cell(0, 0).fText = "Command";
  grid.Cell(0, 1).fText = resultHeader;
  for (size_t i = 0; i < records.size(); ++i) {
    const std::string fileName = filePrefix + std::to_string(i) + ".txt";
    WriteResultFile(PagePath(fileName), records[i]->GetProperty("RawResults")->GetValueTexts());
    const int32_t row = static_cast<int32_t>(i) + 1;
    grid.Cell(row, 0).fText =
        "<font face=\"Courier\">" + GetPropertyValue(records[i], "Command", ",") + "</font>";
    grid.Cell(row, 1).fText = "<a href=\"" + fileName + "\">View Results</a>";
  }
  return grid;
}
