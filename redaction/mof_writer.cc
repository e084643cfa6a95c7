#include "redaction/mof_writer.h"

#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

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

// An instance as read from the repository, its values filtered and its
// references resolved: all the text writer needs, so that it touches
// neither the repository nor the filter.
struct TClassDeclarations {
  std::string fName;
  std::vector<std::string> fNames;
  std::vector<bool> fNullByDefault;
};

// The instance's own value, or what the filter made of it.
struct TReadValue {
  size_t fIndex;
  const TCIMValue* fOriginal;
  std::optional<TCIMValue> fFiltered;
  const ICIMInstance* fTarget;  // of a reference; null when the repository holds none

  const TCIMValue& Value() const { return fFiltered ? *fFiltered : *fOriginal; }
};

struct TReadInstance {
  const ICIMInstance* fSelf;
  const TClassDeclarations* fClass;
  std::vector<TReadValue> fValues;
};

// Reads instances one after another.
class TInstanceReader {
 public:
  TInstanceReader(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter)
      : fNamespace(ns), fContext(context), fFilter(filter) {}

  TReadInstance Read(const ICIMInstance& instance) {
    boost::shared_ptr<ICIMClass> cls = instance.GetClass(fContext);
    TReadInstance read{&instance, &DeclarationsOf(*cls), {}};
    // A property left at its class's initial value reads back as it is.
    fNamespace.VisitSetValues(instance, [&](size_t i, const TCIMValue& set) {
      TReadValue value{i, &set, fFilter ? fFilter(*cls, i, read.fClass->fNames[i], set) : std::nullopt, nullptr};
      if (!value.Value().IsNull() && value.Value().GetType() == CIMTypeReference) {
        value.fTarget = fNamespace.GetInstance(value.Value().ToReference(), fContext).get();
      }
      read.fValues.push_back(std::move(value));
    });
    return read;
  }

 private:
  // Asked of each class once. The map's nodes stay where they are, so the
  // writer may read a class's while others are added.
  const TClassDeclarations& DeclarationsOf(const ICIMClass& cls) {
    auto found = fDeclarations.find(&cls);
    if (found != fDeclarations.end()) return found->second;
    TClassDeclarations& declarations = fDeclarations[&cls];
    declarations.fName = cls.GetName(fContext);
    for (const auto& decl : cls.GetPropertyDecls(fContext)) {
      declarations.fNames.push_back(decl->GetName(fContext));
      declarations.fNullByDefault.push_back(decl->GetDefaultValue(fContext).IsNull());
    }
    return declarations;
  }

  const TMemoryNamespace& fNamespace;
  const TCIMContext& fContext;
  const TValueFilter& fFilter;
  std::unordered_map<const ICIMClass*, TClassDeclarations> fDeclarations;
};

// Writes one instance after another, naming each by a number as it is
// first met, as itself or as the target of a reference.
class TInstanceWriter {
 public:
  static const size_t kPieceSize = 1u << 20;

  void Write(const TReadInstance& instance) {
    const TClassDeclarations& declarations = *instance.fClass;
    fText.append("instance of ").append(declarations.fName).append(" as ").append(AliasOf(instance.fSelf)).append("\n{\n");
    for (const TReadValue& value : instance.fValues) {
      AppendProperty(declarations.fNames[value.fIndex], declarations.fNullByDefault[value.fIndex], value);
    }
    fText += "};\n\n";
  }

  // Hands the text made so far to the sink once it is large enough, and
  // at the end (final).
  void Flush(const TTextSink& sink, bool final) {
    if (!final && fText.size() < kPieceSize) return;
    sink(fText);
    fText.clear();
  }

 private:
  std::string AliasOf(const ICIMInstance* instance) {
    auto alias = fAliases.emplace(instance, fAliases.size() + 1).first;
    return "$i" + std::to_string(alias->second);
  }

  // "    Name = literal;", unless nothing is to be written.
  void AppendProperty(const std::string& name, bool nullByDefault, const TReadValue& read) {
    const size_t before = fText.size();
    fText.append("    ").append(name).append(" = ");
    if (!AppendLiteral(nullByDefault, read)) return fText.resize(before);
    fText += ";\n";
  }

  bool AppendLiteral(bool nullByDefault, const TReadValue& read) {
    const TCIMValue& value = read.Value();
    if (value.IsNull()) {
      if (!nullByDefault) fText += "NULL";
      return !nullByDefault;
    }
    if (value.GetType() == CIMTypeReference) {
      if (read.fTarget) fText += AliasOf(read.fTarget);
      return read.fTarget != nullptr;
    }
    if (!value.IsArray()) {
      if (IsWritable(value)) AppendScalarLiteral(fText, value);
      return IsWritable(value);
    }
    fText += "{ ";
    bool first = true;
    for (const TCIMValue& element : value.ToArray()) {
      if (!IsWritable(element)) continue;
      if (!first) fText += ", ";
      AppendScalarLiteral(fText, element);
      first = false;
    }
    fText += first ? "}" : " }";
    return true;
  }

  std::string fText;
  std::unordered_map<const ICIMInstance*, size_t> fAliases;
};

// Batches of read instances from the reading thread to the writing one,
// at most kDepth waiting: reading (the filter's searches) and writing (the
// literals, the sink's disk) each take one core.
class TBatchQueue {
 public:
  static const size_t kBatchSize = 4096;
  static const size_t kDepth = 4;

  // False when the writer gave up (an error of its own).
  bool Push(std::vector<TReadInstance> batch) {
    std::unique_lock<std::mutex> lock(fMutex);
    fChanged.wait(lock, [this] { return fBatches.size() < kDepth || fStopped; });
    if (fStopped) return false;
    fBatches.push_back(std::move(batch));
    fChanged.notify_all();
    return true;
  }

  // Empty once the reader is done and every batch taken.
  std::vector<TReadInstance> Pop() {
    std::unique_lock<std::mutex> lock(fMutex);
    fChanged.wait(lock, [this] { return !fBatches.empty() || fDone || fStopped; });
    if (fBatches.empty() || fStopped) return {};
    std::vector<TReadInstance> batch = std::move(fBatches.front());
    fBatches.pop_front();
    fChanged.notify_all();
    return batch;
  }

  void Done() { Set(fDone); }
  void Stop() { Set(fStopped); }
  bool Stopped() {
    std::lock_guard<std::mutex> lock(fMutex);
    return fStopped;
  }

 private:
  void Set(bool& flag) {
    std::lock_guard<std::mutex> lock(fMutex);
    flag = true;
    fChanged.notify_all();
  }

  std::mutex fMutex;
  std::condition_variable fChanged;
  std::deque<std::vector<TReadInstance>> fBatches;
  bool fDone = false;
  bool fStopped = false;
};

// The reader's side: every instance, in the order of the root classes and
// their deep enumeration, batch after batch, until the writer stops.
void ReadAll(const TMemoryNamespace& ns, const TCIMContext& context, TInstanceReader& reader, TBatchQueue& queue) {
  std::vector<TReadInstance> batch;
  for (const boost::shared_ptr<ICIMClass>& root : ns.GetRootClasses(context)) {
    std::vector<boost::shared_ptr<ICIMInstance>> instances;
    root->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true, context);
    for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
      batch.push_back(reader.Read(*instance));
      if (batch.size() == TBatchQueue::kBatchSize && !queue.Push(std::exchange(batch, {}))) return;
    }
  }
  if (!batch.empty()) queue.Push(std::move(batch));
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
      TInstanceWriter writer;
      for (std::vector<TReadInstance> batch = queue.Pop(); !batch.empty(); batch = queue.Pop()) {
        for (const TReadInstance& instance : batch) {
          writer.Write(instance);
          writer.Flush(sink, false);
        }
      }
      if (!queue.Stopped()) writer.Flush(sink, true);
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
