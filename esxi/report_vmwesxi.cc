#include "esxi/report_vmwesxi.h"

#include "writer/trace.h"

using NVKXQZA20::TCIMContext;

namespace {

void OpenNextCategory(TWriter_vmwesxi& writer, const std::string& title) {
  writer.BeginNextCategory();
  writer.WriteCategoryTitle(title);
}

}  // namespace

TReport_vmwesxi::TReport_vmwesxi(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, TCIMContext context,
                                 std::string outputTarget)
    : fNamespace(ns), fOutputTarget(std::move(outputTarget)), fMode("default") {
  TCIMContext::const_iterator mode = context.find("mode");
  if (mode != context.end()) fMode = mode->second.ToString(10);
}

void TReport_vmwesxi::Write(TWriter_vmwesxi* writer, TCIMContext context) {
  LogLine(3, "TWriter_vmwesxi::Write -- Entering");
  if (!writer) {
    LogLine(0, "TWriter_vmwesxi::Write -- Null-Pointor exception: Parameter (TWriter_vmwesxi *writer == NULL)");
    return;
  }
  const TReportParametersBuilder_vmwesxi catalog(fNamespace, fMode);
  try {
    WriteCategories(*writer, catalog, context);
  } catch (...) {
    LogLine(0, "TWriter_vmwesxi::Write -- Exception when generating QZA HTML report for ESXi");
  }
  LogLine(3, "TWriter_vmwesxi::Write -- Exiting");
}

void TReport_vmwesxi::WriteCategories(TWriter_vmwesxi& writer, const TReportParametersBuilder_vmwesxi& catalog,
                                      const TCIMContext& context) const {
  writer.Initialize(fNamespace, context, fOutputTarget);
  writer.BeginFirstCategory();
  writer.WriteCategoryTitle("Software");
  writer.WriteSystemOverviewPage(catalog.BuildSystemOverviewParams());
  writer.WriteInstalledAppsPage(catalog.BuildInstalledAppsParams());
  writer.WriteKernelModulePage(catalog.BuildKernelModuleParams());
  writer.WriteNetworkingPage(catalog.BuildNetworkingParams());
  writer.WriteResourceUtilizationPage(catalog.BuildResourceUtilizationParams());
  writer.WriteProcessesPage(catalog.BuildProcessesParams());
  writer.WriteOSConfigPage(catalog.BuildOSConfigParams());
  writer.WriteSysConfigPage(catalog.BuildSysConfigParams());

  OpenNextCategory(writer, "Hardware");
  writer.WriteCustomHardwareInventoryReport(catalog);
  writer.WritePCIInfoPage(catalog.BuildPCIInfoParams());
  writer.WriteCustomFirmwareReport(catalog);
  writer.WriteXCMConfigReport(catalog);
  writer.WriteEnvironmentalsPreferred(catalog);
  writer.WriteDriveHealthPage(catalog.BuildDriveHealthParams());
  writer.WriteLSIReportWithCardinal();
  writer.WriteLSIIDEPage(catalog.BuildLSIIDEParams());
  writer.WritePMCRAIDPage(catalog.BuildPMCRAIDParams());
  writer.WriteKeelRAIDPage(catalog.BuildKeelRAIDParams());
  writer.WriteKeelRAIDLogsPage(catalog.BuildKeelRAIDLogsParams());
  writer.WriteQlogicPage(catalog.BuildQlogicParams());
  writer.WriteEmulexPage(catalog.BuildEmulexParams());
  writer.WriteBrocadeAdapterPage(catalog.BuildBrocadeAdapterParams());
  writer.WriteGlowLinePage(catalog.BuildGlowLineParams());
  writer.WriteXCMBuiltinSelfTestPage(catalog.BuildXCMBuiltinSelfTestParams());

  OpenNextCategory(writer, "XCM Logs");
  writer.WriteChassisEventLogPage(catalog.BuildChassisEventLogParams());
  writer.WriteIPMIEventPage(catalog.BuildIPMIEventParams());

  OpenNextCategory(writer, "Analysis");
  writer.WriteMergedLogPage(catalog.BuildMergedLogParams());
  writer.WriteMergedDevicesPage(catalog.BuildMergedDevicesParams());

  OpenNextCategory(writer, "Log");
  writer.WriteLogPage(catalog.BuildVMwarePrivilegeLogParams());

  // The error log follows a category that has no title.
  writer.BeginNextCategory();
  writer.WriteLogPage(catalog.BuildQZALogParams());
  writer.EndReport();
}
