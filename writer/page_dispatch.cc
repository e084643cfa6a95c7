// Page dispatch of TWriter: the page identifier picks a generator, and the
// generator decides from the run's flags whether and how its page is written.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "writer/trace.h"
#include "writer/writer.h"

namespace {

const char kDoComparison[] = "Under DELTA mode [Do Comparison]";
const char kDoNothing[] = "Under DELTA mode [Do Nothing]";

void LogDecision(const std::string& generator, const std::string& decision) {
  LogLine(3, "TWriter::" + generator + " -- " + decision);
}

class TGeneratorTrace : public TNamedTraceScope {
 public:
  explicit TGeneratorTrace(const std::string& generator) : TNamedTraceScope("TWriter::" + generator) {}
};

bool IsWindows(TReportParametersBuilder::EOSType type) {
  return type == TReportParametersBuilder::OSWindows || type == TReportParametersBuilder::OSWindowsNewer;
}

bool IsLinuxLike(TReportParametersBuilder::EOSType type) {
  return type == TReportParametersBuilder::OSLinux || type == TReportParametersBuilder::OSVMware;
}

}  // namespace

void TWriter::WriteReportPage(TBuilderPtr builder, std::string pageID) {
  TTraceScope trace("TWriter::WriteReportPage -- Entering ", "TWriter::WriteReportPage -- Exiting ");
  LogLine(3, "TWriter::WriteReportPage -- WriterType = [" + fWriterType + "] PageID = [" + pageID + "]");
  const TGenerator generator = FindGenerator(pageID);
  if (!generator) {
    LogLine(3, "TWriter::WriteReportPage -- Unknow PageID = " + pageID);
    return;
  }
  // A failing page is left incomplete; the report goes on with the next one.
  try {
    (this->*generator)(builder, pageID);
    if (pageID == "KRaid" && fWriterType == "inventory") Generator_KeelRAIDLogs(builder, pageID);
  } catch (...) {
  }
}

TWriter::TGenerator TWriter::FindGenerator(const std::string& pageID) {
  struct TPageGenerator {
    const char* fPageID;
    TGenerator fGenerator;
  };
  static const TPageGenerator kGenerators[] = {
      {"SystemConfig", &TWriter::Generator_SystemOverview},
      {"CriticalDetails", &TWriter::Generator_CriticalDetails},
      {"OSInstallations", &TWriter::Generator_OSInstallation},
      {"NetworkWithTeaming", &TWriter::Generator_NetworkSettings},
      {"ResourceUtilization", &TWriter::Generator_ResourceUtilization},
      {"Processes", &TWriter::Generator_Processes},
      {"OSConfiguration", &TWriter::Generator_OSConfiguration},
      {"HardwareInfo", &TWriter::Generator_HardwareInventory},
      {"PCIInfo", &TWriter::Generator_PCIInformation},
      {"Firmware", &TWriter::Generator_FirmwareVPD},
      {"XCMConfig", &TWriter::Generator_ServProcConfiguration},
      {"ServProcConfig", &TWriter::Generator_ServProcConfiguration},
      {"Environmentals", &TWriter::Generator_Environmentals},
      {"DriveHealth", &TWriter::Generator_DriveHealth},
      {"LSI", &TWriter::Generator_LSIController},
      {"LSIIDE", &TWriter::Generator_LSIIDEController},
      {"PMC", &TWriter::Generator_PMCRAID},
      {"KRaid", &TWriter::Generator_KeelRAID},
      {"KRaidLogs", &TWriter::Generator_KeelRAIDLogs},
      {"Qlogic", &TWriter::Generator_QLogic},
      {"Emulex", &TWriter::Generator_Emulex},
      {"Brocade", &TWriter::Generator_BrocadeAdapter},
      {"Vmware3i", &TWriter::Generator_VMwareESXi},
      {"GlowLine", &TWriter::Generator_GlowLine},
      {"XCMBIST", &TWriter::Generator_SelfBIST},
      {"BIST", &TWriter::Generator_SelfBIST},
      {"BIOSSettings", &TWriter::Generator_BIOSSettings},
      {"OSLogs", &TWriter::Generator_OSLogs},
      {"XCMLogs", &TWriter::Generator_ServProcEvent},
      {"SPLogs", &TWriter::Generator_ServProcEvent},
      {"ZEBChipsetRegister", &TWriter::Generator_ZEBChipsetRegister},
      {"OREQSetting", &TWriter::Generator_OREQSetting},
      {"SPINTLog", &TWriter::Generator_SPINTLog},
      {"MergedLog", &TWriter::Generator_MergedLog},
      {"MergedDevice", &TWriter::Generator_MergedDevice},
      {"VellumDeviceAnalysis", &TWriter::Generator_Vellum},
      {"Patchwell", &TWriter::Generator_Patchwell},
      {"FileLoaderResult", &TWriter::Generator_FileLoader},
      {"DiagsFull", &TWriter::Generator_DiagnosticLog},
      {"Analysis", &TWriter::Generator_MergedDevice},
      {"QZALog", &TWriter::Generator_QZAErrorLog},
  };
  for (const TPageGenerator& entry : kGenerators) {
    if (pageID == entry.fPageID) return entry.fGenerator;
  }
  return nullptr;
}

void TWriter::WriteComparablePage(TReportParameters page) {
  if (IsComparisonRun()) {
    WriteGenericDeltaReport(page);
  } else {
    WriteGenericReport(page);
  }
}

bool TWriter::SkipInComparisonRun(const std::string& generator, const std::string& decision) {
  if (!IsComparisonRun()) return false;
  LogDecision(generator, decision);
  return true;
}

// Pages compared in comparison runs.

void TWriter::Generator_SystemOverview(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_SystemOverview");
  if (IsComparisonRun()) LogDecision("Generator_SystemOverview", kDoComparison);
  WriteComparablePage(builder->BuildSystemConfigParams());
}

void TWriter::Generator_NetworkSettings(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_NetworkSettings");
  if (IsComparisonRun()) LogDecision("Generator_NetworkSettings", kDoComparison);
  WriteComparablePage(builder->HasTeamInfo() ? builder->BuildNetworkWithTeamingParams()
                                             : builder->BuildNetworkWithoutTeamingParams());
}

void TWriter::Generator_ResourceUtilization(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_ResourceUtilization");
  if (fPreboot) {
    LogDecision("Generator_ResourceUtilization", "Under pQZA, no Resource Utilization information needed");
    return;
  }
  if (IsComparisonRun()) LogDecision("Generator_ResourceUtilization", kDoComparison);
  WriteComparablePage(builder->BuildResourceUtilizationParams());
}

void TWriter::Generator_Processes(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_Processes");
  if (fPreboot) {
    LogDecision("Generator_Processes", "Under pQZA, no Process information needed");
    return;
  }
  if (IsComparisonRun()) LogDecision("Generator_Processes", kDoComparison);
  WriteComparablePage(builder->BuildProcessesParams());
}

void TWriter::Generator_OSInstallation(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_OSInstallation");
  if (fPreboot) {
    LogDecision("Generator_OSInstallation", "Under pQZA, no OS installation information needed");
    return;
  }
  if (IsComparisonRun()) LogDecision("Generator_OSInstallation", kDoComparison);
  if (IsWindows(fOSType)) {
    WriteComparablePage(builder->BuildInstalledAppsParams());
    if (fOSType == TReportParametersBuilder::OSWindows) {
      WriteComparablePage(builder->BuildWindowsComponentsParams());
    }
    WriteComparablePage(builder->BuildInstalledFixesParams());
    WriteComparablePage(builder->BuildDeviceDriverParams());
    WriteComparablePage(builder->BuildSystemServiceParams());
  } else if (IsLinuxLike(fOSType)) {
    WriteComparablePage(builder->BuildInstalledRPMParams());
    WriteComparablePage(builder->BuildKernelModuleParams());
  } else {
    LogDecision("Generator_OSInstallation", "Invalid OS platform");
  }
}

void TWriter::Generator_OSConfiguration(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_OSConfiguration");
  if (fPreboot) return;
  if (IsComparisonRun()) LogDecision("Generator_OSConfiguration", kDoComparison);
  WriteComparablePage(builder->BuildOSConfigParams());
  if (fOSType != TReportParametersBuilder::OSLinux) return;
  if (!IsComparisonRun()) LogDecision("Generator_OSConfiguration", "Under Linux, write Linux Config Files");
  WriteComparablePage(builder->BuildSysConfigParams());
}

void TWriter::Generator_HardwareInventory(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_HardwareInventory");
  if (IsComparisonRun()) LogDecision("Generator_HardwareInventory", kDoComparison);
  WriteComparablePage(builder->BuildHardwareInfoParams());
}

void TWriter::Generator_PCIInformation(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_PCIInformation");
  if (IsComparisonRun()) LogDecision("Generator_PCIInformation", kDoComparison);
  WriteComparablePage(builder->BuildPCIInfoParams());
}

void TWriter::Generator_FirmwareVPD(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_FirmwareVPD");
  if (IsComparisonRun()) {
    LogDecision("Generator_FirmwareVPD", kDoComparison);
    WriteGenericDeltaReport(builder->BuildFirmwareParams());
    return;
  }
  WriteCustomFirmwareReport(builder, pageID);
}

// Pages not written in comparison runs.

void TWriter::Generator_CriticalDetails(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_CriticalDetails");
  if (fWriterType != "inventory") return;
  if (SkipInComparisonRun("Generator_CriticalDetails", kDoNothing)) return;
  WriteGenericReport(builder->BuildCriticalDetailsParams());
}

void TWriter::Generator_ServProcConfiguration(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_ServProcConfiguration");
  if (SkipInComparisonRun("Generator_ServProcConfiguration", kDoNothing)) return;
  if (fXCM) {
    WriteXCMConfigReport(builder, pageID);
  } else {
    WriteGenericReport(builder->BuildServProcConfigParams());
  }
}

void TWriter::Generator_Environmentals(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_Environmentals");
  if (SkipInComparisonRun("Generator_Environmentals", "Under DELTA mode [Do nothing]")) return;
  WriteEnvironmentalsReport(builder, pageID);
}

void TWriter::Generator_DriveHealth(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_DriveHealth");
  if (SkipInComparisonRun("Generator_DriveHealth", kDoNothing)) return;
  WriteDriveHealthReport(builder, pageID);
}

void TWriter::Generator_LSIController(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_LSIController");
  if (SkipInComparisonRun("Generator_LSIController", kDoNothing)) return;
  WriteLSIReport(builder, pageID);
}

void TWriter::Generator_LSIIDEController(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_LSIIDEController");
  if (SkipInComparisonRun("Generator_LSIIDEController", kDoNothing)) return;
  WriteLSIIDEReport(builder, pageID);
}

void TWriter::Generator_PMCRAID(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_PMCRAID");
  if (SkipInComparisonRun("Generator_PMCRAID", kDoNothing)) return;
  WritePMCReport(builder, pageID);
}

void TWriter::Generator_KeelRAID(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_KeelRAID");
  if (SkipInComparisonRun("Generator_KeelRAID", kDoNothing)) return;
  WriteKeelRAIDReport(builder, pageID);
}

void TWriter::Generator_KeelRAIDLogs(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_KeelRAIDLogs");
  if (SkipInComparisonRun("Generator_KeelRAIDLogs", kDoNothing)) return;
  WriteKeelRAIDLogsReport(builder, pageID);
}

void TWriter::Generator_QLogic(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_QLogic");
  if (SkipInComparisonRun("Generator_QLogic", kDoNothing)) return;
  WriteQLogicReport(builder, pageID);
}

void TWriter::Generator_Emulex(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_Emulex");
  if (SkipInComparisonRun("Generator_Emulex", kDoNothing)) return;
  WriteEmulexReport(builder, pageID);
}

void TWriter::Generator_BrocadeAdapter(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_BrocadeAdapter");
  if (SkipInComparisonRun("Generator_BrocadeAdapter", kDoNothing)) return;
  WriteGenericReport(builder->BuildBrocadeParams());
}

void TWriter::Generator_VMwareESXi(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_VMwareESXi");
  if (SkipInComparisonRun("Generator_VMwareESXi", kDoNothing)) return;
  WriteGenericReport(builder->BuildVmware3iParams());
}

void TWriter::Generator_GlowLine(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_GlowLine");
  if (SkipInComparisonRun("Generator_GlowLine", kDoNothing)) return;
  WriteGenericReport(builder->BuildGlowLineParams());
}

void TWriter::Generator_SelfBIST(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_SelfBIST");
  if (SkipInComparisonRun("Generator_SelfBIST", kDoNothing)) return;
  WriteGenericReport(builder->BuildBISTParams());
}

void TWriter::Generator_BIOSSettings(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_BIOSSettings");
  if (SkipInComparisonRun("Generator_BIOSSettings", "Uder DELTA mode [Do Nothing]")) return;
  if (IsBIOSProviderEnabled()) WriteBIOSEnumeration(builder, pageID);
}

// The BIOS settings page is written only where the host enables its provider.
bool TWriter::IsBIOSProviderEnabled() const {
  const char* provider = std::getenv("QZA_BIOSPROVIDER");
  if (!provider) return false;
  std::string value(provider);
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return value == "yes";
}

void TWriter::Generator_OSLogs(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_OSLogs");
  if (fPreboot) {
    LogDecision("Generator_OSLogs", "Under pQZA, no OS Logs Information needed");
    return;
  }
  if (SkipInComparisonRun("Generator_OSLogs", kDoNothing)) return;
  if (IsWindows(fOSType)) {
    WriteWindowsEventReport(builder, pageID);
  } else if (IsLinuxLike(fOSType)) {
    WriteLinuxLogReport(builder, pageID);
  } else {
    LogDecision("Generator_OSLogs", "Unkown OS Type");
  }
}

void TWriter::Generator_MergedLog(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_MergedLog");
  if (SkipInComparisonRun("Generator_MergedLog", kDoNothing)) return;
  WriteMergedLogReport(builder, pageID);
}

void TWriter::Generator_MergedDevice(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_MergedDevice");
  if (SkipInComparisonRun("Generator_MergedDevice", kDoNothing)) return;
  if (builder->IsRedHat()) {
    LogDecision("Generator_MergedDevice", "Do not write Merged Devices under RedHat platform");
    return;
  }
  WriteMergedDevicesReport(builder, pageID);
}

void TWriter::Generator_Vellum(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_Vellum");
  if (fPreboot) {
    LogDecision("Generator_Vellum", "Under pQZA, no Vellum Device Log information needed");
    return;
  }
  if (SkipInComparisonRun("Generator_Vellum", kDoNothing)) return;
  WriteVellumReport(builder, pageID);
}

void TWriter::Generator_Patchwell(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_Patchwell");
  if (SkipInComparisonRun("Generator_Patchwell", kDoNothing)) return;
  WriteGenericReport(builder->BuildPWParams());
}

void TWriter::Generator_FileLoader(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_FileLoader");
  if (fPreboot) {
    LogDecision("Generator_FileLoader", "Under pQZA, no File Loader Result information needed");
    return;
  }
  if (SkipInComparisonRun("Generator_FileLoader", kDoNothing)) return;
  WriteGenericReport(builder->BuildFileLoaderParams());
}

void TWriter::Generator_DiagnosticLog(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_DiagnosticLog");
  if (SkipInComparisonRun("Generator_DiagnosticLog", kDoNothing)) return;
  WriteGenericReport(builder->BuildDiagsParams());
}

void TWriter::Generator_QZAErrorLog(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_QZAErrorLog");
  if (SkipInComparisonRun("Generator_QZAErrorLog", kDoNothing)) return;
  WriteGenericReport(builder->BuildQZALogParams());
}

// Pages of mode "luz" only.

void TWriter::Generator_ZEBChipsetRegister(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_ZEBChipsetRegister");
  if (fPreboot) {
    LogDecision("Generator_ZEBChipsetRegister", "Under pQZA, no ZEB Chipset Register information needed");
    return;
  }
  if (!IsLuzPageWritten("Generator_ZEBChipsetRegister")) return;
  WriteZEBRegisterReport(builder, pageID);
}

void TWriter::Generator_OREQSetting(TBuilderPtr builder, std::string pageID) {
  TGeneratorTrace trace("Generator_OREQSetting");
  if (fPreboot) {
    LogDecision("Generator_OREQSetting", "Under pQZA, no OREQ Setting information needed");
    return;
  }
  if (!IsLuzPageWritten("Generator_OREQSetting")) return;
  WriteOREQSettingReport(builder, pageID);
}

void TWriter::Generator_SPINTLog(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_SPINTLog");
  if (fPreboot) {
    LogDecision("Generator_SPINTLog", "Under pQZA, no SPINT Log information needed");
    return;
  }
  if (!IsLuzPageWritten("Generator_SPINTLog")) return;
  WriteGenericReport(builder->BuildSPINTParams());
}

// The "luz" pages log the comparison-run line whenever they are not written,
// in a normal run of mode "default" too.
bool TWriter::IsLuzPageWritten(const std::string& generator) {
  if (!IsComparisonRun() && fMode == "luz") return true;
  LogDecision(generator, kDoNothing);
  return false;
}

// The service-processor event logs.

void TWriter::Generator_ServProcEvent(TBuilderPtr builder, std::string /*pageID*/) {
  TGeneratorTrace trace("Generator_ServProcEvent");
  if (fWriterType == "inventory") {
    LogDecision("Generator_ServProcEvent", "Under pQZA GUI System Inventory mode");
    if (fXCM) {
      WriteGenericReport(builder->BuildIPMILogXCMParams());
      WriteGenericReport(builder->BuildCELLogParams());
    } else {
      WriteGenericReport(builder->BuildODRLogParams());
      WriteGenericReport(builder->BuildYELMLogParams());
      WriteGenericReport(builder->BuildIPMILogParams());
      WriteGenericReport(builder->BuildMergeLogParams());
    }
    return;
  }
  if (SkipInComparisonRun("Generator_ServProcEvent", kDoNothing)) return;
  if (fXCM) {
    WriteGenericReport(builder->BuildCELLogParams());
  } else {
    WriteGenericReport(builder->BuildODRLogParams());
    WriteGenericReport(builder->BuildYELMLogParams());
  }
  WriteGenericReport(builder->BuildIPMILogParams());
}
