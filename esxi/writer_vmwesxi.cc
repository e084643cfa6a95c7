// TWriter_vmwesxi's formatting, queries and generic pages, on the components
// it shares with TWriter.
#include "esxi/writer_vmwesxi.h"

#include <stdexcept>

#include "core/root.h"
#include "writer/table_queries.h"
#include "writer/table_renderer.h"
#include "writer/trace.h"
#include "writer/value_formatter.h"

using NVKXQZA20::TCIMContext;

namespace {

const int32_t kStreamDefaultPrecision = 6;

}  // namespace

TWriter_vmwesxi::TWriter_vmwesxi() : fReadingPrecision(kStreamDefaultPrecision) {}

TWriter_vmwesxi::~TWriter_vmwesxi() {}

std::string TWriter_vmwesxi::PagePath(const std::string& linkName) const {
  return fOutputFolder + NVKXQZA20::TOSSpecific::kFileSeparator + linkName;
}

const NVKXQZA20::ICIMNamespace& TWriter_vmwesxi::Repository() const {
  if (!fNamespace) throw std::logic_error("TWriter_vmwesxi: no namespace was set before the report was written");
  return *fNamespace;
}

std::string TWriter_vmwesxi::GetDateTime(const NVKXQZA20::TCIMValue& value, bool /*flag*/) {
  return TValueFormatter::DateTimeText(value);
}

std::string TWriter_vmwesxi::GetValueFromProperty(TPropertyPtr property, std::string separator, bool useAlternate) {
  return FormatterOf(*this).ValueText(property, separator, useAlternate);
}

std::string TWriter_vmwesxi::GetPropertyValue(TInstancePtr instance, std::string name, std::string separator) {
  return FormatterOf(*this).PropertyValue(instance, name, separator);
}

std::string TWriter_vmwesxi::GetDisplayName(boost::shared_ptr<const NVKXQZA20::ICIMPropertyDecl> declaration) {
  return TValueFormatter::DisplayName(declaration);
}

std::string TWriter_vmwesxi::GetValuesFromProperties(TProperties properties, const std::string& separator,
                                                     bool useAlternate) {
  return FormatterOf(*this).ValuesText(properties, separator, useAlternate);
}

std::string TWriter_vmwesxi::GetTableHeaderLabel(NVKXQZA20::ICIMClass& cimClass, TReportProperty column,
                                                 TCIMContext context) {
  return TValueFormatter::ColumnLabel(Repository(), cimClass, column, context);
}

TWriter_vmwesxi::TInstances TWriter_vmwesxi::GetInstances(TReportClass table) {
  return TableInstances(Repository(), table, kApplyPropertyFilters);
}

TWriter_vmwesxi::TProperties TWriter_vmwesxi::GetProperties(TInstancePtr instance, const std::string& name,
                                                            const std::string& associationClass,
                                                            const std::string& associationTarget) {
  LogLine(3, "entering TWriter_vmwesxi::GetProperties for :" + name);
  if (associationClass.empty() && associationTarget.empty()) {
    return ColumnProperties(instance, name, associationClass, associationTarget);
  }
  LogLine(3, "inst class name=" + instance->GetClass()->GetName());
  LogLine(3, "assocTarget=" + associationTarget);
  LogLine(3, "assocClass=" + associationClass);
  return ColumnProperties(instance, name, associationClass, associationTarget, [](size_t associatedCount) {
    LogLine(3, "TWriter_vmwesxi::GetProperties -- assocInst size=" + std::to_string(associatedCount));
  });
}

TTableRenderingHooks TWriter_vmwesxi::RenderingHooks() {
  TTableRenderingHooks hooks;
  BindOutputOperations(hooks, *this);
  hooks.fColumnLabel = [this](NVKXQZA20::ICIMClass& cimClass, const TReportProperty& column,
                              const TCIMContext& context) { return GetTableHeaderLabel(cimClass, column, context); };
  hooks.fColumnProperties = [this](TInstancePtr instance, const std::string& name,
                                   const std::string& associationClass, const std::string& associationTarget) {
    return GetProperties(instance, name, associationClass, associationTarget);
  };
  hooks.fValuesText = [this](const TProperties& properties, const std::string& separator, bool useAlternate) {
    return GetValuesFromProperties(properties, separator, useAlternate);
  };
  return hooks;
}

bool TWriter_vmwesxi::WriteTable(TReportClass table, TInstances instances, bool oneInstancePerTable,
                                 bool passThrough, TCIMContext context) {
  TTableRenderer(RenderingHooks(), "TWriter_vmwesxi::WriteTable")
      .WriteTable(table, instances, oneInstancePerTable, passThrough, context);
  return false;
}

void TWriter_vmwesxi::WriteGenericReport(TReportParameters page) {
  TNamedTraceScope trace("TWriter_vmwesxi::WriteGenericReport");
  OpenReportPage(page);
  const bool hasContent = WriteTablesWithInstances(page.GetClasses());
  CloseReportPage(page, hasContent);
}

void TWriter_vmwesxi::OpenReportPage(const TReportParameters& page) {
  OpenPage(PagePath(page.GetLinkName()));
  BeginPageBody();
  if (page.ShowReportTitle()) WritePageTitle(page.GetReportName(), "", "");
}

void TWriter_vmwesxi::CloseReportPage(const TReportParameters& page, bool hasContent) {
  EndPageBody();
  ClosePage();
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}

bool TWriter_vmwesxi::WriteTablesWithInstances(const std::vector<TReportClass>& tables) {
  bool hasContent = false;
  for (const TReportClass& table : tables) {
    const TInstances instances = GetInstances(table);
    if (instances.empty()) continue;
    hasContent = true;
    WriteTable(table, instances, true, false, TCIMContext());
  }
  return hasContent;
}
