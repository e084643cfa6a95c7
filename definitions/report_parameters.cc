#include "definitions/report_parameters.h"

#include <cstdlib>
#include <iostream>
#include <limits>

namespace {

const char* const kFullWidth = "100%";
const int32_t kNoInstanceLimit = std::numeric_limits<int32_t>::max();

}  // namespace

TReportParameters::TReportParameters() : fShowReportTitle(false), fLinkSortable(false) {}

int TReportParameters::ConvertPercent(const std::string& text) {
  return std::atoi(text.substr(0, text.find('%')).c_str());
}

TReportParameters::TReportProperty::TReportProperty()
    : fArrayValueSeparator(DefaultSeparator), fMonospaced(false) {}

TReportParameters::TReportProperty::TReportProperty(std::string property, std::string columnWidth,
                                                    std::string associationClass,
                                                    std::string associationTarget,
                                                    std::string labelOverride)
    : fProperty(std::move(property)),
      fColumnWidth(std::move(columnWidth)),
      fAssociationTarget(std::move(associationTarget)),
      fAssociationClass(std::move(associationClass)),
      fLabelOverride(std::move(labelOverride)),
      fArrayValueSeparator(DefaultSeparator),
      fMonospaced(false) {}

TReportParameters::TReportClass::TReportClass()
    : fHasTitle(false),
      fSubTitleEnabled(false),
      fTableWidth(kFullWidth),
      fReportStyle(ColumnReport),
      fHasAssociatedClass(false),
      fExcludeProps(false),
      fTableSortable(false),
      fMaxInstancesPerTable(kNoInstanceLimit) {
  SetAssociatorsFilter("", "", "", "");
}

void TReportParameters::TReportClass::SetTitle(std::string title) {
  fTitle = std::move(title);
  fHasTitle = true;
}

void TReportParameters::TReportClass::SetAssociatorsFilter(const std::string& assocClass,
                                                           const std::string& resultClass,
                                                           const std::string& role,
                                                           const std::string& resultRole) {
  fAssocClass = assocClass;
  fResultClass = resultClass;
  fRole = role;
  fResultRole = resultRole;
}

bool TReportParameters::TReportClass::addPropertyFilter(std::string property, bool exclude,
                                                        std::string value) {
  fPropertyFilters.push_back(TPropertyFilter(std::move(property), exclude, std::move(value)));
  return true;
}

void TReportParameters::TReportClass::Validate() const {
  const std::string definition =
      " report definition (CIM class " + fClass + ")";
  if (fReportStyle == RowReport) {
    if (ConvertPercent(fRowReportHeaderWidth) == 0) {
      std::cout << "Report: Row report header width is 0% for the " << fTitle << definition
                << std::endl;
    }
    return;
  }
  for (const TReportProperty& property : fProperties) {
    if (ConvertPercent(property.GetColumnWidth()) < 2) {
      std::cout << "Report: column '" << property.GetProperty() << "' width is less than 2% for the "
                << fTitle << definition << std::endl;
    }
  }
}

void TReportParameters::TReportClass::Reset() {
  fHasTitle = false;
  fSubTitleEnabled = false;
  fTableWidth = kFullWidth;
  SetAssociatorsFilter("", "", "", "");
  fHasAssociatedClass = false;
  fExcludeProps = false;
  fReportStyle = ColumnReport;
  fInstanceSorter.Reset();
  fUniqueIdProperty.clear();
  fTableSortable = false;
  fMaxInstancesPerTable = kNoInstanceLimit;
  fPropertyFilters.clear();
}
