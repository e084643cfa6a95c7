// The page catalog of a VMware ESXi host, whose repository the host's own
// CIM providers (VMware_, OMC_, adapter vendors) fill: one operation per page
// returns the page's complete definition, and one probe tells whether the
// system has several nodes. Pages the host cannot fill are kept as
// placeholders over VMware_IPMIOEMExtensionData, so that every kind of host
// gets the same set of pages.
//
//   TReportParametersBuilder_vmwesxi catalog(ns, "default");
//   TReportParameters page = catalog.BuildSystemOverviewParams();
//
// Building never fails for lack of data; IsMultiNode never throws.
#ifndef QZA_ESXI_REPORT_PARAMETERS_BUILDER_VMWESXI_H
#define QZA_ESXI_REPORT_PARAMETERS_BUILDER_VMWESXI_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "core/cim.h"
#include "definitions/report_parameters.h"

class TReportParametersBuilder_vmwesxi {
 public:
  TReportParametersBuilder_vmwesxi(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, std::string reportGenerationMode);

  // The node count (low 8 bits of IpmiNodeCount) of the last OMC_Chassis is
  // above 1; false without chassis and on any core exception.
  bool IsMultiNode() const;

  // Software pages.
  TReportParameters BuildSystemOverviewParams() const;
  TReportParameters BuildInstalledAppsParams() const;
  TReportParameters BuildKernelModuleParams() const;
  TReportParameters BuildNetworkingParams() const;
  TReportParameters BuildResourceUtilizationParams() const;
  TReportParameters BuildProcessesParams() const;
  TReportParameters BuildOSConfigParams() const;
  TReportParameters BuildSysConfigParams() const;

  // Hardware pages.
  TReportParameters BuildHardwareInventoryParams() const;
  TReportParameters BuildHardwareInventoryCPUSlotsParams() const;
  TReportParameters BuildHardwareInventoryMemorySlotsParams() const;
  TReportParameters BuildPCIInfoParams() const;
  TReportParameters BuildFirmwareParams() const;
  TReportParameters BuildXCMConfigurationParams() const;
  TReportParameters BuildEnvironmentalsParams() const;
  TReportParameters BuildDriveHealthParams() const;
  TReportParameters BuildLsiControllerParams() const;
  TReportParameters BuildLSIIDEParams() const;
  TReportParameters BuildPMCRAIDParams() const;
  TReportParameters BuildKeelRAIDParams() const;
  TReportParameters BuildKeelRAIDLogsParams() const;
  TReportParameters BuildQlogicParams() const;
  TReportParameters BuildEmulexParams() const;
  TReportParameters BuildBrocadeAdapterParams() const;
  TReportParameters BuildGlowLineParams() const;
  TReportParameters BuildXCMBuiltinSelfTestParams() const;
  TReportParameters BuildRegisteredProfileParams() const;
  TReportParameters BuildHealthStatusParams() const;

  // Log pages.
  TReportParameters BuildVMwarePrivilegeLogParams() const;
  TReportParameters BuildIPMIEventParams() const;
  TReportParameters BuildChassisEventLogParams() const;
  TReportParameters BuildMergedLogParams() const;
  TReportParameters BuildMergedDevicesParams() const;
  TReportParameters BuildQZALogParams() const;

 private:
  // The class in data source 0; throws TQZAException when it is absent.
  boost::shared_ptr<NVKXQZA20::ICIMClass> GetClass(std::string className) const;

  boost::shared_ptr<NVKXQZA20::ICIMNamespace> fNamespace;
  // The report driver's mode name, such as "default" or "luz"; no ESXi page
  // depends on it.
  std::string fReportGenerationMode;
};

#endif
