// The operating-system log pages: the Windows event logs and the merged log,
// laid out by the concrete writer, and one page per collected Linux log file.
#include <map>
#include <set>

#include "catalog/page_building.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

const char kLinuxLogClass[] = "VKXSG_LinuxEventLogRecord";

std::string BaseName(const std::string& logName) {
  const size_t slash = logName.rfind('/');
  return slash == std::string::npos ? logName : logName.substr(slash + 1);
}

// Boot and kernel ring buffer logs have no time stamp or source of their own.
bool IsMessageOnlyLog(const std::string& baseName) {
  return baseName == "boot.msg" || baseName.find("dmesg") != std::string::npos;
}

std::vector<TReportParameters::TReportProperty> LogColumns(const std::string& baseName) {
  TTableBuilder columns(kLinuxLogClass);
  if (IsMessageOnlyLog(baseName)) {
    columns.Column("Message", "100%");
  } else {
    columns.Columns({{"MessageTimestamp", "15%"}, {"Source", "15%"}, {"Message", "70%"}});
  }
  return columns.Definition().GetProperties();
}

// Logs of the same base name in different folders would share one page;
// each later one gets "_2", "_3"... so that no log replaces another.
std::string UniqueLink(const std::string& link, std::set<std::string>& taken) {
  std::string unique = link;
  for (int suffix = 2; !taken.insert(unique).second; ++suffix) unique = link + "_" + std::to_string(suffix);
  return unique;
}

}  // namespace

void TWriter::WriteWindowsEventReport(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteWindowsEventReport");
  WriteEventLogReport(builder->BuildWinAppEventParams());
  WriteEventLogReport(builder->BuildWinSysEventParams());
  WriteEventLogReport(builder->BuildWinSecEventParams());
}

void TWriter::WriteMergedLogReport(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteMergedLogReport");
  WriteMergedLogPage(builder->BuildMergeLogParams());
}

void TWriter::WriteLinuxLogReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteLinuxLogReport");
  TTableBuilder byRecord(kLinuxLogClass);
  byRecord.SortBy("RecordID", kAscending);
  std::map<std::string, TInstances> logs;
  for (const TInstancePtr& record : GetInstances(byRecord.Definition())) {
    logs[PropertyText(*record, "LogName")].push_back(record);
  }
  std::set<std::string> takenLinks;
  for (const auto& log : logs) {
    WriteLinuxLogPage(log.first, UniqueLink("syslog_" + BaseName(log.first), takenLinks), log.second);
  }
}

void TWriter::WriteLinuxLogPage(const std::string& logName, const std::string& link, const TInstances& records) {
  bool hasContent = true;
  RegisterPage(link, logName, hasContent);
  OpenPage(PagePath(link));
  WritePageHeading();
  BeginPageBody();
  WritePageTitle(logName, "", "");
  BeginGridTable("100%", logName, true);
  const std::vector<TReportProperty> columns = LogColumns(BaseName(logName));
  const boost::shared_ptr<NVKXQZA20::ICIMClass> recordClass = records.front()->GetClass();
  bool headerFlag = false;
  BeginRow(headerFlag);
  for (const TReportProperty& column : columns) WriteHeaderCell(recordClass, column);
  EndRow();
  EndGridHeader();
  for (const TInstancePtr& record : records) {
    bool rowFlag = true;
    BeginRow(rowFlag);
    for (const TReportProperty& column : columns) WriteValueCell(record, column);
    EndRow();
  }
  EndTable();
  EndPageBody();
  ClosePage();
}
