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

TEST(Report, UnknownOperatingSystemLeavesItsCategoryOpenWithoutPages) {
  TLogCapture log;
  TTrace expected = SoftwareAndHardware();
  Append(expected, {"category [OS Logs]", "BeginNextCategory()", "category [ServProc Logs]", "BeginNextCategory()",
                    "WriteCategoryTitle(SP Logs)", "page SPLogs", "category [VKX Service]"});
  Append(expected, AnalysisAndErrorLog());
  EXPECT_EQ(expected, WrittenReport("class VKXSG_Empty { [Key] string Name; };", Settings(), log));
  EXPECT_TRUE(log.Has(0, "TReport::Write -- Unknow OS type]"));
  EXPECT_TRUE(log.Has(3, "TReport::TReport -- Can not detected XCM from TCIMContext, set fXCM to FALSE "));
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

class TXCMProbe : public TReport {
 public:
  using TReport::DetermineXCM;
  using TReport::TReport;
};

}  // namespace
