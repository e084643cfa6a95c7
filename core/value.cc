#include "core/value.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <limits>

#include "core/cim.h"
#include "core/status.h"

namespace NVKXQZA20 {

namespace {

bool IsTextType(ECIMType type) {
  return type == CIMTypeString || type == CIMTypeChar16 || type == CIMTypeDateTime ||
         type == CIMTypeReference;
}

// Names and keywords are ASCII case-insensitive.
char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Lower(std::string text) {
  for (char& c : text) c = LowerChar(c);
  return text;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

// A whole number written in decimal or 0x hexadecimal, with an optional sign.
bool ParseInteger(const std::string& raw, bool& negative, uint64_t& magnitude) {
  std::string text = Trim(raw);
  size_t pos = 0;
  negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (text.size() > pos + 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  if (pos >= text.size()) return false;
  const char* first = text.data() + pos;
  const char* last = text.data() + text.size();
  std::from_chars_result result = std::from_chars(first, last, magnitude, base);
  return result.ec == std::errc() && result.ptr == last;
}

std::string UnsignedToText(uint64_t value, int radix) {
  if (value == 0) return "0";
  std::string digits;
  while (value > 0) {
    digits.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[value % static_cast<uint64_t>(radix)]);
    value /= static_cast<uint64_t>(radix);
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

template <class TNumber>
std::string ShortestText(TNumber value) {
  char buffer[64];
  std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void RequireDigits(const std::string& text, size_t from, size_t count) {
  for (size_t i = from; i < from + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])) && text[i] != '*') {
      throw TQZAException(kQZATypeMismatch, "not a CIM date-time: " + text);
    }
  }
}

}  // namespace

std::string CIMTypeName(ECIMType type) {
  switch (type) {
    case CIMTypeNone: return "none";
    case CIMTypeBoolean: return "boolean";
    case CIMTypeUInt8: return "uint8";
    case CIMTypeSInt8: return "sint8";
    case CIMTypeUInt16: return "uint16";
    case CIMTypeSInt16: return "sint16";
    case CIMTypeUInt32: return "uint32";
    case CIMTypeSInt32: return "sint32";
    case CIMTypeUInt64: return "uint64";
    case CIMTypeSInt64: return "sint64";
    case CIMTypeReal32: return "real32";
    case CIMTypeReal64: return "real64";
    case CIMTypeChar16: return "char16";
    case CIMTypeString: return "string";
    case CIMTypeDateTime: return "datetime";
    case CIMTypeReference: return "ref";
  }
  return "unknown";
}

// ---------------------------------------------------------------- date-time

TCIMDateTime::TCIMDateTime() : fText("00000000000000.000000+000") {}

TCIMDateTime::TCIMDateTime(const std::string& dmtfText) : fText(dmtfText) {
  if (fText.size() != 25 || fText[14] != '.') {
    throw TQZAException(kQZATypeMismatch, "not a CIM date-time: " + fText);
  }
  RequireDigits(fText, 0, 14);
  RequireDigits(fText, 15, 6);
  RequireDigits(fText, 22, 3);
  char sign = fText[21];
  if (sign != '+' && sign != '-' && sign != ':') {
    throw TQZAException(kQZATypeMismatch, "not a CIM date-time: " + fText);
  }
}

TCIMDateTime::TCIMDateTime(int year, int month, int day, int hour, int minute, int second,
                           int microsecond, int utcOffset) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d.%06d%c%03d", year % 10000,
                month % 100, day % 100, hour % 100, minute % 100, second % 100,
                microsecond % 1000000, utcOffset < 0 ? '-' : '+', std::abs(utcOffset) % 1000);
  fText = buffer;
}

bool TCIMDateTime::IsInterval() const { return fText[21] == ':'; }

std::string TCIMDateTime::ToUIString() const {
  const std::string& t = fText;
  if (IsInterval()) {
    std::string days = t.substr(0, 8);
    size_t nonZero = days.find_first_not_of('0');
    days = nonZero == std::string::npos ? "0" : days.substr(nonZero);
    return days + (days == "1" ? " day " : " days ") + t.substr(8, 2) + ":" + t.substr(10, 2) +
           ":" + t.substr(12, 2);
  }
  return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2) + " " + t.substr(8, 2) +
         ":" + t.substr(10, 2) + ":" + t.substr(12, 2);
}

// ------------------------------------------------------------- shared parts

TSharedText::TSharedText(std::string_view text) {
  if (text.empty()) return;
  void* block = ::operator new(offsetof(TRep, fChars) + text.size() + 1);
  fRep = new (block) TRep;
  fRep->fRefs.store(1, std::memory_order_relaxed);
  fRep->fSize = text.size();
  char* chars = fRep->fChars;  // the block goes on past the declared one character
  std::memcpy(chars, text.data(), text.size());
  chars[text.size()] = '\0';
}

void TSharedText::Release() {
  if (fRep->fRefs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  fRep->~TRep();
  ::operator delete(fRep);
}

struct TSharedElements::TRep {
  explicit TRep(std::vector<TCIMValue> elements) : fElements(std::move(elements)) {}
  std::atomic<size_t> fRefs{1};
  const std::vector<TCIMValue> fElements;
};

TSharedElements::TSharedElements(std::vector<TCIMValue> elements) : fRep(new TRep(std::move(elements))) {}

TSharedElements::TSharedElements(const TSharedElements& other) : fRep(other.fRep) {
  if (fRep) fRep->fRefs.fetch_add(1, std::memory_order_relaxed);
}

TSharedElements::~TSharedElements() {
  if (fRep && fRep->fRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete fRep;
}

const std::vector<TCIMValue>& TSharedElements::Get() const { return fRep->fElements; }

bool TSharedElements::operator==(const TSharedElements& other) const {
  return fRep == other.fRep || fRep->fElements == other.fRep->fElements;
}

// -------------------------------------------------------------------- value

TCIMValue::TCIMValue() : fType(CIMTypeNone), fArray(false), fNull(true) {}

TCIMValue::TCIMValue(ECIMType type, bool isArray, bool isNull, TPayload payload)
    : fType(type), fArray(isArray), fNull(isNull), fPayload(std::move(payload)) {}

TCIMValue TCIMValue::Null(ECIMType type, bool isArray) { return TCIMValue(type, isArray, true, TPayload()); }

TCIMValue TCIMValue::Char16(char16_t c) {
  std::string text;
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
  return TCIMValue(CIMTypeChar16, false, false, TSharedText(text));
}

TCIMValue TCIMValue::Real32(float value) {
  return TCIMValue(CIMTypeReal32, false, false, static_cast<double>(value));
}

TCIMValue TCIMValue::Array(ECIMType elementType, std::vector<TCIMValue> elements) {
  for (TCIMValue& element : elements) element = std::move(element).ConvertTo(elementType, false);
  return TCIMValue(elementType, true, false, TSharedElements(std::move(elements)));
}

TCIMValue::TCIMValue(bool value) : TCIMValue(CIMTypeBoolean, false, false, value) {}
TCIMValue::TCIMValue(uint8_t value) : TCIMValue(CIMTypeUInt8, false, false, uint64_t(value)) {}
TCIMValue::TCIMValue(int8_t value) : TCIMValue(CIMTypeSInt8, false, false, int64_t(value)) {}
TCIMValue::TCIMValue(uint16_t value) : TCIMValue(CIMTypeUInt16, false, false, uint64_t(value)) {}
TCIMValue::TCIMValue(int16_t value) : TCIMValue(CIMTypeSInt16, false, false, int64_t(value)) {}
TCIMValue::TCIMValue(uint32_t value) : TCIMValue(CIMTypeUInt32, false, false, uint64_t(value)) {}
TCIMValue::TCIMValue(int32_t value) : TCIMValue(CIMTypeSInt32, false, false, int64_t(value)) {}
TCIMValue::TCIMValue(uint64_t value) : TCIMValue(CIMTypeUInt64, false, false, value) {}
TCIMValue::TCIMValue(int64_t value) : TCIMValue(CIMTypeSInt64, false, false, value) {}
TCIMValue::TCIMValue(double value) : TCIMValue(CIMTypeReal64, false, false, value) {}
TCIMValue::TCIMValue(const char* value) : TCIMValue(CIMTypeString, false, false, TSharedText(value)) {}
TCIMValue::TCIMValue(std::string value) : TCIMValue(CIMTypeString, false, false, TSharedText(value)) {}
TCIMValue::TCIMValue(const TCIMDateTime& value)
    : TCIMValue(CIMTypeDateTime, false, false, TSharedText(value.ToDMTFString())) {}
TCIMValue::TCIMValue(const TCIMReference& value)
    : TCIMValue(CIMTypeReference, false, false, TSharedText(value.GetPath())) {}

void TCIMValue::RequireScalar() const {
  if (fNull) throw TQZAException(kQZANullValue, "null " + CIMTypeName(fType));
  if (fArray) throw TQZAException(kQZATypeMismatch, CIMTypeName(fType) + " array read as a scalar");
}

// The value as a whole number, sign and magnitude kept apart so that the
// whole uint64 and sint64 ranges are representable.
namespace {
struct TWhole {
  bool negative = false;
  uint64_t magnitude = 0;
};
}  // namespace

template <class TPayload>
static TWhole ReadWhole(ECIMType type, const TPayload& payload) {
  TWhole whole;
  if (const bool* b = std::get_if<bool>(&payload)) {
    whole.magnitude = *b ? 1 : 0;
  } else if (const int64_t* i = std::get_if<int64_t>(&payload)) {
    whole.negative = *i < 0;
    whole.magnitude = whole.negative ? uint64_t(0) - static_cast<uint64_t>(*i) : static_cast<uint64_t>(*i);
  } else if (const uint64_t* u = std::get_if<uint64_t>(&payload)) {
    whole.magnitude = *u;
  } else if (const double* d = std::get_if<double>(&payload)) {
    double value = *d;
    if (value != std::floor(value) || value >= 18446744073709551616.0 || value < -9223372036854775808.0) {
      throw TQZAException(kQZAOutOfRange, "real value is not a whole number in range");
    }
    whole.negative = value < 0;
    whole.magnitude = static_cast<uint64_t>(whole.negative ? -value : value);
  } else if (const TSharedText* s = std::get_if<TSharedText>(&payload)) {
    const std::string text(s->View());
    if (type != CIMTypeString || !ParseInteger(text, whole.negative, whole.magnitude)) {
      throw TQZAException(kQZATypeMismatch, CIMTypeName(type) + " value is not a number: " + text);
    }
  }
  return whole;
}

int64_t TCIMValue::SignedInRange(int64_t low, int64_t high) const {
  RequireScalar();
  TWhole whole = ReadWhole(fType, fPayload);
  if (whole.negative) {
    if (whole.magnitude > uint64_t(0) - static_cast<uint64_t>(low)) {
      throw TQZAException(kQZAOutOfRange, ToString());
    }
    return static_cast<int64_t>(uint64_t(0) - whole.magnitude);
  }
  if (whole.magnitude > static_cast<uint64_t>(high)) throw TQZAException(kQZAOutOfRange, ToString());
  return static_cast<int64_t>(whole.magnitude);
}

uint64_t TCIMValue::UnsignedAtMost(uint64_t high) const {
  RequireScalar();
  TWhole whole = ReadWhole(fType, fPayload);
  if ((whole.negative && whole.magnitude != 0) || whole.magnitude > high) {
    throw TQZAException(kQZAOutOfRange, ToString());
  }
  return whole.magnitude;
}

bool TCIMValue::ToBool() const {
  RequireScalar();
  if (const bool* b = std::get_if<bool>(&fPayload)) return *b;
  if (const TSharedText* s = std::get_if<TSharedText>(&fPayload)) {
    const std::string raw(s->View());
    std::string text = Lower(Trim(raw));
    if (fType == CIMTypeString && (text == "true" || text == "1")) return true;
    if (fType == CIMTypeString && (text == "false" || text == "0")) return false;
    throw TQZAException(kQZATypeMismatch, CIMTypeName(fType) + " value is not a boolean: " + raw);
  }
  if (std::holds_alternative<double>(fPayload)) {
    throw TQZAException(kQZATypeMismatch, "real value read as a boolean");
  }
  return ReadWhole(fType, fPayload).magnitude != 0;
}

uint8_t TCIMValue::ToUInt8() const { return static_cast<uint8_t>(UnsignedAtMost(UINT8_MAX)); }
int8_t TCIMValue::ToSInt8() const { return static_cast<int8_t>(SignedInRange(INT8_MIN, INT8_MAX)); }
uint16_t TCIMValue::ToUInt16() const { return static_cast<uint16_t>(UnsignedAtMost(UINT16_MAX)); }
int16_t TCIMValue::ToSInt16() const { return static_cast<int16_t>(SignedInRange(INT16_MIN, INT16_MAX)); }
uint32_t TCIMValue::ToUInt32() const { return static_cast<uint32_t>(UnsignedAtMost(UINT32_MAX)); }
int32_t TCIMValue::ToSInt32() const { return static_cast<int32_t>(SignedInRange(INT32_MIN, INT32_MAX)); }
uint64_t TCIMValue::ToUInt64() const { return UnsignedAtMost(UINT64_MAX); }
int64_t TCIMValue::ToSInt64() const { return SignedInRange(INT64_MIN, INT64_MAX); }

double TCIMValue::ToReal64() const {
  RequireScalar();
  if (const double* d = std::get_if<double>(&fPayload)) return *d;
  if (const TSharedText* s = std::get_if<TSharedText>(&fPayload)) {
    const std::string raw(s->View());
    std::string text = Trim(raw);
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (fType != CIMTypeString || text.empty() || *end != '\0') {
      throw TQZAException(kQZATypeMismatch, CIMTypeName(fType) + " value is not a number: " + raw);
    }
    return value;
  }
  TWhole whole = ReadWhole(fType, fPayload);
  double magnitude = static_cast<double>(whole.magnitude);
  return whole.negative ? -magnitude : magnitude;
}

namespace {

// The one UTF-8 character of text within UCS-2 (a lone byte above 0x7F
// stands for itself), or -1.
long SingleCharacter(std::string_view text) {
  if (text.size() == 1) return static_cast<unsigned char>(text[0]);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(text.data());
  auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  if (text.size() == 2 && (b[0] & 0xE0) == 0xC0 && continuation(b[1])) {
    long code = ((b[0] & 0x1F) << 6) | (b[1] & 0x3F);
    return code >= 0x80 ? code : -1;
  }
  if (text.size() == 3 && (b[0] & 0xF0) == 0xE0 && continuation(b[1]) && continuation(b[2])) {
    long code = ((b[0] & 0x0F) << 12) | ((b[1] & 0x3F) << 6) | (b[2] & 0x3F);
    return code >= 0x800 ? code : -1;
  }
  return -1;
}

}  // namespace

char16_t TCIMValue::ToChar16() const {
  RequireScalar();
  const TSharedText* s = std::get_if<TSharedText>(&fPayload);
  long code = s == nullptr ? -1 : SingleCharacter(s->View());
  if (code < 0 || (fType != CIMTypeChar16 && fType != CIMTypeString)) {
    throw TQZAException(kQZATypeMismatch, CIMTypeName(fType) + " value read as a char16");
  }
  return static_cast<char16_t>(code);
}

TCIMDateTime TCIMValue::ToDateTime() const {
  RequireScalar();
  if (fType != CIMTypeDateTime && fType != CIMTypeString) {
    throw TQZAException(kQZATypeMismatch, CIMTypeName(fType) + " value read as a datetime");
  }
  return TCIMDateTime(std::string(std::get<TSharedText>(fPayload).View()));
}

TCIMReference TCIMValue::ToReference() const {
  RequireScalar();
  if (fType != CIMTypeReference && fType != CIMTypeString) {
    throw TQZAException(kQZATypeMismatch, CIMTypeName(fType) + " value read as a reference");
  }
  return TCIMReference(boost::shared_ptr<ICIMNamespace>(), std::string(std::get<TSharedText>(fPayload).View()),
                       TCIMContext());
}

std::vector<TCIMValue> TCIMValue::ToArray() const {
  if (fNull) return std::vector<TCIMValue>();
  if (!fArray) return std::vector<TCIMValue>(1, *this);
  return std::get<TSharedElements>(fPayload).Get();
}

std::string TCIMValue::ToString(int radix) const {
  if (radix < 2 || radix > 36) throw TQZAException(kQZAInvalidParameter, "radix " + std::to_string(radix));
  if (fNull) return "";
  if (fArray) {
    std::string text;
    const std::vector<TCIMValue>& elements = std::get<TSharedElements>(fPayload).Get();
    for (size_t i = 0; i < elements.size(); ++i) {
      if (i > 0) text += ",";
      text += elements[i].ToString(radix);
    }
    return text;
  }
  if (const bool* b = std::get_if<bool>(&fPayload)) return *b ? "true" : "false";
  if (const TSharedText* s = std::get_if<TSharedText>(&fPayload)) return std::string(s->View());
  if (const double* d = std::get_if<double>(&fPayload)) {
    return fType == CIMTypeReal32 ? ShortestText(static_cast<float>(*d)) : ShortestText(*d);
  }
  TWhole whole = ReadWhole(fType, fPayload);
  return (whole.negative ? "-" : "") + UnsignedToText(whole.magnitude, radix);
}

TCIMValue TCIMValue::ConvertTo(ECIMType type, bool isArray) const& {
  if (fNull) return Null(type, isArray);
  if (isArray != fArray) {
    throw TQZAException(kQZATypeMismatch, isArray ? "scalar given for an array" : "array given for a scalar");
  }
  // An array's elements have its type already: the copy shares them.
  if (type == fType) return *this;
  if (isArray) return Array(type, std::get<TSharedElements>(fPayload).Get());
  switch (type) {
    case CIMTypeBoolean: return TCIMValue(ToBool());
    case CIMTypeUInt8: return TCIMValue(ToUInt8());
    case CIMTypeSInt8: return TCIMValue(ToSInt8());
    case CIMTypeUInt16: return TCIMValue(ToUInt16());
    case CIMTypeSInt16: return TCIMValue(ToSInt16());
    case CIMTypeUInt32: return TCIMValue(ToUInt32());
    case CIMTypeSInt32: return TCIMValue(ToSInt32());
    case CIMTypeUInt64: return TCIMValue(ToUInt64());
    case CIMTypeSInt64: return TCIMValue(ToSInt64());
    case CIMTypeReal32: return Real32(static_cast<float>(ToReal64()));
    case CIMTypeReal64: return TCIMValue(ToReal64());
    case CIMTypeChar16: return Char16(ToChar16());
    case CIMTypeString: return TCIMValue(ToString());
    case CIMTypeDateTime: return TCIMValue(ToDateTime());
    case CIMTypeReference: return TCIMValue(ToReference());
    case CIMTypeNone: break;
  }
  throw TQZAException(kQZATypeMismatch, "conversion to " + CIMTypeName(type));
}

TCIMValue TCIMValue::ConvertTo(ECIMType type, bool isArray) && {
  if (!fNull && isArray == fArray && type == fType) return std::move(*this);
  return static_cast<const TCIMValue&>(*this).ConvertTo(type, isArray);
}

bool TCIMValue::operator==(const TCIMValue& other) const {
  if (fType != other.fType || fArray != other.fArray || fNull != other.fNull) return false;
  if (fNull) return true;
  return fPayload == other.fPayload;
}

std::string_view TCIMValue::TextView() const {
  const TSharedText* text = std::get_if<TSharedText>(&fPayload);
  return text ? text->View() : std::string_view();
}

bool TCIMValue::ShareTextOf(const TCIMValue& other) {
  TSharedText* mine = std::get_if<TSharedText>(&fPayload);
  const TSharedText* theirs = std::get_if<TSharedText>(&other.fPayload);
  if (fType != other.fType || mine == nullptr || theirs == nullptr || !(*mine == *theirs)) return false;
  *mine = *theirs;
  return true;
}

// ---------------------------------------------------------------- reference

namespace {

// Every object path is built here: the text goes in in runs, uncopied.
void AppendQuotedPathText(std::string& path, std::string_view text) {
  path += '"';
  size_t start = 0;
  for (size_t special; (special = text.find_first_of("\"\\", start)) != std::string_view::npos; start = special + 1) {
    path.append(text.substr(start, special - start));
    path += '\\';
    path += text[special];
  }
  path.append(text.substr(start));
  path += '"';
}

void AppendKeyValueText(std::string& path, const TCIMValue& value) {
  if (value.IsNull()) {
    path += "NULL";
  } else if (value.IsArray()) {
    AppendQuotedPathText(path, value.ToString());
  } else if (IsTextType(value.GetType())) {
    AppendQuotedPathText(path, value.TextView());
  } else {
    path += value.ToString();
  }
}

// Names compare as their lower-case forms would, without making them:
// every object path built compares its key names.
int CompareNames(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int ca = static_cast<unsigned char>(LowerChar(a[i]));
    const int cb = static_cast<unsigned char>(LowerChar(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A byte of a class or key name: DSP0004 identifiers hold ASCII letters,
// digits and '_', and any character from U+0080 on (its UTF-8 bytes), as
// the MOF reader takes them.
bool IsNameByte(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return std::isalnum(byte) || c == '_' || byte >= 0x80;
}

class TPathParser {
 public:
  explicit TPathParser(const std::string& text) : fText(text) {}

  void Parse(std::string& className, std::vector<std::pair<std::string, TCIMValue>>& keys) {
    size_t end = ClassNameEnd();
    className = ClassNameOf(fText.substr(0, end));
    fPos = end;
    if (fPos == fText.size()) return;
    if (fText.compare(fPos, 2, "=@") == 0 && fPos + 2 == fText.size()) return;
    Expect('.');
    do {
      std::string name = Name();
      Expect('=');
      keys.push_back(std::make_pair(name, Value()));
    } while (Accept(','));
    if (fPos != fText.size()) Fail("unexpected text after the key bindings");
  }

 private:
  size_t ClassNameEnd() const {
    size_t pos = fText.find_first_of(".=");
    return pos == std::string::npos ? fText.size() : pos;
  }

  // Drops "//host/namespace:" and "namespace:" prefixes.
  std::string ClassNameOf(const std::string& head) const {
    size_t colon = head.rfind(':');
    std::string name = colon == std::string::npos ? head : head.substr(colon + 1);
    name = Trim(name);
    if (name.empty()) Fail("missing class name");
    bool identifier = !std::isdigit(static_cast<unsigned char>(name[0]));
    for (char c : name) identifier = identifier && IsNameByte(c);
    if (!identifier) Fail("bad class name '" + name + "'");
    return name;
  }

  std::string Name() {
    size_t begin = fPos;
    while (fPos < fText.size() && IsNameByte(fText[fPos])) ++fPos;
    if (begin == fPos) Fail("missing key name");
    return fText.substr(begin, fPos - begin);
  }

  TCIMValue Value() {
    if (Accept('"')) return TCIMValue(QuotedText());
    size_t begin = fPos;
    while (fPos < fText.size() && fText[fPos] != ',') ++fPos;
    std::string word = Trim(fText.substr(begin, fPos - begin));
    std::string lower = Lower(word);
    if (lower == "true" || lower == "false") return TCIMValue(lower == "true");
    if (lower == "null") return TCIMValue();
    bool negative = false;
    uint64_t magnitude = 0;
    if (ParseInteger(word, negative, magnitude)) {
      if (!negative) return TCIMValue(magnitude);
      if (magnitude <= uint64_t(INT64_MAX) + 1) return TCIMValue(static_cast<int64_t>(uint64_t(0) - magnitude));
    }
    char* end = nullptr;
    double real = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0') Fail("bad key value '" + word + "'");
    return TCIMValue(real);
  }

  std::string QuotedText() {
    std::string text;
    while (fPos < fText.size() && fText[fPos] != '"') {
      if (fText[fPos] == '\\' && fPos + 1 < fText.size()) ++fPos;
      text += fText[fPos++];
    }
    Expect('"');
    return text;
  }

  bool Accept(char c) {
    if (fPos < fText.size() && fText[fPos] == c) {
      ++fPos;
      return true;
    }
    return false;
  }

  void Expect(char c) {
    if (!Accept(c)) Fail(std::string("expected '") + c + "'");
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw TQZAException(kQZAInvalidParameter, "object path \"" + fText + "\": " + what);
  }

  const std::string& fText;
  size_t fPos = 0;
};

}  // namespace

TCIMReference::TCIMReference() {}

TCIMReference::TCIMReference(boost::shared_ptr<ICIMNamespace> ns, const std::string& path,
                             const TCIMContext& context)
    : fNamespace(ns), fDataSource(DataSourceIndex(context)) {
  std::vector<std::pair<std::string, TCIMValue>> keys;
  TPathParser(path).Parse(fClassName, keys);
  for (const auto& key : keys) AddKeyValue(key.first, key.second);
}

std::string TCIMReference::GetPath() const {
  std::string path;
  path.reserve(64);
  path += fClassName;
  for (size_t i = 0; i < fKeys.size(); ++i) {
    path += i == 0 ? '.' : ',';
    path += fKeys[i].first;
    path += '=';
    AppendKeyValueText(path, fKeys[i].second);
  }
  return path;
}

void TCIMReference::AddKeyValue(const std::string& name, const TCIMValue& value) {
  // Keys mostly come in their order already.
  if (fKeys.empty() || CompareNames(fKeys.back().first, name) < 0) {
    fKeys.emplace_back(name, value);
    return;
  }
  auto position = std::lower_bound(
      fKeys.begin(), fKeys.end(), name,
      [](const std::pair<std::string, TCIMValue>& key, const std::string& n) { return CompareNames(key.first, n) < 0; });
  if (position != fKeys.end() && CompareNames(position->first, name) == 0) {
    position->second = value;
  } else {
    fKeys.insert(position, std::make_pair(name, value));
  }
}

void TCIMReference::EnumerateKeyBindings(TKeyBindingCallback callback) const {
  for (const auto& key : fKeys) {
    if (!callback(key.first, key.second)) return;
  }
}

boost::shared_ptr<ICIMElement> TCIMReference::GetCIMElement(bool throwIfAbsent) const {
  boost::shared_ptr<ICIMElement> element;
  if (fNamespace) {
    TCIMContext context;
    context["nsIndex"] = TCIMValue(fDataSource);
    element = fNamespace->GetInstance(*this, context);
  }
  if (!element && throwIfAbsent) throw TQZAException(kQZANotFound, GetPath());
  return element;
}

uint16_t DataSourceIndex(const TCIMContext& context) {
  TCIMContext::const_iterator entry = context.find("nsIndex");
  return entry == context.end() || entry->second.IsNull() ? 0 : entry->second.ToUInt16();
}

}  // namespace NVKXQZA20
