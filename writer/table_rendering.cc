// Generic table rendering of TWriter: table definitions and their instances
// become grids handed to WriteTableGrid, pages become OpenPage..RegisterPage.
#include <algorithm>
#include <iterator>
#include <sstream>

#include "core/root.h"
#include "writer/cim_reading.h"
#include "writer/table_renderer.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::TCIMContext;

namespace {

// Sensors report readings in hundredths; sign and point of the text are not
// part of the reading.
std::string ScaledReading(const std::string& text) {
  float reading = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') reading = reading * 10 + (c - '0');
  }
  std::ostringstream out;
  out << reading / 100;
  return out.str();
}

// An install date carries a meaningless midnight time.
std::string WithoutMidnight(std::string date) {
  const size_t midnight = date.find("00:00:00");
  if (midnight != std::string::npos) date.erase(midnight);
  return date;
}

// Patchwell results: Type descending, equal types in Name order.
void OrderPatchwellResults(TWriter::TInstances& results) {
  struct TKeyed {
    std::string fType;
    std::string fName;
    TWriter::TInstancePtr fResult;
  };
  std::vector<TKeyed> keyed;
  for (const TWriter::TInstancePtr& result : results) {
    keyed.push_back({PropertyText(*result, "Type"), PropertyText(*result, "Name"), result});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
    return a.fType != b.fType ? a.fType > b.fType : a.fName < b.fName;
  });
  for (size_t i = 0; i < keyed.size(); ++i) results[i] = keyed[i].fResult;
}

// Memory modules have a page of their own.
TWriter::TInstances WithoutDIMMs(const TWriter::TInstances& units) {
  TWriter::TInstances kept;
  std::copy_if(units.begin(), units.end(), std::back_inserter(kept), [](const TWriter::TInstancePtr& unit) {
    return PropertyText(*unit, "Name").find("DIMM") == std::string::npos;
  });
  return kept;
}

}  // namespace

std::string TWriter::PagePath(const std::string& linkName) const {
  return fOutputFolder + NVKXQZA20::TOSSpecific::kFileSeparator + linkName;
}

bool TWriter::WriteTable(TReportClass table, TInstances instances, bool oneInstancePerTable,
                         bool passThrough, TCIMContext context) {
  TTableRenderingHooks hooks;
  BindOutputOperations(hooks, *this);
  hooks.fColumnLabel = [this](NVKXQZA20::ICIMClass& cimClass, const TReportProperty& column,
                              const TCIMContext& labelContext) {
    return GetTableHeaderLabel(cimClass, column, labelContext);
  };
  hooks.fColumnProperties = [this](TInstancePtr instance, const std::string& name,
                                   const std::string& associationClass, const std::string& associationTarget) {
    return GetProperties(instance, name, associationClass, associationTarget);
  };
  hooks.fValuesText = [this](const TProperties& properties, const std::string& separator, bool useAlternate) {
    return GetValuesFromProperties(properties, separator, useAlternate);
  };
  hooks.fCellText = [this](const TReportClass& cellTable, const std::string& property, TInstancePtr,
                           const std::string& text) { return AdjustCellText(cellTable, property, text); };
  TTableRenderer(hooks, "TWriter::WriteTable")
      .WriteTable(table, instances, oneInstancePerTable, passThrough, context);
  return false;
}

std::string TWriter::AdjustCellText(const TReportClass& table, const std::string& propertyName,
                                    std::string text) {
  const std::string className = table.GetClass();
  if (className == "VKXSG_Process") text = ConvertStrToNumType(text, propertyName);
  if (propertyName == "ProductInstallDate") {
    LogLine(3, "Property name = " + propertyName);
    text = WithoutMidnight(text);
    LogLine(3, "Property value = " + text);
  }
  if (className == "CIM_NumericSensor" && propertyName == "CurrentReading") text = ScaledReading(text);
  return text;
}

void TWriter::WriteGenericReport(TReportParameters page) {
  TTraceScope trace("TWriter::WriteGenericReport -- Enter", "TWriter::WriteGenericReport -- Exiting ");
  LogLine(3, "TWriter::WriteGenericReport -- Current report name is " + page.GetReportName());
  bool hasContent = false;
  OpenPage(PagePath(page.GetLinkName()));
  WritePageHeading();
  BeginPageBody();
  if (page.ShowReportTitle()) WritePageTitle(page.GetReportName(), "", "");
  for (const TReportClass& table : page.GetClasses()) {
    if (WriteGenericTable(table)) hasContent = true;
  }
  EndPageBody();
  ClosePage();
  // The default mode does not announce its error log as a page with data.
  if (fMode == "default" && page.GetReportName() == "QZA Error Log") hasContent = false;
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}

bool TWriter::WriteGenericTable(const TReportClass& table) {
  TInstances instances = GetInstances(table);
  const std::string className = table.GetClass();
  if (className == "VKXSG_PWResult") OrderPatchwellResults(instances);
  if (className == "VKXSG_SPDData") return WriteTableInGroups(table, instances, kSPDDataPerTable);
  if (className == "VKXSG_FRU") {
    WriteTable(table, WithoutDIMMs(instances), true, false, TCIMContext());
    return true;
  }
  if (instances.empty()) return false;
  WriteTable(table, instances, true, false, TCIMContext());
  return true;
}

void TWriter::WriteGenericReportWithLink(TReportParameters page, const std::string& rawDataLink) {
  TTraceScope trace("TWriter::WriteGenericReport -- Entering ", "Exiting TWriter::WriteGenericReport");
  LogLine(3, "TWriter::WriteGenericReport -- Current report name = " + page.GetReportName());
  bool hasContent = false;
  OpenPage(PagePath(page.GetLinkName()));
  BeginPageBody();
  if (fWriterType == "html") {
    if (fMode == "luz") {
      WritePageTitle(page.GetReportName(), " - [Show Rawdata Report]", rawDataLink);
    } else {
      WritePageTitle(page.GetReportName(), "", "");
    }
  }
  for (const TReportClass& table : page.GetClasses()) {
    const TInstances instances = GetInstances(table);
    if (instances.empty()) continue;
    hasContent = true;
    WriteTable(table, instances, true, false, TCIMContext());
  }
  EndPageBody();
  ClosePage();
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}
