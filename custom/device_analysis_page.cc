// The "Vellum Device Analysis" page: the findings of the device-analysis
// engine, strongest first, under a heading installed with the product.
#include <fstream>

#include "core/root.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TOSSpecific;

namespace {

const char kLink[] = "vellumdevices";
const char kPageName[] = "Vellum Device Analysis";
const char kFindingsClass[] = "VKXSG_VellumDevices";
const char* const kColumns[] = {"VellumScore", "VellumType",      "VellumCimType",      "VellumPropertyName",
                                "VellumValue", "VellumFrequency", "VellumCommonValues", "VellumCommonFrequencies"};

// The header file lies in the "data" folder under the data folder; the parts
// are joined with this platform's separator so that it is found everywhere.
std::string HeaderFilePath(const std::string& dataFolder) {
  const std::string separator = TOSSpecific::kFileSeparator;
  return dataFolder + separator + "data" + separator + "vellumdeviceheader.txt";
}

// The file's lines joined without their line ends; the page name when the
// file cannot be read.
std::string ReadHeading(const std::string& path) {
  std::ifstream header(path);
  if (!header) return kPageName;
  std::string heading;
  for (std::string line; std::getline(header, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    heading += line;
  }
  return heading;
}

}  // namespace

void TWriter::WriteVellumReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  LogLine(3, "Entering TWriter::WriteVellumReport");
  const std::string heading = ReadHeading(HeaderFilePath(fDataFolder));
  BeginVellumAnalysis();
  boost::shared_ptr<NVKXQZA20::ICIMClass> findingsClass;
  try {
    findingsClass = fNamespace->GetClass(kFindingsClass);
  } catch (const NVKXQZA20::TQZAException&) {
    // No findings class, or a repository that cannot answer: no page.
    return;
  }
  TInstances findings;
  findingsClass->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(findings), true);
  if (!findings.empty()) WriteVellumPage(findingsClass, findings, heading);
  LogLine(3, "Exiting TWriter::WriteVellumReport");
}

void TWriter::WriteVellumPage(boost::shared_ptr<NVKXQZA20::ICIMClass> findingsClass, TInstances findings,
                              const std::string& heading) {
  OpenPage(PagePath(kLink));
  BeginPageBody();
  WritePageTitle(heading, "", "");
  WriteVellumHeading();
  BeginGridTable("100%", "VKXSG_VellumMessageLog", false);
  std::vector<TReportProperty> columns;
  for (const char* property : kColumns) columns.push_back(TReportProperty(property, "0%", "", "", ""));
  bool headerFlag = false;
  BeginRow(headerFlag);
  for (const TReportProperty& column : columns) WriteHeaderCell(findingsClass, column);
  EndRow();
  EndGridHeader();
  TInstanceSorter strongestFirst;
  strongestFirst.AddProperty("VellumScore", false, false);
  SortInstances(findings, strongestFirst);
  int32_t rowIndex = 0;
  for (const TInstancePtr& finding : findings) {
    WriteVellumDeviceRow(finding, columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6],
                         columns[7], rowIndex++);
    EndRow();
  }
  EndTable();
  EndPageBody();
  ClosePage();
  bool hasContent = true;
  RegisterPage(kLink, kPageName, hasContent);
}
