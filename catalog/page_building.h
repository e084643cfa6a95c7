// Helpers that let a catalog page operation read like the page's list: the
// page title and link, then each table with its class, title, style, widths,
// limits, keys and columns, in the list's order.
//
//   TPageBuilder page("Installed Applications", "installedapps");
//   page.Table("VKXSG_InstalledApplication").ColumnStyle("100%").Sortable()
//       .SortBy("ProductName", kAscending)
//       .Columns({{"ProductName", "50%"}, {"ProductVersion", "20%"}});
//   return page.Build();
//
// A page fills one table record after another, as the catalog always has:
// Table() resets the record (TReportClass::Reset) before the next table,
// ContinueTable() keeps what the table before set (its sort keys included).
#ifndef QZA_CATALOG_PAGE_BUILDING_H
#define QZA_CATALOG_PAGE_BUILDING_H

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "definitions/report_parameters.h"

// The operating-system groups the page lists name ("only for
// OSWindows/OSWindowsNewer", "only for OSLinux/OSVMware").
inline bool IsWindows(TReportParametersBuilder::EOSType os) {
  return os == TReportParametersBuilder::OSWindows || os == TReportParametersBuilder::OSWindowsNewer;
}
inline bool IsLinuxOrVMware(TReportParametersBuilder::EOSType os) {
  return os == TReportParametersBuilder::OSLinux || os == TReportParametersBuilder::OSVMware;
}

enum ESortDirection { kDescending = 0, kAscending = 1 };
// The flags a sort key records besides its direction.
enum ESortKeyFlags { kNoKeyFlags, kSecondKeyFlag, kThirdKeyFlag };

// Fills one table definition. Property modifiers (Label, Through, ThenTo,
// Separator, Monospaced) change the property added last.
class TTableBuilder {
 public:
  typedef TReportParameters::TReportClass TReportClass;
  typedef TReportParameters::TReportProperty TReportProperty;
  typedef std::pair<std::string, std::string> TColumn;  // property, width

  // A table of its own, such as an associated table.
  explicit TTableBuilder(std::string className, std::string title = "");

  TTableBuilder& ColumnStyle(std::string tableWidth);
  TTableBuilder& RowStyle(std::string tableWidth, std::string labelColumnWidth);
  TTableBuilder& InstancesPerTable(int count);
  TTableBuilder& Sortable();
  TTableBuilder& UniqueId(std::string property);
  // Instances reached from the enclosing table's instance (role and result
  // role unrestricted).
  TTableBuilder& ReachedThrough(std::string assocClass, std::string resultClass);
  TTableBuilder& AssociatedTables(std::initializer_list<TTableBuilder> tables);
  TTableBuilder& SortBy(std::string property, ESortDirection direction,
                        ESortKeyFlags flags = kNoKeyFlags);

  TTableBuilder& Column(std::string property, std::string width);
  TTableBuilder& Columns(std::initializer_list<TColumn> columns);
  // Rows carry the width "0%", which a row-style table does not use.
  TTableBuilder& Rows(std::initializer_list<std::string> properties);
  // Rows whose values come through an association step; their width is empty.
  TTableBuilder& RowsThrough(std::initializer_list<std::string> properties,
                             std::string assocClass, std::string target);

  TTableBuilder& Label(std::string label);
  TTableBuilder& Through(std::string assocClass, std::string target);
  TTableBuilder& ThenTo(std::string secondaryTarget);
  TTableBuilder& Separator(TReportProperty::ArrayValueSeparator separator);
  TTableBuilder& Monospaced();

  const TReportClass& Definition() const { return fTable; }

 private:
  friend class TPageBuilder;
  TTableBuilder() {}
  TReportProperty& LastProperty();

  TReportClass fTable;
};

// Fills one page definition; its title is always shown.
class TPageBuilder {
 public:
  TPageBuilder(std::string reportName, std::string linkName);

  TPageBuilder& LinkSortable();
  // The next table, on a record reset to the defaults.
  TTableBuilder& Table(std::string className, std::string title = "");
  // The next table, keeping every setting of the table before it except the
  // class, the title and the properties.
  TTableBuilder& ContinueTable(std::string className, std::string title = "");

  TReportParameters Build() const;

 private:
  void CommitCurrent();
  TTableBuilder& NameCurrent(std::string className, std::string title);

  TReportParameters fPage;
  std::vector<TReportParameters::TReportClass> fClasses;
  // The one record reused from table to table.
  TTableBuilder fCurrent;
  bool fHasCurrent = false;
};

#endif
