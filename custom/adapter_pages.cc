// The QLogic and Emulex adapter pages: catalog pages that link to a raw-data
// page of the adapter tools' output when one is written.
#include <algorithm>

#include "custom/raw_data_pages.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

std::string QLogicCommand(const NVKXQZA20::ICIMInstance& record) { return PropertyText(record, "Command"); }

// The record names the command and its port as "<command>:<port>".
std::string EmulexCommand(const NVKXQZA20::ICIMInstance& record) {
  std::string command = PropertyText(record, "InstanceID");
  std::replace(command.begin(), command.end(), ':', '-');
  return "HbaCmd: " + command;
}

}  // namespace

void TWriter::WriteQLogicReport(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteQLogicReport");
  WriteAdapterPage(builder->BuildQlogicParams(), &TWriter::WriteQLogicRawDataReport);
}

void TWriter::WriteEmulexReport(TBuilderPtr builder, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteEmulexReport");
  WriteAdapterPage(builder->BuildEmulexParams(), &TWriter::WriteEmulexRawDataReport);
}

void TWriter::WriteAdapterPage(TReportParameters page, std::string (TWriter::*writeRawData)(std::string)) {
  const std::string rawLink = IsRawDataShown() ? (this->*writeRawData)(page.GetLinkName()) : "";
  if (rawLink.empty()) {
    WriteGenericReport(page);
  } else {
    WriteGenericReportWithLink(page, rawLink);
  }
}

std::string TWriter::WriteQLogicRawDataReport(std::string pageLink) {
  TNamedTraceScope trace("TWriter::WriteQLogicRawDataReport");
  static const TRawDataPage kLayout = {"VKXSG_QLogicFibreChannelRawData",
                                       "QLogic_RawData",
                                       "QLogic Raw Data Information",
                                       "Commands Issued",
                                       "Raw Result",
                                       "<font face=\"Courier\">",
                                       "QLogic_RawData_Results_",
                                       "RawResults",
                                       QLogicCommand};
  return WriteRawDataPage(kLayout, pageLink);
}

std::string TWriter::WriteEmulexRawDataReport(std::string pageLink) {
  TNamedTraceScope trace("TWriter::WriteEmulexRawDataReport");
  static const TRawDataPage kLayout = {"EMXCNA_RawData",          "emulex_rawData", "Emulex Raw Data Information",
                                       "EmulexCNA Raw Data",      "Raw Result",     "<font face=\"Courier\"> ",
                                       "ELXCNA_RawData_Results_", "RawData",        EmulexCommand};
  return WriteRawDataPage(kLayout, pageLink);
}
