#include "catalog/page_building.h"

namespace {

const char* const kRowWidth = "0%";

}  // namespace

TTableBuilder::TTableBuilder(std::string className, std::string title) {
  fTable.SetClass(std::move(className));
  if (!title.empty()) fTable.SetTitle(std::move(title));
}

TTableBuilder& TTableBuilder::ColumnStyle(std::string tableWidth) {
  fTable.SetReportStyle(TReportClass::ColumnReport);
  fTable.SetTableWidth(std::move(tableWidth));
  return *this;
}

TTableBuilder& TTableBuilder::RowStyle(std::string tableWidth, std::string labelColumnWidth) {
  fTable.SetReportStyle(TReportClass::RowReport);
  fTable.SetTableWidth(std::move(tableWidth));
  fTable.SetRowReportHeaderWidth(std::move(labelColumnWidth));
  return *this;
}

TTableBuilder& TTableBuilder::InstancesPerTable(int count) {
  fTable.SetMaxInstancesPerTable(count);
  return *this;
}

TTableBuilder& TTableBuilder::Sortable() {
  fTable.SetTableSortable();
  return *this;
}

TTableBuilder& TTableBuilder::UniqueId(std::string property) {
  fTable.SetUniqueIdProperty(std::move(property));
  return *this;
}

TTableBuilder& TTableBuilder::ReachedThrough(std::string assocClass, std::string resultClass) {
  fTable.SetAssociatorsFilter(assocClass, resultClass, "", "");
  return *this;
}

TTableBuilder& TTableBuilder::AssociatedTables(std::initializer_list<TTableBuilder> tables) {
  std::vector<TReportClass> definitions;
  for (const TTableBuilder& table : tables) definitions.push_back(table.Definition());
  fTable.SetAssociatedClass();
  fTable.SetAssociatedClasses(definitions);
  return *this;
}

TTableBuilder& TTableBuilder::SortBy(std::string property, ESortDirection direction,
                                     ESortKeyFlags flags) {
  fTable.GetInstanceSorter().AddProperty(std::move(property), direction == kAscending,
                                         flags == kSecondKeyFlag, flags == kThirdKeyFlag);
  return *this;
}

TTableBuilder& TTableBuilder::Column(std::string property, std::string width) {
  fTable.GetProperties().push_back(TReportProperty(std::move(property), std::move(width), "", "", ""));
  return *this;
}

TTableBuilder& TTableBuilder::Columns(std::initializer_list<TColumn> columns) {
  for (const TColumn& column : columns) Column(column.first, column.second);
  return *this;
}

TTableBuilder& TTableBuilder::Rows(std::initializer_list<std::string> properties) {
  for (const std::string& property : properties) Column(property, kRowWidth);
  return *this;
}

TTableBuilder& TTableBuilder::RowsThrough(std::initializer_list<std::string> properties,
                                          std::string assocClass, std::string target) {
  for (const std::string& property : properties) Column(property, "").Through(assocClass, target);
  return *this;
}

TTableBuilder& TTableBuilder::Label(std::string label) {
  LastProperty().SetLabelOverride(std::move(label));
  return *this;
}

TTableBuilder& TTableBuilder::Through(std::string assocClass, std::string target) {
  LastProperty().SetAssociationClass(std::move(assocClass));
  LastProperty().SetAssociationTarget(std::move(target));
  return *this;
}

TTableBuilder& TTableBuilder::ThenTo(std::string secondaryTarget) {
  LastProperty().SetSecondaryAssociationTarget(std::move(secondaryTarget));
  return *this;
}

TTableBuilder& TTableBuilder::Separator(TReportProperty::ArrayValueSeparator separator) {
  LastProperty().SetArrayValueSeparator(separator);
  return *this;
}

TTableBuilder& TTableBuilder::Monospaced() {
  LastProperty().SetMonospaced();
  return *this;
}

TTableBuilder::TReportProperty& TTableBuilder::LastProperty() {
  return fTable.GetProperties().back();
}

TPageBuilder::TPageBuilder(std::string reportName, std::string linkName) {
  fPage.SetReportName(std::move(reportName));
  fPage.SetLinkName(std::move(linkName));
  fPage.SetShowReportTitle(true);
}

TPageBuilder& TPageBuilder::LinkSortable() {
  fPage.SetLinkSortable();
  return *this;
}

TTableBuilder& TPageBuilder::Table(std::string className, std::string title) {
  CommitCurrent();
  fCurrent.fTable.Reset();
  return NameCurrent(std::move(className), std::move(title));
}

TTableBuilder& TPageBuilder::ContinueTable(std::string className, std::string title) {
  CommitCurrent();
  return NameCurrent(std::move(className), std::move(title));
}

TReportParameters TPageBuilder::Build() const {
  TReportParameters page = fPage;
  page.SetClasses(fClasses);
  if (fHasCurrent) page.GetClasses().push_back(fCurrent.Definition());
  return page;
}

void TPageBuilder::CommitCurrent() {
  if (fHasCurrent) fClasses.push_back(fCurrent.Definition());
  fHasCurrent = true;
}

TTableBuilder& TPageBuilder::NameCurrent(std::string className, std::string title) {
  TReportParameters::TReportClass& table = fCurrent.fTable;
  table.SetClass(std::move(className));
  if (title.empty()) {
    table.ClearTitle();
  } else {
    table.SetTitle(std::move(title));
  }
  table.SetProperties({});
  return fCurrent;
}
