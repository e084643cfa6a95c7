// Instance and property queries of TWriter, and the class-specific tables of
// ClassFilter.
#include <algorithm>

#include "writer/cim_reading.h"
#include "writer/table_queries.h"
#include "writer/text_join.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TQZAException;

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Logical devices that other pages already show in full.
bool IsShownElsewhere(const ICIMInstance& device) {
  const std::string deviceClass = PropertyText(device, "DeviceClass");
  for (const char* kind : {"cpu", "memory", "unknown", "network interface"}) {
    if (Contains(deviceClass, kind)) return true;
  }
  return Contains(deviceClass, "system") && Contains(PropertyText(device, "ElementName"), "System");
}

bool AnyHasBuildNumber(const TWriter::TInstances& instances) {
  return std::any_of(instances.begin(), instances.end(), [](const TWriter::TInstancePtr& vpd) {
    return !PropertyText(*vpd, "BuildNumber").empty();
  });
}

// Diagnostic records are listed oldest first.
const char* TimeStampProperty(const std::string& className) {
  if (className == "CIM_DiagnosticCompletionRecord") return "CreationTimeStamp";
  if (className == "VKXSG_MemoryDiagLogRecord") return "MessageTimestamp";
  return nullptr;
}

}  // namespace

void TWriter::SortInstances(TInstances& instances, const TInstanceSorter& sorter) {
  OrderInstances(instances, sorter);
}

TWriter::TInstances TWriter::GetInstances(TReportClass table) {
  return TableInstances(*fNamespace, table, kIgnorePropertyFilters);
}

TWriter::TProperties TWriter::GetProperties(TInstancePtr instance, const std::string& name,
                                            const std::string& associationClass,
                                            const std::string& associationTarget) {
  return ColumnProperties(instance, name, associationClass, associationTarget);
}

std::string TWriter::GetPropertyValueFromAssociation(TInstancePtr instance, std::string name,
                                                     std::string associationClass,
                                                     std::string resultClass,
                                                     std::string separator) {
  std::vector<std::string> values;
  try {
    TInstances associated;
    instance->Associators(TAddToVectorCallback<ICIMInstance>(associated), associationClass,
                          resultClass, "", "");
    for (const TInstancePtr& other : associated) values.push_back(GetPropertyValue(other, name, " "));
  } catch (const TQZAException& error) {
    LogLine(3, std::string("Error navigation association: ") + error.what());
  }
  return JoinTexts(values, separator);
}

bool TWriter::ClassFilter(std::vector<TReportClass>::const_iterator table, TInstances instances,
                          bool& handled) {
  TNamedTraceScope trace("TWriter::ClassFilter");
  const std::string className = table->GetClass();
  bool written = false;
  if (className == "VKXSG_SPDData") {
    written = WriteTableInGroups(*table, instances, kSPDDataPerTable);
  } else if (className == "VKXSG_LogicalDevice") {
    instances.erase(std::remove_if(instances.begin(), instances.end(),
                                   [](const TInstancePtr& device) { return IsShownElsewhere(*device); }),
                    instances.end());
    WriteTable(*table, instances, true, false, TCIMContext());
    written = true;
  } else if (className == "VKXSG_DiagnosticVPD") {
    if (AnyHasBuildNumber(instances)) {
      WriteTable(*table, instances, true, false, TCIMContext());
      written = true;
    }
  } else if (const char* timeStamp = TimeStampProperty(className)) {
    if (!instances.empty()) {
      TInstanceSorter byTime;
      byTime.AddProperty(timeStamp, true, false);
      SortInstances(instances, byTime);
      WriteTable(*table, instances, true, false, TCIMContext());
      written = true;
    }
  }
  if (written) handled = true;
  return written;
}

bool TWriter::WriteTableInGroups(const TReportClass& table, const TInstances& instances,
                                 size_t groupSize) {
  for (size_t first = 0; first < instances.size(); first += groupSize) {
    const size_t last = std::min(first + groupSize, instances.size());
    WriteTable(table, TInstances(instances.begin() + first, instances.begin() + last), true, false,
               TCIMContext());
  }
  return !instances.empty();
}
