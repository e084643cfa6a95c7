// Custom page writers, raw-data pages and the comparison page writer whose
// implementation is not part of this build. Each logs that it is missing and
// writes nothing; the raw-data operations answer "" (no raw page written).
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

void LogNotAvailable(const std::string& member) {
  LogLine(3, "TWriter::" + member + " -- not available in this build");
}

}  // namespace

void TWriter::WriteCustomFirmwareReport(TBuilderPtr, std::string) {
  LogNotAvailable("WriteCustomFirmwareReport");
}

void TWriter::WriteXCMConfigReport(TBuilderPtr, std::string) { LogNotAvailable("WriteXCMConfigReport"); }

void TWriter::WriteEnvironmentalsReport(TBuilderPtr, std::string) {
  LogNotAvailable("WriteEnvironmentalsReport");
}

void TWriter::WriteDriveHealthReport(TBuilderPtr, std::string) { LogNotAvailable("WriteDriveHealthReport"); }

void TWriter::WriteLSIReport(TBuilderPtr, std::string) { LogNotAvailable("WriteLSIReport"); }

void TWriter::WriteLSIIDEReport(TBuilderPtr, std::string) { LogNotAvailable("WriteLSIIDEReport"); }

void TWriter::WritePMCReport(TBuilderPtr, std::string) { LogNotAvailable("WritePMCReport"); }

void TWriter::WriteKeelRAIDReport(TBuilderPtr, std::string) { LogNotAvailable("WriteKeelRAIDReport"); }

void TWriter::WriteKeelRAIDLogsReport(TBuilderPtr, std::string) { LogNotAvailable("WriteKeelRAIDLogsReport"); }

void TWriter::WriteQLogicReport(TBuilderPtr, std::string) { LogNotAvailable("WriteQLogicReport"); }

void TWriter::WriteEmulexReport(TBuilderPtr, std::string) { LogNotAvailable("WriteEmulexReport"); }

void TWriter::WriteBIOSEnumeration(TBuilderPtr, std::string) { LogNotAvailable("WriteBIOSEnumeration"); }

void TWriter::WriteWindowsEventReport(TBuilderPtr, std::string) { LogNotAvailable("WriteWindowsEventReport"); }

void TWriter::WriteLinuxLogReport(TBuilderPtr, std::string) { LogNotAvailable("WriteLinuxLogReport"); }

void TWriter::WriteMergedLogReport(TBuilderPtr, std::string) { LogNotAvailable("WriteMergedLogReport"); }

void TWriter::WriteMergedDevicesReport(TBuilderPtr, std::string) { LogNotAvailable("WriteMergedDevicesReport"); }

void TWriter::WriteVellumReport(TBuilderPtr, std::string) { LogNotAvailable("WriteVellumReport"); }

void TWriter::WriteZEBRegisterReport(TBuilderPtr, std::string) { LogNotAvailable("WriteZEBRegisterReport"); }

void TWriter::WriteOREQSettingReport(TBuilderPtr, std::string) { LogNotAvailable("WriteOREQSettingReport"); }

void TWriter::WriteGenericDeltaReport(TReportParameters) { LogNotAvailable("WriteGenericDeltaReport"); }

std::string TWriter::WriteLSIRawDataReport(std::string&) {
  LogNotAvailable("WriteLSIRawDataReport");
  return "";
}

std::string TWriter::WriteKeelRAIDRawDataReport(std::string) {
  LogNotAvailable("WriteKeelRAIDRawDataReport");
  return "";
}

std::string TWriter::WriteKeelRAIDManagerRawDataReport(std::string) {
  LogNotAvailable("WriteKeelRAIDManagerRawDataReport");
  return "";
}

std::string TWriter::WriteQLogicRawDataReport(std::string) {
  LogNotAvailable("WriteQLogicRawDataReport");
  return "";
}

std::string TWriter::WriteEmulexRawDataReport(std::string) {
  LogNotAvailable("WriteEmulexRawDataReport");
  return "";
}
