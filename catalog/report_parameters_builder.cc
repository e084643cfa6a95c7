// The builder's probes: questions about the data source that page
// operations, the writer and the report driver ask.
#include "catalog/report_parameters_builder.h"

#include "core/root.h"
#include "core/schema_helper.h"

using NVKXQZA20::ICIMClass;
using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMSchemaHelper;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

namespace {

const char* const kPrebootMark = "preboot";
const uint16_t kWindowsNewerOSType = 74;
const uint16_t kLinuxOSType = 36;
const uint16_t kVMwareOSType = 78;
const uint16_t kVMwareEmbeddedOSType = 81;

void Log(const std::string& text) { NVKXQZA20::TRootObject::GetCoreLogger()->Log(3, text); }

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TCIMContext FirstDataSource() {
  TCIMContext context;
  context["nsIndex"] = TCIMValue(static_cast<uint16_t>(0));
  return context;
}

TCIMValue ReadValue(const ICIMInstance& instance, const std::string& property) {
  return instance.GetProperty(property, TCIMContext())->GetValue(TCIMContext());
}

bool IsNotFound(const TQZAException& error) {
  return error.GetStatusCode() == NVKXQZA20::kQZANotFound;
}

// Probes hand on other failures of the core as a fresh exception.
TQZAException Rethrown(const TQZAException& error) {
  return TQZAException(error.GetStatusCode(), error.GetDetail());
}

}  // namespace

TReportParametersBuilder::TReportParametersBuilder(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns,
                                                   std::string reportGenerationMode, bool isXCM)
    : fNamespace(ns), fReportGenerationMode(std::move(reportGenerationMode)), fXCM(isXCM) {}

bool TReportParametersBuilder::IsPreboot() const {
  return Contains(TCIMSchemaHelper::GetDataSourceBuild(fNamespace, TCIMContext()), kPrebootMark);
}

std::string TReportParametersBuilder::GetDataSourceVersion() const {
  const TCIMContext context = FirstDataSource();
  std::string build;
  std::string major;
  std::string minor;
  try {
    build = TCIMSchemaHelper::GetDataSourceBuild(fNamespace, context);
    major = TCIMSchemaHelper::GetDataSourceMajorVersion(fNamespace, context);
    minor = TCIMSchemaHelper::GetDataSourceMinorVersion(fNamespace, context);
  } catch (const TQZAException&) {
    // What was read so far still makes a version.
  }
  if (!minor.empty()) minor.resize(1);
  // Preboot collectors belong to the third generation whatever they report.
  if (Contains(build, kPrebootMark) && major < "3") major = "3";
  const std::string version = major + "." + minor;
  Log("Report - GetDataSourceVersion: " + version);
  return version;
}

bool TReportParametersBuilder::IsMultiNode() const {
  try {
    unsigned nodes = 0;
    for (const boost::shared_ptr<ICIMInstance>& system : GetInstances("VKXSG_ComputerSystem")) {
      nodes = ReadValue(*system, "SystemNodes").ToUInt8();
      Log("TReportParametersBuilder::IsMultiNode() SystemNodes=" + std::to_string(nodes));
    }
    return nodes > 1;
  } catch (const TQZAException&) {
    return false;
  }
}

bool TReportParametersBuilder::IsSkerry() const {
  bool present = false;
  try {
    for (const boost::shared_ptr<ICIMInstance>& system : GetInstances("VKXSG_SP_SkerrySystem")) {
      present = ReadValue(*system, "SkerryPresent").ToBool();
    }
  } catch (const TQZAException& error) {
    if (IsNotFound(error)) return false;
  }
  return present;
}

bool TReportParametersBuilder::IsRedHat() const {
  try {
    const TInstances systems = GetInstances("VKXSG_OperatingSystem");
    if (systems.size() != 1) {
      Log("Report - IsRedHat: Unknown");
      return false;
    }
    if (!Contains(ReadValue(*systems.front(), "ProductVendor").ToString(), "Red Hat")) return false;
    Log("Report - IsRedHat: True");
    return true;
  } catch (const TQZAException& error) {
    if (!IsNotFound(error)) throw Rethrown(error);
    Log("Report - IsRedHat: Unknown");
    return false;
  }
}

TReportParametersBuilder::EOSType TReportParametersBuilder::GetOSType() const {
  try {
    if (IsPreboot()) return OSLinux;
    const TInstances systems = GetInstances("VKXSG_OperatingSystem");
    if (systems.size() != 1) {
      Log("Report - instances.size() !=1, GetOSType: Unknown");
      return GuessOSTypeFromEventRecords();
    }
    return ClassifyOperatingSystem(*systems.front());
  } catch (const TQZAException& error) {
    if (!IsNotFound(error)) throw Rethrown(error);
    Log("Report - GetOSType: Unknown");
    return OSUnknown;
  }
}

bool TReportParametersBuilder::HasTeamInfo() const {
  Log("Report - HasTeamInfo: Enter");
  try {
    for (const boost::shared_ptr<ICIMInstance>& port : GetInstances("VKXSG_PhysicalNetworkPort")) {
      // Both are read, so that a port without TeamID is noticed even when its TeamName is null.
      const bool hasTeamName = !ReadValue(*port, "TeamName").IsNull();
      const bool hasTeamID = !ReadValue(*port, "TeamID").IsNull();
      if (hasTeamName && hasTeamID) {
        Log("Report - HasTeamInfo: True");
        return true;
      }
    }
    return false;
  } catch (const TQZAException& error) {
    if (!IsNotFound(error)) throw Rethrown(error);
    Log("Report - HasTeamInfo: Unknown");
    return false;
  }
}

boost::shared_ptr<ICIMClass> TReportParametersBuilder::GetClass(std::string className) const {
  return fNamespace->GetClass(className, FirstDataSource());
}

TReportParametersBuilder::TInstances TReportParametersBuilder::GetInstances(
    const std::string& className) const {
  TInstances instances;
  GetClass(className)->EnumerateInstances(
      NVKXQZA20::TAddToVectorCallback<ICIMInstance>(instances), true, TCIMContext());
  return instances;
}

TReportParametersBuilder::EOSType TReportParametersBuilder::ClassifyOperatingSystem(
    const ICIMInstance& os) const {
  const std::string vendor = ReadValue(os, "ProductVendor").ToString();
  const uint16_t osType = ReadValue(os, "OSType").ToUInt16();
  if (Contains(vendor, "Microsoft")) {
    Log("Report - GetOSType: Windows");
    return osType >= kWindowsNewerOSType ? OSWindowsNewer : OSWindows;
  }
  if (osType == kLinuxOSType) {
    Log("Report - GetOSType: Linux");
    return OSLinux;
  }
  if (osType == kVMwareOSType || osType == kVMwareEmbeddedOSType) {
    Log("Report - GetOSType: VMware ESX Server");
    return OSVMware;
  }
  Log("Report - GetOSType: Unknown");
  return OSUnknown;
}

// Without a single operating-system instance, Windows event records are the
// only sign of the system that ran.
TReportParametersBuilder::EOSType TReportParametersBuilder::GuessOSTypeFromEventRecords() const {
  try {
    return GetInstances("VKXSG_WindowsSystemEventLogRecord").empty() ? OSUnknown : OSWindows;
  } catch (const TQZAException& error) {
    if (!IsNotFound(error)) throw;
    Log("Report - Can not get VKXSG_WindowsSystemEventLogRecord");
    return OSUnknown;
  }
}
