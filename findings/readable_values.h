// Readable values of the HTML form: byte sizes, bit rates and frequencies in
// human units, worked out from the unit the schema declares for the property
// a value came from (PUnit, or the older Units qualifier; never the column's
// label); date-times with their UTC offset where the collection names its
// time zone; midnight-only dates as dates. The library's exact text stays a hover away
// and remains the cell's sort key; the other forms keep it alone.
//
//   TReadableValues readable;
//   readable.ReadTimeZone(ns);                      // VKXSG_TimeZone, when there is one
//   if (auto shown = readable.Of(properties, text)) // 34359738368 of "byte"
//     ... shown->fText == "32 GiB", shown->fExact == "34359738368 Bytes"
#ifndef QZA_HOST_READABLE_VALUES_H
#define QZA_HOST_READABLE_VALUES_H

#include <boost/shared_ptr.hpp>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/cim.h"

struct TUnitRule;

struct TReadableValue {
  std::string fText;     // what the cell shows
  std::string fExact;    // the library's text and the declared unit, for the hover; "" for none
  std::string fSortKey;  // sorts like the value; "" when the text does
};

class TReadableValues {
 public:
  typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMProperty>> TProperties;

  // The collection's time zone: the name its VKXSG_TimeZone instances give
  // when they agree; none otherwise (then date-times get no offset).
  void ReadTimeZone(const boost::shared_ptr<NVKXQZA20::ICIMNamespace>& ns);

  // A readable form of the text the library made from these properties;
  // none unless the text is exactly the one property's own value text (so
  // that a text the library adjusted, joined or mapped stays as it is).
  std::optional<TReadableValue> Of(const TProperties& sources, const std::string& libraryText) const;

 private:
  std::optional<TReadableValue> Quantity(const NVKXQZA20::ICIMProperty& property,
                                         const std::string& libraryText) const;
  std::optional<TReadableValue> DateTime(const NVKXQZA20::TCIMDateTime& value,
                                         const std::string& libraryText) const;

  struct TUnit {
    const TUnitRule* fRule = nullptr;  // none: not shown in other units
    double fFactor = 1;                       // the PUnit's multipliers
    std::string fName;                        // as declared, for the exact text
  };
  // Units are worked out once per declaration: a table of many thousand
  // rows asks about the same few.
  const TUnit& UnitOf(const NVKXQZA20::ICIMProperty& property) const;
  static constexpr size_t kMaxKnownUnits = 4096;

  std::string fZoneName;  // "" for none
  mutable std::string fOffset;       // the last UTC offset shown, as the DMTF text has it
  mutable std::string fOffsetLabel;  // and how it is shown
  mutable std::map<const NVKXQZA20::ICIMPropertyDecl*,
                   std::pair<boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl>, TUnit>>
      fUnits;  // each declaration kept alive while it is known
};

#endif
