#include "tests/custom/custom_page_testing.h"

namespace {

const char kLinuxLogClass[] = R"(
  class VKXSG_LinuxEventLogRecord {
    [Key] string LogName; [Key] string RecordID; datetime MessageTimestamp; string Source; string Message; };
)";

std::string Record(const std::string& logName, const std::string& recordID) {
  return "instance of VKXSG_LinuxEventLogRecord { LogName = \"" + logName + "\"; RecordID = \"" + recordID +
         "\"; Message = \"m\"; };\n";
}

class OSLogPages : public CustomPageTest {};

TEST_F(OSLogPages, WindowsAndMergedLogsHandTheirCatalogPagesToTheWriter) {
  Load("class VKXSG_Other { [Key] string Name; };");
  fWriter.WriteWindowsEventReport(fCatalog, "OSLogs");
  fWriter.WriteMergedLogReport(fCatalog, "MergedLog");
  EXPECT_EQ(fWriter.fCalls, (TCalls{"WriteEventLogReport(event_application)", "WriteEventLogReport(event_system)",
                                    "WriteEventLogReport(event_security)", "WriteMergedLogPage(merged_log)"}));
}

TEST_F(OSLogPages, EachLinuxLogGetsAPageNamedByItsBaseName) {
  Load(std::string(kLinuxLogClass) + Record("/var/log/messages", "10") + Record("/var/log/boot.msg", "1") +
       Record("/var/log/messages", "9"));
  fWriter.WriteLinuxLogReport(fCatalog, "OSLogs");
  EXPECT_EQ(fWriter.fCalls, (TCalls{"RegisterPage(syslog_boot.msg, /var/log/boot.msg, true)",
                                    "OpenPage(/out/syslog_boot.msg)",
                                    "WritePageHeading()",
                                    "BeginPageBody()",
                                    "WritePageTitle(/var/log/boot.msg, , )",
                                    "BeginGridTable(100%, /var/log/boot.msg, true)",
                                    "BeginRow(false)",
                                    "WriteHeaderCell(Message)",
                                    "EndRow()",
                                    "EndGridHeader()",
                                    "BeginRow(true)",
                                    "WriteValueCell(Message)",
                                    "EndRow()",
                                    "EndTable()",
                                    "EndPageBody()",
                                    "ClosePage()",
                                    "RegisterPage(syslog_messages, /var/log/messages, true)",
                                    "OpenPage(/out/syslog_messages)",
                                    "WritePageHeading()",
                                    "BeginPageBody()",
                                    "WritePageTitle(/var/log/messages, , )",
                                    "BeginGridTable(100%, /var/log/messages, true)",
                                    "BeginRow(false)",
                                    "WriteHeaderCell(MessageTimestamp)",
                                    "WriteHeaderCell(Source)",
                                    "WriteHeaderCell(Message)",
                                    "EndRow()",
                                    "EndGridHeader()",
                                    "BeginRow(true)",
                                    "WriteValueCell(MessageTimestamp)",
                                    "WriteValueCell(Source)",
                                    "WriteValueCell(Message)",
                                    "EndRow()",
                                    "BeginRow(true)",
                                    "WriteValueCell(MessageTimestamp)",
                                    "WriteValueCell(Source)",
                                    "WriteValueCell(Message)",
                                    "EndRow()",
                                    "EndTable()",
                                    "EndPageBody()",
                                    "ClosePage()"}));
}

TEST_F(OSLogPages, LogNamesGiveDistinctLinks) {
  Load(std::string(kLinuxLogClass) + Record("dmesg", "1") + Record("/var/log/old/messages", "1") +
       Record("/var/log/messages", "1") + Record("messages_2", "1"));
  fWriter.WriteLinuxLogReport(fCatalog, "OSLogs");
  EXPECT_EQ(Calls({"RegisterPage"}),
            (TCalls{"RegisterPage(syslog_messages, /var/log/messages, true)",
                    "RegisterPage(syslog_messages_2, /var/log/old/messages, true)",
                    "RegisterPage(syslog_dmesg, dmesg, true)", "RegisterPage(syslog_messages_2_2, messages_2, true)"}));
  EXPECT_EQ(Calls({"WriteHeaderCell"}).at(6), "WriteHeaderCell(Message)");  // dmesg: the message only
  EXPECT_EQ(Calls({"WriteHeaderCell"}).at(7), "WriteHeaderCell(MessageTimestamp)");
}

TEST_F(OSLogPages, LinuxSystemsGetTheirLogPagesFromTheOSLogsPage) {
  Load(std::string(kLinuxLogClass) + Record("/var/log/messages", "1") + R"(
    class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
    instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "SUSE"; OSType = 36; };)");
  WritePage("OSLogs");
  EXPECT_EQ(Calls({"RegisterPage", "OpenPage"}),
            (TCalls{"RegisterPage(syslog_messages, /var/log/messages, true)", "OpenPage(/out/syslog_messages)"}));
}

TEST_F(OSLogPages, WithoutLinuxRecordsNoPageIsWritten) {
  Load(kLinuxLogClass);
  fWriter.WriteLinuxLogReport(fCatalog, "OSLogs");
  EXPECT_TRUE(fWriter.fCalls.empty());
}

}  // namespace
