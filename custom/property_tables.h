// Row definitions of the two-column property tables that the device pages
// write by hand (a label cell and a value cell per row), as the five-text
// TReportProperty of the page definitions, with width "0%".
//
//   WritePropertyRows(controller, {Row("Model"),
//                                  RowThrough("VersionString", "LSIESG_ElementSoftwareIdentity",
//                                             "LSIESG_ControllerBIOSIdentity", "BIOS Version")});
#ifndef QZA_CUSTOM_PROPERTY_TABLES_H
#define QZA_CUSTOM_PROPERTY_TABLES_H

#include <string>

#include "definitions/report_parameters.h"

// A row showing the instance's own property.
inline TReportParameters::TReportProperty Row(const std::string& property) {
  return TReportParameters::TReportProperty(property, "0%", "", "", "");
}

// A row showing the property of the instances reached through the
// association, under the label (the property's own label when empty).
inline TReportParameters::TReportProperty RowThrough(const std::string& property,
                                                     const std::string& associationClass,
                                                     const std::string& associationTarget,
                                                     const std::string& label) {
  return TReportParameters::TReportProperty(property, "0%", associationClass, associationTarget, label);
}

#endif
