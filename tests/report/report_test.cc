#include "report/report.h"

#include <gtest/gtest.h>

#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

typedef std::vector<std::string> TTrace;

const char kLinux[] = R"(
  class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
  instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "SUSE"; OSType = 36; };)";
const char kWindows[] = R"(
  class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
  instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "Microsoft"; OSType = 18; };)";
const char kPreboot[] = R"(
  class VKXSG_QZAProduct { [Key] string Name; string Build; string Version; };
  instance of VKXSG_QZAProduct { Name = "qza"; Build = "preboot"; Version = "3.0"; };)";

TCIMContext Settings(const std::string& mode = "", const std::string& xcm = "") {
  TCIMContext context;
  if (!mode.empty()) context["mode"] = TCIMValue(mode);
  if (!xcm.empty()) context["XCM"] = TCIMValue(xcm);
  return context;
}

// The run as one sequence: categories started, category calls of the writer
// and the pages asked for, in order.
TTrace RunTrace(const TLogCapture& log) {
  TTrace trace;
  for (const std::string& text : log.Containing("")) {
    const size_t pageID = text.find("PageID = [");
    if (text.compare(0, 5, "call ") == 0) {
      const std::string call = text.substr(5);
      if (call.find("Categor") != std::string::npos || call.compare(0, 9, "EndReport") == 0 ||
          call.compare(0, 10, "Initialize") == 0) {
        trace.push_back(call);
      }
    } else if (pageID != std::string::npos) {
      trace.push_back("page " + text.substr(pageID + 10, text.size() - pageID - 11));
    } else if (text.find("Start generating category [") != std::string::npos) {
      trace.push_back("category " + text.substr(text.find('[')));
    }
  }
  return trace;
}

void Append(TTrace& trace, const TTrace& more) { trace.insert(trace.end(), more.begin(), more.end()); }

TTrace Pages(std::initializer_list<const char*> pageIDs) {
  TTrace pages;
  for (const char* pageID : pageIDs) pages.push_back(std::string("page ") + pageID);
  return pages;
}

TTrace SoftwareAndHardware() {
  TTrace trace = {"Initialize(/target)", "category [Software]", "BeginFirstCategory()",
                  "WriteCategoryTitle(Software)"};
  Append(trace, Pages({"SystemConfig", "OSInstallations", "NetworkWithTeaming", "ResourceUtilization",
                       "Processes", "OSConfiguration"}));
  Append(trace, {"category [Hardware]", "BeginNextCategory()", "WriteCategoryTitle(Hardware)"});
  Append(trace, Pages({"HardwareInfo", "PCIInfo", "Firmware", "ServProcConfig", "Environmentals", "DriveHealth",
                       "LSI", "LSIIDE", "PMC", "KRaid", "KRaidLogs", "Qlogic", "Emulex", "Brocade", "Vmware3i",
                       "GlowLine", "BIST", "BIOSSettings"}));
  return trace;
}

TTrace AnalysisAndErrorLog() {
  TTrace trace = {"category [Analysis]", "BeginNextCategory()", "WriteCategoryTitle(Analysis)"};
  Append(trace, Pages({"MergedLog", "MergedDevice", "VellumDeviceAnalysis", "Patchwell", "FileLoaderResult",
                       "DiagsFull"}));
  Append(trace, {"category [QZA Error Log]", "BeginNextCategory()", "page QZALog", "EndReport()"});
  return trace;
}

TTrace WrittenReport(const std::string& mof, const TCIMContext& context, TLogCapture& log) {
  TTestNamespace ns = RepositoryFromMof(mof);
  TReport report(ns, context, "/target");
  TRecordingWriter writer;
  report.Write(&writer, context);
  return RunTrace(log);
}

TEST(Report, DefaultRunWritesTheCategoriesInOrder) {
  TLogCapture log;
  TTrace expected = SoftwareAndHardware();
  Append(expected, {"category [OS Logs]", "BeginNextCategory()", "WriteCategoryTitle(Linux Logs)", "page OSLogs",
                    "category [ServProc Logs]", "BeginNextCategory()", "WriteCategoryTitle(SP Logs)", "page SPLogs",
                    "category [VKX Service]"});
  Append(expected, AnalysisAndErrorLog());
  EXPECT_EQ(expected, WrittenReport(kLinux, Settings(), log));
  EXPECT_TRUE(log.Has(3, "TReport::TReport -- QZA mode = default"));
  EXPECT_TRUE(log.Has(3, "TReport::Write -- Under Non-LUZ (default) mode, no VKX Service information needed"));
}

TEST(Report, LuzRunWithAnXCMWritesTheServiceCategory) {
  TLogCapture log;
  TTrace expected = SoftwareAndHardware();
  Append(expected, {"category [OS Logs]", "BeginNextCategory()", "WriteCategoryTitle(Windows Logs)",
                    "page OSLogs", "category [ServProc Logs]", "BeginNextCategory()",
                    "WriteCategoryTitle(XCM Logs)", "page SPLogs", "category [VKX Service]", "BeginNextCategory()",
                    "WriteCategoryTitle(VKX Service)", "page ZEBChipsetRegister", "page OREQSetting",
                    "page SPINTLog"});
  Append(expected, AnalysisAndErrorLog());
  EXPECT_EQ(expected, WrittenReport(kWindows, Settings("luz", "true"), log));
  EXPECT_TRUE(log.Has(3, "TReport::TReport -- This is an XCM machine "));
}

TEST(Report, PrebootRunSkipsTheOperatingSystemLogCategory) {
  TLogCapture log;
  TTrace expected = SoftwareAndHardware();
  Append(expected, {"category [OS Logs]", "category [ServProc Logs]", "BeginNextCategory()",
                    "WriteCategoryTitle(SP Logs)", "page SPLogs", "category [VKX Service]"});
  Append(expected, AnalysisAndErrorLog());
  EXPECT_EQ(expected, WrittenReport(kPreboot, Settings("default", "FALSE"), log));
  EXPECT_TRUE(log.Has(3, "TReport::Write -- Under pQZA, no OS Logs information needed"));
  EXPECT_TRUE(log.Has(3, "TReport::TReport -- This is not an XCM machine "));
}

// An operating system of no known type, or one whose type cannot be read,
// leaves its category open without pages; the report goes on.
TEST(Report, UnknownOperatingSystemLeavesItsCategoryOpenWithoutPages) {
  TTrace expected = SoftwareAndHardware();
  Append(expected, {"category [OS Logs]", "BeginNextCategory()", "category [ServProc Logs]", "BeginNextCategory()",
                    "WriteCategoryTitle(SP Logs)", "page SPLogs", "category [VKX Service]"});
  Append(expected, AnalysisAndErrorLog());
  const char* const repositories[] = {
      "class VKXSG_Empty { [Key] string Name; };",
      R"(class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
         instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "SUSE"; };)",
  };
  for (const char* mof : repositories) {
    TLogCapture log;
    EXPECT_EQ(expected, WrittenReport(mof, Settings(), log)) << mof;
    EXPECT_TRUE(log.Has(0, "TReport::Write -- Unknow OS type]")) << mof;
    EXPECT_TRUE(log.Has(3, "TReport::TReport -- Can not detected XCM from TCIMContext, set fXCM to FALSE ")) << mof;
  }
}

TEST(Report, NullWriterIsReportedAndNothingIsWritten) {
  TTestNamespace ns = RepositoryFromMof(kLinux);
  TReport report(ns, Settings(), "/target");
  TLogCapture log;
  report.Write(nullptr, Settings());
  EXPECT_EQ("", report.GetPage(nullptr, Settings()));
  EXPECT_TRUE(log.Has(0, "TReport::Write -- Null-Pointor exception: Parameter (TWriter *writer == NULL)"));
  EXPECT_TRUE(log.Has(0, "TReport::GetPage -- Null-Pointor exception: Parameter (TWriter *writer == NULL)"));
}

TEST(Report, GetPageNeedsAnInventoryWriter) {
  TTestNamespace ns = RepositoryFromMof(kLinux);
  TCIMContext context = Settings();
  context["pageID"] = TCIMValue("HardwareInfo");
  TReport report(ns, context, "/target");
  TRecordingWriter writer;
  TLogCapture log;
  EXPECT_EQ("", report.GetPage(&writer, context));
  EXPECT_EQ((TTrace{"Initialize(/target)"}), writer.fCalls);
  EXPECT_TRUE(log.Has(3, "TReport::GetPage -- Writer type is not inventory, just return void string"));
}

TEST(Report, GetPageWritesTheRequestedPageForAnInventoryWriter) {
  TTestNamespace ns = RepositoryFromMof(kLinux);
  TCIMContext context = Settings();
  context["pageID"] = TCIMValue("SystemConfig");
  TReport report(ns, context, "/target");
  TRecordingWriter writer;
  writer.SetWriterType("system inventory");
  TLogCapture log;
  EXPECT_EQ("page output", report.GetPage(&writer, context));
  EXPECT_EQ("OpenPage(/out/system_overview)", writer.fCalls.at(1));
  EXPECT_EQ("GetPageOutput()", writer.fCalls.back());
  EXPECT_TRUE(log.Has(3, "TReport::GetPage -- Start generating QZA inventory page, ID = [SystemConfig]"));
  EXPECT_TRUE(log.Has(3, "TWriter::BaseDispose -- Exiting "));
}

class TXCMProbe : public TReport {
 public:
  using TReport::DetermineXCM;
  using TReport::TReport;
};

TEST(Report, DetermineXCMLooksForTheServiceModule) {
  const struct {
    std::string fMof;
    bool fExpected;
    const char* fLogged;
  } cases[] = {
      {"class VKXSG_IPMIFirmwareElement { [Key] string Name; };"
       "instance of VKXSG_IPMIFirmwareElement { Name = \"BMC\"; };"
       "instance of VKXSG_IPMIFirmwareElement { Name = \"IBM XCM Service Module 2\"; };",
       true, "TReport::DetermineXCM -- Property value = IBM XCM Service Module 2"},
      {"class VKXSG_IPMIFirmwareElement { [Key] string Name; };",
       false, "TReport::DetermineXCM -- There is no instance of VKXSG_IPMIFirmwareElement"},
      {"class VKXSG_Empty { [Key] string Name; };",
       false, "TReport::DetermineXCM -- Exception when determining is XCM or not"},
  };
  for (const auto& c : cases) {
    TTestNamespace ns = RepositoryFromMof(c.fMof);
    TXCMProbe report(ns, Settings(), "");
    TLogCapture log;
    EXPECT_EQ(c.fExpected, report.DetermineXCM()) << c.fMof;
    EXPECT_TRUE(log.Has(3, c.fLogged)) << c.fLogged;
  }
}

}  // namespace
