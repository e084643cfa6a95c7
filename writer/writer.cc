#include "writer/writer.h"

#include <algorithm>

#include "core/schema_helper.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMSchemaHelper;
using NVKXQZA20::TQZAException;

namespace {

const int32_t kDeltaGenerationMode = 1;
const int32_t kLinuxOSType = 36;

// The number of data sources the host announces; there is always data source 0.
int DataSourceCount(const TCIMContext& context) {
  TCIMContext::const_iterator count = context.find("nNamespaces");
  if (count == context.end()) return 1;
  return std::max(1, static_cast<int>(count->second.ToSInt32()));
}

// Two collections taken in the same second, or two machines of one host
// name, would share a label, and a title could name the wrong collection:
// a repeated label gets " (2)", " (3)"... and labels that are unique stay.
void MakeLabelsUnique(std::vector<std::string>& labels) {
  for (size_t i = 1; i < labels.size(); ++i) {
    if (std::find(labels.begin(), labels.begin() + i, labels[i]) == labels.begin() + i) continue;
    std::string label;
    for (int n = 2; label.empty() || std::count(labels.begin(), labels.end(), label) != 0; ++n) {
      label = labels[i] + " (" + std::to_string(n) + ")";
    }
    labels[i] = label;
  }
}

}  // namespace

TWriter::TWriter()
    : fMode("default"),
      fWriterType("html"),
      fPreboot(false),
      fXCM(false),
      fGenerationMode(0),
      fOSType(TReportParametersBuilder::OSUnknown) {
  LogLine(3, "TWriter::TWriter -- Entering ");
  LogLine(3, "TWriter::TWriter -- Exiting");
}

TWriter::~TWriter() { LogLine(3, "TWriter::~TWriter -- Entering "); }

void TWriter::BaseInitialize(TNamespacePtr ns, TCIMContext context, TBuilderPtr builder) {
  TTraceScope trace("TWriter::BaseInitialize -- Entering ", "TWriter::BaseInitialize -- Exiting ");
  fNamespace = ns;
  ReadRunFlags(*builder);
  fDeltaClassMap.clear();
  fHeaderLabels.clear();
  if (fGenerationMode == kDeltaGenerationMode) {
    LogLine(3,
            "TWriter::BaseInitialize -- Under DELTA mode, construct a mapping from class name to "
            "VKXSG_DeltaClass instance");
    MapDeltaClasses();
  }
  LabelDataSources(context);
}

// A failing probe leaves the flags of a fresh writer, not those of an
// earlier run of this one.
void TWriter::ReadRunFlags(const TReportParametersBuilder& builder) {
  fPreboot = false;
  fXCM = false;
  fGenerationMode = 0;
  fOSType = TReportParametersBuilder::OSUnknown;
  try {
    fPreboot = builder.IsPreboot();
    fXCM = builder.IsXCM();
    fGenerationMode = fNamespace->GetNamespaceProvider()->GetGenerationMode();
    fOSType = builder.GetOSType();
  } catch (...) {
    LogLine(3, "TWriter::BaseInitialize -- Exception when initializing member variable");
  }
}

void TWriter::MapDeltaClasses() {
  const TInstances deltaClasses = InstancesOfClass(*fNamespace, "VKXSG_DeltaClass");
  for (const TInstancePtr& deltaClass : deltaClasses) {
    fDeltaClassMap[PropertyText(*deltaClass, "ClassName")] = deltaClass;
  }
}

// Collections of one machine are told apart by when they were taken,
// different machines by their host names. A data source that lacks the class
// keeps its serial number as label.
void TWriter::LabelDataSources(TCIMContext context) {
  fDataSourceLabels.clear();
  const int count = DataSourceCount(context);
  for (int index = 0; index < count; ++index) {
    fDataSourceLabels.push_back(
        TCIMSchemaHelper::GetRawSerialNumberString(fNamespace, ContextForDataSource(context, index)));
  }
  const bool sameMachine =
      std::count(fDataSourceLabels.begin(), fDataSourceLabels.end(), fDataSourceLabels[0]) == count;
  for (int index = 0; index < count; ++index) {
    const TCIMContext source = ContextForDataSource(context, index);
    if (sameMachine) {
      const TInstances zones = InstancesOfClass(*fNamespace, "VKXSG_TimeZone", source);
      if (zones.empty()) continue;
      fDataSourceLabels[index] = GetDateTime(zones[0]->GetProperty("LocalDateTime")->GetValue(), false);
    } else {
      const TInstances services = InstancesOfClass(*fNamespace, "VKXSG_IPService", source);
      if (services.empty()) continue;
      fDataSourceLabels[index] = services[0]->GetProperty("HostName")->GetValue().ToString(10);
    }
  }
  MakeLabelsUnique(fDataSourceLabels);
}

void TWriter::BaseDispose() {
  TTraceScope trace("TWriter::BaseDispose -- Entering ", "TWriter::BaseDispose -- Exiting ");
  fDeltaClassMap.clear();
  fDataSourceLabels.clear();
}

std::string TWriter::GetWriterType() const {
  LogLine(3, "TWriter::GetWriterType -- Exiting with result = [" + fWriterType);
  return fWriterType;
}

bool TWriter::IsLinux() const {
  try {
    TInstances systems;
    fNamespace->GetClass("VKXSG_OperatingSystem")
        ->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(systems), true);
    if (systems.empty()) {
      LogLine(3, "Report - IsLinux: no VKXSG_OperatingSystem instance");
      return false;
    }
    return systems.size() == 1 &&
           systems[0]->GetProperty("OSType")->GetValue().ToSInt32() == kLinuxOSType;
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    LogLine(3, "Report - IsLinux: no VKXSG_OperatingSystem class");
    return false;
  }
}

std::string TWriter::GetDataSourceVersion() const {
  const TCIMContext firstSource = ContextForDataSource(TCIMContext(), 0);
  const std::string build = TCIMSchemaHelper::GetDataSourceBuild(fNamespace, firstSource);
  std::string major = TCIMSchemaHelper::GetDataSourceMajorVersion(fNamespace, firstSource);
  const std::string minor = TCIMSchemaHelper::GetDataSourceMinorVersion(fNamespace, firstSource);
  if (build.find("preboot") != std::string::npos && major < "2") major = "2";
  const std::string version = major + "." + minor;
  LogLine(3, "Report - GetDataSourceVersion: " + version);
  return version;
}
