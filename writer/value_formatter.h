// Cell text from CIM properties, the one formatting every writer family
// shares: the core's display texts passed through the family's encoder,
// array elements and the values of several properties joined with the
// column's separator, date-times in readable form, labels from declarations.
//
//   TValueFormatter format = FormatterOf(writer);   // values pass through writer.EncodeValue
//   std::string cell = format.ValuesText(properties, ", ", false);
//
// Errors: a property that cannot be read gives "" where a member says so;
// everything else passes to the caller.
#ifndef QZA_WRITER_VALUE_FORMATTER_H
#define QZA_WRITER_VALUE_FORMATTER_H

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "core/cim.h"
#include "definitions/report_parameters.h"

class TValueFormatter {
 public:
  typedef boost::shared_ptr<NVKXQZA20::ICIMInstance> TInstancePtr;
  typedef boost::shared_ptr<NVKXQZA20::ICIMProperty> TPropertyPtr;
  typedef std::vector<TPropertyPtr> TProperties;
  // A value text in the output's form (the writer's EncodeValue).
  typedef boost::function<std::string(std::string)> TEncoder;

  explicit TValueFormatter(TEncoder encode);

  // The property's value (or alternate value), encoded; array elements
  // joined with the separator; date-times readable and not encoded. An
  // empty handle, a property the core cannot read and the alternate value
  // of an array give "".
  std::string ValueText(TPropertyPtr property, const std::string& separator, bool useAlternate) const;
  // ValueText of each property, joined with the separator.
  std::string ValuesText(const TProperties& properties, const std::string& separator,
                         bool useAlternate) const;
  // ValueText of the instance's property of that name; "" when it lacks it.
  std::string PropertyValue(TInstancePtr instance, const std::string& name,
                            const std::string& separator) const;

  // Readable date-time; each array element is followed by a space; null gives "".
  static std::string DateTimeText(const NVKXQZA20::TCIMValue& value);
  // The "DisplayName" qualifier, else the property's name; "Value" without
  // a declaration.
  static std::string DisplayName(boost::shared_ptr<const NVKXQZA20::ICIMPropertyDecl> declaration);
  // A column's label without any class rule: its label override, else the
  // display name of its property in the association target's class (looked
  // up in ns) or in the table's class. A class or declaration the core does
  // not find (status 15) leaves the property name.
  static std::string ColumnLabel(const NVKXQZA20::ICIMNamespace& ns, NVKXQZA20::ICIMClass& cimClass,
                                 const TReportParameters::TReportProperty& column,
                                 const NVKXQZA20::TCIMContext& context);

 private:
  TEncoder fEncode;
};

// The formatter of a writer family, whose EncodeValue output operation is
// public in every family.
template <class TFamilyWriter>
TValueFormatter FormatterOf(TFamilyWriter& writer) {
  return TValueFormatter([&writer](std::string value) { return writer.EncodeValue(value); });
}

#endif
