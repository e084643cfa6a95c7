#include <gtest/gtest.h>

#include <cstring>

#include "catalog/report_parameters_builder.h"
#include "core/root.h"
#include "tests/catalog/page_definition_testing.h"

namespace page_testing {
namespace {

using NVKXQZA20::IIPMILan;
using NVKXQZA20::TIPMILan;
using NVKXQZA20::TRootObject;

class LogPagesTest : public PageDefinitionTest {
 protected:
  ~LogPagesTest() override { TRootObject::SetipmiLanIns(boost::shared_ptr<IIPMILan>()); }
};

typedef TReportParameters (TReportParametersBuilder::*TPageOperation)() const;

TEST_F(LogPagesTest, EveryLogPageHasItsTitleLinkAndLinkSorting) {
  const struct {
    TPageOperation operation;
    const char* reportName;
    const char* linkName;
    bool linkSortable;
  } cases[] = {
      {&TReportParametersBuilder::BuildCELLogParams, "Chassis Event Log", "chassis_event", true},
      {&TReportParametersBuilder::BuildODRLogParams, "ODR Event", "odr_event", true},
      {&TReportParametersBuilder::BuildYELMLogParams, "YELM Event", "yelm_event", true},
      {&TReportParametersBuilder::BuildIPMILogParams, "IPMI Event", "ipmi_event", true},
      {&TReportParametersBuilder::BuildIPMILogXCMParams, "IPMI Event", "ipmi_event", false},
      {&TReportParametersBuilder::BuildSPINTParams, "DCAP Log", "SPINTlog_system", true},
      {&TReportParametersBuilder::BuildWinAppEventParams, "Application Event", "event_application", true},
      {&TReportParametersBuilder::BuildWinSysEventParams, "System Event", "event_system", true},
      {&TReportParametersBuilder::BuildWinSecEventParams, "Security Event", "event_security", true},
      {&TReportParametersBuilder::BuildMergeLogParams, "Merged Log", "merged_log", true},
      {&TReportParametersBuilder::BuildFileLoaderParams, "File Loader Results", "fileloader.html", false},
      {&TReportParametersBuilder::BuildPWParams, "Patchwell", "pw", false},
      {&TReportParametersBuilder::BuildQZALogParams, "QZA Error Log", "qza_log", true},
      {&TReportParametersBuilder::BuildDiagsParams, "Diagnostics Log", "diags", true},
  };
  const TReportParametersBuilder catalog = Catalog();
  for (const auto& c : cases) {
    const TReportParameters page = (catalog.*c.operation)();
    EXPECT_EQ(c.reportName, page.GetReportName());
    EXPECT_EQ(c.linkName, page.GetLinkName()) << c.reportName;
    EXPECT_EQ(c.linkSortable, page.GetLinkSortable()) << c.reportName;
    EXPECT_TRUE(page.ShowReportTitle()) << c.reportName;
    EXPECT_EQ("", ValidationMessages(page)) << c.reportName;
  }
}

TEST_F(LogPagesTest, ChassisEventLogGainsANodeColumnOnMultiNodeSystems) {
  const struct {
    std::string nodes;
    Strings columns;
  } cases[] = {
      {Nodes(2),
       {"NodeID 10%", "LogName 10%", "CreationTimeStamp 30%", "MessageID 10%", "Message 30%",
        "PerceivedSeverity 10%"}},
      {Nodes(1), {"LogName 15%", "CreationTimeStamp 30%", "MessageID 10%", "Message 35%", "PerceivedSeverity 10%"}},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + c.nodes);
    const TReportParameters page = Catalog().BuildCELLogParams();
    ASSERT_EQ(1u, page.GetClasses().size());
    const TReportClass& events = page.GetClasses()[0];
    EXPECT_EQ("VKX_StandardMessageLogEntry, title \"Chassis Event Log\", column style, width 100%, sortable",
              Settings(events));
    EXPECT_EQ(Strings({"CreationTimeStamp ascending"}), SortKeys(events));
    EXPECT_EQ(c.columns, Columns(events)) << c.nodes;
    EXPECT_EQ(100, ColumnWidthSum(events));
  }
}

TEST_F(LogPagesTest, OlderServiceProcessorLogsAreSortedByTimeStamp) {
  const TReportClass odr = Catalog().BuildODRLogParams().GetClasses().at(0);
  EXPECT_EQ("VKXSG_ODRLog, title \"ODR Event\", column style, width 100%, sortable", Settings(odr));
  EXPECT_EQ(Strings({"MessageTimestamp ascending"}), SortKeys(odr));
  EXPECT_EQ(Strings({"MessageTimestamp 15%", "Type 2%", "LoggingSource 14%", "Message 69%"}), Columns(odr));

  const TReportClass yelm = Catalog().BuildYELMLogParams().GetClasses().at(0);
  EXPECT_EQ("VKXSG_YELMLog, title \"YELM Event\", column style, width 100%, sortable", Settings(yelm));
  EXPECT_EQ(Strings({"MessageTimestamp ascending"}), SortKeys(yelm));
  EXPECT_EQ(Strings({"MessageTimestamp 15%", "Message 85%"}), Columns(yelm));
}

TEST_F(LogPagesTest, IPMIEventPageHasOneTableOutsideLuzMode) {
  const TReportParameters page = Catalog().BuildIPMILogParams();
  ASSERT_EQ(1u, page.GetClasses().size());
  const TReportClass& events = page.GetClasses()[0];
  EXPECT_EQ("VKXSG_IPMILogRecord, title \"IPMI Event\", column style, width 100%, sortable", Settings(events));
  EXPECT_EQ(Strings({"RecordID ascending second"}), SortKeys(events));
  EXPECT_EQ(Strings({"RecordID 5%", "MessageTimestamp 10%", "Message 55%", "AuxLog 30%"}), Columns(events));
}

TEST_F(LogPagesTest, IPMIEventPageInLuzModeAddsParserRawAndDebugTablesWithAccumulatedKeys) {
  Load(Nodes(2));
  const TReportParameters page = Catalog("luz").BuildIPMILogParams();
  EXPECT_EQ(Strings({"VKXSG_IPMILogRecord \"IPMI SEL Parser Output\"", "VKXSG_IPMILogRecord \"IPMI Event\"",
                     "VKXSG_IPMILogRecord \"Raw Hex Data\"",
                     "VKXSG_XCMAuxDebugRecord \"XCM Auxiliary Debugging Raw Data\""}),
            Tables(page));
  const Strings expectedColumns[] = {
      {"Caption 5%", "DataFormat 5%", "RecordID 5%", "Description 15%", "EventData 70%"},
      {"RecordID 5%", "SourceNode 5%", "MessageTimestamp 10%", "Message 50%", "AuxLog 30%"},
      {"RecordID 5%", "MessageTimestamp 15%", "RawData 80% (separator 1)"},
      {"RecordID 5%", "MessageTimestamp 15%", "RawData 80% (separator 1)"},
  };
  Strings keys;
  for (size_t i = 0; i < page.GetClasses().size(); ++i) {
    const TReportClass& table = page.GetClasses()[i];
    keys.push_back("RecordID ascending second");
    EXPECT_EQ(table.GetClass() + ", title \"" + table.GetTitle() + "\", column style, width 100%, sortable",
              Settings(table));
    EXPECT_EQ(keys, SortKeys(table)) << i;
    EXPECT_EQ(expectedColumns[i], Columns(table)) << i;
    EXPECT_EQ(100, ColumnWidthSum(table)) << i;
  }
}

TEST_F(LogPagesTest, LuzModeIsMatchedExactly) {
  for (const char* mode : {"LUZ", "luz ", "Luz", "default", ""}) {
    EXPECT_EQ(1u, Catalog(mode).BuildIPMILogParams().GetClasses().size()) << '"' << mode << '"';
    EXPECT_EQ(1u, Catalog(mode).BuildIPMILogXCMParams().GetClasses().size()) << '"' << mode << '"';
  }
}

TEST_F(LogPagesTest, XCMIPMIEventTableInsertsTheSourceNodeOnMultiNodeSystems) {
  const struct {
    std::string nodes;
    Strings columns;
    int widthSum;
  } cases[] = {
      {Nodes(2), {"RecordID 5%", "SourceNode 5%", "MessageTimestamp 15%", "Message 75%"}, 100},
      {Nodes(1), {"RecordID 5%", "MessageTimestamp 15%", "Message 75%"}, 95},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + c.nodes);
    const TReportParameters page = Catalog().BuildIPMILogXCMParams();
    ASSERT_EQ(1u, page.GetClasses().size());
    const TReportClass& events = page.GetClasses()[0];
    EXPECT_EQ("VKXSG_IPMILogRecord, no title, column style, width 100%, sortable", Settings(events));
    EXPECT_EQ(Strings({"RecordID ascending second"}), SortKeys(events));
    EXPECT_EQ(c.columns, Columns(events)) << c.nodes;
    EXPECT_EQ(c.widthSum, ColumnWidthSum(events)) << c.nodes;
  }
}

TEST_F(LogPagesTest, XCMIPMIEventPageInLuzModeAddsTheRawHexTable) {
  const TReportParameters page = Catalog("luz", true).BuildIPMILogXCMParams();
  ASSERT_EQ(2u, page.GetClasses().size());
  const TReportClass& raw = page.GetClasses()[1];
  EXPECT_EQ("VKXSG_IPMILogRecord, title \"Raw Hex Data\", column style, width 100%, sortable", Settings(raw));
  EXPECT_EQ(Strings({"RecordID ascending second", "RecordID ascending second"}), SortKeys(raw));
  EXPECT_EQ(Strings({"RecordID 5%", "MessageTimestamp 15%", "RawData 80% (separator 1)"}), Columns(raw));
}

TEST_F(LogPagesTest, IPMIEventTitleNamesTheRemoteControllerOfAnActiveConnection) {
  const std::string address39(39, '7');
  const struct {
    const char* name;
    boost::shared_ptr<IIPMILan> accessor;
    std::string title;
  } cases[] = {
      {"no accessor", boost::shared_ptr<IIPMILan>(), "IPMI Event"},
      {"inactive connection", boost::shared_ptr<IIPMILan>(new TIPMILan("")), "IPMI Event"},
      {"an address", boost::shared_ptr<IIPMILan>(new TIPMILan("10.1.2.3")), "IPMI Event - Remote BMC/XCM 10.1.2.3"},
      {"an address filling the buffer", boost::shared_ptr<IIPMILan>(new TIPMILan(address39)),
       "IPMI Event - Remote BMC/XCM " + address39},
      {"an address longer than the buffer", boost::shared_ptr<IIPMILan>(new TIPMILan(address39 + "0123")),
       "IPMI Event - Remote BMC/XCM " + address39},
  };
  for (const auto& c : cases) {
    TRootObject::SetipmiLanIns(c.accessor);
    EXPECT_EQ(c.title, Catalog().BuildIPMILogParams().GetReportName()) << c.name;
  }
}

// An accessor that fills the whole buffer and leaves no terminating zero.
class TUnterminatedIPMILan : public IIPMILan {
 public:
  bool getipmiLanStatus() override { return true; }
  void getIPMIAddress(char* buffer, size_t size) override { std::memset(buffer, 'A', size); }
};

TEST_F(LogPagesTest, IPMIEventTitleStopsAtTheBufferEndWhenTheAddressIsUnterminated) {
  TRootObject::SetipmiLanIns(boost::shared_ptr<IIPMILan>(new TUnterminatedIPMILan));
  EXPECT_EQ("IPMI Event - Remote BMC/XCM " + std::string(40, 'A'), Catalog().BuildIPMILogParams().GetReportName());
}

TEST_F(LogPagesTest, XCMIPMIEventPageKeepsItsPlainTitleOverAnActiveConnection) {
  TRootObject::SetipmiLanIns(boost::shared_ptr<IIPMILan>(new TIPMILan("10.1.2.3")));
  EXPECT_EQ("IPMI Event", Catalog().BuildIPMILogXCMParams().GetReportName());
}

TEST_F(LogPagesTest, DCAPLogListsFilesUnsorted) {
  const TReportClass files = Catalog().BuildSPINTParams().GetClasses().at(0);
  EXPECT_EQ("VKXSG_DCAPFile, no title, column style, width 100%", Settings(files));
  EXPECT_TRUE(SortKeys(files).empty());
  EXPECT_EQ(Strings({"SourceNode 5%", "MessageTimestamp 15%", "FileName 10%", "ErrRawData 70%"}), Columns(files));
}

TEST_F(LogPagesTest, WindowsEventPagesDifferOnlyInClassTitleAndLink) {
  const struct {
    TPageOperation operation;
    const char* className;
  } cases[] = {
      {&TReportParametersBuilder::BuildWinAppEventParams, "VKXSG_WindowsApplicationEventLogRecord"},
      {&TReportParametersBuilder::BuildWinSysEventParams, "VKXSG_WindowsSystemEventLogRecord"},
      {&TReportParametersBuilder::BuildWinSecEventParams, "VKXSG_WindowsSecurityEventLogRecord"},
  };
  const TReportParametersBuilder catalog = Catalog();
  for (const auto& c : cases) {
    const TReportParameters page = (catalog.*c.operation)();
    ASSERT_EQ(1u, page.GetClasses().size());
    const TReportClass& events = page.GetClasses()[0];
    EXPECT_EQ(std::string(c.className) + ", no title, column style, width 100%", Settings(events));
    EXPECT_EQ(Strings({"RecordID ascending"}), SortKeys(events));
    EXPECT_EQ(Strings({"Type 5%", "MessageTimestamp 16%", "Source 14%", "Category 3%", "Message 39%", "EventID 5%",
                       "User 8%", "Computer 10%"}),
              Columns(events));
  }
}

TEST_F(LogPagesTest, MergedLogInsertsTheSourceNodeOnMultiNodeSystems) {
  const struct {
    std::string nodes;
    Strings columns;
    int widthSum;
  } cases[] = {
      {Nodes(3), {"MessageTimestamp 15%", "LogName 7%", "SourceNode 8%", "Message 70%"}, 100},
      {"", {"MessageTimestamp 15%", "LogName 7%", "Message 70%"}, 92},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + c.nodes);
    const TReportClass records = Catalog().BuildMergeLogParams().GetClasses().at(0);
    EXPECT_EQ("VKXSG_LogRecord, title \"Merged Log\", column style, width 100%", Settings(records));
    EXPECT_EQ(Strings({"MessageTimestamp ascending"}), SortKeys(records));
    EXPECT_EQ(c.columns, Columns(records)) << c.nodes;
    EXPECT_EQ(c.widthSum, ColumnWidthSum(records)) << c.nodes;
  }
}

TEST_F(LogPagesTest, FileLoaderShowsEachResultWithItsMessageMonospaced) {
  const TReportParameters page = Catalog().BuildFileLoaderParams();
  ASSERT_EQ(1u, page.GetClasses().size());
  EXPECT_EQ("VKXSG_LogRecord_FileLoader, title \"File Loader\", row style, width 75%, label column 30%, "
            "at most 1 per table",
            Settings(page.GetClasses()[0]));
  EXPECT_EQ(Strings({"FileName 0%", "Message 0% (monospaced)"}), Columns(page.GetClasses()[0]));
}

TEST_F(LogPagesTest, PatchwellAndErrorLogDefinitions) {
  const TReportClass patchwell = Catalog().BuildPWParams().GetClasses().at(0);
  EXPECT_EQ("VKXSG_PWResult, no title, column style, width 80%", Settings(patchwell));
  EXPECT_TRUE(SortKeys(patchwell).empty());
  EXPECT_EQ(Strings({"Type 25%", "Name 25%", "InstalledVersion 25%", "PWVersion 25%"}), Columns(patchwell));

  const TReportClass errors = Catalog().BuildQZALogParams().GetClasses().at(0);
  EXPECT_EQ("VKXSG_QZALogRecord, title \"QZA Error Log\", column style, width 100%, sortable", Settings(errors));
  EXPECT_EQ(Strings({"RecordID ascending second"}), SortKeys(errors));
  EXPECT_EQ(Strings({"MessageTimestamp 11%", "Source 13%", "Type 7%", "Message 69%"}), Columns(errors));
}

TEST_F(LogPagesTest, DiagnosticsTablesAccumulateTheSortKeysOfTheTablesBeforeThem) {
  const TReportParameters page = Catalog().BuildDiagsParams();
  EXPECT_EQ(Strings({"CIM_DiagnosticCompletionRecord \"Diagnostics Completion Log\"",
                     "VKXSG_QZADiagnosticLogRecord \"QZA Diagnostic Log\"",
                     "VKXSG_MemoryDiagLogRecord \"Memory Diagnostics Log\""}),
            Tables(page));
  const Strings completionKeys = {"ServiceName ascending", "CreationTimeStamp ascending second"};
  Strings diagnosticKeys = completionKeys;
  diagnosticKeys.insert(diagnosticKeys.end(), {"RecordID ascending second", "MessageTimestamp ascending second"});
  Strings memoryKeys = diagnosticKeys;
  memoryKeys.push_back("MessageTimestamp ascending");
  EXPECT_EQ(completionKeys, SortKeys(page.GetClasses()[0]));
  EXPECT_EQ(diagnosticKeys, SortKeys(page.GetClasses()[1]));
  EXPECT_EQ(memoryKeys, SortKeys(page.GetClasses()[2]));

  EXPECT_EQ(Strings({"ServiceName 16%", "ManagedElementName 15%", "RecordData 55%", "CreationTimeStamp 14%"}),
            Columns(page.GetClasses()[0]));
  EXPECT_EQ(Strings({"MessageTimestamp 20%", "LogName 15%", "RecordID 15%", "Message 50%"}),
            Columns(page.GetClasses()[1]));
  EXPECT_EQ(Strings({"MessageTimestamp 20%", "Type 15%", "Message 65%"}), Columns(page.GetClasses()[2]));
  for (const TReportClass& table : page.GetClasses()) {
    EXPECT_EQ(table.GetClass() + ", title \"" + table.GetTitle() + "\", column style, width 100%, sortable",
              Settings(table));
  }
}

}  // namespace
}  // namespace page_testing
