// The MOF reader's values: literal kinds and integers checked against
// types, data type names, qualifier helpers and date-time fields.
#include "core/mof_values.h"

#include <iterator>

namespace NVKXQZA20 {
namespace NMofReading {

namespace {

struct TDataTypeName {
  const char* fName;
  ECIMType fType;
};

const TDataTypeName kDataTypes[] = {
    {"boolean", CIMTypeBoolean}, {"uint8", CIMTypeUInt8},   {"sint8", CIMTypeSInt8},
    {"uint16", CIMTypeUInt16},   {"sint16", CIMTypeSInt16}, {"uint32", CIMTypeUInt32},
    {"sint32", CIMTypeSInt32},   {"uint64", CIMTypeUInt64}, {"sint64", CIMTypeSInt64},
    {"real32", CIMTypeReal32},   {"real64", CIMTypeReal64}, {"char16", CIMTypeChar16},
    {"string", CIMTypeString},   {"datetime", CIMTypeDateTime}};

bool IsTrue(const TCIMValue& value) {
  try {
    return !value.IsNull() && value.ToBool();
  } catch (const TQZAException&) {
    return false;
  }
}

}  // namespace

const char* KindText(ELiteralKind kind) {
  switch (kind) {
    case ELiteralKind::Null: return "NULL";
    case ELiteralKind::Boolean: return "a boolean";
    case ELiteralKind::Integer: return "an integer";
    case ELiteralKind::Real: return "a real number";
    case ELiteralKind::String: return "a string";
    case ELiteralKind::Char: return "a character";
    case ELiteralKind::Alias: return "an alias";
  }
  return "a value";
}

bool Accepts(ECIMType type, ELiteralKind kind) {
  switch (kind) {
    case ELiteralKind::Null: return true;
    case ELiteralKind::Boolean: return type == CIMTypeBoolean;
    case ELiteralKind::Integer: return IsIntegerType(type) || IsRealType(type);
    case ELiteralKind::Real: return IsRealType(type);
    case ELiteralKind::String:
      return type == CIMTypeString || type == CIMTypeDateTime || type == CIMTypeReference;
    case ELiteralKind::Char: return type == CIMTypeChar16 || type == CIMTypeString;
    case ELiteralKind::Alias: return false;
  }
  return false;
}

TCIMValue IntegerAs(bool negative, uint64_t magnitude, ECIMType type, bool& fits) {
  auto fitsSigned = [&](uint64_t max) { return negative ? magnitude <= max + 1 : magnitude <= max; };
  int64_t signedValue = negative ? -static_cast<int64_t>(magnitude - 1) - 1 : static_cast<int64_t>(magnitude);
  bool isZero = magnitude == 0;
  switch (type) {
    case CIMTypeUInt8: fits = (!negative || isZero) && magnitude <= UINT8_MAX; return TCIMValue(uint8_t(magnitude));
    case CIMTypeUInt16: fits = (!negative || isZero) && magnitude <= UINT16_MAX; return TCIMValue(uint16_t(magnitude));
    case CIMTypeUInt32: fits = (!negative || isZero) && magnitude <= UINT32_MAX; return TCIMValue(uint32_t(magnitude));
    case CIMTypeUInt64: fits = !negative || isZero; return TCIMValue(uint64_t(magnitude));
    case CIMTypeSInt8: fits = fitsSigned(INT8_MAX); return TCIMValue(int8_t(signedValue));
    case CIMTypeSInt16: fits = fitsSigned(INT16_MAX); return TCIMValue(int16_t(signedValue));
    case CIMTypeSInt32: fits = fitsSigned(INT32_MAX); return TCIMValue(int32_t(signedValue));
    case CIMTypeSInt64: fits = fitsSigned(INT64_MAX); return TCIMValue(signedValue);
    case CIMTypeReal32: fits = true; return TCIMValue::Real32(negative ? -float(magnitude) : float(magnitude));
    default: fits = true; return TCIMValue(negative ? -double(magnitude) : double(magnitude));
  }
}

bool FindDataType(const TToken& token, ECIMType& type) {
  for (const TDataTypeName& entry : kDataTypes) {
    if (EqualsNoCase(token.fBegin, token.fEnd, entry.fName)) {
      type = entry.fType;
      return true;
    }
  }
  return false;
}

bool IsNamed(const std::string& text, const char* name) { return EqualsNoCase(text.data(), text.data() + text.size(), name); }

bool HasTrueQualifier(const std::vector<boost::shared_ptr<ICIMQualifier>>& qualifiers, const char* name) {
  for (const boost::shared_ptr<ICIMQualifier>& qualifier : qualifiers) {
    if (IsNamed(qualifier->GetName(), name)) return IsTrue(qualifier->GetValue());
  }
  return false;
}

bool HasTrueQualifier(const std::vector<TQualifierValue>& qualifiers, const char* name) {
  for (const TQualifierValue& qualifier : qualifiers) {
    if (IsNamed(qualifier.fName, name)) return IsTrue(qualifier.fValue);
  }
  return false;
}

bool ClassQualifierIsTrue(const ICIMClass& cls, const char* name, const TCIMContext& context) {
  bool found = false;
  try {
    return IsTrue(cls.GetQualifier(name, found, context)->GetValue(context));
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZANotFound) return false;
    throw;
  }
}

bool HasName(const std::vector<std::string>& names, const char* name) {
  for (const std::string& each : names) {
    if (IsNamed(each, name)) return true;
  }
  return false;
}

unsigned ScopeBit(const std::string& scope) {
  for (size_t i = 0; i < sizeof kScopes / sizeof kScopes[0]; ++i) {
    if (IsNamed(scope, kScopes[i])) return IsNamed(scope, "any") ? ~0u : 1u << i;
  }
  return 0;
}

TQualifierTraits TraitsOf(const TQualifierType& type) {
  TQualifierTraits traits;
  for (const std::string& scope : type.fScopes) traits.fScopes |= ScopeBit(scope);
  traits.fRestricted = HasName(type.fFlavors, "Restricted");
  traits.fDisableOverride = HasName(type.fFlavors, "DisableOverride");
  return traits;
}

bool MayOverride(ECIMType type, bool isArray, const TPropertyDeclaration& property) {
  return type == property.fType && (isArray == property.fIsArray || type == CIMTypeReference);
}

std::string ImpossibleField(const TCIMDateTime& value) {
  const std::string& text = value.ToDMTFString();
  struct TRange {
    const char* fName;
    size_t fAt;
    int fLow;
    int fHigh;
  };
  static const TRange kTimestamp[] = {{"month", 4, 1, 12}, {"day", 6, 1, 31},     {"hour", 8, 0, 23},
                                      {"minute", 10, 0, 59}, {"second", 12, 0, 60}};
  static const TRange kInterval[] = {{"hour", 8, 0, 23}, {"minute", 10, 0, 59}, {"second", 12, 0, 59}};
  bool interval = value.IsInterval();
  if (interval && text.compare(22, 3, "000") != 0) return "an interval whose last field is not 000";
  bool zeroDate = !interval && text.compare(0, 8, "00000000") == 0;
  for (const TRange& range : interval ? std::vector<TRange>(std::begin(kInterval), std::end(kInterval))
                                      : std::vector<TRange>(std::begin(kTimestamp), std::end(kTimestamp))) {
    if (zeroDate && range.fAt < 8) continue;
    const char tens = text[range.fAt];
    const char ones = text[range.fAt + 1];
    if (tens == '*' && ones == '*') continue;
    if (!IsDigit(tens) || !IsDigit(ones)) return "a " + std::string(range.fName) + " field partly of '*'";
    int number = (tens - '0') * 10 + (ones - '0');
    if (number < range.fLow || number > range.fHigh) return "no " + std::string(range.fName) + " " + std::to_string(number);
  }
  return "";
}

}  // namespace NMofReading
}  // namespace NVKXQZA20
