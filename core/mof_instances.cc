// The MOF reader's instances: instance bodies and their property values,
// aliases as values, literals and their conversion to the declared types.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/mof_load.h"

namespace NVKXQZA20 {

void TMofReader::TSourceParser::ParseInstance() {
  TPosition classPosition;
  TClassInfo* cls = ParseInstanceClass(classPosition);
  if (cls == nullptr) return ParseUndeclaredInstance(classPosition, nullptr);
  boost::shared_ptr<ICIMInstance> instance = CreateInstance(*cls, classPosition);
  if (IsKeyword("as")) {
    TPosition at;
    std::string alias = ParseAlias(at);
    fLoad.DefineAlias(alias, instance, fLoad.Place(fLexer.GetFile(), at));
  }
  ParseInstanceBody(*cls, classPosition, [&](TRecordedValue& value) { Apply(instance, value); });
  fLoad.AddInstance(instance, *cls, fLoad.Place(fLexer.GetFile(), classPosition));
  ++fReader.fInstanceCount;
}

// Reads "instance of" and the class name; answers the class, or none for an
// undeclared class whose instances are skipped.
TClassInfo* TMofReader::TSourceParser::ParseInstanceClass(TPosition& classPosition) {
  Advance();
  ExpectKeyword("of", "of", "after 'instance'");
  classPosition = Current().fAt;
  if (Current().fKind != ETokenKind::Identifier) Fail(classPosition, "expected a class name after 'instance of'");
  fName.assign(Current().fBegin, Current().fEnd);
  TClassInfo* cls = fClasses.Find(fName);
  if (cls == nullptr && !fReader.fSkipUndeclared) Fail(classPosition, "unknown class '" + fName + "'");
  if (cls != nullptr && !cls->fPrepared) fClasses.Prepare(*cls);
  if (cls != nullptr && cls->fAbstract) {
    Fail(classPosition, "class " + cls->fName + " is abstract: it cannot have instances");
  }
  Advance();
  return cls;
}

boost::shared_ptr<ICIMInstance> TMofReader::TSourceParser::CreateInstance(const TClassInfo& cls, TPosition at,
                                                                          std::vector<TPropertySetting> settings) {
  try {
    return fReader.fNamespace->CreateInstance(*cls.fClass, std::move(settings), fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(at, "cannot create an instance of '" + cls.fName + "': " + e.what());
  }
}

std::string TMofReader::TSourceParser::ParseAlias(TPosition& at) {
  Advance();
  at = Current().fAt;
  if (Current().fKind != ETokenKind::Alias) Fail(at, "expected an alias after 'as'");
  std::string alias(Current().fBegin, Current().fEnd);
  Advance();
  return alias;
}

// From '{' to the closing ';': each value goes to take as it is read.
template <typename TTake>
void TMofReader::TSourceParser::ParseInstanceBody(TClassInfo& cls, TPosition classPosition, const TTake& take) {
  Expect('{', "to open the instance body");
  const uint64_t serial = fClasses.NextInstanceSerial();
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected '}' closing the instance");
    ParsePropertyValue(cls, serial, take);
  }
  Advance();
  Expect(';', "after instance declaration");
  for (const std::pair<size_t, std::string>& key : cls.fRequiredKeys) {
    if (cls.fLastSet[key.first] != serial) {
      Fail(classPosition, "instance of " + cls.fName + " has no value for its key property '" + key.second + "'");
    }
  }
}

// An instance of an undeclared class: read in full like any other, then
// skipped with a warning; its alias names no instance. Read ahead, the
// alias and the warning wait in record.
void TMofReader::TSourceParser::ParseUndeclaredInstance(TPosition classPosition, TInstanceRecord* record) {
  const std::string className = fName;
  if (IsKeyword("as")) {
    TPosition at;
    std::string alias = ParseAlias(at);
    if (record != nullptr) {
      record->fAlias = std::move(alias);
      record->fAliasAt = at;
    } else {
      fLoad.DefineAlias(alias, boost::shared_ptr<ICIMInstance>(), fLoad.Place(fLexer.GetFile(), at));
    }
  }
  Expect('{', "to open the instance body");
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected '}' closing the instance");
    SkipValueQualifiers();
    TakeIdentifier("a property name");
    Expect('=', "after the property name");
    ParseInitializer(fValue);
    Expect(';', "after property value");
  }
  Advance();
  Expect(';', "after instance declaration");
  if (record != nullptr) {
    record->fClassName = className;
  } else {
    WarnOfUndeclared(className, classPosition);
  }
}

void TMofReader::TSourceParser::WarnOfUndeclared(const std::string& className, TPosition at) const {
  Warn(EMofWarning::UndeclaredInstance, at, "instance of undeclared class '" + className + "' skipped");
}

// Qualifiers on an instance's values are read and dropped; their checks
// need the load's qualifier state, so text read ahead leaves them to the
// reader.
void TMofReader::TSourceParser::SkipValueQualifiers() {
  if (!IsPunct('[')) return;
  if (fReadingAhead) throw TLeftToReader();
  ParseQualifierList();
}

template <typename TTake>
void TMofReader::TSourceParser::ParsePropertyValue(TClassInfo& cls, uint64_t serial, const TTake& take) {
  SkipValueQualifiers();
  TPosition nameAt = Current().fAt;
  const TPropertyInfo& property = FindProperty(cls);
  if (cls.fLastSet[property.fSlot] == serial) Fail(nameAt, "property '" + property.fName + "' is given twice");
  cls.fLastSet[property.fSlot] = serial;
  Expect('=', "after the property name");
  ParseInitializer(fValue);
  TTarget target{"property", property.fName, property.fType, property.fIsArray};
  TRecordedValue value{&property, TCIMValue(), std::string(), fValue.fAt};
  if (!fValue.fIsArray && fValue.fScalar.fKind == ELiteralKind::Alias) {
    if (property.fType != CIMTypeReference) FailValue(fValue.fAt, target, "found an alias");
    value.fAlias = fValue.fScalar.fText;
  } else {
    if (property.fIsKey && !fValue.fIsArray && fValue.fScalar.fKind == ELiteralKind::Null) {
      FailValue(fValue.fAt, target, "a key property cannot be NULL");
    }
    value.fValue = Value(fValue, target);
  }
  take(value);
  Expect(';', "after property value");
}

// Sets a value read on the instance, or keeps its reference by alias for
// the end of the load.
void TMofReader::TSourceParser::Apply(const boost::shared_ptr<ICIMInstance>& instance, TRecordedValue& value) {
  const TPropertyInfo& property = *value.fProperty;
  if (!value.fAlias.empty()) {
    return fLoad.AddPendingReference(instance, property, value.fAlias, fLoad.Place(fLexer.GetFile(), value.fAt));
  }
  try {
    instance->SetPropertyValue(property.fName, std::move(value.fValue), fReader.fContext);
  } catch (const TQZAException& e) {
    FailValue(value.fAt, TTarget{"property", property.fName, property.fType, property.fIsArray}, e.what());
  }
}

const TPropertyInfo& TMofReader::TSourceParser::FindProperty(TClassInfo& cls) {
  if (Current().fKind != ETokenKind::Identifier) Fail(Current().fAt, "expected a property name");
  TPosition at = Current().fAt;
  fName.assign(Current().fBegin, Current().fEnd);
  Advance();
  auto known = cls.fProperties.find(fName);
  if (known != cls.fProperties.end()) return known->second;
  boost::shared_ptr<ICIMPropertyDecl> declaration = cls.fClass->GetPropertyDecl(fName, fReader.fContext);
  if (!declaration) Fail(at, "unknown property '" + fName + "' of class '" + cls.fName + "'");
  size_t slot = cls.fSlots.at(Lower(declaration->GetName()));
  TPropertyInfo info{declaration->GetName(), declaration->GetType(), declaration->IsArray(),
                     cls.fIsKey[slot],       cls.fAffectsPath[slot],  slot};
  return cls.fProperties.emplace(fName, std::move(info)).first->second;
}

// The instances of a piece read ahead, as records: here, beside the instance
// body (a template) that it shares with ParseInstance.
void TMofReader::TSourceParser::RecordPiece(TTextPiece& piece) {
  while (Current().fKind != ETokenKind::End && fLexer.TokenStart() < piece.fLimit && IsKeyword("instance")) {
    TInstanceRecord record;
    record.fClass = ParseInstanceClass(record.fClassAt);
    if (record.fClass == nullptr) {
      ParseUndeclaredInstance(record.fClassAt, &record);
    } else {
      if (IsKeyword("as")) record.fAlias = ParseAlias(record.fAliasAt);
      record.fSettings.reserve(record.fClass->fMostValues);
      ParseInstanceBody(*record.fClass, record.fClassAt, [&record](TRecordedValue& value) {
        if (!value.fAlias.empty()) return record.fReferences.push_back(std::move(value));
        const TPropertyInfo& property = *value.fProperty;
        record.fSettings.push_back(TPropertySetting{static_cast<uint32_t>(property.fSlot),
                                                    std::move(value.fValue).ConvertTo(property.fType, property.fIsArray)});
      });
      std::sort(record.fSettings.begin(), record.fSettings.end(),
                [](const TPropertySetting& a, const TPropertySetting& b) { return a.fIndex < b.fIndex; });
      record.fClass->fMostValues = std::max(record.fClass->fMostValues, record.fSettings.size());
    }
    piece.fRecords.push_back(std::move(record));
    piece.fStop = fLexer.TokenStart();
    piece.fStopAt = Current().fAt;
  }
  piece.fComplete = Current().fKind == ETokenKind::End || fLexer.TokenStart() >= piece.fLimit;
}

// ----------------------------------------------------------------------- values

void TMofReader::TSourceParser::ParseInitializer(TInitializer& initializer) {
  initializer.fAt = Current().fAt;
  initializer.fIsArray = IsPunct('{');
  if (!initializer.fIsArray) return ParseLiteral(initializer.fScalar);
  Advance();
  initializer.fElements.clear();
  if (IsPunct('}')) return Advance();
  for (;;) {
    initializer.fElements.emplace_back();
    ParseLiteral(initializer.fElements.back());
    if (!IsPunct(',')) break;
    Advance();
  }
  Expect('}', "closing the array value");
}

void TMofReader::TSourceParser::ParseLiteral(TLiteral& literal) {
  const TToken& token = Current();
  literal.fAt = token.fAt;
  switch (token.fKind) {
    case ETokenKind::String:
      literal.fKind = ELiteralKind::String;
      literal.fText.clear();
      ParseStringLiteral(literal.fText);
      return;
    case ETokenKind::Char:
      literal.fKind = ELiteralKind::Char;
      literal.fText.clear();
      AppendDecoded(token.fBegin, token.fEnd, literal.fText);
      break;
    case ETokenKind::Integer:
      literal.fKind = ELiteralKind::Integer;
      literal.fNegative = token.fNegative;
      literal.fMagnitude = token.fMagnitude;
      break;
    case ETokenKind::Real:
      literal.fKind = ELiteralKind::Real;
      literal.fReal = token.fReal;
      break;
    case ETokenKind::Alias:
      literal.fKind = ELiteralKind::Alias;
      literal.fText.assign(token.fBegin, token.fEnd);
      break;
    case ETokenKind::Identifier:
      if (EqualsNoCase(token.fBegin, token.fEnd, "true") || EqualsNoCase(token.fBegin, token.fEnd, "false")) {
        literal.fKind = ELiteralKind::Boolean;
        literal.fBool = EqualsNoCase(token.fBegin, token.fEnd, "true");
        break;
      }
      if (EqualsNoCase(token.fBegin, token.fEnd, "null")) {
        literal.fKind = ELiteralKind::Null;
        break;
      }
      Fail(token.fAt, "expected a value");
    default:
      Fail(token.fAt, "expected a value");
  }
  Advance();
}

// Appends the string, whose adjacent literals make one.
void TMofReader::TSourceParser::ParseStringLiteral(std::string& text) {
  do {
    const TToken& token = Current();
    if (token.fEscaped) {
      AppendDecoded(token.fBegin, token.fEnd, text);
    } else {
      text.append(token.fBegin, token.fEnd);
    }
    Advance();
  } while (Current().fKind == ETokenKind::String);
}

// The value converted to the target's declared type. A qualifier may give one
// value for an array type ("Deprecated("x")"); property values may not.
TCIMValue TMofReader::TSourceParser::Value(const TInitializer& initializer, const TTarget& target,
                                           bool scalarMayFillArray) {
  if (!initializer.fIsArray && initializer.fScalar.fKind == ELiteralKind::Null) {
    return TCIMValue::Null(target.fType, target.fIsArray);
  }
  if (initializer.fIsArray && !target.fIsArray) FailValue(initializer.fAt, target, "found an array");
  if (!initializer.fIsArray && target.fIsArray && !scalarMayFillArray) {
    FailValue(initializer.fAt, target, "expected an array value '{ ... }'");
  }
  if (!target.fIsArray) return ScalarValue(initializer.fScalar, target);
  std::vector<TCIMValue> elements;
  if (!initializer.fIsArray) {
    elements.push_back(ScalarValue(initializer.fScalar, target));
  } else {
    elements.reserve(initializer.fElements.size());
    for (const TLiteral& element : initializer.fElements) elements.push_back(ScalarValue(element, target));
  }
  return TCIMValue::Array(target.fType, std::move(elements));
}

TCIMValue TMofReader::TSourceParser::ScalarValue(const TLiteral& literal, const TTarget& target) {
  ECIMType type = target.fType;
  if (!Accepts(type, literal.fKind)) FailValue(literal.fAt, target, std::string("found ") + KindText(literal.fKind));
  switch (literal.fKind) {
    case ELiteralKind::Null: return TCIMValue::Null(type);
    case ELiteralKind::Boolean: return TCIMValue(literal.fBool);
    case ELiteralKind::Integer: {
      bool fits = false;
      TCIMValue value = IntegerAs(literal.fNegative, literal.fMagnitude, type, fits);
      if (!fits) FailValue(literal.fAt, target, "out of range");
      return value;
    }
    case ELiteralKind::Real:
      if (type == CIMTypeReal64) return TCIMValue(literal.fReal);
      if (std::fabs(literal.fReal) > std::numeric_limits<float>::max()) FailValue(literal.fAt, target, "out of range");
      return TCIMValue::Real32(static_cast<float>(literal.fReal));
    default: return TextValue(literal, target);
  }
}

// Strings become strings, date-times or object paths; characters char16.
TCIMValue TMofReader::TSourceParser::TextValue(const TLiteral& literal, const TTarget& target) {
  if (target.fType == CIMTypeString) return TCIMValue(literal.fText);
  try {
    if (target.fType == CIMTypeChar16) return TCIMValue(literal.fText).ConvertTo(CIMTypeChar16, false);
  } catch (const TQZAException&) {
    FailValue(literal.fAt, target, "expected one character of UCS-2");
  }
  try {
    if (target.fType == CIMTypeDateTime) {
      TCIMDateTime value(literal.fText);
      std::string impossible = ImpossibleField(value);
      if (!impossible.empty()) FailValue(literal.fAt, target, "\"" + literal.fText + "\" has " + impossible);
      return TCIMValue(value);
    }
    return TCIMValue(TCIMReference(fNamespace, literal.fText, fReader.fContext));
  } catch (const TQZAException&) {
    FailValue(literal.fAt, target,
              "\"" + literal.fText + "\" is not " +
                  (target.fType == CIMTypeDateTime ? "a CIM datetime" : "an object path"));
  }
}

// The value of an undeclared qualifier, typed by its literals: integers as
// sint64 (uint64 beyond), reals real64, mixed integers and reals real64.
TCIMValue TMofReader::TSourceParser::UntypedValue(const TInitializer& initializer, const std::string& qualifier) {
  if (!initializer.fIsArray) {
    const TLiteral& literal = initializer.fScalar;
    if (literal.fKind == ELiteralKind::Null) return TCIMValue();
    ECIMType type = CommonType(std::vector<TLiteral>(1, literal));
    return ScalarValue(literal, TTarget{"qualifier", qualifier, type, false});
  }
  ECIMType type = CommonType(initializer.fElements);
  return Value(initializer, TTarget{"qualifier", qualifier, type, true});
}

ECIMType TMofReader::TSourceParser::CommonType(const std::vector<TLiteral>& elements) {
  ECIMType common = CIMTypeNone;
  for (const TLiteral& element : elements) {
    ECIMType type = CIMTypeNone;
    switch (element.fKind) {
      case ELiteralKind::Null: continue;
      case ELiteralKind::Boolean: type = CIMTypeBoolean; break;
      case ELiteralKind::Integer:
        type = !element.fNegative && element.fMagnitude > uint64_t(INT64_MAX) ? CIMTypeUInt64 : CIMTypeSInt64;
        break;
      case ELiteralKind::Real: type = CIMTypeReal64; break;
      case ELiteralKind::String: type = CIMTypeString; break;
      case ELiteralKind::Char: type = CIMTypeChar16; break;
      case ELiteralKind::Alias: Fail(element.fAt, "an alias cannot be a qualifier value");
    }
    bool bothNumbers = (IsIntegerType(common) || IsRealType(common)) && (IsIntegerType(type) || IsRealType(type));
    if (common == CIMTypeNone || common == type) {
      common = type;
    } else if (bothNumbers) {
      common = IsRealType(common) || IsRealType(type) ? CIMTypeReal64 : CIMTypeUInt64;
    } else {
      Fail(element.fAt, "array elements of one value must have one type");
    }
  }
  return common == CIMTypeNone ? CIMTypeString : common;
}

void TMofReader::TSourceParser::FailValue(TPosition at, const TTarget& target, const std::string& reason) const {
  Fail(at, std::string("bad value for ") + target.fWhat + " '" + target.fName + "' of type " +
               CIMTypeName(target.fType) + (target.fIsArray ? "[]" : "") + ": " + reason);
}

}  // namespace NVKXQZA20
