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

TEST_F(PageDispatch, FailingPageIsAbsorbed) {
  writer.fFailingLSIPage = true;
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("LSI"));
  EXPECT_TRUE(log.Has(3, "TWriter::WriteReportPage -- Exiting "));
  EXPECT_FALSE(log.Has(3, "TWriter::Generator_LSIController -- Exiting"));
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

TEST_F(PageDispatch, UnknownOperatingSystemIsLogged) {
  TLogCapture log;
  EXPECT_EQ(TPages(), Pages("OSInstallations"));
  EXPECT_EQ(TPages(), Pages("OSLogs"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_OSInstallation -- Invalid OS platform"));
  EXPECT_TRUE(log.Has(3, "TWriter::Generator_OSLogs -- Unkown OS Type"));
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

}  // namespace
