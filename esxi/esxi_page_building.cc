#include "esxi/esxi_page_building.h"

TEsxiPageBuilder::TEsxiPageBuilder(std::string reportName, std::string linkName)
    : fPage(std::move(reportName), std::move(linkName)) {}

TEsxiPageBuilder& TEsxiPageBuilder::HideReportTitle() {
  fShowReportTitle = false;
  return *this;
}

TEsxiPageBuilder& TEsxiPageBuilder::LinkSortable() {
  fPage.LinkSortable();
  return *this;
}

TTableBuilder& TEsxiPageBuilder::Table(std::string className, std::string title,
                                       std::initializer_list<TPropertyFilter> filters) {
  fFilters.push_back(filters);
  return fPage.Table(std::move(className), std::move(title));
}

TReportParameters TEsxiPageBuilder::Build() const {
  TReportParameters page = fPage.Build();
  page.SetShowReportTitle(fShowReportTitle);
  for (size_t i = 0; i < fFilters.size(); ++i) {
    for (const TPropertyFilter& filter : fFilters[i]) {
      page.GetClasses()[i].addPropertyFilter(filter.fProperty, filter.fExclude, filter.fValue);
    }
  }
  return page;
}

TReportParameters PlaceholderPage(std::string reportName, std::string linkName, std::string tableTitle) {
  TEsxiPageBuilder page(std::move(reportName), std::move(linkName));
  page.Table("VMware_IPMIOEMExtensionData", std::move(tableTitle)).ColumnStyle("80%").InstancesPerTable(1000)
      .Columns({{"Tag", "10%"}});
  return page.Build();
}
