// The catalog of report pages: one operation per page returns the page's
// complete definition, and the probes answer the questions about the data
// source (preboot, operating system, multi-node, version...) that decide
// which tables a page gets and which pages a report gets.
//
//   TReportParametersBuilder catalog(ns, "default", false);
//   if (catalog.GetOSType() == TReportParametersBuilder::OSLinux) { ... }
//   TReportParameters page = catalog.BuildSystemConfigParams();
//
// Probes read the repository afresh on every call. Their failure handling
// differs per probe (each is documented below); page operations never fail
// for lack of data and let probe exceptions pass.
#ifndef QZA_CATALOG_REPORT_PARAMETERS_BUILDER_H
#define QZA_CATALOG_REPORT_PARAMETERS_BUILDER_H

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cim.h"
#include "definitions/report_parameters.h"

class TReportParametersBuilder {
 public:
  enum EOSType : int32_t {
    OSWindows = 0,       // CIM OSType below 74, or only Windows event records found
    OSWindowsNewer = 1,  // CIM OSType 74 or above
    OSLinux = 2,         // CIM OSType 36, and every preboot data source
    OSVMware = 3,        // CIM OSType 78 or 81
    OSUnknown = 4
  };

  TReportParametersBuilder(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns,
                           std::string reportGenerationMode, bool isXCM);

  bool IsXCM() const { return fXCM; }

  // The build text contains "preboot". Core exceptions pass on.
  bool IsPreboot() const;
  // "major.minor" with one minor digit; a preboot major below "3" (as text)
  // becomes "3". Texts not read because of a core exception count as empty.
  std::string GetDataSourceVersion() const;
  // SystemNodes of the last VKXSG_ComputerSystem is above 1; false on any
  // core exception.
  bool IsMultiNode() const;
  // SkerryPresent of the last VKXSG_SP_SkerrySystem; on a core exception
  // other than "not found", the value read so far.
  bool IsSkerry() const;
  // The one VKXSG_OperatingSystem names "Red Hat" as vendor. "Not found"
  // gives false; other core exceptions are thrown on.
  bool IsRedHat() const;
  // "Not found" gives OSUnknown; other core exceptions are thrown on.
  EOSType GetOSType() const;
  // Some VKXSG_PhysicalNetworkPort has both TeamName and TeamID. "Not found"
  // gives false; other core exceptions are thrown on.
  bool HasTeamInfo() const;

  // System and operating-system pages.
  TReportParameters BuildSystemConfigParams() const;
  TReportParameters BuildCriticalDetailsParams() const;
  TReportParameters BuildInstalledAppsParams() const;
  TReportParameters BuildVmware3iParams() const;
  TReportParameters BuildWindowsComponentsParams() const;
  TReportParameters BuildSysConfigParams() const;
  TReportParameters BuildInstalledRPMParams() const;
  TReportParameters BuildInstalledFixesParams() const;
  TReportParameters BuildKernelModuleParams() const;
  TReportParameters BuildDeviceDriverParams() const;
  TReportParameters BuildSystemServiceParams() const;
  TReportParameters BuildNetworkWithTeamingParams() const;
  TReportParameters BuildNetworkWithoutTeamingParams() const;
  TReportParameters BuildProcessesParams() const;
  TReportParameters BuildResourceUtilizationParams() const;
  TReportParameters BuildOSConfigParams() const;

  // Hardware pages.
  TReportParameters BuildHardwareInfoParams() const;
  TReportParameters BuildPCIInfoParams() const;
  TReportParameters BuildFirmwareParams() const;
  TReportParameters BuildServProcConfigParams() const;
  TReportParameters BuildGlowLineParams() const;
  TReportParameters BuildBISTParams() const;
  TReportParameters BuildBrocadeParams() const;
  TReportParameters BuildEmulexParams() const;
  TReportParameters BuildQlogicParams() const;

  // Log and diagnostics pages.
  TReportParameters BuildCELLogParams() const;
  TReportParameters BuildODRLogParams() const;
  TReportParameters BuildYELMLogParams() const;
  TReportParameters BuildIPMILogParams() const;
  TReportParameters BuildIPMILogXCMParams() const;
  TReportParameters BuildSPINTParams() const;
  TReportParameters BuildWinAppEventParams() const;
  TReportParameters BuildWinSysEventParams() const;
  TReportParameters BuildWinSecEventParams() const;
  TReportParameters BuildMergeLogParams() const;
  TReportParameters BuildFileLoaderParams() const;
  TReportParameters BuildPWParams() const;
  TReportParameters BuildQZALogParams() const;
  TReportParameters BuildDiagsParams() const;

 private:
  typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> TInstances;

  // The class in data source 0; throws TQZAException when it is absent.
  boost::shared_ptr<NVKXQZA20::ICIMClass> GetClass(std::string className) const;
  // All instances of the class, subclasses included, in the core's order.
  TInstances GetInstances(const std::string& className) const;
  EOSType ClassifyOperatingSystem(const NVKXQZA20::ICIMInstance& os) const;
  EOSType GuessOSTypeFromEventRecords() const;

  boost::shared_ptr<NVKXQZA20::ICIMNamespace> fNamespace;
  // The report driver's mode name, such as "default" or "luz".
  std::string fReportGenerationMode;
  bool fXCM;
};

#endif
