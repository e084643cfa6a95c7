// The KeelRAID pages: controllers with their logical drives, stripe order and
// physical drives; the logs page; the raw-data pages in front of both.
#include <algorithm>
#include <iterator>

#include "catalog/page_building.h"
#include "custom/raw_data_pages.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TQZAException;

namespace {

const char kKeelRAIDTitle[] = "KeelRAID";
const char kLogsLink[] = "keelRaidlogs";
const char kLogsTitle[] = "KeelRAID Logs";
const char kRawDataLinkText[] = "- [Show Rawdata Report]";
const char kSubStatDataClass[] = "VKXSG_krSCSISubStatData";
const char kManagerNotInstalled[] = "RAID Manager is not installed.";

std::string CommandOf(const ICIMInstance& record) { return PropertyText(record, "Command"); }

TTableBuilder ControllerRows() {
  TTableBuilder controller("VKXSG_krSCSIProtocolController");
  controller
      .Rows({"ControllerType", "ControllerStatus", "ChannelDescription", "SerialNum", "ControllerSlotInfo",
             "InstalledMemory", "PartNum"})
      .Column("Version", "")
      .Through("VKXSG_krBiosOnController", "VKXSG_krBiosVersion")
      .Label("BIOS Version")
      .Column("Version", "")
      .Through("VKXSG_krFirmwareOnController", "VKXSG_krFirmwareVersion")
      .Label("Firmware Version")
      .Column("Version", "")
      .Through("VKXSG_krBootBlockOnController", "VKXSG_krBootBlockVersion")
      .Label("Boot Block Version")
      .Rows({"DeviceDriverVersion", "ClusterSolutionVersion", "ControllerName", "CopyBackEnabled"})
      .Rows({"ScsiChannelDescr", "InitiatorChannelScsiId", "MaxPhysicalDevices", "DefunctDiskDriveCnt"})
      .Rows({"LogicalDriveStatusCnt", "ReadAhead", "StripeUnitSize", "RebuildRate", "HotSwapRebuild"})
      .Rows({"DataScrubbing", "HotSpareCopyBack", "PartOfCluster", "UnattendedMode"})
      .Rows({"ConcurrentCommandsSupported", "ConfigurationUpdateCount", "Current_MostRecentOperation"})
      .Rows({"Logical_Drive", "BackgroundOperationActive", "LastCmdStatus", "LogicalDriveSizeInStripes"})
      .Rows({"NumberOfRemainingStripes", "VPD", "ECVersion", "ControllerFRU", "ControllerTemp"})
      .Rows({"ControllerBatteryStatus", "ControllerBatteryOverTemp", "ControllerBatteryCapacity"})
      .Rows({"ControllerBatteryFRU", "BatteryTimeRemaining"});
  return controller;
}

TTableBuilder LogicalDrives() {
  TTableBuilder drives("VKXSG_krLogicalDisk", "Logical Drive Information");
  drives.ReachedThrough("VKXSG_krProtocolControllerForUnit", "VKXSG_krLogicalDisk")
      .SortBy("LogicalDriveNum", kAscending)
      .Rows({"ControllerNum", "LogicalDriveNum", "LogicalDriveName", "RaidLevel", "LogicalDriveStatus", "Size",
             "ReadCacheStatus", "WriteCacheStatus", "WriteCacheSetting", "Partitioned", "NumOfSegments",
             "StripeUnitSize", "DriveList", "StripeOrder", "DefunctSegments"})
      .Column("NumBadStripes", "")
      .Through("VKXSG_ElementBadStripeData", "VKXSG_BadStripeData");
  return drives;
}

TTableBuilder StripeOrders() {
  TTableBuilder stripes("VKXSG_krDiskGroup", "Stripe Order");
  stripes.ReachedThrough("VKXSG_krStripeOrderForController", "VKXSG_krDiskGroup")
      .SortBy("LogicalDrive", kAscending)
      .Rows({"Array", "LogicalDrive", "ControllerNum", "StripeOrder"});
  return stripes;
}

TTableBuilder PhysicalDrives() {
  TTableBuilder drives("VKXSG_krDiskDrive", "Physical Device Information");
  drives.ReachedThrough("VKXSG_krProtocolControllerForPhysicalDisk", "VKXSG_krDiskDrive")
      .SortBy("Channel", kAscending)
      .SortBy("ScsiId", kAscending)
      .Rows({"CollectionID", "DateTimeOfCollection", "ControllerNum", "DeviceNumber", "DeviceType"})
      .Rows({"Channel", "ScsiId", "DeviceCode", "State", "Supported", "TransferSpeed", "ReportedChannel"})
      .Rows({"ReportedLocation", "ReportedESD", "EnclosureId", "Type", "Vendor", "Model", "Firmware"})
      .Rows({"DeviceSerialNum", "WorldWideName", "Size", "WriteCache", "FRU", "PFA", "Enclosure"});
  return drives;
}

TTableBuilder OperatingDataRate() {
  TTableBuilder rates(kSubStatDataClass, "Operating Data Rate of Disk");
  rates.ColumnStyle("100%").Columns({{"ControllerNum", "14%"},
                                     {"Channel", "14%"},
                                     {"ScsiId", "14%"},
                                     {"Params", "14%"},
                                     {"Req_Off", "14%"},
                                     {"Max_Txer_P", "15%"},
                                     {"Cur_Txer_P", "15%"}});
  return rates;
}

// The manager reports that it is missing as its only event; there is nothing
// to order then.
TReportParameters LogsPage(bool orderManagerEvents) {
  TPageBuilder page(kLogsTitle, kLogsLink);
  TTableBuilder& events = page.Table("VKXSG_LogRecord_RAIDMgrEvent", "KeelRAID Manager Events");
  events.ColumnStyle("100%").Columns({{"MessageTimestamp", "18%"}, {"Severity", "17%"}, {"Message", "65%"}});
  if (orderManagerEvents) events.SortBy("MessageTimestamp", kAscending);
  page.Table("VKXSG_LogRecord_krDDD", "KeelRAID Defunct Drive Log")
      .ColumnStyle("100%")
      .Sortable()
      .Columns({{"Controller", "5%"},
                {"Date", "10%"},
                {"Time", "10%"},
                {"Channel", "5%"},
                {"ID", "5%"},
                {"Reason", "20%"},
                {"Descrip", "45%"}});
  page.Table("VKXSG_krSCSIDeviceData", "Device Event Table")
      .ColumnStyle("100%")
      .SortBy("ControllerNum", kAscending)
      .SortBy("Channel", kAscending)
      .SortBy("ScsiId", kAscending)
      .Columns({{"ControllerNum", "13%"},
                {"Channel", "12%"},
                {"ScsiId", "12%"},
                {"NumParityErrors", "13%"},
                {"NumSoftErrors", "13%"},
                {"NumHardErrors", "13%"},
                {"PFA", "12%"},
                {"Misc", "12%"}});
  return page.Build();
}

}  // namespace

void TWriter::WriteKeelRAIDReport(TBuilderPtr /*builder*/, std::string pageID) {
  TNamedTraceScope trace("TWriter::WriteKeelRAIDReport");
  const std::string link = pageID;
  const std::string rawLink = IsRawDataShown() ? WriteKeelRAIDRawDataReport(link) : "";
  OpenPage(PagePath(link));
  BeginPageBody();
  WritePageTitle(kKeelRAIDTitle, rawLink.empty() ? "" : kRawDataLinkText, rawLink);
  WriteSeparator();
  const TInstances controllers = InstancesOfClass(*fNamespace, "VKXSG_krSCSIProtocolController");
  for (const TInstancePtr& controller : controllers) WriteKeelRAIDController(controller);
  if (fMode == "luz") WriteKeelRAIDOperatingDataRate();
  EndPageBody();
  ClosePage();
  bool hasContent = !controllers.empty() || !rawLink.empty();
  RegisterPage(link, kKeelRAIDTitle, hasContent);
}

void TWriter::WriteKeelRAIDController(TInstancePtr controller) {
  const std::string title = "Controller " + GetPropertyValue(controller, "ControllerNum", ",");
  WritePlainTableTitle(title);
  WriteNonNullPropertyTable(controller, ControllerRows().Definition().GetProperties(), title);
  WriteKeelRAIDSection(controller, title, LogicalDrives().Definition(), "logical drive information", "");
  WriteKeelRAIDSection(controller, title, StripeOrders().Definition(), "stripe order", "LogicalDrive");
  WriteKeelRAIDSection(controller, title, PhysicalDrives().Definition(), "physical drive information", "");
}

// The section's title once, then one table per associated instance; a
// numbered section names each table by the number in its numbering property.
void TWriter::WriteKeelRAIDSection(TInstancePtr controller, const std::string& controllerTitle,
                                   const TReportClass& section, const std::string& captionPart,
                                   const std::string& numberProperty) {
  TInstances members = InstancesReachedFrom(controller, section);
  if (members.empty()) return;
  WritePlainTableTitle(section.GetTitle());
  for (const TInstancePtr& member : members) {
    std::string caption = controllerTitle + " -- " + captionPart;
    if (!numberProperty.empty()) {
      caption += " " + IntToStr(GetNumberInString(PropertyText(*member, numberProperty)), 10);
    }
    WriteNonNullPropertyTable(member, section.GetProperties(), caption);
  }
}

TWriter::TInstances TWriter::InstancesReachedFrom(TInstancePtr from, const TReportClass& table) {
  TInstances reached;
  from->Associators(TAddToVectorCallback<ICIMInstance>(reached), table.GetAssocClass(), table.GetResultClass(),
                    table.GetRole(), table.GetResultRole());
  SortInstances(reached, table.GetInstanceSorter());
  return reached;
}

void TWriter::WriteNonNullPropertyTable(TInstancePtr instance, const std::vector<TReportProperty>& rows,
                                        const std::string& caption) {
  std::vector<TReportProperty> shown;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(shown),
               [&instance](const TReportProperty& row) { return HasValue(instance, row); });
  BeginPropertyTable("60%", "40%", caption);
  WritePropertyRows(instance, shown);
  EndTable();
}

// A row reached through an association has a value when some associated
// instance has one.
bool TWriter::HasValue(TInstancePtr instance, const TReportProperty& row) {
  if (!row.HasAssociationClass() && !row.HasAssociationTarget()) return !IsPropertyNull(instance, row.GetProperty());
  TInstances associated;
  try {
    instance->Associators(TAddToVectorCallback<ICIMInstance>(associated), row.GetAssociationClass(),
                          row.GetAssociationTarget(), "", "");
  } catch (const TQZAException&) {
    return false;
  }
  return std::any_of(associated.begin(), associated.end(),
                     [&row](const TInstancePtr& other) { return !IsPropertyNull(other, row.GetProperty()); });
}

void TWriter::WriteKeelRAIDOperatingDataRate() {
  const TReportClass table = OperatingDataRate().Definition();
  TInstances rates;
  try {
    fNamespace->GetClass(kSubStatDataClass)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(rates), true);
  } catch (const TQZAException&) {
    LogLine(3,
            "TWriter::WriteKeelRAIDReport -- Exception when getting class [VKXSG_krSCSISubStatData] under "
            "LUZ mode");
    return;
  }
  // The title stands even over an empty table.
  WriteTable(table, rates, true, true, TCIMContext());
}

void TWriter::WriteKeelRAIDLogsReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteKeelRAIDLogsReport");
  const std::string rawLink = IsRawDataShown() ? WriteKeelRAIDManagerRawDataReport(kLogsLink) : "";
  OpenPage(PagePath(kLogsLink));
  WritePageHeading();
  BeginPageBody();
  WritePageTitle(kLogsTitle, rawLink.empty() ? "" : kRawDataLinkText, rawLink);
  const TInstances events = InstancesOfClass(*fNamespace, "VKXSG_LogRecord_RAIDMgrEvent");
  const bool managerMissing = !events.empty() && PropertyText(*events[0], "Message") == kManagerNotInstalled;
  bool hasContent = !rawLink.empty();
  const TReportParameters tables = LogsPage(!managerMissing);
  for (const TReportClass& table : tables.GetClasses()) {
    if (WriteGenericTable(table)) hasContent = true;
  }
  const TInstances hardEvents = InstancesOfClass(*fNamespace, "VKXSG_LogRecord_HardEvent");
  const TInstances softEvents = InstancesOfClass(*fNamespace, "VKXSG_LogRecord_SoftEvent");
  WriteKeelRAIDEventLog(hardEvents, "KeelRAID Hard Event Log", "krHardEventLog");
  WriteKeelRAIDEventLog(softEvents, "KeelRAID Soft Event Log", "krSoftEventLog");
  if (!hardEvents.empty() || !softEvents.empty()) hasContent = true;
  EndPageBody();
  ClosePage();
  RegisterPage(kLogsLink, kLogsTitle, hasContent);
}

std::string TWriter::WriteKeelRAIDRawDataReport(std::string pageLink) {
  TNamedTraceScope trace("TWriter::WriteKeelRAIDRawDataReport");
  static const TRawDataPage kLayout = {"VKXSG_krRawData",     "kr_rawData_index", "KeelRAID Raw Data Information",
                                       "Commands Issued",     "Result",           "<font face=\"Courier\">",
                                       "kr_RawData_Results_", "RawResults",       CommandOf};
  return WriteRawDataPage(kLayout, pageLink);
}

std::string TWriter::WriteKeelRAIDManagerRawDataReport(std::string pageLink) {
  TNamedTraceScope trace("TWriter::WriteKeelRAIDManagerRawDataReport");
  static const TRawDataPage kLayout = {"VKXSG_krManagerRawData",
                                       "krmanager_rawData_index",
                                       "KeelRAID Manager Raw Data Infomation",
                                       "Commands Issued",
                                       "Result",
                                       "<font face=\"Courier\">",
                                       "kr_Manager_RawData_Results_",
                                       "RawResults",
                                       CommandOf};
  return WriteRawDataPage(kLayout, pageLink);
}
