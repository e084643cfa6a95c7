#include "core/repository.h"

#include <algorithm>
#include <atomic>
#include <boost/make_shared.hpp>
#include <cctype>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace NVKXQZA20 {

namespace {

// Names are ASCII case-insensitive; lowering the letters directly spares a
// locale lookup per character, which a large schema paid for visibly.
char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Lower(const std::string& text) {
  std::string lower(text);
  for (char& c : lower) c = LowerChar(c);
  return lower;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  }
  return true;
}

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) {
                                        return static_cast<unsigned char>(LowerChar(x)) <
                                               static_cast<unsigned char>(LowerChar(y));
                                      });
}

// Hashes a name as its lower-cased form would hash, without making that form.
struct TNameHash {
  size_t operator()(std::string_view name) const {
    size_t hash = 14695981039346656037ull;
    for (char c : name) hash = (hash ^ static_cast<unsigned char>(LowerChar(c))) * 1099511628211ull;
    return hash;
  }
};
struct TSameName {
  // Names are mostly spelled as declared: an exact match spares the lowering.
  bool operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() && (a == b || SameName(a, b));
  }
};

const TQualifierValue* FindQualifier(const std::vector<TQualifierValue>& qualifiers, const std::string& name) {
  for (const TQualifierValue& qualifier : qualifiers) {
    if (SameName(qualifier.fName, name)) return &qualifier;
  }
  return nullptr;
}

bool QualifierIsTrue(const std::vector<TQualifierValue>& qualifiers, const std::string& name) {
  const TQualifierValue* qualifier = FindQualifier(qualifiers, name);
  if (qualifier == nullptr || qualifier->fValue.IsNull()) return qualifier != nullptr;
  try {
    return qualifier->fValue.ToBool();
  } catch (const TQZAException&) {
    return true;
  }
}

// Own qualifiers replace inherited ones of the same name; restricted ones
// and Abstract are not inherited.
std::vector<TQualifierValue> Merge(const std::vector<TQualifierValue>& inherited,
                                   const std::vector<TQualifierValue>& own) {
  std::vector<TQualifierValue> merged;
  for (const TQualifierValue& qualifier : inherited) {
    if (qualifier.fRestricted || SameName(qualifier.fName, "Abstract")) continue;
    if (FindQualifier(own, qualifier.fName) == nullptr) merged.push_back(qualifier);
  }
  merged.insert(merged.end(), own.begin(), own.end());
  return merged;
}

class TMemQualifier : public ICIMQualifier {
 public:
  explicit TMemQualifier(const TQualifierValue& qualifier) : fQualifier(qualifier) {}
  std::string GetName(const TCIMContext&) const override { return fQualifier.fName; }
  TCIMValue GetValue(const TCIMContext&) const override { return fQualifier.fValue; }

 private:
  TQualifierValue fQualifier;
};

boost::shared_ptr<ICIMQualifier> QualifierHandle(const std::vector<TQualifierValue>& qualifiers,
                                                 const std::string& name, bool& found) {
  const TQualifierValue* qualifier = FindQualifier(qualifiers, name);
  found = qualifier != nullptr;
  if (!found) throw TQZAException(kQZANotFound, "qualifier " + name);
  return boost::shared_ptr<ICIMQualifier>(new TMemQualifier(*qualifier));
}

std::vector<boost::shared_ptr<ICIMQualifier>> QualifierHandles(const std::vector<TQualifierValue>& qualifiers) {
  std::vector<boost::shared_ptr<ICIMQualifier>> handles;
  for (const TQualifierValue& qualifier : qualifiers) handles.emplace_back(new TMemQualifier(qualifier));
  return handles;
}

}  // namespace

bool operator==(const TQualifierValue& a, const TQualifierValue& b) {
  return a.fName == b.fName && a.fValue == b.fValue && a.fRestricted == b.fRestricted &&
         a.fDisableOverride == b.fDisableOverride;
}

bool operator==(const TQualifierType& a, const TQualifierType& b) {
  return a.fName == b.fName && a.fType == b.fType && a.fIsArray == b.fIsArray && a.fDefault == b.fDefault &&
         a.fScopes == b.fScopes && a.fFlavors == b.fFlavors;
}

bool operator==(const TPropertyDeclaration& a, const TPropertyDeclaration& b) {
  return a.fName == b.fName && a.fType == b.fType && a.fIsArray == b.fIsArray &&
         a.fReferenceClass == b.fReferenceClass && a.fQualifiers == b.fQualifiers && a.fDefault == b.fDefault;
}

bool operator==(const TClassDeclaration& a, const TClassDeclaration& b) {
  return a.fName == b.fName && a.fSuperClass == b.fSuperClass && a.fQualifiers == b.fQualifiers &&
         a.fProperties == b.fProperties;
}

// Counts calls into the core and throws at the planned one. Until a plan is
// first made nothing is counted: the counter, written by every thread's
// every call, would bounce between the cores of a comparison.
struct TFaultPlan {
  std::atomic<bool> fCounting{false};
  std::atomic<uint64_t> fCalls{0};
  std::atomic<uint64_t> fTarget{0};
  TQZAStatusCode fCode = kQZAFailed;

  void Tick() {
    if (!fCounting.load(std::memory_order_relaxed)) return;
    uint64_t call = fCalls.fetch_add(1, std::memory_order_relaxed) + 1;
    uint64_t target = fTarget.load(std::memory_order_relaxed);
    if (target == 0 || call != target) return;
    if (fCode == kQZAOk) throw std::runtime_error("injected fault");
    throw TQZAException(fCode, "injected fault");
  }
};

class TMemClass;
class TMemInstance;

// A property declaration with its merged qualifiers; shared by a class and
// the subclasses that inherit it unchanged.
class TMemPropertyDecl : public ICIMPropertyDecl {
 public:
  // Copies all of the declaration but its qualifiers, which qualifiers
  // (merged with the inherited ones) replace.
  TMemPropertyDecl(const TPropertyDeclaration& declaration, std::vector<TQualifierValue> qualifiers) {
    fDeclaration.fName = declaration.fName;
    fDeclaration.fType = declaration.fType;
    fDeclaration.fIsArray = declaration.fIsArray;
    fDeclaration.fReferenceClass = declaration.fReferenceClass;
    fDeclaration.fDefault = declaration.fDefault;
    fDeclaration.fQualifiers = std::move(qualifiers);
    if (fDeclaration.fType == CIMTypeReference) fDeclaration.fIsArray = false;
    fIsKey = QualifierIsTrue(fDeclaration.fQualifiers, "Key");
  }

  std::string GetName(const TCIMContext& = TCIMContext()) const override { return fDeclaration.fName; }
  TCIMValue::TCIMType GetType(const TCIMContext& = TCIMContext()) const override { return fDeclaration.fType; }
  bool IsArray(const TCIMContext& = TCIMContext()) const override { return fDeclaration.fIsArray; }
  std::string GetReferenceClassName(const TCIMContext& = TCIMContext()) const override {
    return fDeclaration.fReferenceClass;
  }
  boost::shared_ptr<ICIMQualifier> GetQualifier(const std::string& name, bool& found,
                                                const TCIMContext& = TCIMContext()) const override {
    return QualifierHandle(fDeclaration.fQualifiers, name, found);
  }
  std::vector<boost::shared_ptr<ICIMQualifier>> GetQualifiers(const TCIMContext& = TCIMContext()) const override {
    return QualifierHandles(fDeclaration.fQualifiers);
  }
  TCIMValue GetDefaultValue(const TCIMContext& = TCIMContext()) const override { return fDeclaration.fDefault; }

  const TPropertyDeclaration& Declaration() const { return fDeclaration; }
  bool IsKey() const { return fIsKey; }

  // The Values entry for a scalar's text, or the text itself.
  std::string DisplayText(const TCIMValue& element) const {
    if (element.IsNull()) return "";
    if (element.GetType() == CIMTypeDateTime) return element.ToDateTime().ToUIString();
    std::string text = element.ToString();
    // Few of a schema's properties are ever shown: their tables are built on
    // first use (once, should pages be written on several threads).
    std::call_once(fValueMapBuilt, [this] { BuildValueMap(); });
    if (fValues.empty()) return text;
    auto exact = fValueMap.find(text);
    if (exact != fValueMap.end()) return exact->second;
    return RangeText(element, text);
  }

 private:
  struct TRange {
    bool fOpen;  // ".." matches every value not mapped otherwise
    int64_t fLow;
    int64_t fHigh;
    std::string fText;
  };

  void BuildValueMap() const {
    const TQualifierValue* values = FindQualifier(fDeclaration.fQualifiers, "Values");
    if (values == nullptr || values->fValue.IsNull()) return;
    for (const TCIMValue& v : values->fValue.ToArray()) fValues.push_back(v.ToString());
    const TQualifierValue* map = FindQualifier(fDeclaration.fQualifiers, "ValueMap");
    std::vector<std::string> keys;
    if (map != nullptr && !map->fValue.IsNull()) {
      for (const TCIMValue& v : map->fValue.ToArray()) keys.push_back(v.ToString());
    } else {
      for (size_t i = 0; i < fValues.size(); ++i) keys.push_back(std::to_string(i));
    }
    for (size_t i = 0; i < keys.size() && i < fValues.size(); ++i) AddMapEntry(keys[i], fValues[i]);
  }

  void AddMapEntry(const std::string& key, const std::string& text) const {
    size_t dots = key.find("..");
    if (dots == std::string::npos) {
      fValueMap.emplace(key, text);
      return;
    }
    TRange range{key == "..", INT64_MIN, INT64_MAX, text};
    try {
      if (dots > 0) range.fLow = TCIMValue(key.substr(0, dots)).ToSInt64();
      if (dots + 2 < key.size()) range.fHigh = TCIMValue(key.substr(dots + 2)).ToSInt64();
    } catch (const TQZAException&) {
      return;  // a range over something that is not a number maps nothing
    }
    fRanges.push_back(range);
  }

  std::string RangeText(const TCIMValue& element, const std::string& text) const {
    int64_t number = 0;
    try {
      number = element.ToSInt64();
    } catch (const TQZAException&) {
      return text;
    }
    for (const TRange& range : fRanges) {
      if (!range.fOpen && number >= range.fLow && number <= range.fHigh) return range.fText;
    }
    for (const TRange& range : fRanges) {
      if (range.fOpen) return range.fText;
    }
    return text;
  }

  TPropertyDeclaration fDeclaration;
  bool fIsKey = false;
  mutable std::once_flag fValueMapBuilt;
  mutable std::vector<std::string> fValues;
  mutable std::unordered_map<std::string, std::string> fValueMap;
  mutable std::vector<TRange> fRanges;
};

class TDataSource : public boost::enable_shared_from_this<TDataSource> {
 public:
  explicit TDataSource(boost::shared_ptr<TFaultPlan> faults) : fFaults(faults) {}

  void Tick() const { fFaults->Tick(); }
  boost::shared_ptr<ICIMClass> Handle(const TMemClass* cls) const;
  boost::shared_ptr<ICIMInstance> Handle(const TMemInstance* instance) const;

  TMemClass* FindClass(const std::string& name) const {
    auto found = fClassesByName.find(Lower(name));
    return found == fClassesByName.end() ? nullptr : found->second;
  }
  TMemClass& RequireClass(const std::string& name) const {
    TMemClass* cls = FindClass(name);
    if (cls == nullptr) throw TQZAException(kQZANotFound, "class " + name);
    return *cls;
  }

  TMemClass& Declare(TClassDeclaration declaration);
  TMemClass& Redeclare(TClassDeclaration declaration);
  const TQualifierType* FindQualifierType(const std::string& name) const {
    auto found = fQualifierTypeIndex.find(Lower(name));
    return found == fQualifierTypeIndex.end() ? nullptr : &fQualifierTypes[found->second];
  }
  void DeclareQualifierType(const TQualifierType& type, bool replace) {
    auto known = fQualifierTypeIndex.emplace(Lower(type.fName), fQualifierTypes.size());
    if (known.second) {
      fQualifierTypes.push_back(type);
    } else if (replace) {
      fQualifierTypes[known.first->second] = type;
    } else {
      throw TQZAException(kQZAAlreadyExists, "qualifier " + type.fName);
    }
  }
  TMemInstance* Create(TMemClass& cls);
  void Remove(TMemInstance& instance);
  void RemoveAll(const std::unordered_set<const TMemInstance*>& instances);
  TMemInstance* Resolve(const TCIMReference& reference) const;
  void RequireReferencedClasses(const TClassDeclaration& declaration) const;

  // Keys changed or instances came or went: paths may now resolve elsewhere.
  void PathsChanged() { fAssociationsValid = false; }
  void AssociationsChanged() { fAssociationsValid = false; }
  // A new instance may take a path that named nothing, or a deleted one.
  void InstanceAdded() {
    if (fUnresolvedReferences > 0 || fDeletedSinceIndex) fAssociationsValid = false;
  }
  // The association instances that name an instance (links have none).
  std::vector<const TMemInstance*> AssociationsNaming(const TMemInstance* instance);

  // An association (an instance or a link) with the instances it names,
  // those parallel to its class's reference properties (null where none).
  struct TAssociationRecord {
    const TMemClass* fClass;
    const TMemInstance* const* fEnds;
  };
  // An instance named by end fEnd of the association of record fRecord.
  struct TLink {
    const TMemInstance* fInstance;
    uint32_t fRecord;
    uint32_t fEnd;
  };
  struct TLinks {
    const TLink* fBegin;
    const TLink* fEnd;
    const TLink* begin() const { return fBegin; }
    const TLink* end() const { return fEnd; }
  };
  // The links of an instance, in the order its associations were created.
  TLinks LinksOf(const TMemInstance* instance);
  TAssociationRecord Record(size_t index) const {
    return TAssociationRecord{fRecordClasses[index], fEnds.data() + fFirstEnds[index]};
  }
  // An association without an instance: its class and the instances it
  // names, parallel to the class's reference properties.
  bool HierarchyHasLinks(const TMemClass& cls) const;
  void AddLink(const TMemClass& association, const std::vector<const TMemInstance*>& ends) {
    fStoredLinks.push_back(TStoredLink{fNextSequence++, &association, fStoredEnds.size()});
    fStoredEnds.insert(fStoredEnds.end(), ends.begin(), ends.end());
    AssociationsChanged();
  }

  std::vector<std::unique_ptr<TMemClass>> fClasses;
  std::vector<TQualifierType> fQualifierTypes;
  std::unordered_map<std::string, size_t> fQualifierTypeIndex;  // by lower-cased name
  size_t fInstanceCount = 0;

 private:
  void BuildAssociationIndex();

  boost::shared_ptr<TFaultPlan> fFaults;
  std::unordered_map<std::string, TMemClass*> fClassesByName;
  std::vector<std::unique_ptr<TMemInstance>> fDeleted;  // kept for handles still held
  uint64_t fNextSequence = 0;
  bool fAssociationsValid = false;
  // Deleting leaves the index valid (its ends are checked as they are read),
  // so that deleting many instances one by one stays linear.
  bool fDeletedSinceIndex = false;
  size_t fUnresolvedReferences = 0;
  struct TStoredLink {
    uint64_t fSequence;  // in the order of creation shared with instances
    const TMemClass* fClass;
    size_t fFirstEnd;  // into fStoredEnds
  };
  std::vector<TStoredLink> fStoredLinks;
  std::vector<const TMemInstance*> fStoredEnds;
  // The index is flat, a few words per link: a comparison stores millions.
  std::vector<const TMemClass*> fRecordClasses;  // by record
  std::vector<const TMemInstance*> fRecordInstances;  // by record: null for a link
  std::vector<size_t> fFirstEnds;                 // by record, into fEnds
  std::vector<const TMemInstance*> fEnds;
  std::vector<TLink> fLinks;  // by instance, then record
};

class TMemInstance : public ICIMInstance {
 public:
  TMemInstance(TMemClass& cls, uint64_t sequence);

  boost::shared_ptr<ICIMClass> GetClass(const TCIMContext& = TCIMContext()) const override;
  boost::shared_ptr<ICIMProperty> GetProperty(const std::string& name,
                                              const TCIMContext& = TCIMContext()) const override;
  TCIMReference GetReference(const TCIMContext& = TCIMContext()) const override;
  void Associators(TInstanceCallback callback, const std::string& assocClass, const std::string& resultClass,
                   const std::string& role, const std::string& resultRole,
                   const TCIMContext& = TCIMContext()) const override;
  void SetPropertyValue(const std::string& name, const TCIMValue& value, const TCIMContext& = TCIMContext()) override;
  void SetPropertyValue(const std::string& name, TCIMValue&& value, const TCIMContext& = TCIMContext()) override;
  void Delete(const TCIMContext& = TCIMContext()) override;
  bool IsDeleted() const override { return fDeleted != 0; }

  TMemClass& Class() const { return *fClass; }
  uint64_t Sequence() const { return fSequence; }
  const TCIMValue& Value(size_t index) const;
  void VisitSetValues(const std::function<void(size_t, const TCIMValue&)>& visit) const {
    for (const TSetValue& set : fValues) visit(set.fIndex, set.fValue);
  }
  void SetValueAt(size_t index, const TCIMValue& value);
  void SetValueAt(size_t index, TCIMValue&& value);
  const TCIMValue* Alternate(size_t index) const;
  void SetAlternateAt(size_t index, const TCIMValue& value);
  // The part of the object path after the class name.
  std::string KeyText() const;
  void MarkDeleted() { fDeleted = true; }
  TDataSource& Source() const;
  // The values of a new instance, checked by AcceptsValues.
  void TakeValues(std::vector<TPropertySetting> settings);
  static bool AcceptsValues(const TMemClass& cls, const std::vector<TPropertySetting>& settings);

 private:
  size_t RequireIndex(const std::string& name) const;
  // Keeps a value already converted to its declaration.
  void Store(size_t index, TCIMValue converted);

  // A comparison holds millions of instances: 56 bytes each, before values.
  TMemClass* fClass;  // and through it the data source
  uint64_t fSequence : 63;
  uint64_t fDeleted : 1;
  // Only the values set on this instance, in declaration order; the others
  // read as the class's initial values. Large collections set a few of many
  // declared properties.
  typedef TPropertySetting TSetValue;
  std::vector<TSetValue> fValues;
  std::unique_ptr<std::unordered_map<size_t, TCIMValue>> fAlternates;

  // Where the value of a property is, or would go, in fValues.
  template <typename TValues>
  static auto Position(TValues& values, size_t index) {
    return std::lower_bound(values.begin(), values.end(), index,
                            [](const TSetValue& set, size_t wanted) { return set.fIndex < wanted; });
  }
};

class TMemClass : public ICIMClass {
 public:
  TMemClass(TDataSource& source, TClassDeclaration declaration, TMemClass* superClass)
      : fSource(&source), fDeclaration(std::move(declaration)) {
    Build(superClass);
  }

  std::string GetName(const TCIMContext& = TCIMContext()) const override { return fName; }
  std::string GetSuperClassName(const TCIMContext& = TCIMContext()) const override {
    return fSuper ? fSuper->fName : "";
  }
  bool IsAssociation(const TCIMContext& = TCIMContext()) const override { return fIsAssociation; }
  bool IsA(const std::string& className, const TCIMContext& = TCIMContext()) const override {
    for (const TMemClass* cls = this; cls != nullptr; cls = cls->fSuper) {
      if (SameName(cls->fName, className)) return true;
    }
    return false;
  }
  boost::shared_ptr<ICIMQualifier> GetQualifier(const std::string& name, bool& found,
                                                const TCIMContext& = TCIMContext()) const override {
    fSource->Tick();
    return QualifierHandle(fQualifiers, name, found);
  }
  boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(const std::string& name,
                                                      const TCIMContext& = TCIMContext()) const override {
    fSource->Tick();
    const size_t* index = FindIndex(name);
    return index ? fProperties[*index] : boost::shared_ptr<ICIMPropertyDecl>();
  }
  std::vector<boost::shared_ptr<ICIMPropertyDecl>> GetPropertyDecls(const TCIMContext& = TCIMContext()) const override {
    return std::vector<boost::shared_ptr<ICIMPropertyDecl>>(fProperties.begin(), fProperties.end());
  }
  void EnumerateInstances(TInstanceCallback callback, bool deep, const TCIMContext& = TCIMContext()) const override {
    fSource->Tick();
    VisitInstances(callback, deep);
  }
  void EnumerateSubclasses(TClassCallback callback, bool deep, const TCIMContext& = TCIMContext()) const override {
    fSource->Tick();
    VisitSubclasses(callback, deep);
  }
  void Associators(TClassCallback callback, const std::string& assocClass, const std::string& resultClass,
                   const std::string& role, const std::string& resultRole,
                   const TCIMContext& = TCIMContext()) const override;
  boost::shared_ptr<ICIMInstance> CreateInstance(const TCIMContext& = TCIMContext()) override {
    fSource->Tick();
    return fSource->Handle(fSource->Create(*this));
  }
  TDataSource& Source() const { return *fSource; }

  const size_t* FindIndex(const std::string& name) const {
    auto found = fIndex.find(name);
    return found == fIndex.end() ? nullptr : &found->second;
  }
  const TMemPropertyDecl& Decl(size_t index) const { return *fProperties[index]; }
  // The value of a property that an instance has not set: its default or a typed null.
  const TCIMValue& InitialValue(size_t index) const { return fInitialValues[index]; }
  // Instances of a class mostly set the same properties: a new instance
  // makes room at once for as many values as the fullest one before it.
  size_t ValuesPerInstance() const { return fValuesPerInstance; }
  // Instances of a class often repeat a text in a property (a vendor, a
  // log's name): a text equal to the one stored last there is held once.
  void ShareRepeatedText(size_t index, TCIMValue& value) {
    if (!value.ShareTextOf(fLastValues[index])) fLastValues[index] = value;
  }
  void CountValues(size_t count) { fValuesPerInstance = std::max(fValuesPerInstance, count); }
  size_t PropertyCount() const { return fProperties.size(); }
  bool IsKeyless() const { return fKeys.empty(); }
  const std::vector<size_t>& Keys() const { return fKeys; }
  const std::vector<size_t>& References() const { return fReferences; }
  bool AffectsPath(size_t index) const {
    return IsKeyless() || std::find(fKeys.begin(), fKeys.end(), index) != fKeys.end();
  }
  const std::vector<TMemClass*>& Subclasses() const { return fSubclasses; }
  void AddSubclass(TMemClass* subclass) { fSubclasses.push_back(subclass); }

  void Adopt(std::unique_ptr<TMemInstance> instance) {
    fInstances.push_back(std::move(instance));
    fPathIndexValid = false;
  }
  std::unique_ptr<TMemInstance> Release(const TMemInstance& instance) {
    auto position = std::find_if(fInstances.begin(), fInstances.end(),
                                 [&](const std::unique_ptr<TMemInstance>& i) { return i.get() == &instance; });
    std::unique_ptr<TMemInstance> released = std::move(*position);
    fInstances.erase(position);
    fPathIndexValid = false;
    return released;
  }
  // Moves those of the instances that are this class's own to released,
  // keeping the order of the others.
  void ReleaseAll(const std::unordered_set<const TMemInstance*>& instances,
                  std::vector<std::unique_ptr<TMemInstance>>& released) {
    auto kept = std::stable_partition(fInstances.begin(), fInstances.end(),
                                      [&](const std::unique_ptr<TMemInstance>& i) { return !instances.count(i.get()); });
    for (auto i = kept; i != fInstances.end(); ++i) released.push_back(std::move(*i));
    fInstances.erase(kept, fInstances.end());
    fPathIndexValid = false;
  }
  void PathsChanged() { fPathIndexValid = false; }
  const std::vector<std::unique_ptr<TMemInstance>>& Instances() const { return fInstances; }
  // This class's own instance whose path ends in keyText, or none.
  // The index keeps hashes of the key texts, not the texts (millions of
  // them in a comparison): an instance whose hash meets is checked by its text.
  TMemInstance* FindByKeyText(const std::string& keyText) const {
    if (!fPathIndexValid) {
      fPathIndex.clear();
      fPathIndex.reserve(fInstances.size());
      for (const std::unique_ptr<TMemInstance>& instance : fInstances) {
        fPathIndex.emplace_back(std::hash<std::string>()(instance->KeyText()), instance.get());
      }
      std::stable_sort(fPathIndex.begin(), fPathIndex.end(),
                       [](const THashedInstance& a, const THashedInstance& b) { return a.first < b.first; });
      fPathIndexValid = true;
    }
    const size_t hash = std::hash<std::string>()(keyText);
    auto candidate = std::lower_bound(fPathIndex.begin(), fPathIndex.end(), hash,
                                      [](const THashedInstance& entry, size_t wanted) { return entry.first < wanted; });
    for (; candidate != fPathIndex.end() && candidate->first == hash; ++candidate) {
      if (candidate->second->KeyText() == keyText) return candidate->second;
    }
    return nullptr;
  }

  const TClassDeclaration& Declaration() const { return fDeclaration; }
  TMemClass* SuperClass() const { return fSuper; }
  // Whether this class or one of its subclasses has instances.
  bool HierarchyHasInstances() const {
    bool found = false;
    VisitInstances([&found](const boost::shared_ptr<ICIMInstance>&) { return !(found = true); }, true);
    return found;
  }
  void RemoveSubclass(const TMemClass* subclass) {
    fSubclasses.erase(std::remove(fSubclasses.begin(), fSubclasses.end(), subclass), fSubclasses.end());
  }
  // Takes the new declaration and rebuilds this class and, depth first, its
  // subclasses on their own declarations; none may have instances.
  void Redeclare(TClassDeclaration declaration, TMemClass* superClass) {
    fDeclaration = std::move(declaration);
    std::vector<std::pair<TMemClass*, TMemClass*>> pending{{this, superClass}};
    while (!pending.empty()) {
      TMemClass* cls = pending.back().first;
      TMemClass* super = pending.back().second;
      pending.pop_back();
      cls->Build(super);
      for (auto sub = cls->fSubclasses.rbegin(); sub != cls->fSubclasses.rend(); ++sub) pending.emplace_back(*sub, cls);
    }
  }

 private:
  void Build(TMemClass* superClass) {
    fName = fDeclaration.fName;
    fSuper = superClass;
    fQualifiers = superClass ? Merge(superClass->fQualifiers, fDeclaration.fQualifiers) : fDeclaration.fQualifiers;
    fProperties.clear();
    fIndex.clear();
    if (superClass) {
      fProperties = superClass->fProperties;
      fIndex = superClass->fIndex;
      DropRestrictedQualifiers();
    }
    for (const TPropertyDeclaration& property : fDeclaration.fProperties) AddProperty(property);
    fIsAssociation = QualifierIsTrue(fQualifiers, "Association");
    IndexKeysAndReferences();
    fInitialValues.clear();
    for (const boost::shared_ptr<TMemPropertyDecl>& decl : fProperties) {
      const TCIMValue& initial = decl->GetDefaultValue();
      fInitialValues.push_back(initial.IsNull() ? TCIMValue::Null(decl->GetType(), decl->IsArray()) : initial);
    }
    fLastValues.assign(fProperties.size(), TCIMValue());
    fValuesPerInstance = 1;
    fPathIndexValid = false;
  }

  void AddProperty(const TPropertyDeclaration& property) {
    auto inherited = fIndex.find(property.fName);
    if (inherited != fIndex.end()) {
      const TPropertyDeclaration& base = fProperties[inherited->second]->Declaration();
      return ReplaceProperty(inherited->second,
                             new TMemPropertyDecl(property, Merge(base.fQualifiers, property.fQualifiers)));
    }
    fProperties.emplace_back(new TMemPropertyDecl(property, Merge({}, property.fQualifiers)));
    fIndex.emplace(fProperties.back()->Declaration().fName, fProperties.size() - 1);
  }

  // An inherited property that this class does not declare again keeps its
  // declaration, shared with the superclass, unless qualifiers restricted to
  // the superclass must go.
  void DropRestrictedQualifiers() {
    for (size_t index = 0; index < fProperties.size(); ++index) {
      const TPropertyDeclaration& base = fProperties[index]->Declaration();
      if (std::none_of(base.fQualifiers.begin(), base.fQualifiers.end(),
                       [](const TQualifierValue& qualifier) { return qualifier.fRestricted; })) {
        continue;
      }
      ReplaceProperty(index, new TMemPropertyDecl(base, Merge(base.fQualifiers, {})));
    }
  }

  void ReplaceProperty(size_t index, TMemPropertyDecl* replacement) {
    // The key views the replaced declaration's name: it must view the one kept.
    fIndex.erase(fProperties[index]->Declaration().fName);
    fProperties[index].reset(replacement);
    fIndex.emplace(fProperties[index]->Declaration().fName, index);
  }

  void IndexKeysAndReferences() {
    fKeys.clear();
    fReferences.clear();
    for (size_t i = 0; i < fProperties.size(); ++i) {
      if (fProperties[i]->IsKey()) fKeys.push_back(i);
      if (fProperties[i]->GetType() == CIMTypeReference) fReferences.push_back(i);
    }
    std::sort(fKeys.begin(), fKeys.end(),
              [this](size_t a, size_t b) { return NameLess(Decl(a).Declaration().fName, Decl(b).Declaration().fName); });
  }

  // Both walks are depth first on a stack of their own: a hierarchy may be
  // deeper than the call stack allows.
  bool VisitInstances(const TInstanceCallback& callback, bool deep) const {
    std::vector<const TMemClass*> pending{this};
    while (!pending.empty()) {
      const TMemClass* current = pending.back();
      pending.pop_back();
      for (const std::unique_ptr<TMemInstance>& instance : current->fInstances) {
        if (!callback(fSource->Handle(instance.get()))) return false;
      }
      if (deep) pending.insert(pending.end(), current->fSubclasses.rbegin(), current->fSubclasses.rend());
    }
    return true;
  }

  bool VisitSubclasses(const TClassCallback& callback, bool deep) const {
    std::vector<const TMemClass*> pending(fSubclasses.rbegin(), fSubclasses.rend());
    while (!pending.empty()) {
      const TMemClass* subclass = pending.back();
      pending.pop_back();
      if (!callback(fSource->Handle(subclass))) return false;
      if (deep) pending.insert(pending.end(), subclass->fSubclasses.rbegin(), subclass->fSubclasses.rend());
    }
    return true;
  }

  TDataSource* fSource;
  TClassDeclaration fDeclaration;
  std::string fName;
  TMemClass* fSuper = nullptr;
  std::vector<TMemClass*> fSubclasses;
  std::vector<TQualifierValue> fQualifiers;
  std::vector<boost::shared_ptr<TMemPropertyDecl>> fProperties;
  // Property positions by case-insensitive name; each key views the name of
  // the declaration at its position, which fProperties keeps alive, so that
  // a subclass copies its superclass's index without copying a string.
  std::unordered_map<std::string_view, size_t, TNameHash, TSameName> fIndex;
  std::vector<TCIMValue> fInitialValues;
  std::vector<size_t> fKeys;  // in case-insensitive name order, as paths list them
  std::vector<size_t> fReferences;
  bool fIsAssociation = false;
  std::vector<std::unique_ptr<TMemInstance>> fInstances;
  size_t fValuesPerInstance = 1;
  std::vector<TCIMValue> fLastValues;  // the value stored last in each property
  mutable bool fPathIndexValid = false;
  typedef std::pair<size_t, TMemInstance*> THashedInstance;
  mutable std::vector<THashedInstance> fPathIndex;  // by hash, then creation
};

class TMemProperty : public ICIMProperty {
 public:
  TMemProperty(boost::shared_ptr<ICIMInstance> owner, TMemInstance* instance, size_t index)
      : fOwner(owner), fInstance(instance), fIndex(index) {}

  std::string GetName(const TCIMContext& = TCIMContext()) const override { return Decl().GetName(); }
  TCIMValue::TCIMType GetType(const TCIMContext& = TCIMContext()) const override { return Decl().GetType(); }
  bool IsArray(const TCIMContext& = TCIMContext()) const override { return Decl().IsArray(); }
  TCIMValue GetValue(const TCIMContext& = TCIMContext()) const override {
    Tick();
    return fInstance->Value(fIndex);
  }
  std::string GetValueText(const TCIMContext& = TCIMContext()) const override {
    Tick();
    return Text(fInstance->Value(fIndex));
  }
  std::vector<std::string> GetValueTexts(const TCIMContext& = TCIMContext()) const override {
    Tick();
    std::vector<std::string> texts;
    for (const TCIMValue& element : fInstance->Value(fIndex).ToArray()) texts.push_back(Decl().DisplayText(element));
    return texts;
  }
  boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(const TCIMContext& = TCIMContext()) const override {
    Tick();
    return fInstance->Class().GetPropertyDecl(Decl().GetName());
  }
  bool HasAlternateValue(const TCIMContext& = TCIMContext()) const override {
    return fInstance->Alternate(fIndex) != nullptr;
  }
  TCIMValue GetAlternateValue(const TCIMContext& = TCIMContext()) const override {
    Tick();
    const TCIMValue* alternate = fInstance->Alternate(fIndex);
    return alternate ? *alternate : TCIMValue::Null(Decl().GetType(), Decl().IsArray());
  }
  std::string GetAlternateValueText(const TCIMContext& = TCIMContext()) const override {
    Tick();
    const TCIMValue* alternate = fInstance->Alternate(fIndex);
    return alternate ? Text(*alternate) : "";
  }
  void SetValue(const TCIMValue& value, const TCIMContext& = TCIMContext()) override {
    Tick();
    fInstance->SetValueAt(fIndex, value);
  }
  void SetAlternateValue(const TCIMValue& value, const TCIMContext& = TCIMContext()) override {
    Tick();
    fInstance->SetAlternateAt(fIndex, value);
  }

 private:
  const TMemPropertyDecl& Decl() const { return fInstance->Class().Decl(fIndex); }
  void Tick() const { fInstance->Source().Tick(); }
  std::string Text(const TCIMValue& value) const {
    if (value.IsArray()) {
      std::string text;
      for (const TCIMValue& element : value.ToArray()) text += (text.empty() ? "" : ",") + Decl().DisplayText(element);
      return text;
    }
    return Decl().DisplayText(value);
  }

  boost::shared_ptr<ICIMInstance> fOwner;  // keeps the data source alive
  TMemInstance* fInstance;
  size_t fIndex;
};

// ---------------------------------------------------------------- instances

TMemInstance::TMemInstance(TMemClass& cls, uint64_t sequence) : fClass(&cls), fSequence(sequence), fDeleted(0) {}

TDataSource& TMemInstance::Source() const { return fClass->Source(); }

const TCIMValue& TMemInstance::Value(size_t index) const {
  auto found = Position(fValues, index);
  return found != fValues.end() && found->fIndex == index ? found->fValue : fClass->InitialValue(index);
}

boost::shared_ptr<ICIMClass> TMemInstance::GetClass(const TCIMContext&) const {
  Source().Tick();
  return Source().Handle(fClass);
}

size_t TMemInstance::RequireIndex(const std::string& name) const {
  const size_t* index = fClass->FindIndex(name);
  if (index == nullptr) throw TQZAException(kQZANotFound, "property " + name + " of " + fClass->GetName());
  return *index;
}

boost::shared_ptr<ICIMProperty> TMemInstance::GetProperty(const std::string& name, const TCIMContext&) const {
  Source().Tick();
  // One allocation for the handle and its count: pages read millions.
  return boost::make_shared<TMemProperty>(Source().Handle(this), const_cast<TMemInstance*>(this), RequireIndex(name));
}

std::string TMemInstance::KeyText() const {
  std::string path = GetReference().GetPath();
  return path.substr(fClass->GetName().size());
}

TCIMReference TMemInstance::GetReference(const TCIMContext&) const {
  TCIMReference reference;
  reference.SetClassName(fClass->GetName());
  if (fClass->IsKeyless()) {
    for (size_t i = 0; i < fClass->PropertyCount(); ++i) {
      const TCIMValue& value = Value(i);
      if (!value.IsNull() && !value.IsArray()) reference.AddKeyValue(fClass->Decl(i).GetName(), value);
    }
  } else {
    for (size_t i : fClass->Keys()) reference.AddKeyValue(fClass->Decl(i).GetName(), Value(i));
  }
  return reference;
}

void TMemInstance::SetPropertyValue(const std::string& name, const TCIMValue& value, const TCIMContext&) {
  Source().Tick();
  SetValueAt(RequireIndex(name), value);
}

void TMemInstance::SetPropertyValue(const std::string& name, TCIMValue&& value, const TCIMContext&) {
  Source().Tick();
  SetValueAt(RequireIndex(name), std::move(value));
}

void TMemInstance::SetValueAt(size_t index, const TCIMValue& value) {
  if (fDeleted) throw TQZAException(kQZADeleted, fClass->GetName());
  const TMemPropertyDecl& decl = fClass->Decl(index);
  Store(index, value.ConvertTo(decl.GetType(), decl.IsArray()));
}

void TMemInstance::SetValueAt(size_t index, TCIMValue&& value) {
  if (fDeleted) throw TQZAException(kQZADeleted, fClass->GetName());
  const TMemPropertyDecl& decl = fClass->Decl(index);
  Store(index, std::move(value).ConvertTo(decl.GetType(), decl.IsArray()));
}

void TMemInstance::Store(size_t index, TCIMValue converted) {
  const TMemPropertyDecl& decl = fClass->Decl(index);
  fClass->ShareRepeatedText(index, converted);
  if (fValues.empty()) fValues.reserve(fClass->ValuesPerInstance());
  auto found = Position(fValues, index);
  if (found != fValues.end() && found->fIndex == index) {
    found->fValue = std::move(converted);
  } else {
    fValues.insert(found, TSetValue{static_cast<uint32_t>(index), std::move(converted)});
    fClass->CountValues(fValues.size());
  }
  if (fClass->AffectsPath(index)) {
    fClass->PathsChanged();
    Source().PathsChanged();
  }
  if (decl.GetType() == CIMTypeReference) Source().AssociationsChanged();
}

bool TMemInstance::AcceptsValues(const TMemClass& cls, const std::vector<TPropertySetting>& settings) {
  for (size_t i = 0; i < settings.size(); ++i) {
    const size_t index = settings[i].fIndex;
    if (index >= cls.PropertyCount() || (i > 0 && index <= settings[i - 1].fIndex)) return false;
    const TCIMValue& value = settings[i].fValue;
    const TMemPropertyDecl& decl = cls.Decl(index);
    if (value.GetType() != decl.GetType() || value.IsArray() != decl.IsArray()) return false;
  }
  return true;
}

void TMemInstance::TakeValues(std::vector<TPropertySetting> settings) {
  fValues = std::move(settings);
  fClass->CountValues(fValues.size());
  for (TSetValue& set : fValues) {
    fClass->ShareRepeatedText(set.fIndex, set.fValue);
    if (fClass->AffectsPath(set.fIndex)) {
      fClass->PathsChanged();
      Source().PathsChanged();
    }
    if (fClass->Decl(set.fIndex).GetType() == CIMTypeReference) Source().AssociationsChanged();
  }
}

const TCIMValue* TMemInstance::Alternate(size_t index) const {
  if (!fAlternates) return nullptr;
  auto found = fAlternates->find(index);
  return found == fAlternates->end() ? nullptr : &found->second;
}

void TMemInstance::SetAlternateAt(size_t index, const TCIMValue& value) {
  if (fDeleted) throw TQZAException(kQZADeleted, fClass->GetName());
  const TMemPropertyDecl& decl = fClass->Decl(index);
  if (!fAlternates) fAlternates.reset(new std::unordered_map<size_t, TCIMValue>);
  (*fAlternates)[index] = value.ConvertTo(decl.GetType(), decl.IsArray());
}

void TMemInstance::Delete(const TCIMContext&) {
  Source().Tick();
  if (fDeleted) throw TQZAException(kQZADeleted, fClass->GetName());
  const std::vector<const TMemInstance*> naming = Source().AssociationsNaming(this);
  if (naming.empty()) return Source().Remove(*this);
  std::unordered_set<const TMemInstance*> doomed(naming.begin(), naming.end());
  doomed.insert(this);
  Source().RemoveAll(doomed);
}

void TMemInstance::Associators(TInstanceCallback callback, const std::string& assocClass,
                               const std::string& resultClass, const std::string& role,
                               const std::string& resultRole, const TCIMContext&) const {
  Source().Tick();
  if (!assocClass.empty()) {
    TMemClass* association = Source().FindClass(assocClass);
    if (association == nullptr || !association->IsAssociation()) return;
  }
  std::unordered_set<const TMemInstance*> seen;
  for (const TDataSource::TLink& link : Source().LinksOf(this)) {
    const TDataSource::TAssociationRecord record = Source().Record(link.fRecord);
    const TMemClass& association = *record.fClass;
    if (!assocClass.empty() && !association.IsA(assocClass)) continue;
    const std::vector<size_t>& references = association.References();
    if (!role.empty() && !SameName(association.Decl(references[link.fEnd]).GetName(), role)) continue;
    for (size_t end = 0; end < references.size(); ++end) {
      const TMemInstance* far = record.fEnds[end];
      if (end == link.fEnd || far == nullptr || far->IsDeleted()) continue;
      if (!resultRole.empty() && !SameName(association.Decl(references[end]).GetName(), resultRole)) continue;
      if (!resultClass.empty() && !far->Class().IsA(resultClass)) continue;
      if (!seen.insert(far).second) continue;
      if (!callback(Source().Handle(far))) return;
    }
  }
}

// ------------------------------------------------------------------ classes

void TMemClass::Associators(TClassCallback callback, const std::string& assocClass, const std::string& resultClass,
                            const std::string& role, const std::string& resultRole, const TCIMContext&) const {
  fSource->Tick();
  std::unordered_set<const TMemClass*> seen;
  for (const std::unique_ptr<TMemClass>& association : fSource->fClasses) {
    if (!association->IsAssociation()) continue;
    if (!assocClass.empty() && !association->IsA(assocClass)) continue;
    const std::vector<size_t>& references = association->References();
    for (size_t near : references) {
      const TMemPropertyDecl& nearDecl = association->Decl(near);
      if (!IsA(nearDecl.GetReferenceClassName())) continue;
      if (!role.empty() && !SameName(nearDecl.GetName(), role)) continue;
      for (size_t end : references) {
        const TMemPropertyDecl& farDecl = association->Decl(end);
        if (end == near) continue;
        if (!resultRole.empty() && !SameName(farDecl.GetName(), resultRole)) continue;
        const TMemClass* far = fSource->FindClass(farDecl.GetReferenceClassName());
        if (far == nullptr || (!resultClass.empty() && !far->IsA(resultClass))) continue;
        if (!seen.insert(far).second) continue;
        if (!callback(fSource->Handle(far))) return;
      }
    }
  }
}

// ------------------------------------------------------------- data sources

boost::shared_ptr<ICIMClass> TDataSource::Handle(const TMemClass* cls) const {
  return boost::shared_ptr<ICIMClass>(shared_from_this(), const_cast<TMemClass*>(cls));
}

boost::shared_ptr<ICIMInstance> TDataSource::Handle(const TMemInstance* instance) const {
  return boost::shared_ptr<ICIMInstance>(shared_from_this(), const_cast<TMemInstance*>(instance));
}

void TDataSource::RequireReferencedClasses(const TClassDeclaration& declaration) const {
  for (const TPropertyDeclaration& property : declaration.fProperties) {
    if (property.fType == CIMTypeReference && !property.fReferenceClass.empty()) RequireClass(property.fReferenceClass);
  }
}

TMemClass& TDataSource::Declare(TClassDeclaration declaration) {
  if (declaration.fName.empty()) throw TQZAException(kQZAInvalidParameter, "class without a name");
  if (FindClass(declaration.fName)) throw TQZAException(kQZAAlreadyExists, "class " + declaration.fName);
  TMemClass* superClass = declaration.fSuperClass.empty() ? nullptr : &RequireClass(declaration.fSuperClass);
  RequireReferencedClasses(declaration);
  std::string key = Lower(declaration.fName);
  fClasses.emplace_back(new TMemClass(*this, std::move(declaration), superClass));
  TMemClass* cls = fClasses.back().get();
  fClassesByName.emplace(std::move(key), cls);
  if (superClass) superClass->AddSubclass(cls);
  return *cls;
}

TMemClass& TDataSource::Redeclare(TClassDeclaration declaration) {
  TMemClass& cls = RequireClass(declaration.fName);
  TMemClass* superClass = declaration.fSuperClass.empty() ? nullptr : &RequireClass(declaration.fSuperClass);
  RequireReferencedClasses(declaration);
  if (superClass != nullptr && superClass->IsA(cls.GetName())) {
    throw TQZAException(kQZAInvalidParameter, "class " + cls.GetName() + " cannot derive from itself");
  }
  if (cls.HierarchyHasInstances() || HierarchyHasLinks(cls)) {
    throw TQZAException(kQZAFailed, "class " + cls.GetName() + " has instances");
  }
  if (cls.SuperClass() != superClass) {
    if (cls.SuperClass() != nullptr) cls.SuperClass()->RemoveSubclass(&cls);
    if (superClass != nullptr) superClass->AddSubclass(&cls);
  }
  cls.Redeclare(std::move(declaration), superClass);
  AssociationsChanged();
  return cls;
}

bool TDataSource::HierarchyHasLinks(const TMemClass& cls) const {
  return std::any_of(fStoredLinks.begin(), fStoredLinks.end(),
                     [&](const TStoredLink& link) { return link.fClass->IsA(cls.GetName()); });
}

TMemInstance* TDataSource::Create(TMemClass& cls) {
  std::unique_ptr<TMemInstance> instance(new TMemInstance(cls, fNextSequence++));
  TMemInstance* created = instance.get();
  cls.Adopt(std::move(instance));
  ++fInstanceCount;
  if (cls.IsAssociation()) AssociationsChanged();
  InstanceAdded();
  return created;
}

void TDataSource::Remove(TMemInstance& instance) {
  fDeleted.push_back(instance.Class().Release(instance));
  instance.MarkDeleted();
  --fInstanceCount;
  fDeletedSinceIndex = true;
}

void TDataSource::RemoveAll(const std::unordered_set<const TMemInstance*>& instances) {
  std::unordered_set<TMemClass*> classes;
  for (const TMemInstance* instance : instances) classes.insert(&instance->Class());
  size_t before = fDeleted.size();
  for (TMemClass* cls : classes) cls->ReleaseAll(instances, fDeleted);
  for (size_t i = before; i < fDeleted.size(); ++i) fDeleted[i]->MarkDeleted();
  fInstanceCount -= fDeleted.size() - before;
  fDeletedSinceIndex = true;
}

std::vector<const TMemInstance*> TDataSource::AssociationsNaming(const TMemInstance* instance) {
  std::vector<const TMemInstance*> naming;
  for (const TLink& link : LinksOf(instance)) {
    const TMemInstance* association = fRecordInstances[link.fRecord];
    if (association != nullptr && !association->IsDeleted() && association != instance &&
        std::find(naming.begin(), naming.end(), association) == naming.end()) {
      naming.push_back(association);
    }
  }
  return naming;
}

TMemInstance* TDataSource::Resolve(const TCIMReference& reference) const {
  TMemClass* cls = FindClass(reference.GetClassName());
  if (cls == nullptr) return nullptr;
  // Bind the keys by their declared names and types, so that a path written
  // by hand ("Number=5" for a uint16 key) finds the instance.
  TCIMReference typed;
  typed.SetClassName(cls->GetName());
  bool bound = true;
  reference.EnumerateKeyBindings([&](const std::string& name, const TCIMValue& value) {
    const size_t* index = cls->FindIndex(name);
    if (index == nullptr) return bound = false;
    const TMemPropertyDecl& decl = cls->Decl(*index);
    try {
      typed.AddKeyValue(decl.GetName(), value.ConvertTo(decl.GetType(), decl.IsArray()));
    } catch (const TQZAException&) {
      bound = false;
    }
    return bound;
  });
  if (!bound) return nullptr;
  std::string keyText = typed.GetPath().substr(cls->GetName().size());
  std::vector<const TMemClass*> pending(1, cls);
  while (!pending.empty()) {
    const TMemClass* candidate = pending.back();
    pending.pop_back();
    if (TMemInstance* found = candidate->FindByKeyText(keyText)) return found;
    pending.insert(pending.end(), candidate->Subclasses().rbegin(), candidate->Subclasses().rend());
  }
  return nullptr;
}

TDataSource::TLinks TDataSource::LinksOf(const TMemInstance* instance) {
  if (!fAssociationsValid) BuildAssociationIndex();
  auto range = std::equal_range(fLinks.begin(), fLinks.end(), TLink{instance, 0, 0},
                                [](const TLink& a, const TLink& b) { return std::less<>()(a.fInstance, b.fInstance); });
  return TLinks{fLinks.data() + (range.first - fLinks.begin()), fLinks.data() + (range.second - fLinks.begin())};
}

void TDataSource::BuildAssociationIndex() {
  fRecordClasses.clear();
  fRecordInstances.clear();
  fDeletedSinceIndex = false;
  fFirstEnds.clear();
  fEnds.clear();
  fLinks.clear();
  fUnresolvedReferences = 0;
  std::vector<const TMemInstance*> associations;
  for (const std::unique_ptr<TMemClass>& cls : fClasses) {
    if (!cls->IsAssociation()) continue;
    for (const std::unique_ptr<TMemInstance>& instance : cls->Instances()) associations.push_back(instance.get());
  }
  std::sort(associations.begin(), associations.end(),
            [](const TMemInstance* a, const TMemInstance* b) { return a->Sequence() < b->Sequence(); });
  // Associations in a row often name one instance (a group and its many
  // parts): the path resolved last at an end is not resolved again.
  std::vector<std::pair<TCIMValue, const TMemInstance*>> last;
  auto addInstance = [&](const TMemInstance& association) {
    const std::vector<size_t>& references = association.Class().References();
    if (last.size() < references.size()) last.resize(references.size());
    fRecordClasses.push_back(&association.Class());
    fRecordInstances.push_back(&association);
    fFirstEnds.push_back(fEnds.size());
    for (size_t end = 0; end < references.size(); ++end) {
      const TCIMValue& value = association.Value(references[end]);
      if (!value.IsNull() && !(value == last[end].first)) last[end] = {value, Resolve(value.ToReference())};
      const TMemInstance* named = value.IsNull() ? nullptr : last[end].second;
      if (named == nullptr && !value.IsNull()) ++fUnresolvedReferences;
      fEnds.push_back(named);
    }
  };
  // A link names its instances themselves; a deleted one it names no more.
  auto addLink = [&](const TStoredLink& link) {
    fRecordClasses.push_back(link.fClass);
    fRecordInstances.push_back(nullptr);
    fFirstEnds.push_back(fEnds.size());
    for (size_t end = 0; end < link.fClass->References().size(); ++end) {
      const TMemInstance* named = fStoredEnds[link.fFirstEnd + end];
      fEnds.push_back(named && !named->IsDeleted() ? named : nullptr);
    }
  };
  fRecordClasses.reserve(associations.size() + fStoredLinks.size());
  fFirstEnds.reserve(associations.size() + fStoredLinks.size());
  auto instance = associations.begin();
  auto link = fStoredLinks.begin();
  while (instance != associations.end() || link != fStoredLinks.end()) {
    if (link == fStoredLinks.end() || (instance != associations.end() && (*instance)->Sequence() < link->fSequence)) {
      addInstance(**instance++);
    } else {
      addLink(*link++);
    }
  }
  if (fRecordClasses.size() > UINT32_MAX) throw TQZAException(kQZAOutOfRange, "too many associations");
  fLinks.reserve(fEnds.size());
  for (uint32_t record = 0; record < fRecordClasses.size(); ++record) {
    for (uint32_t end = 0; end < fRecordClasses[record]->References().size(); ++end) {
      if (const TMemInstance* named = fEnds[fFirstEnds[record] + end]) fLinks.push_back(TLink{named, record, end});
    }
  }
  std::sort(fLinks.begin(), fLinks.end(), [](const TLink& a, const TLink& b) {
    return a.fInstance != b.fInstance ? std::less<>()(a.fInstance, b.fInstance) : a.fRecord < b.fRecord;
  });
  fAssociationsValid = true;
}

// ---------------------------------------------------------------- namespace

namespace {

class TNamespaceProvider : public INamespaceProvider {
 public:
  explicit TNamespaceProvider(int mode) : fMode(mode) {}
  int GetGenerationMode(const TCIMContext&) const override { return fMode; }

 private:
  int fMode;
};

}  // namespace

boost::shared_ptr<TMemoryNamespace> TMemoryNamespace::Create(std::string name) {
  return boost::shared_ptr<TMemoryNamespace>(new TMemoryNamespace(std::move(name)));
}

TMemoryNamespace::TMemoryNamespace(std::string name) : fName(std::move(name)), fFaults(new TFaultPlan) {
  AddDataSource();
}

TMemoryNamespace::~TMemoryNamespace() {}

uint16_t TMemoryNamespace::AddDataSource() {
  if (fDataSources.size() > UINT16_MAX) throw TQZAException(kQZAOutOfRange, "too many data sources");
  fDataSources.emplace_back(new TDataSource(fFaults));
  return static_cast<uint16_t>(fDataSources.size() - 1);
}

uint16_t TMemoryNamespace::GetDataSourceCount() const { return static_cast<uint16_t>(fDataSources.size()); }

TDataSource& TMemoryNamespace::DataSource(const TCIMContext& context) const {
  uint16_t index = DataSourceIndex(context);
  if (index >= fDataSources.size()) {
    throw TQZAException(kQZAInvalidParameter, "no data source " + std::to_string(index));
  }
  return *fDataSources[index];
}

boost::shared_ptr<ICIMClass> TMemoryNamespace::DeclareClass(TClassDeclaration declaration,
                                                            const TCIMContext& context) {
  TDataSource& source = DataSource(context);
  return source.Handle(&source.Declare(std::move(declaration)));
}

void TMemoryNamespace::DeleteInstances(const std::vector<boost::shared_ptr<ICIMInstance>>& instances,
                                       const TCIMContext& context) {
  TDataSource& source = DataSource(context);
  source.Tick();
  std::unordered_set<const TMemInstance*> doomed;
  for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
    const TMemInstance* own = dynamic_cast<const TMemInstance*>(instance.get());
    if (own == nullptr || &own->Source() != &source) throw TQZAException(kQZAInvalidParameter, "not an instance of this data source");
    if (own->IsDeleted()) throw TQZAException(kQZADeleted, own->Class().GetName());
    doomed.insert(own);
  }
  if (!doomed.empty()) source.RemoveAll(doomed);
}

void TMemoryNamespace::Link(const std::string& associationClass,
                            const std::vector<std::pair<std::string, boost::shared_ptr<ICIMInstance>>>& ends,
                            const TCIMContext& context) {
  TDataSource& source = DataSource(context);
  source.Tick();
  const TMemClass& association = source.RequireClass(associationClass);
  if (!association.IsAssociation()) throw TQZAException(kQZAInvalidParameter, associationClass + " is no association");
  std::vector<const TMemInstance*> named(association.References().size(), nullptr);
  for (const auto& end : ends) {
    const size_t* index = association.FindIndex(end.first);
    auto position = index ? std::find(association.References().begin(), association.References().end(), *index)
                          : association.References().end();
    if (position == association.References().end()) {
      throw TQZAException(kQZANotFound, "reference " + end.first + " of " + associationClass);
    }
    const TMemInstance* own = dynamic_cast<const TMemInstance*>(end.second.get());
    if (own == nullptr || &own->Source() != &source) {
      throw TQZAException(kQZAInvalidParameter, "not an instance of this data source");
    }
    named[position - association.References().begin()] = own;
  }
  source.AddLink(association, named);
}

boost::shared_ptr<ICIMInstance> TMemoryNamespace::CreateInstance(ICIMClass& cls,
                                                                 std::vector<TPropertySetting> settings,
                                                                 const TCIMContext& context) {
  TDataSource& source = DataSource(context);
  source.Tick();
  TMemClass* own = dynamic_cast<TMemClass*>(&cls);
  if (own == nullptr || &own->Source() != &source) {
    throw TQZAException(kQZAInvalidParameter, "not a class of this data source");
  }
  if (!TMemInstance::AcceptsValues(*own, settings)) {
    throw TQZAException(kQZAInvalidParameter, "values out of order or not of their declared types");
  }
  TMemInstance* created = source.Create(*own);
  created->TakeValues(std::move(settings));
  return source.Handle(created);
}

boost::shared_ptr<ICIMClass> TMemoryNamespace::RedeclareClass(TClassDeclaration declaration,
                                                              const TCIMContext& context) {
  TDataSource& source = DataSource(context);
  return source.Handle(&source.Redeclare(std::move(declaration)));
}

const TClassDeclaration* TMemoryNamespace::FindClassDeclaration(const std::string& name,
                                                                const TCIMContext& context) const {
  const TMemClass* cls = DataSource(context).FindClass(name);
  return cls == nullptr ? nullptr : &cls->Declaration();
}

void TMemoryNamespace::DeclareQualifierType(const TQualifierType& type, const TCIMContext& context, bool replace) {
  DataSource(context).DeclareQualifierType(type, replace);
}

const TQualifierType* TMemoryNamespace::FindQualifierType(const std::string& name, const TCIMContext& context) const {
  return DataSource(context).FindQualifierType(name);
}

size_t TMemoryNamespace::GetQualifierTypeCount(const TCIMContext& context) const {
  return DataSource(context).fQualifierTypes.size();
}

size_t TMemoryNamespace::GetClassCount(const TCIMContext& context) const {
  return DataSource(context).fClasses.size();
}

size_t TMemoryNamespace::GetInstanceCount(const TCIMContext& context) const {
  return DataSource(context).fInstanceCount;
}

size_t TMemoryNamespace::GetClassInstanceCount(const std::string& className, const TCIMContext& context) const {
  const TMemClass* cls = DataSource(context).FindClass(className);
  return cls ? cls->Instances().size() : 0;
}

std::vector<boost::shared_ptr<ICIMClass>> TMemoryNamespace::GetRootClasses(const TCIMContext& context) const {
  TDataSource& source = DataSource(context);
  std::vector<boost::shared_ptr<ICIMClass>> roots;
  for (const std::unique_ptr<TMemClass>& cls : source.fClasses) {
    if (cls->GetSuperClassName().empty()) roots.push_back(source.Handle(cls.get()));
  }
  return roots;
}

void TMemoryNamespace::InjectFault(uint64_t callNumber, TQZAStatusCode code) {
  fFaults->fCode = code;
  fFaults->fCalls.store(0);
  fFaults->fTarget.store(callNumber);
  fFaults->fCounting.store(true);
}

uint64_t TMemoryNamespace::GetCallCount() const { return fFaults->fCalls.load(); }

boost::shared_ptr<ICIMClass> TMemoryNamespace::GetClass(const std::string& name, const TCIMContext& context) const {
  TDataSource& source = DataSource(context);
  source.Tick();
  return source.Handle(&source.RequireClass(name));
}

boost::shared_ptr<ICIMInstance> TMemoryNamespace::GetInstance(const TCIMReference& reference,
                                                              const TCIMContext& context) const {
  TDataSource& source = DataSource(context);
  source.Tick();
  TMemInstance* instance = source.Resolve(reference);
  return instance ? source.Handle(instance) : boost::shared_ptr<ICIMInstance>();
}

void TMemoryNamespace::VisitSetValues(const ICIMInstance& instance,
                                      const std::function<void(size_t, const TCIMValue&)>& visit) const {
  const auto* memory = dynamic_cast<const TMemInstance*>(&instance);
  const auto ours = [memory](const auto& source) { return source.get() == &memory->Source(); };
  if (memory == nullptr || std::none_of(fDataSources.begin(), fDataSources.end(), ours)) {
    throw TQZAException(kQZAInvalidParameter, "an instance of another repository");
  }
  memory->Source().Tick();
  memory->VisitSetValues(visit);
}

boost::shared_ptr<INamespaceProvider> TMemoryNamespace::GetNamespaceProvider(const TCIMContext& context) const {
  DataSource(context).Tick();
  return boost::shared_ptr<INamespaceProvider>(new TNamespaceProvider(fGenerationMode));
}

}  // namespace NVKXQZA20
