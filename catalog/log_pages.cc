// The log pages of the catalog: chassis and service-processor event logs,
// the DCAP log, the Windows event logs, the merged log, the file-loader
// results, the update-bundle comparison, the error log and the diagnostics.
#include <algorithm>

#include "catalog/page_building.h"
#include "core/root.h"

namespace {

const char* const kLuzMode = "luz";
const size_t kIPMIAddressSize = 40;

// Names the remote controller when the data were collected over
// IPMI-over-LAN. The text stops at the buffer's end should the accessor leave
// it unterminated.
std::string IPMIEventTitle() {
  const std::string title = "IPMI Event";
  const boost::shared_ptr<NVKXQZA20::IIPMILan> lan = NVKXQZA20::TRootObject::GetipmiLanIns();
  if (!lan || !lan->getipmiLanStatus()) return title;
  char address[kIPMIAddressSize] = {};
  lan->getIPMIAddress(address, kIPMIAddressSize);
  return title + " - Remote BMC/XCM " +
         std::string(address, std::find(address, address + kIPMIAddressSize, '\0'));
}

// Every IPMI record table: sortable, in record order.
TTableBuilder& IPMIRecordTable(TTableBuilder& table) {
  return table.ColumnStyle("100%").Sortable().SortBy("RecordID", kAscending, kSecondKeyFlag);
}

// The raw bytes of each IPMI or XCM debug record.
void RawDataTable(TPageBuilder& page, const std::string& className, const std::string& title) {
  IPMIRecordTable(page.ContinueTable(className, title))
      .Columns({{"RecordID", "5%"}, {"MessageTimestamp", "15%"}})
      .Column("RawData", "80%").Separator(TTableBuilder::TReportProperty::ListSeparator);
}

// The three Windows event logs share one layout.
TReportParameters WindowsEventLogPage(const std::string& className, const std::string& reportName,
                                      const std::string& linkName) {
  TPageBuilder page(reportName, linkName);
  page.LinkSortable();
  page.Table(className).ColumnStyle("100%").SortBy("RecordID", kAscending)
      .Columns({{"Type", "5%"}, {"MessageTimestamp", "16%"}, {"Source", "14%"}, {"Category", "3%"},
                {"Message", "39%"}, {"EventID", "5%"}, {"User", "8%"}, {"Computer", "10%"}});
  return page.Build();
}

}  // namespace

TReportParameters TReportParametersBuilder::BuildCELLogParams() const {
  const bool multiNode = IsMultiNode();
  TPageBuilder page("Chassis Event Log", "chassis_event");
  page.LinkSortable();

  TTableBuilder& events = page.Table("VKX_StandardMessageLogEntry", "Chassis Event Log").ColumnStyle("100%")
      .Sortable().SortBy("CreationTimeStamp", kAscending);
  if (multiNode) {
    events.Columns({{"NodeID", "10%"}, {"LogName", "10%"}, {"CreationTimeStamp", "30%"}, {"MessageID", "10%"},
                    {"Message", "30%"}, {"PerceivedSeverity", "10%"}});
  } else {
    events.Columns({{"LogName", "15%"}, {"CreationTimeStamp", "30%"}, {"MessageID", "10%"}, {"Message", "35%"},
                    {"PerceivedSeverity", "10%"}});
  }

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildODRLogParams() const {
  TPageBuilder page("ODR Event", "odr_event");
  page.LinkSortable();

  page.Table("VKXSG_ODRLog", "ODR Event").ColumnStyle("100%").Sortable().SortBy("MessageTimestamp", kAscending)
      .Columns({{"MessageTimestamp", "15%"}, {"Type", "2%"}, {"LoggingSource", "14%"}, {"Message", "69%"}});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildYELMLogParams() const {
  TPageBuilder page("YELM Event", "yelm_event");
  page.LinkSortable();

  page.Table("VKXSG_YELMLog", "YELM Event").ColumnStyle("100%").Sortable().SortBy("MessageTimestamp", kAscending)
      .Columns({{"MessageTimestamp", "15%"}, {"Message", "85%"}});

  return page.Build();
}

// The IPMI pages never reset their table record: each table adds its record
// key to those of the tables before it.
TReportParameters TReportParametersBuilder::BuildIPMILogParams() const {
  const bool luz = fReportGenerationMode == kLuzMode;
  const bool multiNode = IsMultiNode();
  TPageBuilder page(IPMIEventTitle(), "ipmi_event");
  page.LinkSortable();

  if (luz) {
    IPMIRecordTable(page.ContinueTable("VKXSG_IPMILogRecord", "IPMI SEL Parser Output"))
        .Columns({{"Caption", "5%"}, {"DataFormat", "5%"}, {"RecordID", "5%"}, {"Description", "15%"},
                  {"EventData", "70%"}});
  }

  TTableBuilder& events = IPMIRecordTable(page.ContinueTable("VKXSG_IPMILogRecord", "IPMI Event"));
  if (multiNode) {
    events.Columns({{"RecordID", "5%"}, {"SourceNode", "5%"}, {"MessageTimestamp", "10%"}, {"Message", "50%"},
                    {"AuxLog", "30%"}});
  } else {
    events.Columns({{"RecordID", "5%"}, {"MessageTimestamp", "10%"}, {"Message", "55%"}, {"AuxLog", "30%"}});
  }

  if (luz) RawDataTable(page, "VKXSG_IPMILogRecord", "Raw Hex Data");

  if (luz) RawDataTable(page, "VKXSG_XCMAuxDebugRecord", "XCM Auxiliary Debugging Raw Data");

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildSPINTParams() const {
  TPageBuilder page("DCAP Log", "SPINTlog_system");
  page.LinkSortable();

  page.Table("VKXSG_DCAPFile").ColumnStyle("100%")
      .Columns({{"SourceNode", "5%"}, {"MessageTimestamp", "15%"}, {"FileName", "10%"}, {"ErrRawData", "70%"}});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildIPMILogXCMParams() const {
  const bool multiNode = IsMultiNode();
  TPageBuilder page("IPMI Event", "ipmi_event");

  TTableBuilder& events = IPMIRecordTable(page.ContinueTable("VKXSG_IPMILogRecord"))
      .Column("RecordID", "5%");
  if (multiNode) events.Column("SourceNode", "5%");
  events.Columns({{"MessageTimestamp", "15%"}, {"Message", "75%"}});

  if (fReportGenerationMode == kLuzMode) RawDataTable(page, "VKXSG_IPMILogRecord", "Raw Hex Data");

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildWinAppEventParams() const {
  return WindowsEventLogPage("VKXSG_WindowsApplicationEventLogRecord", "Application Event", "event_application");
}

TReportParameters TReportParametersBuilder::BuildWinSysEventParams() const {
  return WindowsEventLogPage("VKXSG_WindowsSystemEventLogRecord", "System Event", "event_system");
}

TReportParameters TReportParametersBuilder::BuildWinSecEventParams() const {
  return WindowsEventLogPage("VKXSG_WindowsSecurityEventLogRecord", "Security Event", "event_security");
}

TReportParameters TReportParametersBuilder::BuildMergeLogParams() const {
  const bool multiNode = IsMultiNode();
  TPageBuilder page("Merged Log", "merged_log");
  page.LinkSortable();

  TTableBuilder& records = page.Table("VKXSG_LogRecord", "Merged Log").ColumnStyle("100%")
      .SortBy("MessageTimestamp", kAscending)
      .Columns({{"MessageTimestamp", "15%"}, {"LogName", "7%"}});
  if (multiNode) records.Column("SourceNode", "8%");
  records.Column("Message", "70%");

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildFileLoaderParams() const {
  TPageBuilder page("File Loader Results", "fileloader.html");

  page.Table("VKXSG_LogRecord_FileLoader", "File Loader").RowStyle("75%", "30%").InstancesPerTable(1)
      .Rows({"FileName"})
      .Rows({"Message"}).Monospaced();

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildPWParams() const {
  TPageBuilder page("Patchwell", "pw");

  page.Table("VKXSG_PWResult").ColumnStyle("80%")
      .Columns({{"Type", "25%"}, {"Name", "25%"}, {"InstalledVersion", "25%"}, {"PWVersion", "25%"}});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildQZALogParams() const {
  TPageBuilder page("QZA Error Log", "qza_log");
  page.LinkSortable();

  page.Table("VKXSG_QZALogRecord", "QZA Error Log").ColumnStyle("100%").Sortable()
      .SortBy("RecordID", kAscending, kSecondKeyFlag)
      .Columns({{"MessageTimestamp", "11%"}, {"Source", "13%"}, {"Type", "7%"}, {"Message", "69%"}});

  return page.Build();
}

// The diagnostics page never resets its table record: each table adds its
// own sort keys to those of the tables before it.
TReportParameters TReportParametersBuilder::BuildDiagsParams() const {
  TPageBuilder page("Diagnostics Log", "diags");
  page.LinkSortable();

  page.ContinueTable("CIM_DiagnosticCompletionRecord", "Diagnostics Completion Log").ColumnStyle("100%").Sortable()
      .SortBy("ServiceName", kAscending).SortBy("CreationTimeStamp", kAscending, kSecondKeyFlag)
      .Columns({{"ServiceName", "16%"}, {"ManagedElementName", "15%"}, {"RecordData", "55%"},
                {"CreationTimeStamp", "14%"}});

  page.ContinueTable("VKXSG_QZADiagnosticLogRecord", "QZA Diagnostic Log").ColumnStyle("100%").Sortable()
      .SortBy("RecordID", kAscending, kSecondKeyFlag).SortBy("MessageTimestamp", kAscending, kSecondKeyFlag)
      .Columns({{"MessageTimestamp", "20%"}, {"LogName", "15%"}, {"RecordID", "15%"}, {"Message", "50%"}});

  page.ContinueTable("VKXSG_MemoryDiagLogRecord", "Memory Diagnostics Log").ColumnStyle("100%").Sortable()
      .SortBy("MessageTimestamp", kAscending)
      .Columns({{"MessageTimestamp", "20%"}, {"Type", "15%"}, {"Message", "65%"}});

  return page.Build();
}
