#include "redaction/mof_writer.h"

#include <cmath>
#include <unordered_map>
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
  std::string quoted = NMachine::MofString(std::string(text));
  if (quoted == "\"'\"") return "'\\''";
  quoted.front() = quoted.back() = '\'';
  return quoted;
}

std::string ScalarLiteral(const TCIMValue& value) {
  switch (value.GetType()) {
    case CIMTypeBoolean: return value.ToBool() ? "TRUE" : "FALSE";
    case CIMTypeReal32:
    case CIMTypeReal64: return RealLiteral(value);
    case CIMTypeChar16: return CharLiteral(value.TextView());
    case CIMTypeString:
    case CIMTypeDateTime: return NMachine::MofString(std::string(value.TextView()));
    default: return value.ToString();
  }
}

// Writes one instance after another, naming each by a number as it is
// first met, as itself or as the target of a reference.
class TInstanceWriter {
 public:
  static const size_t kPieceSize = 1u << 20;

  TInstanceWriter(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter)
      : fNamespace(ns), fContext(context), fFilter(filter) {}

  void Write(const ICIMInstance& instance) {
    boost::shared_ptr<ICIMClass> cls = instance.GetClass(fContext);
    const TClassDeclarations& declarations = DeclarationsOf(*cls);
    fText.append("instance of ").append(declarations.fName).append(" as ").append(AliasOf(&instance)).append("\n{\n");
    for (size_t i = 0; i < declarations.fDeclarations.size(); ++i) {
      const std::string& name = declarations.fNames[i];
      TCIMValue value = instance.GetProperty(name, fContext)->GetValue(fContext);
      if (fFilter) value = fFilter(*cls, name, value);
      const std::string literal = LiteralOf(declarations.fNullByDefault[i], value);
      if (!literal.empty()) fText.append("    ").append(name).append(" = ").append(literal).append(";\n");
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

  // Asked of each class once: its name, its declarations, their names and
  // whether their default is null.
  struct TClassDeclarations {
    std::string fName;
    std::vector<boost::shared_ptr<ICIMPropertyDecl>> fDeclarations;
    std::vector<std::string> fNames;
    std::vector<bool> fNullByDefault;
  };

  const TClassDeclarations& DeclarationsOf(const ICIMClass& cls) {
    auto found = fDeclarations.find(&cls);
    if (found != fDeclarations.end()) return found->second;
    TClassDeclarations& declarations = fDeclarations[&cls];
    declarations.fName = cls.GetName(fContext);
    declarations.fDeclarations = cls.GetPropertyDecls(fContext);
    for (const auto& decl : declarations.fDeclarations) {
      declarations.fNames.push_back(decl->GetName(fContext));
      declarations.fNullByDefault.push_back(decl->GetDefaultValue(fContext).IsNull());
    }
    return declarations;
  }

  // "" when nothing is to be written.
  std::string LiteralOf(bool nullByDefault, const TCIMValue& value) {
    if (value.IsNull()) return nullByDefault ? "" : "NULL";
    if (value.GetType() == CIMTypeReference) {
      boost::shared_ptr<ICIMInstance> target = fNamespace.GetInstance(value.ToReference(), fContext);
      return target ? AliasOf(target.get()) : "";
    }
    if (!value.IsArray()) return IsWritable(value) ? ScalarLiteral(value) : "";
    std::string list;
    for (const TCIMValue& element : value.ToArray()) {
      if (!IsWritable(element)) continue;
      list += (list.empty() ? "" : ", ") + ScalarLiteral(element);
    }
    return "{ " + list + (list.empty() ? "}" : " }");
  }

  const TMemoryNamespace& fNamespace;
  const TCIMContext& fContext;
  const TValueFilter& fFilter;
  std::string fText;
  std::unordered_map<const ICIMInstance*, size_t> fAliases;
  std::unordered_map<const ICIMClass*, TClassDeclarations> fDeclarations;
};

}  // namespace

void InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter,
                    const TTextSink& sink) {
  TInstanceWriter writer(ns, context, filter);
  for (const boost::shared_ptr<ICIMClass>& root : ns.GetRootClasses(context)) {
    std::vector<boost::shared_ptr<ICIMInstance>> instances;
    root->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true, context);
    for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
      writer.Write(*instance);
      writer.Flush(sink, false);
    }
  }
  writer.Flush(sink, true);
}

std::string InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter) {
  std::string text;
  InstancesAsMof(ns, context, filter, [&text](std::string_view piece) { text.append(piece); });
  return text;
}

}  // namespace NVKXQZA20::NRedaction
