// The MOF reader's values: literals and initializers as written, the names
// of data types, scopes and flavors, integers fitted to their types,
// date-time fields checked, and what qualifiers say.
#ifndef QZA_CORE_MOF_VALUES_H
#define QZA_CORE_MOF_VALUES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/mof_lexer.h"
#include "core/repository.h"

namespace NVKXQZA20 {
namespace NMofReading {

enum class ELiteralKind { Null, Boolean, Integer, Real, String, Char, Alias };

struct TLiteral {
  ELiteralKind fKind = ELiteralKind::Null;
  bool fBool = false;
  bool fNegative = false;
  uint64_t fMagnitude = 0;
  double fReal = 0;
  std::string fText;  // string contents, alias name or the char
  TPosition fAt;
};

// A property value, qualifier value or default as written: one literal or
// an array of them.
struct TInitializer {
  bool fIsArray = false;
  TLiteral fScalar;
  std::vector<TLiteral> fElements;
  TPosition fAt;
};

const char* KindText(ELiteralKind kind);

inline bool IsIntegerType(ECIMType type) { return type >= CIMTypeUInt8 && type <= CIMTypeSInt64; }
inline bool IsRealType(ECIMType type) { return type == CIMTypeReal32 || type == CIMTypeReal64; }

bool Accepts(ECIMType type, ELiteralKind kind);

// The integer as the type, or a null value when it does not fit.
TCIMValue IntegerAs(bool negative, uint64_t magnitude, ECIMType type, bool& fits);

inline const char* const kScopes[] = {"class",     "association", "indication", "qualifier", "property",
                                      "reference", "method",      "parameter",  "any"};
inline const char* const kFlavors[] = {"EnableOverride", "DisableOverride", "Restricted",
                                       "ToSubclass",     "Translatable",    "ToInstance"};

// The table spelling of name, or nullptr when it is none of them.
template <size_t N>
const char* FindName(const char* const (&table)[N], const char* begin, const char* end) {
  for (const char* name : table) {
    if (EqualsNoCase(begin, end, name)) return name;
  }
  return nullptr;
}

bool FindDataType(const TToken& token, ECIMType& type);

// What the reader checks of a qualifier type, worked out once per load.
struct TQualifierTraits {
  unsigned fScopes = 0;  // a bit per entry of kScopes
  bool fRestricted = false;
  bool fDisableOverride = false;
};

bool IsNamed(const std::string& text, const char* name);
bool HasTrueQualifier(const std::vector<boost::shared_ptr<ICIMQualifier>>& qualifiers, const char* name);
bool HasTrueQualifier(const std::vector<TQualifierValue>& qualifiers, const char* name);
bool ClassQualifierIsTrue(const ICIMClass& cls, const char* name, const TCIMContext& context);
bool HasName(const std::vector<std::string>& names, const char* name);
unsigned ScopeBit(const std::string& scope);
TQualifierTraits TraitsOf(const TQualifierType& type);

// Whether a subclass may declare property over an inherited one of this
// type: only with the same type (references to any class).
bool MayOverride(ECIMType type, bool isArray, const TPropertyDeclaration& property);

// The field of a DMTF date-time that no calendar or clock has ("month 13"),
// or "". A timestamp of zeros is the null date-time producers write; a
// field of asterisks is one a producer leaves unused, as DSP0004 allows.
std::string ImpossibleField(const TCIMDateTime& value);

}  // namespace NMofReading
}  // namespace NVKXQZA20

#endif
