// The "BIOS Settings" page: the BIOS setup attributes in one table.
#include "catalog/page_building.h"
#include "writer/trace.h"
#include "writer/writer.h"

namespace {

const char kLink[] = "biosenumeration";
const char kTitle[] = "BIOS Settings";
const char kSettingsClass[] = "VKXSG_BIOSEnumeration";

TTableBuilder SettingsTable() {
  TTableBuilder settings(kSettingsClass, kTitle);
  settings.ColumnStyle("100%")
      .SortBy("AttributeName", kAscending)
      .Columns({{"AttributeName", "15%"}, {"CurrentValue", "25%"}, {"DefaultValue", "25%"}, {"PendingValue", "35%"}});
  return settings;
}

}  // namespace

void TWriter::WriteBIOSEnumeration(TBuilderPtr /*builder*/, std::string /*pageID*/) {
  TNamedTraceScope trace("TWriter::WriteBIOSEnumeration");
  OpenPage(PagePath(kLink));
  BeginPageBody();
  WritePageTitle(kTitle, "", "");
  bool hasContent = false;
  if (HasClass(kSettingsClass)) {
    const TReportClass table = SettingsTable().Definition();
    const TInstances settings = GetInstances(table);
    hasContent = !settings.empty();
    WriteTable(table, settings, true, false, NVKXQZA20::TCIMContext());
  }
  EndPageBody();
  ClosePage();
  RegisterPage(kLink, kTitle, hasContent);
}

bool TWriter::HasClass(const std::string& className) const {
  try {
    return static_cast<bool>(fNamespace->GetClass(className));
  } catch (const NVKXQZA20::TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return false;
  }
}
