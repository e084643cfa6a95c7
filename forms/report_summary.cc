#include "forms/report_summary.h"

#include <algorithm>

#include "core/root.h"
#include "findings/readable_values.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TQZAException;

namespace {

struct TSummarySource {
  const char* fLabel;
  const char* fClass;
  const char* fProperty;
};

const TSummarySource kSummarySources[] = {
    {"Host name", "VKXSG_ComputerSystem", "Name"},
    {"Manufacturer", "VKXSG_ComputerSystem", "Manufacturer"},
    {"Model", "VKXSG_ComputerSystem", "ProductName"},
    {"Serial number", "VKXSG_ComputerSystem", "SerialNumber"},
    {"Operating system", "VKXSG_OperatingSystem", "Name"},
    {"OS version", "VKXSG_OperatingSystem", "Version"},
    {"Kernel release", "VKXSG_OperatingSystem", "KernelRelease"},
    {"Collected", "VKXSG_TimeZone", "LocalDateTime"},
    {"Collector", "VKXSG_QZAProduct", "Name"},
    {"Collector version", "VKXSG_QZAProduct", "Version"},
    {"Collector build", "VKXSG_QZAProduct", "Build"},
    // An ESXi host names itself through the classes of its own providers.
    {"Manufacturer", "OMC_Chassis", "Manufacturer"},
    {"Model", "OMC_Chassis", "Model"},
    {"Serial number", "OMC_Chassis", "SerialNumber"},
    {"Operating system", "VMware_HypervisorSoftwareIdentity", "ElementName"},
};

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

std::string FirstInstanceText(const TWriter::TNamespacePtr& ns, const char* className, const char* property) {
  try {
    TWriter::TInstances instances;
    ns->GetClass(className)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true);
    if (instances.empty()) return "";
    const auto value = instances.front()->GetProperty(property);
    // A time carries its UTC offset, as every time the host writes.
    if (value->GetType() == NVKXQZA20::CIMTypeDateTime && !value->GetValue().IsNull()) {
      const std::string time = TimeWithOffset(value->GetValue().ToDateTime().ToDMTFString());
      if (!time.empty()) return time;
    }
    return Joined(value->GetValueTexts());
  } catch (const TQZAException&) {
    return "";
  }
}

}  // namespace

std::vector<TSummaryItem> ReadReportSummary(const TWriter::TNamespacePtr& ns) {
  std::vector<TSummaryItem> summary;
  for (const TSummarySource& source : kSummarySources) {
    // The first source that knows a fact gives it.
    if (!SummaryValue(summary, source.fLabel).empty()) continue;
    std::string value = ns ? FirstInstanceText(ns, source.fClass, source.fProperty) : "";
    if (!value.empty()) summary.push_back(TSummaryItem{source.fLabel, value});
  }
  return summary;
}

std::string SummaryValue(const std::vector<TSummaryItem>& summary, const std::string& label) {
  auto item = std::find_if(summary.begin(), summary.end(), [&](const TSummaryItem& i) { return i.fLabel == label; });
  return item == summary.end() ? "" : item->fValue;
}

std::string MachineName(const std::vector<TSummaryItem>& summary) {
  for (const char* label : {"Host name", "Model", "Serial number"}) {
    const std::string value = SummaryValue(summary, label);
    if (!value.empty()) return value;
  }
  return "Unnamed system";
}
