// The raw-data page shared by the KeelRAID and adapter pages.
#include "custom/raw_data_pages.h"

#include "custom/result_file.h"
#include "writer/cim_reading.h"

using NVKXQZA20::TQZAException;

namespace {

const char kCommandHeader[] = "Command";
const int32_t kGridWidth = 75;
const int32_t kCommandWidth = 80;
const int32_t kResultWidth = 20;

// A record without output gets an empty result file.
std::vector<std::string> OutputLines(const NVKXQZA20::ICIMInstance& record, const std::string& property) {
  try {
    return record.GetProperty(property)->GetValueTexts();
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return {};
  }
}

std::string ResultLink(const std::string& fileName) { return "<a href=\"" + fileName + "\">View Results</a>"; }

}  // namespace

// Every result file is complete before the page is opened, so a file that
// cannot be written leaves no half-written page behind either.
std::string TWriter::WriteRawDataPage(const TRawDataPage& layout, const std::string& standardLink) {
  const TInstances records = InstancesOfClass(*fNamespace, layout.fClass);
  if (records.empty()) return "";
  const int32_t count = static_cast<int32_t>(records.size());
  TTableGrid grid(count + 1, 2, false);
  grid.fColumnReport = true;
  grid.fTableWidth = kGridWidth;
  grid.fColumnWidths = {kCommandWidth, kResultWidth};
  grid.Cell(0, 0).fText = kCommandHeader;
  grid.Cell(0, 1).fText = layout.fResultHeader;
  for (int32_t i = 0; i < count; ++i) {
    const std::string fileName = layout.fFilePrefix + std::to_string(i) + ".txt";
    WriteResultFile(PagePath(fileName), OutputLines(*records[i], layout.fOutputProperty));
    grid.Cell(i + 1, 0).fText = layout.fFontOpening + EncodeValue(layout.fCommandText(*records[i])) + "</font>";
    grid.Cell(i + 1, 1).fText = ResultLink(fileName);
  }
  OpenPage(PagePath(layout.fLink));
  BeginPageBody();
  WritePageTitle(layout.fTitle, "- [Show Standard Report]", standardLink);
  WriteSeparator();
  WritePlainTableTitle(layout.fTableTitle);
  WriteTableGrid(grid);
  EndPageBody();
  ClosePage();
  return layout.fLink;
}

bool TWriter::IsRawDataShown() const { return fMode == "luz" && fWriterType == "html"; }
