#include "redaction/mof_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/mof_values.h"
#include "machine/mof_text.h"

namespace NVKXQZA20::NRedaction {

namespace {

// The shortest text of a real is "1e+20" where MOF wants "1.0e+20".
std::string RealLiteral(const TCIMValue& value) {
  std::string text = value.ToString();
  if (text.find('.') == std::string::npos) {
    const size_t exponent = text.find_first_of("eE");
    if (exponent != std::string::npos) text.insert(exponent, ".0");
  }
  return text;
}

bool IsWritable(const TCIMValue& element) {
  const ECIMType type = element.GetType();
  if (element.IsNull()) return false;
  return (type != CIMTypeReal32 && type != CIMTypeReal64) || std::isfinite(element.ToReal64());
}

std::string CharLiteral(std::string_view text) {
  std::string quoted = NMachine::MofString(text);
  if (quoted == "\"'\"") return "'\\''";
  quoted.front() = quoted.back() = '\'';
  return quoted;
}

// Appends the literal of a value that is no array nor reference.
void AppendScalarLiteral(std::string& out, const TCIMValue& value) {
  switch (value.GetType()) {
    case CIMTypeBoolean: out += value.ToBool() ? "TRUE" : "FALSE"; break;
    case CIMTypeReal32:
    case CIMTypeReal64: out += RealLiteral(value); break;
    case CIMTypeChar16: out += CharLiteral(value.TextView()); break;
    case CIMTypeString:
    case CIMTypeDateTime: NMachine::AppendMofString(out, value.TextView()); break;
    default: out += value.ToString();
  }
}

// An instance as read from the repository, its values filtered and the
// aliases of itself and its references given: all the text needs, so that
// any thread may write it without the repository or the filter.
struct TClassDeclarations {
  std::string fName;
  std::vector<std::string> fNames;
  std::vector<bool> fNullByDefault;
  std::vector<bool> fIsKey;
};

// The instance's own value, or what the filter made of it.
struct TReadValue {
  size_t fIndex;
  const TCIMValue* fOriginal;
  std::optional<TCIMValue> fFiltered;
  size_t fTargetAlias;  // of a reference; 0 when the repository holds no instance at its path

  const TCIMValue& Value() const { return fFiltered ? *fFiltered : *fOriginal; }
};

struct TReadInstance {
  size_t fAlias;
  const TClassDeclarations* fClass;
  std::vector<TReadValue> fValues;
  size_t fTextSize;  // of its strings, about what its text will take
  bool fKeyFiltered;
};

size_t TextSize(const TCIMValue& value) {
  if (value.IsNull() || value.GetType() != CIMTypeString) return 0;
  if (!value.IsArray()) return value.TextView().size();
  size_t size = 0;
  for (const TCIMValue& element : value.ToArray()) size += element.TextView().size();
  return size;
}

bool IsReference(const TCIMValue& value) { return !value.IsNull() && value.GetType() == CIMTypeReference; }

bool IsKey(const ICIMPropertyDecl& decl, const TCIMContext& context) {
  return NMofReading::HasTrueQualifier(decl.GetQualifiers(context), "Key");
}

// The indexes of a class's key references.
std::vector<size_t> KeyReferences(const ICIMClass& cls, const TCIMContext& context) {
  std::vector<size_t> keys;
  const std::vector<boost::shared_ptr<ICIMPropertyDecl>> decls = cls.GetPropertyDecls(context);
  for (size_t i = 0; i < decls.size(); ++i) {
    if (decls[i]->GetType(context) == CIMTypeReference && IsKey(*decls[i], context)) keys.push_back(i);
  }
  return keys;
}

std::vector<boost::shared_ptr<ICIMClass>> Classes(const TMemoryNamespace& ns, const TCIMContext& context) {
  std::vector<boost::shared_ptr<ICIMClass>> classes;
  for (const boost::shared_ptr<ICIMClass>& root : ns.GetRootClasses(context)) {
    classes.push_back(root);
    root->EnumerateSubclasses(TAddToVectorCallback<ICIMClass>(classes), true, context);
  }
  return classes;
}

// The instances that would not load again: a key reference left unset when
// loading (its target was skipped) or naming no instance, or naming one of
// these. Each instance whose keys name it is found from it, without
// recursion: a chain of keys may be long.
std::unordered_set<const ICIMInstance*> Unwritable(const TMemoryNamespace& ns, const TCIMContext& context) {
  std::unordered_set<const ICIMInstance*> unwritable;
  std::vector<const ICIMInstance*> pending;
  std::vector<std::pair<const ICIMInstance*, const ICIMInstance*>> keyedBy;  // a target, an instance its key names it
  for (const boost::shared_ptr<ICIMClass>& cls : Classes(ns, context)) {
    const std::vector<size_t> keys = KeyReferences(*cls, context);
    if (keys.empty()) continue;
    std::vector<boost::shared_ptr<ICIMInstance>> instances;
    cls->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), false, context);
    for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
      size_t named = 0;
      ns.VisitSetValues(*instance, [&](size_t i, const TCIMValue& value) {
        if (!IsReference(value) || std::find(keys.begin(), keys.end(), i) == keys.end()) return;
        const boost::shared_ptr<ICIMInstance> target = ns.GetInstance(value.ToReference(), context);
        if (!target) return;
        ++named;
        keyedBy.emplace_back(target.get(), instance.get());
      });
      if (named < keys.size() && unwritable.insert(instance.get()).second) pending.push_back(instance.get());
    }
  }
  std::sort(keyedBy.begin(), keyedBy.end());
  while (!pending.empty()) {
    const ICIMInstance* target = pending.back();
    pending.pop_back();
    auto keyed = std::lower_bound(keyedBy.begin(), keyedBy.end(), std::make_pair(target, nullptr),
                                  [](const auto& a, const auto& b) { return a.first < b.first; });
    for (; keyed != keyedBy.end() && keyed->first == target; ++keyed) {
      if (unwritable.insert(keyed->second).second) pending.push_back(keyed->second);
    }
  }
  return unwritable;
}

// Reads instances one after another, naming each by a number as it is
// first met, as itself or as the target of a reference.
class TInstanceReader {
 public:
  TInstanceReader(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter)
      : fNamespace(ns), fContext(context), fFilter(filter), fUnwritable(Unwritable(ns, context)) {}

  bool Writes(const ICIMInstance& instance) const {
    return fUnwritable.empty() || fUnwritable.count(&instance) == 0;
  }

  // Makes room for the aliases of that many more instances.
  void Expect(size_t instances) { fAliases.reserve(fAliases.size() + instances); }

  TReadInstance Read(const ICIMInstance& instance) {
    boost::shared_ptr<ICIMClass> cls = instance.GetClass(fContext);
    TReadInstance read{AliasOf(&instance), &DeclarationsOf(*cls), {}, 0, false};
    // A property left at its class's initial value reads back as it is.
    fNamespace.VisitSetValues(instance, [&](size_t i, const TCIMValue& set) {
      TReadValue value{i, &set, fFilter ? fFilter(*cls, i, read.fClass->fNames[i], set) : std::nullopt, 0};
      if (IsReference(value.Value())) {
        const boost::shared_ptr<ICIMInstance> target = fNamespace.GetInstance(value.Value().ToReference(), fContext);
        if (target && Writes(*target)) value.fTargetAlias = AliasOf(target.get());
      }
      read.fTextSize += TextSize(value.Value());
      read.fKeyFiltered = read.fKeyFiltered || (value.fFiltered && read.fClass->fIsKey[i]);
      read.fValues.push_back(std::move(value));
    });
    if (read.fKeyFiltered) KeepApart(read);
    return read;
  }

 private:
  size_t AliasOf(const ICIMInstance* instance) { return fAliases.emplace(instance, fAliases.size() + 1).first->second; }

  // Asked of each class once. The map's nodes stay where they are, so that
  // a class's may be read while others are added.
  const TClassDeclarations& DeclarationsOf(const ICIMClass& cls) {
    auto found = fDeclarations.find(&cls);
    if (found != fDeclarations.end()) return found->second;
    TClassDeclarations& declarations = fDeclarations[&cls];
    declarations.fName = cls.GetName(fContext);
    for (const auto& decl : cls.GetPropertyDecls(fContext)) {
      declarations.fNames.push_back(decl->GetName(fContext));
      declarations.fNullByDefault.push_back(decl->GetDefaultValue(fContext).IsNull());
      declarations.fIsKey.push_back(IsKey(*decl, fContext));
    }
    return declarations;
  }

  // Two instances whose keys differ only where the filter makes them one (a
  // host name in two letter cases) would have one object path, which loading
  // refuses: the later one's first key filtered gets "~2", "~3"...
  void KeepApart(TReadInstance& read) {
    auto filtered = std::find_if(read.fValues.begin(), read.fValues.end(), [&read](const TReadValue& value) {
      return value.fFiltered && read.fClass->fIsKey[value.fIndex] && !value.fFiltered->IsArray();
    });
    if (filtered == read.fValues.end()) return;
    const std::string base(filtered->fFiltered->TextView());
    for (size_t n = 2; !fFilteredPaths.insert(KeyText(read)).second; ++n) {
      filtered->fFiltered = TCIMValue(base + "~" + std::to_string(n));
    }
  }

  static std::string KeyText(const TReadInstance& read) {
    std::string text = read.fClass->fName;
    for (const TReadValue& value : read.fValues) {
      if (read.fClass->fIsKey[value.fIndex]) text.append("\x1f").append(value.Value().ToString());
    }
    return text;
  }

  const TMemoryNamespace& fNamespace;
  const TCIMContext& fContext;
  const TValueFilter& fFilter;
  const std::unordered_set<const ICIMInstance*> fUnwritable;
  std::unordered_map<const ICIMInstance*, size_t> fAliases;
  std::unordered_set<std::string> fFilteredPaths;  // of the instances whose keys the filter changed
  std::unordered_map<const ICIMClass*, TClassDeclarations> fDeclarations;
};

void AppendAlias(std::string& text, size_t alias) {
  char digits[24];
  text.append("$i").append(digits, std::to_chars(digits, digits + sizeof digits, alias).ptr);
}

// The literal of a value, false (and nothing appended) when nothing is to
// be written.
bool AppendLiteral(std::string& text, bool nullByDefault, const TReadValue& read) {
  const TCIMValue& value = read.Value();
  if (value.IsNull()) {
    if (!nullByDefault) text += "NULL";
    return !nullByDefault;
  }
  if (value.GetType() == CIMTypeReference) {
    if (read.fTargetAlias != 0) AppendAlias(text, read.fTargetAlias);
    return read.fTargetAlias != 0;
  }
  if (!value.IsArray()) {
    if (IsWritable(value)) AppendScalarLiteral(text, value);
    return IsWritable(value);
  }
  text += "{ ";
  bool first = true;
  for (const TCIMValue& element : value.ToArray()) {
    if (!IsWritable(element)) continue;
    if (!first) text += ", ";
    AppendScalarLiteral(text, element);
    first = false;
  }
  text += first ? "}" : " }";
  return true;
}

void AppendInstance(std::string& text, const TReadInstance& instance) {
  const TClassDeclarations& declarations = *instance.fClass;
  text.append("instance of ").append(declarations.fName).append(" as ");
  AppendAlias(text, instance.fAlias);
  text += "\n{\n";
  for (const TReadValue& value : instance.fValues) {
    const size_t before = text.size();
    text.append("    ").append(declarations.fNames[value.fIndex]).append(" = ");
    if (AppendLiteral(text, declarations.fNullByDefault[value.fIndex], value)) {
      text += ";\n";
    } else {
      text.resize(before);
    }
  }
  text += "};\n\n";
}

// Instances read, and their text once written (by either thread): a few
// thousand instances, or about a megabyte of their texts.
struct TBatch {
  static const size_t kInstances = 4096;
  static const size_t kTextSize = 1u << 20;

  std::vector<TReadInstance> fInstances;
  size_t fTextSize = 0;
  std::string fText;

  bool Full() const { return fInstances.size() == kInstances || fTextSize >= kTextSize; }
  void Add(TReadInstance instance) {
    fTextSize += instance.fTextSize;
    fInstances.push_back(std::move(instance));
  }

  void Write() {
    for (const TReadInstance& instance : fInstances) AppendInstance(fText, instance);
    fInstances.clear();
  }
};

// Batches from the reading thread to the writing one, at most kDepth
// waiting: reading (the filter's searches) and writing (the literals, the
// sink's disk) each take one core, and the reader writes a batch's text
// itself when the writer falls behind.
class TBatchQueue {
 public:
  static const size_t kDepth = 4;

  // False when the writer gave up (an error of its own).
  bool Push(TBatch batch) {
    std::unique_lock<std::mutex> lock(fMutex);
    fChanged.wait(lock, [this] { return fBatches.size() < kDepth || fStopped; });
    if (fStopped) return false;
    fBatches.push_back(std::move(batch));
    fChanged.notify_all();
    return true;
  }

  // Whether the writer has as much waiting as it may.
  bool Behind() {
    std::lock_guard<std::mutex> lock(fMutex);
    return fBatches.size() + 1 >= kDepth;
  }

  // Nothing once the reader is done and every batch taken.
  std::optional<TBatch> Pop() {
    std::unique_lock<std::mutex> lock(fMutex);
    fChanged.wait(lock, [this] { return !fBatches.empty() || fDone || fStopped; });
    if (fBatches.empty() || fStopped) return std::nullopt;
    TBatch batch = std::move(fBatches.front());
    fBatches.pop_front();
    fChanged.notify_all();
    return batch;
  }

  void Done() { Set(fDone); }
  void Stop() { Set(fStopped); }

 private:
  void Set(bool& flag) {
    std::lock_guard<std::mutex> lock(fMutex);
    flag = true;
    fChanged.notify_all();
  }

  std::mutex fMutex;
  std::condition_variable fChanged;
  std::deque<TBatch> fBatches;
  bool fDone = false;
  bool fStopped = false;
};

bool Hand(TBatch& batch, TBatchQueue& queue) {
  if (queue.Behind()) batch.Write();
  return queue.Push(std::exchange(batch, {}));
}

// The reader's side: every instance, in the order of the root classes and
// their deep enumeration, batch after batch, until the writer stops.
void ReadAll(const TMemoryNamespace& ns, const TCIMContext& context, TInstanceReader& reader, TBatchQueue& queue) {
  TBatch batch;
  for (const boost::shared_ptr<ICIMClass>& root : ns.GetRootClasses(context)) {
    std::vector<boost::shared_ptr<ICIMInstance>> instances;
    root->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true, context);
    reader.Expect(instances.size());
    for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
      if (!reader.Writes(*instance)) continue;
      batch.Add(reader.Read(*instance));
      if (batch.Full() && !Hand(batch, queue)) return;
    }
  }
  if (!batch.fInstances.empty()) Hand(batch, queue);
}

}  // namespace

// The repository is read on the calling thread only; the writer thread
// sees the read instances and the sink. An error on either side stops the
// other, and the first is thrown here.
void InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter,
                    const TTextSink& sink) {
  // Outlives the writer, which reads the classes' declarations it holds.
  TInstanceReader reader(ns, context, filter);
  TBatchQueue queue;
  std::exception_ptr writeError;
  std::thread writing([&queue, &sink, &writeError] {
    try {
      for (std::optional<TBatch> batch = queue.Pop(); batch; batch = queue.Pop()) {
        batch->Write();
        sink(batch->fText);
      }
    } catch (...) {
      writeError = std::current_exception();
      queue.Stop();
    }
  });
  try {
    ReadAll(ns, context, reader, queue);
    queue.Done();
  } catch (...) {
    queue.Stop();
    writing.join();
    throw;
  }
  writing.join();
  if (writeError) std::rethrow_exception(writeError);
}

std::string InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter) {
  std::string text;
  InstancesAsMof(ns, context, filter, [&text](std::string_view piece) { text.append(piece); });
  return text;
}

}  // namespace NVKXQZA20::NRedaction
