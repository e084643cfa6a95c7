// The ESXi pages about the management hardware: "XCM Configuration", the
// network settings of the service processor, and "Environmentals", the
// numeric sensors with their readings.
#include "esxi/writer_vmwesxi.h"
#include "writer/cim_reading.h"
#include "writer/sensor_reading.h"
#include "writer/table_renderer.h"
#include "writer/trace.h"

namespace {

const char kDHCPAddressClass[] = "CIM_IPProtocolEndpoint";
const char kStaticAddressClass[] = "OMC_IPMIIPProtocolEndpoint";

bool ClassExists(const NVKXQZA20::ICIMNamespace& ns, const std::string& className) {
  try {
    ns.GetClass(className);
    return true;
  } catch (const NVKXQZA20::TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return false;
  }
}

}  // namespace

void TWriter_vmwesxi::WriteXCMConfigReport(TReportParametersBuilder_vmwesxi builder) {
  TNamedTraceScope trace("TWriter_vmwesxi::WriteXCMConfigReport");
  const TReportParameters page = builder.BuildXCMConfigurationParams();
  OpenReportPage(page);
  bool hasContent = false;
  bool dhcpAddressFound = false;
  for (const TReportClass& table : page.GetClasses()) {
    // A DHCP address makes any static setting stale.
    if (table.GetClass() == kStaticAddressClass && dhcpAddressFound) continue;
    const TInstances settings = GetInstances(table);
    for (const TInstancePtr& setting : settings) WritePropertyTable(setting, table, table.GetProperties());
    if (settings.empty()) continue;
    hasContent = true;
    if (table.GetClass() == kDHCPAddressClass) dhcpAddressFound = true;
  }
  CloseReportPage(page, hasContent);
}

void TWriter_vmwesxi::WriteEnvironmentalsPreferred(TReportParametersBuilder_vmwesxi builder) {
  TNamedTraceScope trace("TWriter_vmwesxi::WriteEnvironmentalsPreferred");
  const TReportParameters page = builder.BuildEnvironmentalsParams();
  TTableRenderingHooks hooks = RenderingHooks();
  hooks.fCellText = [this](const TReportClass&, const std::string& property, TInstancePtr sensor,
                           const std::string& text) {
    return property == "CurrentReading" ? ScaledSensorReading(*sensor, fReadingPrecision) : text;
  };
  const TTableRenderer renderer(hooks, "TWriter_vmwesxi::WriteTable");
  OpenReportPage(page);
  bool hasContent = false;
  for (const TReportClass& table : page.GetClasses()) {
    // The first column names the sensor.
    const TInstances sensors = ShownSensors(GetInstances(table), table.GetProperties().front().GetProperty());
    renderer.WriteTable(table, sensors, true, false, NVKXQZA20::TCIMContext());
    if (ClassExists(Repository(), table.GetClass())) hasContent = true;
  }
  CloseReportPage(page, hasContent);
}

TWriter_vmwesxi::TInstances TWriter_vmwesxi::ShownSensors(const TInstances& sensors,
                                                          const std::string& nameProperty) {
  TInstances shown;
  for (const TInstancePtr& sensor : sensors) {
    if (PropertyText(*sensor, nameProperty).empty()) continue;
    if (GetPropertyValue(sensor, "OperationalStatus", ",") == "Unknown") continue;
    shown.push_back(sensor);
  }
  return shown;
}
