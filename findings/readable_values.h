// Readable values of the HTML and text forms: byte sizes, bit rates,
// frequencies and percentages in human units, worked out from the unit the
// schema declares for the property a value came from (PUnit, or the older
// Units qualifier; never the column's label); date-times with their own UTC
// offset, as the collector wrote it; midnight-only dates as
// dates; SMART raw values decoded as smartctl does, flags and registers in
// hex. The library's exact text stays a hover away in HTML and remains the
// cell's sort key; the inventory keeps it alone.
//
//   TReadableValues readable;
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
  bool fOtherUnit = false;  // shown in another unit than the declared one
};

// The label without the unit it names in parentheses ("Size (byte)" is
// "Size"), for a column whose cells show their own units; the label itself
// when it names none.
std::string LabelWithoutUnit(const std::string& label);

// A time as the host writes it everywhere: "2026-11-10 22:37:51 UTC-05:00",
// the date-time's own UTC offset after it; "" for an interval or a text
// that is no DMTF date-time.
std::string TimeWithOffset(const std::string& dmtf);

class TReadableValues {
 public:
  typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMProperty>> TProperties;
  // The sources of every cell of a row, for values read by their row (a
  // SMART raw value by its attribute's ID).
  typedef std::vector<const TProperties*> TRowSources;

  // A readable form of the text the library made from these properties;
  // none unless the text is exactly the one property's own value text (so
  // that a text the library adjusted, joined or mapped stays as it is).
  std::optional<TReadableValue> Of(const TProperties& sources, const std::string& libraryText,
                                   const TRowSources& row = TRowSources()) const;

  // The text with the offset of the date-time it shows, for lists that
  // show values as text only (What changed); other texts unchanged.
  std::string TimeText(const TProperties& sources, const std::string& libraryText) const;

 private:
  std::optional<TReadableValue> Quantity(const NVKXQZA20::ICIMProperty& property,
                                         const std::string& libraryText) const;
  static std::optional<TReadableValue> Hexadecimal(const NVKXQZA20::ICIMProperty& property,
                                                  const std::string& libraryText);
  static std::optional<TReadableValue> SmartRawValue(const NVKXQZA20::ICIMProperty& property, const TRowSources& row);
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

  mutable std::string fOffset;       // the last UTC offset shown, as the DMTF text has it
  mutable std::string fOffsetLabel;  // and how it is shown
  mutable std::map<const NVKXQZA20::ICIMPropertyDecl*,
                   std::pair<boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl>, TUnit>>
      fUnits;  // each declaration kept alive while it is known
};

#endif
