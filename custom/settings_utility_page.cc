// The "OREQ Settings" page: the raw output of the settings utility, all
// current settings and all default settings, each under its command line.
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TQZAException;

namespace {

const char kLink[] = "oreq_setting";
const char kPageName[] = "OREQ Settings";
const int32_t kOutputWidth = 80;

// A grid of one column: the command line above its output, unchanged.
TTableGrid SettingsOutputGrid(const std::string& command, const std::string& output) {
  TTableGrid grid(2, 1, false);
  grid.fColumnReport = true;
  grid.fTableWidth = 100;
  grid.fColumnWidths[0] = kOutputWidth;
  grid.Cell(0, 0).fText = command;
  grid.Cell(1, 0).fText = output;
  return grid;
}

}  // namespace

// The page is opened only once both outputs are read, so that a record that
// cannot be read registers the page without content instead of leaving it
// half written.
void TWriter::WriteOREQSettingReport(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  LogLine(3, "Entering TWriter::WriteOREQSettingData");
  bool hasContent = false;
  TInstances settings;
  std::string showAll;
  std::string showDefault;
  try {
    fNamespace->GetClass("VKXSG_OREQSetting")
        ->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(settings), true);
    if (!settings.empty()) {
      showAll = settings[0]->GetProperty("OreqRawShowAll")->GetValueText();
      showDefault = settings[0]->GetProperty("OreqRawShowDefault")->GetValueText();
    }
  } catch (const TQZAException&) {
    settings.clear();
  }
  if (settings.empty()) {
    RegisterPage(kLink, kPageName, hasContent);
    return;
  }
  OpenPage(PagePath(kLink));
  BeginPageBody();
  WritePageTitle(kPageName, "", "");
  WritePlainTableTitle("All available OREQ setting data ");
  WriteTableGrid(SettingsOutputGrid("oreq show all", showAll));
  WriteSeparator();
  WritePlainTableTitle("All default OREQ setting data ");
  WriteTableGrid(SettingsOutputGrid("oreq showdefault all", showDefault));
  EndPageBody();
  ClosePage();
  hasContent = true;
  RegisterPage(kLink, kPageName, hasContent);
  LogLine(3, "Exiting TWriter::WriteOREQSettingData");
}
