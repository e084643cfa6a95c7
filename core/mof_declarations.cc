// The MOF reader's declarations: productions and pragmas, qualifier types,
// classes with their properties, references and (dropped) methods.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/mof_load.h"

namespace NVKXQZA20 {

// ------------------------------------------------------------------ productions

void TMofReader::TSourceParser::ParseProduction() {
  if (Current().fKind == ETokenKind::Pragma) return ParsePragma();
  if (IsKeyword("qualifier")) return ParseQualifierDeclaration();
  TQualifierList qualifiers;
  if (IsPunct('[')) qualifiers = ParseQualifierList();
  if (IsKeyword("class")) return ParseClass(std::move(qualifiers));
  if (IsKeyword("instance")) return ParseInstance();
  Fail(Current().fAt, "expected 'class', 'instance', 'Qualifier' or '#pragma'");
}

void TMofReader::TSourceParser::ParsePragma() {
  TPosition at = Current().fAt;
  Advance();
  bool isInclude = IsKeyword("include");
  bool isNamespace = IsKeyword("namespace");
  TakeIdentifier("a pragma name after '#pragma'");
  if (isNamespace) return WarnOfNamespace(at);
  if (!isInclude) return SkipPragmaParameters(0);
  Expect('(', "after 'include'");
  TPosition fileAt = Current().fAt;
  if (Current().fKind != ETokenKind::String) Fail(fileAt, "expected the file name of '#pragma include' as a string");
  std::string path;
  ParseStringLiteral(path);
  Expect(')', "after the file name of '#pragma include'");
  fLoad.Include(path, fLexer, fileAt);
}

// A collection is one data source: a namespace other than the repository's
// is read into it all the same, which is said once per reader.
void TMofReader::TSourceParser::WarnOfNamespace(TPosition at) {
  if (!IsPunct('(')) return;
  Advance();
  std::string name;
  if (Current().fKind == ETokenKind::String) ParseStringLiteral(name);
  SkipPragmaParameters(1);
  while (!name.empty() && name[0] == '/') name.erase(0, 1);
  if (fReader.fWarnedNamespace || Lower(name) == Lower(fReader.fNamespace->GetName())) return;
  fReader.fWarnedNamespace = true;
  Warn(EMofWarning::NamespacePragma, at,
       "#pragma namespace: every namespace of a collection is read into its one data source (" +
           fReader.fNamespace->GetName() + ")");
}

// namespace, locale and pragmas of other compilers: their parameters, if
// any, are read up to the closing parenthesis and dropped. open counts the
// parentheses already read.
void TMofReader::TSourceParser::SkipPragmaParameters(int open) {
  if (open == 0) {
    if (!IsPunct('(')) return;
    Advance();
    open = 1;
  }
  while (open > 0) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected ')' closing the pragma");
    if (IsPunct('(')) ++open;
    if (IsPunct(')')) --open;
    Advance();
  }
}

void TMofReader::TSourceParser::ParseQualifierDeclaration() {
  Advance();
  TPosition namePosition = Current().fAt;
  TQualifierType type;
  type.fName = TakeIdentifier("a qualifier name after 'Qualifier'");
  Expect(':', "after the qualifier name");
  std::string referenceClass;
  ParseTypeSpec(type.fType, referenceClass, "a data type after ':'");
  if (type.fType == CIMTypeReference) Fail(namePosition, "a qualifier type cannot be a reference");
  type.fIsArray = ParseArraySuffix();
  type.fDefault = TCIMValue::Null(type.fType, type.fIsArray);
  if (IsPunct('=')) {
    Advance();
    TInitializer initializer;
    ParseInitializer(initializer);
    type.fDefault = Value(initializer, TTarget{"qualifier type", type.fName, type.fType, type.fIsArray});
  }
  Expect(',', "before 'Scope'");
  ExpectKeyword("scope", "Scope", "in the qualifier declaration");
  type.fScopes = ParseNameList(kScopes, "Scope", "scope");
  if (IsPunct(',')) {
    Advance();
    ExpectKeyword("flavor", "Flavor", "after ','");
    type.fFlavors = ParseNameList(kFlavors, "Flavor", "flavor");
  }
  Expect(';', "after qualifier declaration");
  DeclareQualifierType(type, namePosition);
}

namespace {

// The place of an earlier declaration, as messages name it.
std::string EarlierPlace(const std::unordered_map<std::string, std::string>& places, const std::string& name) {
  auto found = places.find(Lower(name));
  return found == places.end() ? "made before" : "at " + found->second;
}

}  // namespace

// Declared again: an identical declaration is a no-op, another replaces it.
void TMofReader::TSourceParser::DeclareQualifierType(const TQualifierType& type, TPosition at) {
  const TQualifierType* known = fReader.fNamespace->FindQualifierType(type.fName, fReader.fContext);
  if (known != nullptr && *known == type) return;
  try {
    fReader.fNamespace->DeclareQualifierType(type, fReader.fContext, known != nullptr);
  } catch (const TQZAException& e) {
    Fail(at, "cannot declare qualifier '" + type.fName + "': " + e.what());
  }
  if (known != nullptr) {
    fLoad.ForgetQualifierTraits();
    Warn(EMofWarning::Redeclaration, at,
         "qualifier '" + type.fName + "' declared again differently: this declaration replaces the one " +
             EarlierPlace(fReader.fQualifierTypePlaces, type.fName));
  } else {
    ++fReader.fQualifierTypeCount;
  }
  fReader.fQualifierTypePlaces[Lower(type.fName)] = PlaceOf(at);
}

// "( name, name )" after Scope or Flavor, each name in the table's spelling.
template <size_t N>
std::vector<std::string> TMofReader::TSourceParser::ParseNameList(const char* const (&table)[N], const char* keyword,
                                                                  const char* item) {
  Expect('(', (std::string("after '") + keyword + "'").c_str());
  std::vector<std::string> names;
  do {
    if (!names.empty()) Advance();
    const TToken& token = Current();
    const char* name = token.fKind == ETokenKind::Identifier ? FindName(table, token.fBegin, token.fEnd) : nullptr;
    if (name == nullptr) Fail(token.fAt, std::string("expected a ") + item + " name");
    names.push_back(name);
    Advance();
  } while (IsPunct(','));
  Expect(')', (std::string("closing the ") + item + " list").c_str());
  return names;
}

// Room for the qualifiers a schema feature usually has, made at once: the
// lists grew one element at a time, a twentieth of a schema's load.
TQualifierList TMofReader::TSourceParser::ParseQualifierList() {
  Advance();
  TQualifierList list;
  const size_t kUsualCount = 4;
  list.fValues.reserve(kUsualCount);
  list.fPositions.reserve(kUsualCount);
  list.fScopes.reserve(kUsualCount);
  list.fFixed.reserve(kUsualCount);
  ParseQualifier(list);
  while (IsPunct(',')) {
    Advance();
    ParseQualifier(list);
  }
  Expect(']', "after qualifier");
  return list;
}

// Flavors of a qualifier value ("Description("x") : Translatable"), which
// DSP0004 separates by blanks.
std::vector<std::string> TMofReader::TSourceParser::ParseFlavors() {
  Advance();
  std::vector<std::string> flavors;
  do {
    const TToken& token = Current();
    const char* flavor = token.fKind == ETokenKind::Identifier ? FindName(kFlavors, token.fBegin, token.fEnd) : nullptr;
    if (flavor == nullptr) Fail(token.fAt, "expected a flavor name after ':'");
    flavors.push_back(flavor);
    Advance();
  } while (Current().fKind == ETokenKind::Identifier);
  return flavors;
}

// A qualifier without a value is a boolean true. A declared qualifier type
// gives the value its type; an undeclared qualifier keeps the literal's.
void TMofReader::TSourceParser::ParseQualifier(TQualifierList& list) {
  TPosition namePosition = Current().fAt;
  std::string name = TakeIdentifier("a qualifier name");
  TInitializer& initializer = fQualifierValue;
  bool hasValue = IsPunct('(') || IsPunct('{');
  if (IsPunct('(')) {
    Advance();
    ParseInitializer(initializer);
    if (initializer.fIsArray) Fail(initializer.fAt, "expected a single value in '( )'; arrays are written '{ }'");
    Expect(')', "after the qualifier value");
  } else if (hasValue) {
    ParseInitializer(initializer);
  }
  std::vector<std::string> flavors;
  if (IsPunct(':')) flavors = ParseFlavors();
  list.fPositions.push_back(namePosition);
  const TQualifierType* type = fReader.fNamespace->FindQualifierType(name, fReader.fContext);
  if (type == nullptr) {
    list.fValues.emplace_back(name, UndeclaredQualifierValue(name, namePosition, hasValue, initializer));
    list.fValues.back().fRestricted = HasName(flavors, "Restricted");
    list.fValues.back().fDisableOverride = HasName(flavors, "DisableOverride");
    list.fScopes.push_back(~0u);
    list.fFixed.push_back(false);
    return;
  }
  const TQualifierTraits& traits = fLoad.Traits(*type);
  list.fScopes.push_back(traits.fScopes);
  list.fFixed.push_back(traits.fDisableOverride);
  if (!hasValue && (type->fType != CIMTypeBoolean || type->fIsArray)) {
    Fail(namePosition, "qualifier '" + name + "' of type " + CIMTypeName(type->fType) +
                           (type->fIsArray ? "[]" : "") + " needs a value");
  }
  TCIMValue value = hasValue ? Value(initializer, TTarget{"qualifier", type->fName, type->fType, type->fIsArray}, true)
                             : TCIMValue(true);
  list.fValues.emplace_back(type->fName, std::move(value));
  list.fValues.back().fRestricted =
      HasName(flavors, "Restricted") || (traits.fRestricted && !HasName(flavors, "ToSubclass"));
  list.fValues.back().fDisableOverride = HasName(flavors, "DisableOverride");
}

// A flavor name in the place of a qualifier comes from flavors separated by
// commas; other undeclared qualifiers are errors when strict and warnings
// otherwise.
TCIMValue TMofReader::TSourceParser::UndeclaredQualifierValue(const std::string& name, TPosition at, bool hasValue,
                                                              const TInitializer& initializer) {
  if (FindName(kFlavors, name.data(), name.data() + name.size()) != nullptr) {
    Fail(at, "'" + name + "' is a flavor, not a qualifier: flavors after ':' are separated by blanks, not commas");
  }
  if (fReader.fStrict) Fail(at, "undeclared qualifier '" + name + "'");
  Warn(EMofWarning::UndeclaredQualifier, at, "undeclared qualifier '" + name + "' kept with the type of its value");
  return hasValue ? UntypedValue(initializer, name) : TCIMValue(true);
}

// Declared qualifiers apply where their scopes allow ("any" everywhere).
void TMofReader::TSourceParser::CheckScopes(const TQualifierList& list, const char* scope) const {
  const unsigned bit = ScopeBit(scope);
  for (size_t i = 0; i < list.fValues.size(); ++i) {
    if ((list.fScopes[i] & bit) != 0) continue;
    const TQualifierType* type = fReader.fNamespace->FindQualifierType(list.fValues[i].fName, fReader.fContext);
    std::string scopes;
    for (const std::string& each : type->fScopes) scopes += (scopes.empty() ? "" : ", ") + each;
    Fail(list.fPositions[i], "qualifier '" + type->fName + "' cannot be used on a " + scope +
                                 " (its scope: " + scopes + ")");
  }
}

void TMofReader::TSourceParser::ParseClass(TQualifierList qualifiers) {
  Advance();
  TClassDeclaration declaration;
  declaration.fQualifiers = qualifiers.fValues;
  TPosition namePosition = Current().fAt;
  declaration.fName = TakeIdentifier("a class name after 'class'");
  if (IsKeyword("as")) {
    Advance();
    if (Current().fKind != ETokenKind::Alias) Fail(Current().fAt, "expected an alias after 'as'");
    Advance();
  }
  TPosition superPosition;
  if (IsPunct(':')) {
    Advance();
    superPosition = Current().fAt;
    declaration.fSuperClass = TakeIdentifier("a superclass name after ':'");
    if (fClasses.Find(declaration.fSuperClass) == nullptr) {
      Fail(superPosition, "unknown superclass '" + declaration.fSuperClass + "'");
    }
  }
  CheckScopes(qualifiers, ClassScope(declaration));
  Expect('{', "to open the class body");
  std::vector<TFeaturePlaces> places;
  std::unordered_map<std::string, size_t> names;  // lower-case, for properties given twice
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) {
      Fail(fLexer.AfterPrevious(), "expected '}' closing class " + declaration.fName);
    }
    size_t before = declaration.fProperties.size();
    ParseFeature(declaration, places);
    if (declaration.fProperties.size() == before) continue;
    if (!names.emplace(Lower(declaration.fProperties.back().fName), before).second) {
      Fail(places.back().fName,
           "property '" + declaration.fProperties.back().fName + "' is declared twice in class " + declaration.fName);
    }
  }
  Advance();
  Expect(';', "after class declaration");
  DeclareClass(std::move(declaration), namePosition, superPosition, qualifiers, places);
}

// The scope a class's qualifiers must allow: association and indication
// are inherited, as their qualifiers are.
const char* TMofReader::TSourceParser::ClassScope(const TClassDeclaration& declaration) {
  bool association = HasTrueQualifier(declaration.fQualifiers, "Association");
  bool indication = HasTrueQualifier(declaration.fQualifiers, "Indication");
  if (!declaration.fSuperClass.empty()) {
    association = association || fClasses.Find(declaration.fSuperClass)->fClass->IsAssociation(fReader.fContext);
    for (const TClassDeclaration* super = fReader.fNamespace->FindClassDeclaration(declaration.fSuperClass, fReader.fContext);
         super != nullptr && !indication;
         super = super->fSuperClass.empty() ? nullptr
                                            : fReader.fNamespace->FindClassDeclaration(super->fSuperClass, fReader.fContext)) {
      indication = HasTrueQualifier(super->fQualifiers, "Indication");
    }
  }
  if (association) return "association";
  return indication ? "indication" : "class";
}

// A property, a reference or a method (read and dropped).
void TMofReader::TSourceParser::ParseFeature(TClassDeclaration& declaration, std::vector<TFeaturePlaces>& places) {
  TPropertyDeclaration property;
  TQualifierList qualifiers;
  if (IsPunct('[')) qualifiers = ParseQualifierList();
  TFeaturePlaces place;
  place.fType = Current().fAt;
  ParseTypeSpec(property.fType, property.fReferenceClass, "a property, reference or method declaration");
  place.fName = Current().fAt;
  property.fName = TakeIdentifier("a property name");
  if (IsPunct('(')) {
    CheckScopes(qualifiers, "method");
    SkipMethodParameters();
    Expect(';', "after method declaration");
    return;
  }
  bool isReference = property.fType == CIMTypeReference;
  CheckScopes(qualifiers, isReference ? "reference" : "property");
  if (isReference && fClasses.Find(property.fReferenceClass) == nullptr) {
    Fail(place.fType, "unknown class '" + property.fReferenceClass + "' of reference '" + property.fName + "'");
  }
  property.fQualifiers = std::move(qualifiers.fValues);
  place.fQualifiers = std::move(qualifiers.fPositions);
  place.fFixed = std::move(qualifiers.fFixed);
  if (!isReference) property.fIsArray = ParseArraySuffix();
  property.fDefault = TCIMValue::Null(property.fType, property.fIsArray);
  if (IsPunct('=')) {
    Advance();
    TInitializer initializer;
    ParseInitializer(initializer);
    property.fDefault =
        Value(initializer, TTarget{"default of property", property.fName, property.fType, property.fIsArray});
  }
  Expect(';', isReference ? "after reference declaration" : "after property declaration");
  declaration.fProperties.push_back(std::move(property));
  places.push_back(std::move(place));
}

// A data type, or a class name followed by REF.
void TMofReader::TSourceParser::ParseTypeSpec(ECIMType& type, std::string& referenceClass, const char* expected) {
  const TToken& token = Current();
  if (token.fKind != ETokenKind::Identifier) Fail(token.fAt, std::string("expected ") + expected);
  if (FindDataType(token, type)) return Advance();
  TPosition at = token.fAt;
  std::string name(token.fBegin, token.fEnd);
  Advance();
  if (!IsKeyword("ref")) Fail(at, "unknown data type '" + name + "' (a reference is written 'ClassName REF name')");
  Advance();
  type = CIMTypeReference;
  referenceClass = name;
}

// "[]" or a fixed size "[4]"; the size is dropped.
bool TMofReader::TSourceParser::ParseArraySuffix() {
  if (!IsPunct('[')) return false;
  Advance();
  if (Current().fKind == ETokenKind::Integer) Advance();
  Expect(']', "closing the array size");
  return true;
}

void TMofReader::TSourceParser::SkipMethodParameters() {
  Advance();
  if (IsPunct(')')) return Advance();
  for (;;) {
    if (IsPunct('[')) CheckScopes(ParseQualifierList(), "parameter");
    ECIMType type;  // dropped with the method
    std::string referenceClass;
    ParseTypeSpec(type, referenceClass, "a parameter declaration");
    TakeIdentifier("a parameter name");
    ParseArraySuffix();
    if (IsPunct('=')) {
      Advance();
      TInitializer ignored;
      ParseInitializer(ignored);
    }
    if (!IsPunct(',')) break;
    Advance();
  }
  Expect(')', "after method parameters");
}

// Declared again: an identical declaration is a no-op, another replaces the
// earlier one while no instance depends on it.
void TMofReader::TSourceParser::DeclareClass(TClassDeclaration declaration, TPosition namePosition,
                                             TPosition superPosition, const TQualifierList& qualifiers,
                                             const std::vector<TFeaturePlaces>& places) {
  const TClassDeclaration* known = fReader.fNamespace->FindClassDeclaration(declaration.fName, fReader.fContext);
  if (known != nullptr && *known == declaration) return;
  CheckOverrides(declaration, qualifiers, places);
  if (known != nullptr) CheckSubclasses(declaration, namePosition);
  const std::string name = declaration.fName;
  try {
    if (known == nullptr) {
      fReader.fNamespace->DeclareClass(std::move(declaration), fReader.fContext);
    } else {
      fReader.fNamespace->RedeclareClass(std::move(declaration), fReader.fContext);
    }
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZAFailed) {
      Fail(namePosition, "cannot declare class '" + name + "' again: it or a subclass already has instances");
    }
    if (e.GetStatusCode() == kQZAInvalidParameter) {
      Fail(superPosition, "class '" + name + "' cannot derive from its own subclass");
    }
    Fail(namePosition, "cannot declare class '" + name + "': " + e.what());
  }
  if (known != nullptr) {
    fClasses.Clear();
    Warn(EMofWarning::Redeclaration, namePosition,
         "class '" + name + "' declared again differently: this declaration replaces the one " +
             EarlierPlace(fReader.fClassPlaces, name));
  } else {
    ++fReader.fClassCount;
  }
  fReader.fClassPlaces[Lower(name)] = PlaceOf(namePosition);
}

// What a subclass may not change: the type of an inherited property, and
// qualifiers whose flavor is DisableOverride.
void TMofReader::TSourceParser::CheckOverrides(const TClassDeclaration& declaration, const TQualifierList& qualifiers,
                                               const std::vector<TFeaturePlaces>& places) {
  if (declaration.fSuperClass.empty()) return;
  const ICIMClass& super = *fClasses.Find(declaration.fSuperClass)->fClass;
  CheckFixedQualifiers(declaration.fQualifiers, qualifiers.fPositions, qualifiers.fFixed, "class", super.GetName(),
                       [&](const std::string& name, bool& found) { return super.GetQualifier(name, found); });
  for (size_t i = 0; i < declaration.fProperties.size(); ++i) {
    const TPropertyDeclaration& property = declaration.fProperties[i];
    boost::shared_ptr<ICIMPropertyDecl> base = super.GetPropertyDecl(property.fName, fReader.fContext);
    if (!base) continue;
    if (!MayOverride(base->GetType(), base->IsArray(), property)) {
      Fail(places[i].fType, "property '" + property.fName + "' is " + CIMTypeName(base->GetType()) +
                                (base->IsArray() ? "[]" : "") + " in class " + super.GetName() +
                                " and cannot be redeclared as " + CIMTypeName(property.fType) +
                                (property.fIsArray ? "[]" : ""));
    }
    CheckFixedQualifiers(property.fQualifiers, places[i].fQualifiers, places[i].fFixed, property.fName, super.GetName(),
                         [&](const std::string& name, bool& found) { return base->GetQualifier(name, found); });
  }
}

// A class declared again must fit its subclasses as a new subclass must
// fit it: none may change the type of a property the class now has.
void TMofReader::TSourceParser::CheckSubclasses(const TClassDeclaration& declaration, TPosition at) {
  std::unordered_map<std::string, std::pair<ECIMType, bool>> shapes;  // by lower-case name
  if (!declaration.fSuperClass.empty()) {
    for (const auto& inherited : fClasses.Find(declaration.fSuperClass)->fClass->GetPropertyDecls(fReader.fContext)) {
      shapes[Lower(inherited->GetName())] = std::make_pair(inherited->GetType(), inherited->IsArray());
    }
  }
  for (const TPropertyDeclaration& own : declaration.fProperties) {
    shapes[Lower(own.fName)] = std::make_pair(own.fType, own.fIsArray);
  }
  auto check = [&](boost::shared_ptr<ICIMClass> subclass) {
    const std::string name = subclass->GetName(fReader.fContext);
    const TClassDeclaration& own = *fReader.fNamespace->FindClassDeclaration(name, fReader.fContext);
    for (const TPropertyDeclaration& property : own.fProperties) {
      auto shape = shapes.find(Lower(property.fName));
      if (shape == shapes.end() || MayOverride(shape->second.first, shape->second.second, property)) continue;
      Fail(at, "class '" + declaration.fName + "' cannot be declared again with property '" + property.fName + "' " +
                   CIMTypeName(shape->second.first) + (shape->second.second ? "[]" : "") + ": its subclass " + name +
                   " declares it " + CIMTypeName(property.fType) + (property.fIsArray ? "[]" : ""));
    }
    return true;
  };
  fClasses.Find(declaration.fName)->fClass->EnumerateSubclasses(check, true, fReader.fContext);
}

// Whether className or a class above it wrote the qualifier on property
// ("class": on the class itself) with the DisableOverride flavor.
bool TMofReader::TSourceParser::WrittenFixed(const std::string& className, const std::string& property,
                                             const std::string& qualifier) const {
  const TClassDeclaration* cls = fReader.fNamespace->FindClassDeclaration(className, fReader.fContext);
  for (; cls != nullptr; cls = cls->fSuperClass.empty() ? nullptr : fReader.fNamespace->FindClassDeclaration(
                                                                         cls->fSuperClass, fReader.fContext)) {
    const std::vector<TQualifierValue>* written = property == "class" ? &cls->fQualifiers : nullptr;
    for (size_t i = 0; written == nullptr && i < cls->fProperties.size(); ++i) {
      if (IsNamed(cls->fProperties[i].fName, property.c_str())) written = &cls->fProperties[i].fQualifiers;
    }
    for (size_t i = 0; written != nullptr && i < written->size(); ++i) {
      if ((*written)[i].fDisableOverride && IsNamed((*written)[i].fName, qualifier.c_str())) return true;
    }
  }
  return false;
}

void TMofReader::TSourceParser::CheckFixedQualifiers(const std::vector<TQualifierValue>& own,
                                                     const std::vector<TPosition>& positions,
                                                     const std::vector<bool>& fixed, const std::string& property,
                                                     const std::string& super, const TInheritedQualifier& inherited) {
  for (size_t i = 0; i < own.size(); ++i) {
    if (!fixed[i] && !WrittenFixed(super, property, own[i].fName)) continue;
    bool found = false;
    boost::shared_ptr<ICIMQualifier> base;
    try {
      base = inherited(own[i].fName, found);
    } catch (const TQZAException& e) {
      if (e.GetStatusCode() != kQZANotFound) throw;
    }
    if (base && base->GetValue() != own[i].fValue) {
      std::string owner = property == "class" ? "class " + super : "property " + property + " of class " + super;
      Fail(positions[i], "qualifier '" + own[i].fName + "' of " + owner +
                             " cannot be overridden (its flavor is DisableOverride)");
    }
  }
}

}  // namespace NVKXQZA20
