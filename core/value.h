// CIM values: the typed, possibly null, possibly array value of a property,
// qualifier or context entry, with its date-time and reference kinds.
//
//   TCIMValue v(static_cast<uint16_t>(36));
//   v.ToSInt32();          // 36
//   v.ToString(16);        // "24"
//   TCIMValue("x").ToSInt32();   // throws TQZAException(kQZATypeMismatch)
//
// Conversions never guess silently: a null value read as anything but text
// throws kQZANullValue, a value of an unrelated type kQZATypeMismatch, a number
// outside the target's range kQZAOutOfRange. Text reads any value (null gives "").
#ifndef QZA_CORE_VALUE_H
#define QZA_CORE_VALUE_H

#include <atomic>
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace NVKXQZA20 {

class ICIMNamespace;
class ICIMElement;
class TCIMReference;
class TCIMValue;

// The run's settings and the data-source index ("nsIndex") travel in this map.
typedef std::map<std::string, TCIMValue> TCIMContext;

enum ECIMType {
  CIMTypeNone = 0,
  CIMTypeBoolean = 1,
  CIMTypeUInt8 = 2,
  CIMTypeSInt8 = 3,
  CIMTypeUInt16 = 4,
  CIMTypeSInt16 = 5,
  CIMTypeUInt32 = 6,
  CIMTypeSInt32 = 7,
  CIMTypeUInt64 = 8,
  CIMTypeSInt64 = 9,
  CIMTypeReal32 = 10,
  CIMTypeReal64 = 11,
  CIMTypeChar16 = 12,
  CIMTypeString = 13,
  CIMTypeDateTime = 14,
  CIMTypeReference = 15
};

// The MOF name of a type ("uint16", "string", "datetime", "ref"...).
std::string CIMTypeName(ECIMType type);

// A CIM date-time: a point in time or an interval, held in the 25-character
// DMTF form "yyyymmddhhmmss.mmmmmmsutc" (interval: "ddddddddhhmmss.mmmmmm:000").
// Fields may hold "*" wildcards as DMTF allows.
class TCIMDateTime {
 public:
  // The null date-time "00000000000000.000000+000".
  TCIMDateTime();
  // Parses the DMTF form; throws TQZAException(kQZATypeMismatch) otherwise.
  explicit TCIMDateTime(const std::string& dmtfText);
  // A timestamp; utcOffset in minutes east of UTC.
  TCIMDateTime(int year, int month, int day, int hour, int minute, int second,
               int microsecond, int utcOffset);

  bool IsInterval() const;
  const std::string& ToDMTFString() const { return fText; }
  // Readable form: "2026-11-20 14:30:05" for a timestamp (offset and
  // microseconds left out; wildcard fields shown as "*"), "3 days 04:05:06"
  // for an interval ("1 day", "0 days").
  std::string ToUIString() const;

  bool operator==(const TCIMDateTime& other) const { return fText == other.fText; }
  bool operator!=(const TCIMDateTime& other) const { return fText != other.fText; }

 private:
  std::string fText;
};

// Immutable text that the values copying it share: a copy counts a
// reference instead of copying the characters, so that a value read out of
// the repository costs no allocation and equal texts can be held once.
class TSharedText {
 public:
  TSharedText() {}
  explicit TSharedText(std::string_view text);
  TSharedText(const TSharedText& other) : fRep(other.fRep) {
    if (fRep) fRep->fRefs.fetch_add(1, std::memory_order_relaxed);
  }
  TSharedText(TSharedText&& other) noexcept : fRep(other.fRep) { other.fRep = nullptr; }
  TSharedText& operator=(TSharedText other) noexcept {
    std::swap(fRep, other.fRep);
    return *this;
  }
  ~TSharedText() {
    if (fRep) Release();
  }

  std::string_view View() const { return fRep ? std::string_view(fRep->fChars, fRep->fSize) : std::string_view(); }
  bool operator==(const TSharedText& other) const { return fRep == other.fRep || View() == other.View(); }

 private:
  struct TRep {
    std::atomic<size_t> fRefs;
    size_t fSize;
    char fChars[1];
  };
  void Release();

  TRep* fRep = nullptr;  // none for the empty text
};

// The elements of an array value, shared by its copies as its text is.
class TSharedElements {
 public:
  explicit TSharedElements(std::vector<TCIMValue> elements);
  TSharedElements(const TSharedElements& other);
  TSharedElements(TSharedElements&& other) noexcept : fRep(other.fRep) { other.fRep = nullptr; }
  TSharedElements& operator=(TSharedElements other) noexcept {
    std::swap(fRep, other.fRep);
    return *this;
  }
  ~TSharedElements();

  const std::vector<TCIMValue>& Get() const;
  bool operator==(const TSharedElements& other) const;

 private:
  struct TRep;
  TRep* fRep;
};

class TCIMValue {
 public:
  typedef ECIMType TCIMType;

  // The untyped null value.
  TCIMValue();
  // A null value of a type, scalar or array.
  static TCIMValue Null(ECIMType type, bool isArray = false);
  // A UCS-2 character, held as its UTF-8 text.
  static TCIMValue Char16(char16_t c);
  static TCIMValue Real32(float value);
  // An array of elements that all have the element type.
  static TCIMValue Array(ECIMType elementType, std::vector<TCIMValue> elements);

  TCIMValue(bool value);
  TCIMValue(uint8_t value);
  TCIMValue(int8_t value);
  TCIMValue(uint16_t value);
  TCIMValue(int16_t value);
  TCIMValue(uint32_t value);
  TCIMValue(int32_t value);
  TCIMValue(uint64_t value);
  TCIMValue(int64_t value);
  TCIMValue(double value);
  TCIMValue(const char* value);
  TCIMValue(std::string value);
  TCIMValue(const TCIMDateTime& value);
  TCIMValue(const TCIMReference& value);

  TCIMType GetType() const { return fType; }
  bool IsNull() const { return fNull; }
  bool IsArray() const { return fArray; }

  // Integers convert between each other within range; strings holding a
  // decimal (or 0x hexadecimal) number convert to numbers; booleans read as
  // 0/1; reals convert to integers only when whole.
  bool ToBool() const;
  uint8_t ToUInt8() const;
  int8_t ToSInt8() const;
  uint16_t ToUInt16() const;
  int16_t ToSInt16() const;
  uint32_t ToUInt32() const;
  int32_t ToSInt32() const;
  uint64_t ToUInt64() const;
  int64_t ToSInt64() const;
  double ToReal64() const;
  // A char16 or a string of one character (UTF-8) within UCS-2.
  char16_t ToChar16() const;
  TCIMDateTime ToDateTime() const;
  TCIMReference ToReference() const;
  // The elements of an array; a scalar gives one element, null none.
  std::vector<TCIMValue> ToArray() const;

  // The value as text: integers in the radix (2 to 36, lower-case digits,
  // "-" for negatives), booleans "true"/"false", reals in the shortest form
  // that reads back exactly, date-times in DMTF form, references as their
  // canonical path, arrays as their elements joined with ",". Null gives "".
  std::string ToString(int radix = 10) const;
  // The text of a string, char16, date-time or reference value, without a
  // copy; for other values and null, nothing (ToString makes their text).
  std::string_view TextView() const;

  // This value converted to a type (element type for arrays), as
  // SetPropertyValue does to fit a declaration. Throws like the To* readers.
  TCIMValue ConvertTo(ECIMType type, bool isArray) const&;
  // The same, taking this value's payload over when it needs no conversion.
  TCIMValue ConvertTo(ECIMType type, bool isArray) &&;

  bool operator==(const TCIMValue& other) const;
  bool operator!=(const TCIMValue& other) const { return !(*this == other); }

  // Makes this value hold other's copy of the text when both hold the same
  // text, so that a repeated text is kept once; answers whether they do.
  bool ShareTextOf(const TCIMValue& other);

 private:
  typedef std::variant<std::monostate, bool, int64_t, uint64_t, double, TSharedText, TSharedElements> TPayload;

  TCIMValue(ECIMType type, bool isArray, bool isNull, TPayload payload);
  int64_t SignedInRange(int64_t low, int64_t high) const;
  uint64_t UnsignedAtMost(uint64_t high) const;
  void RequireScalar() const;

  ECIMType fType;
  bool fArray;
  bool fNull;
  TPayload fPayload;
};

// An object path: a class name and key bindings. GetPath() is canonical:
//   ClassName.KeyA="text",KeyB=5
// keys in case-insensitive name order, strings and date-times quoted with
// '\' and '"' escaped, booleans true/false, numbers in decimal. The path does
// not name the data source, so one instance has the same path in every
// data source of a comparison repository.
class TCIMReference {
 public:
  typedef boost::function<bool(const std::string&, const TCIMValue&)> TKeyBindingCallback;

  TCIMReference();
  // Parses a path (canonical or not: any key order, an optional
  // "namespace:" prefix, Class=@ for singletons) for looking the instance up
  // in the data source that the context's "nsIndex" names.
  // Throws TQZAException(kQZAInvalidParameter) on a malformed path.
  TCIMReference(boost::shared_ptr<ICIMNamespace> ns, const std::string& path,
                const TCIMContext& context);

  std::string GetPath() const;
  std::string GetClassName() const { return fClassName; }
  void SetClassName(const std::string& name) { fClassName = name; }
  // Adds or replaces the binding of a key (names compare case-insensitively).
  void AddKeyValue(const std::string& name, const TCIMValue& value);
  // Calls the callback per binding in canonical order until it answers false.
  void EnumerateKeyBindings(TKeyBindingCallback callback) const;
  size_t GetKeyCount() const { return fKeys.size(); }

  // The instance the path names in the reference's namespace and data source;
  // an empty handle when absent, or TQZAException(kQZANotFound) when
  // throwIfAbsent is set. Without a namespace the answer is empty as well.
  boost::shared_ptr<ICIMElement> GetCIMElement(bool throwIfAbsent) const;

  bool operator==(const TCIMReference& other) const { return GetPath() == other.GetPath(); }

 private:
  boost::shared_ptr<ICIMNamespace> fNamespace;
  uint16_t fDataSource = 0;
  std::string fClassName;
  std::vector<std::pair<std::string, TCIMValue>> fKeys;
};

}  // namespace NVKXQZA20

#endif
