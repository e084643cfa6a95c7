// Helpers that let an ESXi page operation read like the page's list, on top
// of the catalog's TPageBuilder: a table may carry property filters (which
// only the ESXi writer applies), a page may hide its report title, and the
// placeholder pages over VMware_IPMIOEMExtensionData share one shape.
//
//   TEsxiPageBuilder page("System Overview", "system_overview");
//   page.Table("OMC_Chassis", "Computer System", {Exclude("ChassisPackageType", "29")})
//       .RowStyle("60%", "20%").InstancesPerTable(1)
//       .Rows({"Manufacturer"});
//   return page.Build();
#ifndef QZA_ESXI_ESXI_PAGE_BUILDING_H
#define QZA_ESXI_ESXI_PAGE_BUILDING_H

#include <initializer_list>
#include <string>
#include <vector>

#include "catalog/page_building.h"
#include "definitions/report_parameters.h"

typedef TReportParameters::TReportClass::TPropertyFilter TPropertyFilter;

// Keeps the instances whose property's text contains the value.
inline TPropertyFilter Include(std::string property, std::string value) {
  return TPropertyFilter(std::move(property), false, std::move(value));
}
// Keeps the instances whose property's text does not contain the value.
inline TPropertyFilter Exclude(std::string property, std::string value) {
  return TPropertyFilter(std::move(property), true, std::move(value));
}

class TEsxiPageBuilder {
 public:
  TEsxiPageBuilder(std::string reportName, std::string linkName);

  TEsxiPageBuilder& HideReportTitle();
  TEsxiPageBuilder& LinkSortable();
  // The next table, on a record reset to the defaults (filters included).
  TTableBuilder& Table(std::string className, std::string title = "",
                       std::initializer_list<TPropertyFilter> filters = {});

  TReportParameters Build() const;

 private:
  TPageBuilder fPage;
  bool fShowReportTitle = true;
  // The filters of each table, in table order.
  std::vector<std::vector<TPropertyFilter>> fFilters;
};

// A page the ESXi host has no data for: one table over
// VMware_IPMIOEMExtensionData with its Tag, so that the page still exists.
TReportParameters PlaceholderPage(std::string reportName, std::string linkName, std::string tableTitle = "");

#endif
