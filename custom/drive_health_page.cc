// The "Drive Health" page: SMART data of ATA drives, sense data of tape
// drives and, in mode "luz", the raw SCSI log sense pages.
#include "catalog/page_building.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::TCIMContext;
using NVKXQZA20::TQZAException;

namespace {

const char kLink[] = "Drive_Health";
const char kTitle[] = "Drive Health";
const char kCleanNow[] = "cleanNow";
const char kTimeToClean[] = "timeToClean";

TTableBuilder ATADevice() {
  TTableBuilder device("OMC_ATADevice", "ATA Device");
  device.ColumnStyle("100%").Columns({{"VendorID", "25%"}, {"ProductID", "25%"}, {"DeviceID", "50%"}});
  return device;
}

TTableBuilder SMARTStatus() {
  TTableBuilder status("OMC_IDESMARTErrorLog", "SMART Status");
  status.ColumnStyle("75%")
      .ReachedThrough("OMC_IDESMARTUseOfMessageLog", "OMC_IDESMARTErrorLog")
      .Columns({{"smartStatus", "25%"}, {"selftestExecutionStatus", "75%"}});
  return status;
}

TTableBuilder SMARTAttributes() {
  TTableBuilder attributes("OMC_IDESMARTAttrib", "SMART Attributes Data");
  attributes.ColumnStyle("90%")
      .ReachedThrough("OMC_IDESMARTElementStatisticalData", "OMC_IDESMARTAttrib")
      .SortBy("attribID", kAscending)
      .Columns({{"attribID", "10%"},
                {"attribName", "18%"},
                {"flags", "12%"},
                {"value", "11%"},
                {"worst", "11%"},
                {"threshold", "12%"},
                {"type", "12%"}})
      .Column("rawVal", "14%")
      .Separator(TReportParameters::TReportProperty::ListSeparator);
  return attributes;
}

// Each error record is followed by the commands that led to it.
TReportParameters::TReportClass SMARTErrorLog() {
  TTableBuilder commands("OMC_IDESMARTErrorCmdData", "Commands that preceded the error");
  commands.ColumnStyle("100%")
      .ReachedThrough("OMC_IDESMARTLogCmdData", "OMC_IDESMARTErrorCmdData")
      .Columns({{"commandId", "10%"},
                {"commandReg", "10%"},
                {"deviceControl", "10%"},
                {"features", "10%"},
                {"sectorCount", "10%"},
                {"LBAHigh", "9%"},
                {"LBAMid", "8%"},
                {"LBALow", "8%"},
                {"timestamp", "25%"}});
  TReportParameters::TReportClass commandTable = commands.Definition();
  commandTable.EnableSubTitle();
  TTableBuilder errors("OMC_IDESMARTError", "SMART Error Log");
  errors.ColumnStyle("100%")
      .ReachedThrough("OMC_IDESMARTRecordInLog", "OMC_IDESMARTError")
      .SortBy("RecordID", kAscending)
      .Columns({{"RecordID", "10%"},
                {"deviceState", "10%"},
                {"errorReg", "10%"},
                {"sectorCount", "10%"},
                {"statusReg", "10%"},
                {"LBAHigh", "10%"},
                {"LBAMid", "10%"},
                {"LBALow", "10%"},
                {"MessageTimestamp", "20%"}});
  TReportParameters::TReportClass errorTable = errors.Definition();
  errorTable.SetAssociatedClass();
  errorTable.SetAssociatedClasses({commandTable});
  return errorTable;
}

TWriter::TPropertyPtr PropertyOrNone(const NVKXQZA20::ICIMInstance& record, const std::string& name) {
  try {
    return record.GetProperty(name);
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return TWriter::TPropertyPtr();
  }
}

}  // namespace

void TWriter::WriteDriveHealthReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteDriveHealthReport");
  OpenPage(PagePath(kLink));
  BeginPageBody();
  WritePageTitle(kTitle, "", "");
  bool noDrive = true;
  for (const TInstancePtr& device : InstancesOfClass(*fNamespace, "OMC_ATADevice")) {
    noDrive = false;
    WriteATADeviceTables(device);
  }
  if (WriteTapeSenseData()) noDrive = false;
  if (fMode == "luz") {
    LogLine(3, "TWriter::WriteDriveHealthReport -- Under LUZ mode, write SCSI Sense Data");
    if (WriteSCSISenseData()) noDrive = false;
  }
  if (noDrive) WriteMessageTable("No Supported IDE or Tape Drive found\n", "No Supported IDE or Tape Drive\n");
  EndPageBody();
  ClosePage();
  bool hasContent = !noDrive;
  RegisterPage(kLink, kTitle, hasContent);
}

// A drive has one SMART log as a rule; should it have several, the error
// records of each are listed, log after log, so that none is hidden.
void TWriter::WriteATADeviceTables(TInstancePtr device) {
  const TCIMContext noContext;
  WriteTable(ATADevice().Definition(), {device}, true, false, noContext);
  const TReportClass status = SMARTStatus().Definition();
  const TInstances logs = InstancesReachedFrom(device, status);
  WriteTable(status, logs, true, false, noContext);
  const TReportClass attributes = SMARTAttributes().Definition();
  WriteTable(attributes, InstancesReachedFrom(device, attributes), true, false, noContext);
  const TReportClass errors = SMARTErrorLog();
  for (const TInstancePtr& log : logs) {
    WriteTable(errors, InstancesReachedFrom(log, errors), true, false, noContext);
  }
}

// Every property of a tape drive's sense record, its cleaning indicators
// last: "Clean Now" when the drive reports it, and the time left until a
// cleaning is due only while the drive does not ask to be cleaned now (the
// figure means nothing once cleaning is due).
bool TWriter::WriteTapeSenseData() {
  const TInstances tapes = InstancesOfClass(*fNamespace, "VKXSG_TapeDriveSensePageData");
  if (tapes.empty()) return false;
  WritePlainTableTitle("Tape Drive Sense Data");
  for (const TInstancePtr& tape : tapes) {
    BeginPropertyTable("100%", "40%", GetPropertyValue(tape, "DeviceName", " "));
    for (const auto& declaration : tape->GetClass()->GetPropertyDecls()) {
      const std::string name = declaration->GetName();
      if (name != kCleanNow && name != kTimeToClean) WriteDeclarationRow(tape, name, false);
    }
    if (!IsPropertyNull(tape, kCleanNow)) WriteDeclarationRow(tape, kCleanNow, false);
    const TPropertyPtr cleanNow = PropertyOrNone(*tape, kCleanNow);
    const bool cleaningDue = cleanNow && cleanNow->GetValueText() == "true";
    if (!cleaningDue && !IsPropertyNull(tape, kTimeToClean)) WriteDeclarationRow(tape, kTimeToClean, false);
    EndTable();
  }
  return true;
}

bool TWriter::WriteSCSISenseData() {
  const TInstances senses = InstancesOfClass(*fNamespace, "OMC_SCSISenseRawData");
  if (senses.empty()) return false;
  WritePlainTableTitle("SCSI Sense Data");
  for (const TInstancePtr& sense : senses) {
    BeginPropertyTable("100%", "10%", GetPropertyValue(sense, "InstanceID", " "));
    WriteDeclarationRow(sense, "InstanceID", false);
    WriteDeclarationRow(sense, "pageNumber", false);
    WriteDeclarationRow(sense, "rawData", true);
    EndTable();
  }
  return true;
}

// A label from the property's declaration, then its value; a summary value
// is the raw data of a sense page.
void TWriter::WriteDeclarationRow(TInstancePtr record, const std::string& property, bool asSummary) {
  bool rowFlag = true;
  BeginRow(rowFlag);
  WriteDeclarationCell(record->GetClass()->GetPropertyDecl(property));
  const TPropertyPtr value = PropertyOrNone(*record, property);
  if (asSummary) {
    WriteDriveHealthSummary(value);
  } else {
    WriteDriveHealthTable(record, value);
  }
  EndRow();
}
