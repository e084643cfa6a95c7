#include "comparison/delta_computation.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <numeric>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/parallel.h"

using namespace NVKXQZA20;

namespace {

typedef boost::shared_ptr<ICIMClass> TClassPtr;
typedef boost::shared_ptr<ICIMInstance> TInstancePtr;

const char kDeltaClass[] = "VKXSG_DeltaClass";
const char kDelta[] = "VKXSG_Delta";
const char kDeltaLink[] = "VKXSG_DeltaClassAssocToDelta";

// The properties of a VKXSG_Delta, in the order StoreDelta sets them.
const char* const kDeltaProperties[] = {"InstanceID", "Type", "InstanceName", "NamespaceIndices", "Property"};

const uint8_t kMissing = 1;
const uint8_t kUnique = 2;
const uint8_t kDifferent = 4;

// The texts are values to store, made once and shared by the records (and
// then by the stored instances) that repeat them.
struct TDeltaRecord {
  uint8_t fType;
  TCIMValue fInstanceName;
  TCIMValue fNamespaceIndices;
  TCIMValue fProperty;  // null but for Type 4
};

TCIMContext ContextOf(uint16_t dataSource) {
  TCIMContext context;
  context["nsIndex"] = TCIMValue(dataSource);
  return context;
}

// Class names compare without regard to case, as the repository's do.
TClassPtr FindClass(const TMemoryNamespace& ns, const std::string& name, uint16_t dataSource) {
  try {
    return ns.GetClass(name, ContextOf(dataSource));
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != kQZANotFound) throw;
    return TClassPtr();
  }
}

// Asked for every log record: no lowered copies.
bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsIgnored(const ICIMClass& cls, const std::string& property, const std::vector<TIgnoredProperty>& ignored) {
  for (const TIgnoredProperty& entry : ignored) {
    if (SameName(entry.fProperty, property) && (entry.fClass == "*" || cls.IsA(entry.fClass))) return true;
  }
  return false;
}

bool IsComparisonClass(const ICIMClass& cls) {
  return cls.IsA(kDeltaClass) || cls.IsA(kDelta) || cls.IsA(kDeltaLink);
}

// Every class of every data source once, those of the base first, each
// root followed by its subclasses.
std::vector<std::string> ClassNames(const TMemoryNamespace& ns, uint16_t sourceCount) {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  TClassCallback add = [&](TClassPtr cls) {
    if (!IsComparisonClass(*cls) && seen.insert(boost::algorithm::to_lower_copy(cls->GetName())).second) {
      names.push_back(cls->GetName());
    }
    return true;
  };
  for (uint16_t source = 0; source < sourceCount; ++source) {
    for (const TClassPtr& root : ns.GetRootClasses(ContextOf(source))) {
      add(root);
      root->EnumerateSubclasses(add, true);
    }
  }
  return names;
}

// Texts compare as the report shows them; an array's elements one by one, so
// that {"a,b"} and {"a", "b"} differ. Equal values always read alike.
bool SameValueText(const TCIMValue& a, const TCIMValue& b) {
  if (a == b) return true;
  if (!a.IsArray() && !b.IsArray()) return a.ToString() == b.ToString();
  const std::vector<TCIMValue> left = a.ToArray();
  const std::vector<TCIMValue> right = b.ToArray();
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (left[i].ToString() != right[i].ToString()) return false;
  }
  return true;
}

// Fewer items than this a second thread would cost more than it saves.
const size_t kLeastPerThread = 10000;
// The instances of another data source compared at a time.
const size_t kSlice = 65536;

// A path is made once, as the value an InstanceName stores; the maps by path
// view its text.
struct TBaseInstance {
  TInstancePtr fInstance;
  TCIMValue fPath;
  std::vector<uint16_t> fHeldBy;  // the other data sources that hold it
  // (property position, data source) of each value that differs
  std::vector<std::pair<size_t, uint16_t>> fDifferences;
};

struct TUniqueInstance {
  TCIMValue fPath;
  std::vector<uint16_t> fHeldBy;
};

// The comparison of one class over all data sources.
class TClassComparison {
 public:
  TClassComparison(const TMemoryNamespace& ns, uint16_t sourceCount, const std::string& className,
                   const std::vector<TIgnoredProperty>& ignored)
      : fSourceCount(sourceCount) {
    for (uint16_t source = 0; source < sourceCount; ++source) {
      fClasses.push_back(FindClass(ns, className, source));
    }
    if (fClasses[0]) {
      for (const auto& declaration : fClasses[0]->GetPropertyDecls()) {
        if (!IsIgnored(*fClasses[0], declaration->GetName(), ignored)) fProperties.push_back(declaration->GetName());
      }
      fPropertyValues.assign(fProperties.begin(), fProperties.end());
      ReadBase();
    }
    for (uint16_t source = 1; source < sourceCount; ++source) {
      if (fClasses[source]) CompareWithBase(source);
    }
  }

  bool HasInstances() const { return !fBase.empty() || !fUniques.empty(); }

  // The records own what they hold, so that the comparison is freed on the
  // thread that made it (freeing millions of blocks of another thread's
  // heap took the storing thread seconds).
  std::vector<TDeltaRecord> Deltas() {
    std::vector<TDeltaRecord> deltas;
    deltas.reserve(CountDeltas());
    for (TBaseInstance& base : fBase) {
      const std::vector<uint16_t> missingFrom = MissingFrom(base);
      if (!missingFrom.empty()) deltas.push_back(TDeltaRecord{kMissing, base.fPath, Indices(missingFrom), TCIMValue()});
      AddDifferences(base, deltas);
    }
    for (const TUniqueInstance& unique : fUniques) {
      deltas.push_back(TDeltaRecord{kUnique, unique.fPath, Indices(unique.fHeldBy), TCIMValue()});
    }
    return deltas;
  }

 private:
  void ReadBase() {
    std::vector<TInstancePtr> instances;
    fClasses[0]->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), false, ContextOf(0));
    std::vector<TCIMValue> paths = PathsOf(instances);
    fBase.reserve(instances.size());
    fBasePaths.reserve(instances.size());
    for (size_t i = 0; i < instances.size(); ++i) {
      if (fBasePaths.emplace(paths[i].TextView(), fBase.size()).second) {
        fBase.push_back(TBaseInstance{instances[i], std::move(paths[i]), {}, {}});
      }
    }
  }

  // Paths are matched in order, on one thread; the paths and the values of
  // a large class are read in halves, each base instance in one of them.
  void CompareWithBase(uint16_t source) {
    std::vector<bool> declared;
    for (const std::string& property : fProperties) {
      declared.push_back(static_cast<bool>(fClasses[source]->GetPropertyDecl(property)));
    }
    std::vector<TInstancePtr> all;
    fClasses[source]->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(all), false, ContextOf(source));
    // A slice at a time, so that the paths of the others are never all held.
    for (size_t start = 0; start < all.size(); start += kSlice) {
      const std::vector<TInstancePtr> instances(all.begin() + start, all.begin() + std::min(all.size(), start + kSlice));
      const std::vector<TCIMValue> paths = PathsOf(instances);
      std::vector<std::pair<size_t, const ICIMInstance*>> held;  // base position, instance
      for (size_t i = 0; i < instances.size(); ++i) {
        auto base = fBasePaths.find(paths[i].TextView());
        if (base == fBasePaths.end()) {
          NoteUnique(paths[i], source);
        } else if (NoteHeld(fBase[base->second].fHeldBy, source)) {
          held.emplace_back(base->second, instances[i].get());
        }
      }
      InParallel(held.size(), 1, kLeastPerThread, [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) CompareProperties(fBase[held[i].first], *held[i].second, declared, source);
      });
    }
  }

  static std::vector<TCIMValue> PathsOf(const std::vector<TInstancePtr>& instances) {
    std::vector<TCIMValue> paths(instances.size());
    InParallel(instances.size(), 1, kLeastPerThread, [&](size_t first, size_t last) {
      for (size_t i = first; i < last; ++i) paths[i] = TCIMValue(instances[i]->GetReference().GetPath());
    });
    return paths;
  }

  // False when the data source already holds an instance of that path.
  static bool NoteHeld(std::vector<uint16_t>& heldBy, uint16_t source) {
    if (!heldBy.empty() && heldBy.back() == source) return false;
    heldBy.push_back(source);
    return true;
  }

  void NoteUnique(const TCIMValue& path, uint16_t source) {
    auto found = fUniquePaths.find(path.TextView());
    if (found == fUniquePaths.end()) {
      found = fUniquePaths.emplace(path.TextView(), fUniques.size()).first;
      fUniques.push_back(TUniqueInstance{path, {}});
    }
    NoteHeld(fUniques[found->second].fHeldBy, source);
  }

  void CompareProperties(TBaseInstance& base, const ICIMInstance& other, const std::vector<bool>& declared,
                         uint16_t source) {
    for (size_t p = 0; p < fProperties.size(); ++p) {
      const TCIMValue baseValue = base.fInstance->GetProperty(fProperties[p])->GetValue();
      const TCIMValue otherValue = declared[p] ? other.GetProperty(fProperties[p])->GetValue() : TCIMValue();
      if (!SameValueText(baseValue, otherValue)) base.fDifferences.emplace_back(p, source);
    }
  }

  std::vector<uint16_t> MissingFrom(const TBaseInstance& base) const {
    std::vector<uint16_t> missing;
    for (uint16_t source = 1; source < fSourceCount; ++source) {
      if (!std::binary_search(base.fHeldBy.begin(), base.fHeldBy.end(), source)) missing.push_back(source);
    }
    return missing;
  }

  // Counted before they are made: a class may have millions, and a
  // growing list would copy them and clear fresh pages each time it grows.
  // Sorts each instance's differences by property on the way.
  size_t CountDeltas() {
    size_t count = fUniques.size();
    for (TBaseInstance& base : fBase) {
      if (base.fHeldBy.size() + 1 < fSourceCount) ++count;
      std::stable_sort(base.fDifferences.begin(), base.fDifferences.end(),
                       [](const std::pair<size_t, uint16_t>& a, const std::pair<size_t, uint16_t>& b) {
                         return a.first < b.first;
                       });
      for (size_t i = 0; i < base.fDifferences.size(); ++i) {
        if (i == 0 || base.fDifferences[i].first != base.fDifferences[i - 1].first) ++count;
      }
    }
    return count;
  }

  // One Type 4 per property, listing the base and the data sources that
  // differ, in the order CountDeltas sorted them.
  void AddDifferences(const TBaseInstance& base, std::vector<TDeltaRecord>& deltas) {
    for (size_t i = 0; i < base.fDifferences.size();) {
      const size_t property = base.fDifferences[i].first;
      std::vector<uint16_t> sources(1, 0);
      for (; i < base.fDifferences.size() && base.fDifferences[i].first == property; ++i) {
        sources.push_back(base.fDifferences[i].second);
      }
      deltas.push_back(TDeltaRecord{kDifferent, base.fPath, Indices(sources), fPropertyValues[property]});
    }
  }

  // Few lists of data sources recur over millions of results: each is one value.
  const TCIMValue& Indices(const std::vector<uint16_t>& sources) {
    auto known = fIndices.find(sources);
    if (known != fIndices.end()) return known->second;
    const std::vector<TCIMValue> elements(sources.begin(), sources.end());
    return fIndices.emplace(sources, TCIMValue::Array(CIMTypeUInt16, elements)).first->second;
  }

  uint16_t fSourceCount;
  std::vector<TClassPtr> fClasses;  // per data source; empty where it lacks the class
  std::vector<std::string> fProperties;
  std::vector<TCIMValue> fPropertyValues;  // the same names, as stored
  std::map<std::vector<uint16_t>, TCIMValue> fIndices;
  std::vector<TBaseInstance> fBase;
  std::unordered_map<std::string_view, size_t> fBasePaths;
  std::vector<TUniqueInstance> fUniques;
  std::unordered_map<std::string_view, size_t> fUniquePaths;
};

TPropertyDeclaration KeyProperty(const std::string& name) {
  TPropertyDeclaration key(name, CIMTypeString);
  key.fQualifiers.push_back(TQualifierValue("Key", TCIMValue(true)));
  return key;
}

TPropertyDeclaration Reference(const std::string& name, const std::string& referenceClass) {
  TPropertyDeclaration reference(name, CIMTypeReference);
  reference.fReferenceClass = referenceClass;
  return reference;
}

// The comparison classes in the shape of the bundled schema, for a schema
// without them.
std::vector<TClassDeclaration> ComparisonClassDeclarations() {
  TClassDeclaration deltaClass;
  deltaClass.fName = kDeltaClass;
  deltaClass.fProperties.push_back(KeyProperty("InstanceID"));
  deltaClass.fProperties.push_back(TPropertyDeclaration("ClassName", CIMTypeString));

  TClassDeclaration delta;
  delta.fName = kDelta;
  delta.fProperties.push_back(KeyProperty("InstanceID"));
  delta.fProperties.push_back(TPropertyDeclaration("Type", CIMTypeUInt8));
  delta.fProperties.push_back(TPropertyDeclaration("InstanceName", CIMTypeString));
  delta.fProperties.push_back(TPropertyDeclaration("NamespaceIndices", CIMTypeUInt16, true));
  delta.fProperties.push_back(TPropertyDeclaration("Property", CIMTypeString));

  TClassDeclaration link;
  link.fName = kDeltaLink;
  link.fQualifiers.push_back(TQualifierValue("Association", TCIMValue(true)));
  link.fProperties.push_back(Reference("GroupComponent", kDeltaClass));
  link.fProperties.push_back(Reference("PartComponent", kDelta));
  return {deltaClass, delta, link};
}

// The name of the association's reference to the class.
std::string RoleOf(const ICIMClass& association, const std::string& end) {
  for (const auto& declaration : association.GetPropertyDecls()) {
    if (declaration->GetType() == CIMTypeReference && SameName(declaration->GetReferenceClassName(), end)) {
      return declaration->GetName();
    }
  }
  throw TQZAException(kQZANotFound, std::string(kDeltaLink) + " has no reference to " + end);
}

// Writes comparison results into data source 0.
class TDeltaStore {
 public:
  explicit TDeltaStore(TMemoryNamespace& ns) : fNamespace(ns) {
    for (const TClassDeclaration& declaration : ComparisonClassDeclarations()) {
      if (!FindClass(ns, declaration.fName, 0)) ns.DeclareClass(declaration, ContextOf(0));
    }
    fDeltaClass = ns.GetClass(kDeltaClass, ContextOf(0));
    fDelta = ns.GetClass(kDelta, ContextOf(0));
    const TClassPtr link = ns.GetClass(kDeltaLink, ContextOf(0));
    fClassRole = RoleOf(*link, kDeltaClass);
    fDeltaRole = RoleOf(*link, kDelta);
  }

  void Store(const std::string& className, const std::vector<TDeltaRecord>& deltas, TDeltaSummary& summary) {
    TInstancePtr deltaClass = fDeltaClass->CreateInstance();
    deltaClass->SetPropertyValue("InstanceID", TCIMValue(std::string(kDeltaClass) + ":" + className));
    deltaClass->SetPropertyValue("ClassName", TCIMValue(className));
    ++summary.fClassCount;
    for (const TDeltaRecord& record : deltas) {
      fNamespace.Link(kDeltaLink, {{fClassRole, deltaClass}, {fDeltaRole, StoreDelta(record)}}, fBase);
      Count(record.fType, summary);
    }
  }

 private:
  // Made with its values at once, as a property's declaration takes them:
  // millions are stored.
  TInstancePtr StoreDelta(const TDeltaRecord& record) {
    if (fDeltaProperties.empty()) FindDeltaProperties();
    std::vector<TPropertySetting> settings;
    settings.reserve(fDeltaProperties.size());
    auto set = [&](size_t property, const TCIMValue& value) {
      const TDeltaProperty& to = fDeltaProperties[property];
      settings.push_back(TPropertySetting{to.fIndex, value.ConvertTo(to.fType, to.fIsArray)});
    };
    set(0, TCIMValue(std::string(kDelta) + ":" + std::to_string(++fDeltaCount)));
    set(1, TCIMValue(record.fType));
    set(2, record.fInstanceName);
    set(3, record.fNamespaceIndices);
    if (!record.fProperty.IsNull()) set(4, record.fProperty);
    std::sort(settings.begin(), settings.end(),
              [](const TPropertySetting& a, const TPropertySetting& b) { return a.fIndex < b.fIndex; });
    return fNamespace.CreateInstance(*fDelta, std::move(settings), fBase);
  }

  // The positions of kDeltaProperties in the class's declarations.
  void FindDeltaProperties() {
    const std::vector<boost::shared_ptr<ICIMPropertyDecl>> declarations = fDelta->GetPropertyDecls();
    for (const char* name : kDeltaProperties) {
      auto found = std::find_if(declarations.begin(), declarations.end(),
                                [&](const boost::shared_ptr<ICIMPropertyDecl>& d) { return SameName(d->GetName(), name); });
      if (found == declarations.end()) throw TQZAException(kQZANotFound, std::string("property ") + name + " of " + kDelta);
      fDeltaProperties.push_back(TDeltaProperty{static_cast<uint32_t>(found - declarations.begin()), (*found)->GetType(),
                                                (*found)->IsArray()});
    }
  }

  static void Count(uint8_t type, TDeltaSummary& summary) {
    if (type == kMissing) ++summary.fMissingCount;
    if (type == kUnique) ++summary.fUniqueCount;
    if (type == kDifferent) ++summary.fDifferenceCount;
  }

  TClassPtr fDeltaClass;
  TClassPtr fDelta;
  TMemoryNamespace& fNamespace;
  std::string fClassRole;
  std::string fDeltaRole;
  size_t fDeltaCount = 0;
  const TCIMContext fBase = ContextOf(0);
  struct TDeltaProperty {
    uint32_t fIndex;
    ECIMType fType;
    bool fIsArray;
  };
  std::vector<TDeltaProperty> fDeltaProperties;  // parallel to kDeltaProperties
};

// The comparisons of the classes, made on worker threads while the one
// thread that stores their results takes them in list order. The largest
// classes are compared first, so that the longest comparison starts at once
// instead of holding up the store at its place in the list; a class that no
// worker has begun when the store reaches it is compared by the storing
// thread itself. A result waits for the store, so at most all of them are
// held. The store writes only to the comparison classes (and the data
// source's counters), which no comparison reads; both only read everything
// else.
class TComparisonPipeline {
 public:
  struct TResult {
    bool fHasInstances = false;  // in any data source
    std::vector<TDeltaRecord> fDeltas;
  };

  TComparisonPipeline(const TMemoryNamespace& ns, uint16_t sourceCount, const std::vector<std::string>& classNames,
                      const std::vector<TIgnoredProperty>& ignored)
      : fNamespace(ns), fSourceCount(sourceCount), fClassNames(classNames), fIgnored(ignored),
        fOrder(LargestFirst(ns, sourceCount, classNames)), fResults(classNames.size()), fErrors(classNames.size()),
        fBegun(classNames.size(), false), fReady(classNames.size(), false) {
    // The storing thread compares too, so it counts as one.
    const size_t workers = std::max(2u, std::thread::hardware_concurrency()) - 1;
    for (size_t i = 0; i < workers; ++i) fWorkers.emplace_back([this] { Work(); });
  }

  ~TComparisonPipeline() {
    {
      std::lock_guard<std::mutex> lock(fMutex);
      fStopping = true;
    }
    for (std::thread& worker : fWorkers) worker.join();
  }

  // The result of the class at index; indices are taken in order. Rather
  // than wait for it, the thread first does the spare work, if any is left.
  // A failure of the comparison is thrown here.
  TResult Take(size_t index, std::function<void()>& spareWork) {
    std::unique_lock<std::mutex> lock(fMutex);
    if (!fBegun[index]) {
      fBegun[index] = true;
      lock.unlock();
      return Compare(index);
    }
    if (!fReady[index] && spareWork) {
      lock.unlock();
      std::exchange(spareWork, nullptr)();
      lock.lock();
    }
    fChanged.wait(lock, [&] { return fReady[index]; });
    if (fErrors[index]) std::rethrow_exception(fErrors[index]);
    return std::move(fResults[index]);
  }

 private:
  // By the instances of all data sources, descending; ties in list order.
  static std::vector<size_t> LargestFirst(const TMemoryNamespace& ns, uint16_t sourceCount,
                                          const std::vector<std::string>& classNames) {
    std::vector<size_t> sizes(classNames.size(), 0);
    for (size_t i = 0; i < classNames.size(); ++i) {
      for (uint16_t source = 0; source < sourceCount; ++source) {
        sizes[i] += ns.GetClassInstanceCount(classNames[i], ContextOf(source));
      }
    }
    std::vector<size_t> order(classNames.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
    return order;
  }

  TResult Compare(size_t index) const {
    TResult result;
    TClassComparison comparison(fNamespace, fSourceCount, fClassNames[index], fIgnored);
    result.fHasInstances = comparison.HasInstances();
    if (result.fHasInstances) result.fDeltas = comparison.Deltas();
    return result;
  }

  // The next class in fOrder that nobody has begun, begun; false when none is left.
  bool BeginNext(size_t& index) {
    std::lock_guard<std::mutex> lock(fMutex);
    while (fNext < fOrder.size() && fBegun[fOrder[fNext]]) ++fNext;
    if (fStopping || fNext == fOrder.size()) return false;
    index = fOrder[fNext++];
    fBegun[index] = true;
    return true;
  }

  void Work() {
    size_t index;
    while (BeginNext(index)) {
      TResult result;
      std::exception_ptr error;
      try {
        result = Compare(index);
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> lock(fMutex);
        fResults[index] = std::move(result);
        fErrors[index] = error;
        fReady[index] = true;
      }
      fChanged.notify_all();
    }
  }

  const TMemoryNamespace& fNamespace;
  const uint16_t fSourceCount;
  const std::vector<std::string>& fClassNames;
  const std::vector<TIgnoredProperty>& fIgnored;
  const std::vector<size_t> fOrder;  // of comparison: indices into fClassNames
  std::mutex fMutex;
  std::condition_variable fChanged;
  std::vector<TResult> fResults;
  std::vector<std::exception_ptr> fErrors;
  std::vector<bool> fBegun;
  std::vector<bool> fReady;
  size_t fNext = 0;  // in fOrder: those before it are all begun
  bool fStopping = false;
  std::vector<std::thread> fWorkers;
};

}  // namespace

TDeltaSummary ComputeDeltas(const boost::shared_ptr<TMemoryNamespace>& ns,
                            const std::vector<TIgnoredProperty>& ignored) {
  const uint16_t sourceCount = ns->GetDataSourceCount();
  // The classes are listed before the comparison classes may be declared.
  const std::vector<std::string> classNames = ClassNames(*ns, sourceCount);
  TDeltaStore store(*ns);
  TDeltaSummary summary;
  // Found while the store would wait: it reads only log records, which the
  // store leaves alone.
  std::function<void()> findNewLogRecords = [&] { summary.fNewLogRecords = FindNewLogRecords(*ns); };
  TComparisonPipeline comparisons(*ns, sourceCount, classNames, ignored);
  for (size_t i = 0; i < classNames.size(); ++i) {
    const TComparisonPipeline::TResult result = comparisons.Take(i, findNewLogRecords);
    if (result.fHasInstances) store.Store(classNames[i], result.fDeltas, summary);
  }
  if (findNewLogRecords) findNewLogRecords();
  ns->SetGenerationMode(1);
  return summary;
}

namespace {

// Each entry with the reason its values move by themselves.
const TIgnoredProperty kVolatileProperties[] = {
    {"VKXSG_QZAProduct", "CollectionTime"},          // when the collector ran
    {"VKXSG_OperatingSystem", "UpTime"},             // time since the boot
    {"VKXSG_OperatingSystem", "LastBootUpTime"},     // every reboot
    {"VKXSG_OperatingSystem", "LocalDateTime"},      // the clock
    {"VKXSG_OperatingSystem", "MemoryLoad"},         // memory in use at that moment
    {"VKXSG_OperatingSystem", "SwapUtilization"},
    {"VKXSG_OperatingSystem", "FreePhysicalMemory"},
    {"VKXSG_OperatingSystem", "FreeVirtualMemory"},
    {"VKXSG_OperatingSystem", "FreeSpaceInPagingFiles"},
    {"VKXSG_OperatingSystem", "FreeSwapSpaceSize"},
    {"VKXSG_OperatingSystem", "SystemCache"},
    {"VKXSG_OperatingSystem", "CommitTotal"},
    {"VKXSG_OperatingSystem", "HandleCount"},        // load of the moment
    {"VKXSG_OperatingSystem", "ThreadCount"},
    {"VKXSG_OperatingSystem", "ProcessCount"},
    {"VKXSG_OperatingSystem", "NumberOfProcesses"},
    {"VKXSG_TimeZone", "LocalDateTime"},             // the clock
    {"VKXSG_TimeZone", "GMTDateTime"},
    {"VKXSG_SP_ComputerSystem", "SPClock"},          // the service processor's clock
    {"VKXSG_Account", "LastLogon"},                  // every logon
    {"VKXSG_Process", "Handle"},                     // a restarted process keeps its name, not its id
    {"VKXSG_Process", "CreationDate"},               // restarted with the system
    {"VKXSG_Process", "KernelModeTime"},             // run times and memory of the moment
    {"VKXSG_Process", "UserModeTime"},
    {"VKXSG_Process", "WorkingSetSize"},
    {"CIM_StatisticalData", "StatisticTime"},        // when counters were read
    {"VKXSG_SystemPerformanceData", "CounterValue"},
    {"VKXSG_NetworkStatisticalData", "RXPackets"},   // traffic counters since the boot
    {"VKXSG_NetworkStatisticalData", "RXBytes"},
    {"VKXSG_NetworkStatisticalData", "RXErrors"},
    {"VKXSG_NetworkStatisticalData", "RXDropErrors"},
    {"VKXSG_NetworkStatisticalData", "RXOverrunErrors"},
    {"VKXSG_NetworkStatisticalData", "RXFrameErrors"},
    {"VKXSG_NetworkStatisticalData", "TXPackets"},
    {"VKXSG_NetworkStatisticalData", "TXBytes"},
    {"VKXSG_NetworkStatisticalData", "TXErrors"},
    {"VKXSG_NetworkStatisticalData", "TXDropErrors"},
    {"VKXSG_NetworkStatisticalData", "TXOverrunErrors"},
    {"VKXSG_NetworkStatisticalData", "TXCarrierErrors"},
    {"VKXSG_NetworkStatisticalData", "Collisions"},
};

const char kLogRecordClass[] = "CIM_LogRecord";
// Log records that are not the machine's logs, compared on their pages: the
// analysis' highlights, the collector's own log and the files it loaded.
const char* const kRecordsOfNoLog[] = {"VKXSG_HeavyHittersLogRecord", "VKXSG_QZALogRecord",
                                       "VKXSG_LogRecord_FileLoader"};

int Digits(std::string_view text, size_t first, size_t count) {
  int number = 0;
  for (size_t i = first; i < first + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
    number = number * 10 + (text[i] - '0');
  }
  return number;
}

// Seconds since 1970 in UTC of a DMTF timestamp; false for an interval, a
// null value or wildcards.
bool SecondsOf(const TCIMValue& value, long long& seconds) {
  if (value.IsNull() || value.GetType() != CIMTypeDateTime) return false;
  const std::string_view text = value.TextView();
  if (text.size() != 25 || (text[21] != '+' && text[21] != '-')) return false;
  const int year = Digits(text, 0, 4), month = Digits(text, 4, 2), day = Digits(text, 6, 2);
  const int hour = Digits(text, 8, 2), minute = Digits(text, 10, 2), second = Digits(text, 12, 2);
  const int offset = Digits(text, 22, 3);
  if (std::min({year, month, day, hour, minute, second, offset}) < 0 || month < 1 || month > 12) return false;
  // Days from the civil date (proleptic Gregorian).
  const int y = year - (month <= 2);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yearOfEra = y - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long days = era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
  seconds = days * 86400 + hour * 3600 + minute * 60 + second - (text[21] == '-' ? -offset : offset) * 60LL;
  return true;
}

std::string LogOf(const ICIMInstance& record) {
  try {
    const std::string name = record.GetProperty("LogName")->GetValue().ToString();
    if (!name.empty()) return name;
  } catch (const TQZAException&) {
    // A record without a LogName is of its class's log.
  }
  return record.GetClass()->GetName();
}

bool TimeOf(const ICIMInstance& record, long long& seconds) {
  try {
    return SecondsOf(record.GetProperty("MessageTimestamp")->GetValue(), seconds);
  } catch (const TQZAException&) {
    return false;
  }
}

void EnumerateLogRecords(const TMemoryNamespace& ns, uint16_t dataSource,
                         const std::function<void(const TInstancePtr&)>& visit) {
  const TClassPtr logRecord = FindClass(ns, kLogRecordClass, dataSource);
  if (!logRecord) return;
  logRecord->EnumerateInstances(
      [&](TInstancePtr record) {
        const std::string className = record->GetClass()->GetName();
        for (const char* excluded : kRecordsOfNoLog) {
          if (SameName(className, excluded)) return true;
        }
        visit(record);
        return true;
      },
      true, ContextOf(dataSource));
}

// The paths of a log's records are made when a record of another collection
// is first looked up by path: most logs are timed, and their records by time.
class TBaseLog {
 public:
  void Add(const TInstancePtr& record) {
    long long seconds = 0;
    if (TimeOf(*record, seconds)) {
      fLatest = fTimed ? std::max(fLatest, seconds) : seconds;
      fTimed = true;
    }
    fRecords.push_back(record);
  }

  // Whether the record of another collection is new to this log.
  bool IsNew(const ICIMInstance& record) {
    long long seconds = 0;
    if (fTimed && TimeOf(record, seconds)) return seconds > fLatest;
    if (fPaths.empty()) {
      for (const TInstancePtr& own : fRecords) fPaths.insert(own->GetReference().GetPath());
    }
    return fPaths.count(record.GetReference().GetPath()) == 0;
  }

 private:
  bool fTimed = false;
  long long fLatest = 0;
  std::vector<TInstancePtr> fRecords;
  std::unordered_set<std::string> fPaths;
};

}  // namespace

std::vector<TIgnoredProperty> VolatileProperties(const std::vector<TIgnoredProperty>& ignored) {
  std::vector<TIgnoredProperty> properties(std::begin(kVolatileProperties), std::end(kVolatileProperties));
  properties.insert(properties.end(), ignored.begin(), ignored.end());
  return properties;
}

std::vector<TNewLogRecords> FindNewLogRecords(const TMemoryNamespace& ns) {
  std::unordered_map<std::string, TBaseLog> base;
  EnumerateLogRecords(ns, 0, [&](const TInstancePtr& record) { base[LogOf(*record)].Add(record); });
  std::vector<TNewLogRecords> found;
  for (uint16_t source = 1; source < ns.GetDataSourceCount(); ++source) {
    std::unordered_map<std::string, size_t> logs;  // position in found
    EnumerateLogRecords(ns, source, [&](const TInstancePtr& record) {
      const std::string name = LogOf(*record);
      const auto known = base.find(name);
      if (known != base.end() && !known->second.IsNew(*record)) return;
      auto added = logs.emplace(name, found.size());
      if (added.second) found.push_back(TNewLogRecords{name, source, {}});
      found[added.first->second].fRecords.push_back(record);
    });
  }
  return found;
}
