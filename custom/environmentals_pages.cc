// The pages about the server's management hardware: "Environmentals", the
// numeric sensors with their current readings, and "XCM Configuration", the
// network settings of the XCM service processor.
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "custom/device_reading.h"
#include "custom/property_tables.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

typedef TReportParameters::TReportProperty TColumn;

const char kSensorClass[] = "CIM_NumericSensor";
const char kEnvironmentalsPage[] = "Environmentals";
const char kXCMConfigLink[] = "XCMConfig";
const char kXCMConfigTitle[] = "XCM Configuration";
const uint16_t kDHCPAddressOrigin = 4;
// Beyond this many powers of ten a float reading is infinite or zero.
const int kMaxScaleSteps = 64;

// XCM sensors are named and numbered by node differently from the others.
std::string SensorNameProperty(bool xcm) { return xcm ? "ElementName" : "SensorDescription"; }
std::string SensorNodeProperty(bool xcm) { return xcm ? "NodeID" : "SourceNode"; }

TReportParameters::TReportClass SensorTable(bool xcm, bool multiNode) {
  TReportParameters::TReportClass table;
  table.SetTitle(kEnvironmentalsPage);
  table.SetClass(kSensorClass);
  std::vector<TColumn> columns = {TColumn(SensorNameProperty(xcm), "25%", "", "", "")};
  if (multiNode) columns.push_back(TColumn(SensorNodeProperty(xcm), "7%", "", "", ""));
  columns.push_back(TColumn("CurrentReading", "25%", "", "", ""));
  columns.push_back(TColumn("BaseUnits", "25%", "", "", ""));
  table.SetProperties(columns);
  return table;
}

TReportParameters::TInstanceSorter SensorOrder(bool xcm, bool multiNode) {
  TReportParameters::TInstanceSorter order;
  if (multiNode) order.AddProperty(SensorNodeProperty(xcm), true, false);
  order.AddProperty(SensorNameProperty(xcm), true, false);
  return order;
}

// An unreadable reading or modifier counts as 0.
int32_t IntegerOrZero(const NVKXQZA20::ICIMInstance& sensor, const std::string& name) {
  try {
    return sensor.GetProperty(name)->GetValue().ToSInt32();
  } catch (const NVKXQZA20::TQZAException&) {
    return 0;
  }
}

// CurrentReading x 10^UnitModifier in single precision.
std::string SensorReading(const NVKXQZA20::ICIMInstance& sensor) {
  const int32_t modifier = IntegerOrZero(sensor, "UnitModifier");
  const int steps = static_cast<int>(std::min<int64_t>(std::llabs(modifier), kMaxScaleSteps));
  float scale = 1;
  for (int i = 0; i < steps; ++i) scale *= 10;
  const float reading = static_cast<float>(IntegerOrZero(sensor, "CurrentReading"));
  std::ostringstream text;
  text << (modifier < 0 ? reading / scale : reading * scale);
  return text.str();
}

bool IsDHCPEndpoint(const NVKXQZA20::ICIMInstance& endpoint) {
  try {
    return endpoint.GetProperty("AddressOrigin")->GetValue().ToUInt16() == kDHCPAddressOrigin;
  } catch (const NVKXQZA20::TQZAException&) {
    return false;
  }
}

// On a multi-node system every settings table starts with the node.
std::vector<TColumn> SettingRows(bool multiNode, const std::vector<std::string>& properties) {
  std::vector<TColumn> rows;
  if (multiNode) rows.push_back(Row("NodeID"));
  for (const std::string& property : properties) rows.push_back(Row(property));
  return rows;
}

}  // namespace

void TWriter::WriteEnvironmentalsReport(TBuilderPtr builder, std::string pageID) {
  TNamedTraceScope trace("TWriter::WriteEnvironmentalsReport");
  WriteEnvironmentalsPreferred(builder, pageID);
}

void TWriter::WriteEnvironmentalsPreferred(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteEnvironmentalsPreferred");
  const bool multiNode = builder->IsMultiNode();
  OpenPage(PagePath(kEnvironmentalsPage));
  BeginPageBody();
  WritePageTitle(kEnvironmentalsPage, "", "");
  const TReportClass table = SensorTable(fXCM, multiNode);
  bool subTitleEnabled = table.SubTitleEnabled();
  bool secondFlag = false;
  WriteTableTitle(table.GetTitle(), subTitleEnabled, secondFlag);
  TInstances sensors = ShownSensors(GetInstances(table), SensorNameProperty(fXCM));
  SortInstances(sensors, SensorOrder(fXCM, multiNode));
  if (!sensors.empty()) WriteTableGrid(SensorGrid(table, sensors));
  EndPageBody();
  ClosePage();
  bool hasContent = HasClass(kSensorClass);
  RegisterPage(kEnvironmentalsPage, kEnvironmentalsPage, hasContent);
}

// Sensors without a name or of unknown state say nothing to the reader.
TWriter::TInstances TWriter::ShownSensors(const TInstances& sensors, const std::string& nameProperty) {
  TInstances shown;
  for (const TInstancePtr& sensor : sensors) {
    if (PropertyText(*sensor, nameProperty).empty()) continue;
    if (GetPropertyValue(sensor, "OperationalStatus", ",") == "Unknown") continue;
    shown.push_back(sensor);
  }
  return shown;
}

TTableGrid TWriter::SensorGrid(const TReportClass& table, const TInstances& sensors) {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  TTableGrid grid(static_cast<int32_t>(sensors.size()) + 1, static_cast<int32_t>(columns.size()), false);
  grid.fColumnReport = true;
  grid.fTableWidth = TReportParameters::ConvertPercent(table.GetTableWidth());
  grid.fSortable = table.IsTableSortable();
  // Labels come from the class of the first sensor, as in every generic
  // table: the sensor subclasses declare the name and node properties.
  boost::shared_ptr<NVKXQZA20::ICIMClass> sensorClass = sensors.front()->GetClass();
  for (size_t j = 0; j < columns.size(); ++j) {
    const int32_t column = static_cast<int32_t>(j);
    grid.fColumnWidths[j] =
        TReportParameters::ConvertPercent(columns[j].GetColumnWidth()) * grid.fTableWidth / 100;
    grid.Cell(0, column).fText = GetTableHeaderLabel(*sensorClass, columns[j], NVKXQZA20::TCIMContext());
    for (size_t i = 0; i < sensors.size(); ++i) {
      const std::string property = columns[j].GetProperty();
      grid.Cell(static_cast<int32_t>(i) + 1, column).fText =
          property == "CurrentReading" ? SensorReading(*sensors[i])
                                       : GetPropertyValue(sensors[i], property, ",");
    }
  }
  return grid;
}

void TWriter::WriteXCMConfigReport(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteXCMConfigReport");
  const bool multiNode = builder->IsMultiNode();
  OpenPage(PagePath(kXCMConfigLink));
  BeginPageBody();
  WritePageTitle(kXCMConfigTitle, "", "");
  bool hasContent = false;
  for (const TInstancePtr& dns : InstancesOfClass(*fNamespace, "CIM_DNSSettingData")) {
    WriteSettingTable(dns, PropertyText(*dns, "InstanceID"),
                      SettingRows(multiNode, {"RequestedHostname", "DNSServerAddresses", "ElementName"}));
    hasContent = true;
  }
  // A DHCP address makes any static setting stale.
  bool dhcpFound = false;
  for (const TInstancePtr& endpoint : InstancesOfClass(*fNamespace, "CIM_IPProtocolEndpoint")) {
    if (!IsDHCPEndpoint(*endpoint)) continue;
    WriteSettingTable(endpoint, "DHCP IP Address",
                      SettingRows(multiNode, {"IPv4Address", "SubnetMask", "SystemName"}));
    dhcpFound = hasContent = true;
  }
  if (!dhcpFound) {
    for (const TInstancePtr& setting : InstancesOfClass(*fNamespace, "CIM_StaticIPAssignmentSettingData")) {
      WriteSettingTable(
          setting, "Static IP Address",
          SettingRows(multiNode, {"InstanceID", "IPv4Address", "SubnetMask", "GatewayIPv4Address"}));
      hasContent = true;
    }
  }
  TInstances communities = InstancesOfClass(*fNamespace, "VKX_SNMPCommunityString");
  if (communities.empty()) communities = InstancesOfClass(*fNamespace, "CIM_SNMPCommunityString");
  for (const TInstancePtr& community : communities) {
    WriteSettingTable(community, "SNMP Community",
                      SettingRows(multiNode, {"Name", "CommunityString", "SystemName"}));
    hasContent = true;
  }
  EndPageBody();
  ClosePage();
  RegisterPage(kXCMConfigLink, kXCMConfigTitle, hasContent);
}

void TWriter::WriteSettingTable(TInstancePtr instance, const std::string& title,
                                const std::vector<TReportProperty>& rows) {
  WritePlainTableTitle(title);
  BeginPropertyTable("70%", "40%", title);
  WritePropertyRows(instance, rows);
  EndTable();
}
