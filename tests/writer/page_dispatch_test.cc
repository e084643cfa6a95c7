#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;

// Records the custom page writers and the comparison page writer too, as
// "custom <member>(<page identifier or link>)".
class TPageWriter : public TRecordingWriter {
 public:
  bool fFailingLSIPage = false;

 protected:
  void WriteCustomFirmwareReport(TBuilderPtr, std::string id) override { Custom("WriteCustomFirmwareReport", id); }
  void WriteXCMConfigReport(TBuilderPtr, std::string id) override { Custom("WriteXCMConfigReport", id); }
  void WriteEnvironmentalsReport(TBuilderPtr, std::string id) override { Custom("WriteEnvironmentalsReport", id); }
  void WriteDriveHealthReport(TBuilderPtr, std::string id) override { Custom("WriteDriveHealthReport", id); }
  void WriteLSIReport(TBuilderPtr, std::string id) override {
    if (fFailingLSIPage) throw std::runtime_error("broken page");
    Custom("WriteLSIReport", id);
  }
  void WriteLSIIDEReport(TBuilderPtr, std::string id) override { Custom("WriteLSIIDEReport", id); }
  void WritePMCReport(TBuilderPtr, std::string id) override { Custom("WritePMCReport", id); }
  void WriteKeelRAIDReport(TBuilderPtr, std::string id) override { Custom("WriteKeelRAIDReport", id); }
  void WriteKeelRAIDLogsReport(TBuilderPtr, std::string id) override { Custom("WriteKeelRAIDLogsReport", id); }
  void WriteQLogicReport(TBuilderPtr, std::string id) override { Custom("WriteQLogicReport", id); }
  void WriteEmulexReport(TBuilderPtr, std::string id) override { Custom("WriteEmulexReport", id); }
  void WriteBIOSEnumeration(TBuilderPtr, std::string id) override { Custom("WriteBIOSEnumeration", id); }
  void WriteWindowsEventReport(TBuilderPtr, std::string id) override { Custom("WriteWindowsEventReport", id); }
  void WriteLinuxLogReport(TBuilderPtr, std::string id) override { Custom("WriteLinuxLogReport", id); }
  void WriteMergedLogReport(TBuilderPtr, std::string id) override { Custom("WriteMergedLogReport", id); }
  void WriteMergedDevicesReport(TBuilderPtr, std::string id) override { Custom("WriteMergedDevicesReport", id); }
  void WriteVellumReport(TBuilderPtr, std::string id) override { Custom("WriteVellumReport", id); }
  void WriteZEBRegisterReport(TBuilderPtr, std::string id) override { Custom("WriteZEBRegisterReport", id); }
  void WriteOREQSettingReport(TBuilderPtr, std::string id) override { Custom("WriteOREQSettingReport", id); }
  void WriteGenericDeltaReport(TReportParameters page) override {
    Custom("WriteGenericDeltaReport", page.GetLinkName());
  }

 private:
  void Custom(const std::string& member, const std::string& argument) {
    Record("custom " + member + "(" + argument + ")");
  }
};

const char kWindows[] = R"(
  class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
  instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "Microsoft"; OSType = 18; };)";
const char kWindowsNewer[] = R"(
  class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
  instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "Microsoft"; OSType = 74; };)";
const char kLinux[] = R"(
  class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
  instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "SUSE"; OSType = 36; };)";
const char kRedHat[] = R"(
  class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
  instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "Red Hat, Inc."; OSType = 36; };)";
const char kPreboot[] = R"(
  class VKXSG_QZAProduct { [Key] string Name; string Build; string Version; };
  instance of VKXSG_QZAProduct { Name = "qza"; Build = "2.1 preboot"; Version = "2.1"; };)";

// One run's settings; Pages writes one page identifier and answers what was
// written: the pages opened and the custom page writers called.
class PageDispatch : public ::testing::Test {
 protected:
  std::vector<std::string> Pages(const std::string& pageID) {
    TTestNamespace ns = RepositoryFromMof(fMof);
    if (fComparison) ns->SetGenerationMode(1);
    writer.SetMode(fMode);
    writer.SetWriterType(fWriterType);
    boost::shared_ptr<TReportParametersBuilder> catalog = Catalog(ns, fMode, fXCM);
    writer.BaseInitialize(ns, TCIMContext(), catalog);
    writer.fCalls.clear();
    writer.WriteReportPage(catalog, pageID);
    std::vector<std::string> pages = writer.CallsStartingWith("OpenPage(");
    for (const std::string& custom : writer.CallsStartingWith("custom ")) pages.push_back(custom);
    return pages;
  }

  std::string fMof = "class VKXSG_Empty { [Key] string Name; };";
  std::string fMode = "default";
  std::string fWriterType = "html";
  bool fXCM = false;
  bool fComparison = false;
  TPageWriter writer;
};

typedef std::vector<std::string> TPages;

TEST_F(PageDispatch, EveryPageIdentifierReachesItsGenerator) {
  const struct {
    const char* fPageID;
    TPages fPages;
  } cases[] = {
      {"SystemConfig", {"OpenPage(/out/system_overview)"}},
      {"CriticalDetails", {}},
      {"NetworkWithTeaming", {"OpenPage(/out/net)"}},
      {"ResourceUtilization", {"OpenPage(/out/resource)"}},
      {"Processes", {"OpenPage(/out/processes)"}},
      {"OSConfiguration", {"OpenPage(/out/os_config)"}},
      {"HardwareInfo", {"OpenPage(/out/hw_info)"}},
      {"PCIInfo", {"OpenPage(/out/pci_info)"}},
      {"Firmware", {"custom WriteCustomFirmwareReport(Firmware)"}},
      {"XCMConfig", {"OpenPage(/out/servproc_config)"}},
      {"ServProcConfig", {"OpenPage(/out/servproc_config)"}},
      {"Environmentals", {"custom WriteEnvironmentalsReport(Environmentals)"}},
      {"DriveHealth", {"custom WriteDriveHealthReport(DriveHealth)"}},
      {"LSI", {"custom WriteLSIReport(LSI)"}},
      {"LSIIDE", {"custom WriteLSIIDEReport(LSIIDE)"}},
      {"PMC", {"custom WritePMCReport(PMC)"}},
      {"KRaid", {"custom WriteKeelRAIDReport(KRaid)"}},
      {"KRaidLogs", {"custom WriteKeelRAIDLogsReport(KRaidLogs)"}},
      {"Qlogic", {"custom WriteQLogicReport(Qlogic)"}},
      {"Emulex", {"custom WriteEmulexReport(Emulex)"}},
      {"Brocade", {"OpenPage(/out/brocade_adapter)"}},
      {"Vmware3i", {"OpenPage(/out/vmware_esxi)"}},
      {"GlowLine", {"OpenPage(/out/glowline.html)"}},
      {"XCMBIST", {"OpenPage(/out/bist.html)"}},
      {"BIST", {"OpenPage(/out/bist.html)"}},
      {"XCMLogs", {"OpenPage(/out/odr_event)", "OpenPage(/out/yelm_event)", "OpenPage(/out/ipmi_event)"}},
      {"SPLogs", {"OpenPage(/out/odr_event)", "OpenPage(/out/yelm_event)", "OpenPage(/out/ipmi_event)"}},
      {"MergedLog", {"custom WriteMergedLogReport(MergedLog)"}},
      {"MergedDevice", {"custom WriteMergedDevicesReport(MergedDevice)"}},
      {"Analysis", {"custom WriteMergedDevicesReport(Analysis)"}},
      {"VellumDeviceAnalysis", {"custom WriteVellumReport(VellumDeviceAnalysis)"}},
      {"Patchwell", {"OpenPage(/out/pw)"}},
      {"FileLoaderResult", {"OpenPage(/out/fileloader.html)"}},
      {"DiagsFull", {"OpenPage(/out/diags)"}},
      {"QZALog", {"OpenPage(/out/qza_log)"}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fPages, Pages(c.fPageID)) << c.fPageID;
}

TEST_F(PageDispatch, UnknownPageIdentifierIsLoggedAndWritesNothing) {
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("NoSuchPage"));
  EXPECT_TRUE(writer.fCalls.empty());
  EXPECT_TRUE(log.Has(3, "TWriter::WriteReportPage -- WriterType = [html] PageID = [NoSuchPage]"));
  EXPECT_TRUE(log.Has(3, "TWriter::WriteReportPage -- Unknow PageID = NoSuchPage"));
  EXPECT_TRUE(log.Has(3, "TWriter::WriteReportPage -- Exiting "));
}

TEST_F(PageDispatch, PageIdentifiersAreCaseSensitive) {
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("systemconfig"));
  EXPECT_TRUE(log.Has(3, "TWriter::WriteReportPage -- Unknow PageID = systemconfig"));
}

TEST_F(PageDispatch, GeneratorsTraceTheirEntryAndExit) {
  TLogCapture log;
  Pages("HardwareInfo");
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_HardwareInventory -- Entering"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_HardwareInventory -- Exiting"));
}

TEST_F(PageDispatch, FailingPageIsAbsorbed) {
  writer.fFailingLSIPage = true;
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("LSI"));
  EXPECT_TRUE(log.Has(3, "TWriter::WriteReportPage -- Exiting "));
  EXPECT_FALSE(log.Has(3, "TWriter::Generator_LSIController -- Exiting"));
}

TEST_F(PageDispatch, KeelRAIDWithInventoryWriterAlsoWritesItsLogs) {
  fWriterType = "inventory";
  EXPECT_EQ((TPages{"custom WriteKeelRAIDReport(KRaid)", "custom WriteKeelRAIDLogsReport(KRaid)"}), Pages("KRaid"));
}

TEST_F(PageDispatch, CriticalDetailsOnlyForInventoryWriters) {
  fWriterType = "inventory";
  EXPECT_EQ((TPages{"OpenPage(/out/critical_details)"}), Pages("CriticalDetails"));
  fComparison = true;
  EXPECT_EQ(TPages(), Pages("CriticalDetails"));
}

TEST_F(PageDispatch, LuzPagesInDefaultModeLogTheComparisonMessage) {
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("ZEBChipsetRegister"));
  EXPECT_EQ(TPages(), Pages("OREQSetting"));
  EXPECT_EQ(TPages(), Pages("SPINTLog"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_ZEBChipsetRegister -- Under DELTA mode [Do Nothing]"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_OREQSetting -- Under DELTA mode [Do Nothing]"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_SPINTLog -- Under DELTA mode [Do Nothing]"));
}

TEST_F(PageDispatch, LuzPagesAreWrittenInLuzMode) {
  fMode = "luz";
  EXPECT_EQ((TPages{"custom WriteZEBRegisterReport(ZEBChipsetRegister)"}), Pages("ZEBChipsetRegister"));
  EXPECT_EQ((TPages{"custom WriteOREQSettingReport(OREQSetting)"}), Pages("OREQSetting"));
  EXPECT_EQ((TPages{"OpenPage(/out/SPINTlog_system)"}), Pages("SPINTLog"));
  fComparison = true;
  EXPECT_EQ(TPages(), Pages("SPINTLog"));
}

TEST_F(PageDispatch, BIOSSettingsNeedTheProviderSwitch) {
  const struct {
    const char* fValue;
    TPages fPages;
  } cases[] = {{nullptr, {}},
               {"YES", {"custom WriteBIOSEnumeration(BIOSSettings)"}},
               {"yes", {"custom WriteBIOSEnumeration(BIOSSettings)"}},
               {"no", {}},
               {"yes ", {}}};
  for (const auto& c : cases) {
    if (c.fValue) {
      setenv("QZA_BIOSPROVIDER", c.fValue, 1);
    } else {
      unsetenv("QZA_BIOSPROVIDER");
    }
    EXPECT_EQ(c.fPages, Pages("BIOSSettings")) << (c.fValue ? c.fValue : "unset");
  }
  unsetenv("QZA_BIOSPROVIDER");
}

TEST_F(PageDispatch, ServiceProcessorPagesFollowTheXCM) {
  fXCM = true;
  EXPECT_EQ((TPages{"custom WriteXCMConfigReport(ServProcConfig)"}), Pages("ServProcConfig"));
  EXPECT_EQ((TPages{"OpenPage(/out/chassis_event)", "OpenPage(/out/ipmi_event)"}), Pages("SPLogs"));
}

TEST_F(PageDispatch, InventoryWritersGetEveryServiceProcessorLog) {
  fWriterType = "inventory";
  fComparison = true;
  EXPECT_EQ((TPages{"OpenPage(/out/odr_event)", "OpenPage(/out/yelm_event)", "OpenPage(/out/ipmi_event)",
                    "OpenPage(/out/merged_log)"}),
            Pages("SPLogs"));
  fXCM = true;
  EXPECT_EQ((TPages{"OpenPage(/out/ipmi_event)", "OpenPage(/out/chassis_event)"}), Pages("XCMLogs"));
}

TEST_F(PageDispatch, OperatingSystemPagesFollowTheOperatingSystem) {
  const struct {
    const char* fMof;
    const char* fPageID;
    TPages fPages;
  } cases[] = {
      {kWindows, "OSInstallations",
       {"OpenPage(/out/installedapps)", "OpenPage(/out/win_components)", "OpenPage(/out/installedfixes)",
        "OpenPage(/out/devicedriver)", "OpenPage(/out/systemservice)"}},
      {kWindowsNewer, "OSInstallations",
       {"OpenPage(/out/installedapps)", "OpenPage(/out/installedfixes)", "OpenPage(/out/devicedriver)",
        "OpenPage(/out/systemservice)"}},
      {kLinux, "OSInstallations", {"OpenPage(/out/installed_packages)", "OpenPage(/out/kernelmodules)"}},
      {kWindows, "OSConfiguration", {"OpenPage(/out/os_config)"}},
      {kLinux, "OSConfiguration", {"OpenPage(/out/os_config)", "OpenPage(/out/linux_config)"}},
      {kWindowsNewer, "OSLogs", {"custom WriteWindowsEventReport(OSLogs)"}},
      {kLinux, "OSLogs", {"custom WriteLinuxLogReport(OSLogs)"}},
      {kRedHat, "MergedDevice", {}},
  };
  for (const auto& c : cases) {
    fMof = c.fMof;
    EXPECT_EQ(c.fPages, Pages(c.fPageID)) << c.fPageID << " on " << c.fMof;
  }
}

TEST_F(PageDispatch, UnknownOperatingSystemIsLogged) {
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("OSInstallations"));
  EXPECT_EQ(TPages(), Pages("OSLogs"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_OSInstallation -- Invalid OS platform"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_OSLogs -- Unkown OS Type"));
}

TEST_F(PageDispatch, ComparisonRunComparesTheComparablePages) {
  fComparison = true;
  fMof = kLinux;
  const struct {
    const char* fPageID;
    const char* fGenerator;
    TPages fPages;
  } cases[] = {
      {"SystemConfig", "SystemOverview", {"custom WriteGenericDeltaReport(system_overview)"}},
      {"OSInstallations",
       "OSInstallation",
       {"custom WriteGenericDeltaReport(installed_packages)", "custom WriteGenericDeltaReport(kernelmodules)"}},
      {"NetworkWithTeaming", "NetworkSettings", {"custom WriteGenericDeltaReport(net)"}},
      {"ResourceUtilization", "ResourceUtilization", {"custom WriteGenericDeltaReport(resource)"}},
      {"Processes", "Processes", {"custom WriteGenericDeltaReport(processes)"}},
      {"OSConfiguration",
       "OSConfiguration",
       {"custom WriteGenericDeltaReport(os_config)", "custom WriteGenericDeltaReport(linux_config)"}},
      {"HardwareInfo", "HardwareInventory", {"custom WriteGenericDeltaReport(hw_info)"}},
      {"PCIInfo", "PCIInformation", {"custom WriteGenericDeltaReport(pci_info)"}},
      {"Firmware", "FirmwareVPD", {"custom WriteGenericDeltaReport(firmware)"}},
  };
  for (const auto& c : cases) {
    TLogCapture log;
    EXPECT_EQ(c.fPages, Pages(c.fPageID)) << c.fPageID;
    EXPECT_TRUE(log.Has(3, std::string("TWriter::Generator_") + c.fGenerator + " -- Under DELTA mode [Do Comparison]"))
        << c.fPageID;
  }
}

// Every other generator writes nothing in a comparison run and says so.
TEST_F(PageDispatch, ComparisonRunLeavesOutTheOtherPages) {
  fComparison = true;
  fMof = kLinux;
  const struct {
    const char* fPageID;
    const char* fMessage;
    const char* fWriterType = "html";
  } cases[] = {
      // Other writers never get this page, not even in a normal run.
      {"CriticalDetails", "CriticalDetails -- Under DELTA mode [Do Nothing]", "inventory"},
      {"XCMConfig", "ServProcConfiguration -- Under DELTA mode [Do Nothing]"},
      {"ServProcConfig", "ServProcConfiguration -- Under DELTA mode [Do Nothing]"},
      {"Environmentals", "Environmentals -- Under DELTA mode [Do nothing]"},
      {"DriveHealth", "DriveHealth -- Under DELTA mode [Do Nothing]"},
      {"LSI", "LSIController -- Under DELTA mode [Do Nothing]"},
      {"LSIIDE", "LSIIDEController -- Under DELTA mode [Do Nothing]"},
      {"PMC", "PMCRAID -- Under DELTA mode [Do Nothing]"},
      {"KRaid", "KeelRAID -- Under DELTA mode [Do Nothing]"},
      {"KRaidLogs", "KeelRAIDLogs -- Under DELTA mode [Do Nothing]"},
      {"Qlogic", "QLogic -- Under DELTA mode [Do Nothing]"},
      {"Emulex", "Emulex -- Under DELTA mode [Do Nothing]"},
      {"Brocade", "BrocadeAdapter -- Under DELTA mode [Do Nothing]"},
      {"Vmware3i", "VMwareESXi -- Under DELTA mode [Do Nothing]"},
      {"GlowLine", "GlowLine -- Under DELTA mode [Do Nothing]"},
      {"XCMBIST", "SelfBIST -- Under DELTA mode [Do Nothing]"},
      {"BIST", "SelfBIST -- Under DELTA mode [Do Nothing]"},
      {"BIOSSettings", "BIOSSettings -- Uder DELTA mode [Do Nothing]"},
      {"OSLogs", "OSLogs -- Under DELTA mode [Do Nothing]"},
      {"XCMLogs", "ServProcEvent -- Under DELTA mode [Do Nothing]"},
      {"SPLogs", "ServProcEvent -- Under DELTA mode [Do Nothing]"},
      {"ZEBChipsetRegister", "ZEBChipsetRegister -- Under DELTA mode [Do Nothing]"},
      {"OREQSetting", "OREQSetting -- Under DELTA mode [Do Nothing]"},
      {"SPINTLog", "SPINTLog -- Under DELTA mode [Do Nothing]"},
      {"MergedLog", "MergedLog -- Under DELTA mode [Do Nothing]"},
      {"MergedDevice", "MergedDevice -- Under DELTA mode [Do Nothing]"},
      {"Analysis", "MergedDevice -- Under DELTA mode [Do Nothing]"},
      {"VellumDeviceAnalysis", "Vellum -- Under DELTA mode [Do Nothing]"},
      {"Patchwell", "Patchwell -- Under DELTA mode [Do Nothing]"},
      {"FileLoaderResult", "FileLoader -- Under DELTA mode [Do Nothing]"},
      {"DiagsFull", "DiagnosticLog -- Under DELTA mode [Do Nothing]"},
      {"QZALog", "QZAErrorLog -- Under DELTA mode [Do Nothing]"},
  };
  for (const auto& c : cases) {
    TLogCapture log;
    fWriterType = c.fWriterType;
    EXPECT_EQ(TPages(), Pages(c.fPageID)) << c.fPageID;
    EXPECT_TRUE(log.Has(3, std::string("TWriter::Generator_") + c.fMessage)) << c.fPageID;
  }
}

TEST_F(PageDispatch, PrebootLeavesOutOperatingSystemPages) {
  fMof = kPreboot;
  fComparison = true;
  TLogCapture log;
  for (const char* pageID : {"ResourceUtilization", "Processes", "OSInstallations", "OSConfiguration", "OSLogs",
                             "VellumDeviceAnalysis", "FileLoaderResult", "ZEBChipsetRegister", "OREQSetting",
                             "SPINTLog"}) {
    EXPECT_EQ(TPages(), Pages(pageID)) << pageID;
  }
  for (const char* line :
       {"TWriter::Generator_ResourceUtilization -- Under pQZA, no Resource Utilization information needed",
        "TWriter::Generator_Processes -- Under pQZA, no Process information needed",
        "TWriter::Generator_OSInstallation -- Under pQZA, no OS installation information needed",
        "TWriter::Generator_OSLogs -- Under pQZA, no OS Logs Information needed",
        "TWriter::Generator_Vellum -- Under pQZA, no Vellum Device Log information needed",
        "TWriter::Generator_FileLoader -- Under pQZA, no File Loader Result information needed",
        "TWriter::Generator_ZEBChipsetRegister -- Under pQZA, no ZEB Chipset Register information needed",
        "TWriter::Generator_OREQSetting -- Under pQZA, no OREQ Setting information needed",
        "TWriter::Generator_SPINTLog -- Under pQZA, no SPINT Log information needed"}) {
    EXPECT_TRUE(log.Has(3, line)) << line;
  }
  EXPECT_EQ(0, log.Count(3, "TWriter::Generator_OSLogs -- Under DELTA mode [Do Nothing]"));
}

TEST_F(PageDispatch, RedHatHasNoMergedDevicesPage) {
  fMof = kRedHat;
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("Analysis"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_MergedDevice -- Do not write Merged Devices under RedHat platform"));
}

}  // namespace
