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
  TInstanceWriter(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter)
      : fNamespace(ns), fContext(context), fFilter(filter) {}

  void Write(const ICIMInstance& instance) {
    boost::shared_ptr<ICIMClass> cls = instance.GetClass(fContext);
    fText += "instance of " + cls->GetName(fContext) + " as " + AliasOf(&instance) + "\n{\n";
    for (const boost::shared_ptr<ICIMPropertyDecl>& decl : DeclarationsOf(*cls)) {
      const std::string name = decl->GetName(fContext);
      TCIMValue value = instance.GetProperty(name, fContext)->GetValue(fContext);
      if (fFilter) value = fFilter(*cls, name, value);
      const std::string literal = LiteralOf(*decl, value);
      if (!literal.empty()) fText += "    " + name + " = " + literal + ";\n";
    }
    fText += "};\n\n";
  }

  std::string& Text() { return fText; }

 private:
  std::string AliasOf(const ICIMInstance* instance) {
    auto alias = fAliases.emplace(instance, fAliases.size() + 1).first;
    return "$i" + std::to_string(alias->second);
  }

  const std::vector<boost::shared_ptr<ICIMPropertyDecl>>& DeclarationsOf(const ICIMClass& cls) {
    auto found = fDeclarations.find(&cls);
    if (found == fDeclarations.end()) found = fDeclarations.emplace(&cls, cls.GetPropertyDecls(fContext)).first;
    return found->second;
  }

  // "" when nothing is to be written.
  std::string LiteralOf(const ICIMPropertyDecl& decl, const TCIMValue& value) {
    if (value.IsNull()) return decl.GetDefaultValue(fContext).IsNull() ? "" : "NULL";
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
  std::unordered_map<const ICIMClass*, std::vector<boost::shared_ptr<ICIMPropertyDecl>>> fDeclarations;
};

}  // namespace

std::string InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter) {
  TInstanceWriter writer(ns, context, filter);
  for (const boost::shared_ptr<ICIMClass>& root : ns.GetRootClasses(context)) {
    std::vector<boost::shared_ptr<ICIMInstance>> instances;
    root->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true, context);
    for (const boost::shared_ptr<ICIMInstance>& instance : instances) writer.Write(*instance);
  }
  return std::move(writer.Text());
}

}  // namespace NVKXQZA20::NRedaction
