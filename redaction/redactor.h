// Redaction: a collection that names none of its hosts, domains, addresses,
// MACs and WWNs, serials, asset tags, UUIDs, users nor the words the user
// gives, written back as a collection the engineer can still read and
// compare: one original gives one pseudonym everywhere (TPseudonyms keeps
// them, and a map file carries them to the next collection), addresses of
// one subnet stay in one, host names keep their domains.
//
// Typed first, text second: the properties of kRedactionRules are replaced
// by their kind's pseudonym; then every other string is searched, in one
// pass, for every original met anywhere in the collection and for the
// shapes of addresses (IPv4, IPv6, MAC, WWN, ip-10-1-2-3 host names), so
// that an address inside a log line gets the pseudonym of its table.
//
//   TPseudonyms names;
//   names.Load("fleet.map");
//   TRedaction redaction = Redact(*ns, context, names, {"acme"});
//   WriteWhole("out.mof", redaction.fText);
//   names.Save("fleet.map");
//
// The room uses the core only (the repository, values, MOF reading).
#ifndef QZA_REDACTION_REDACTOR_H
#define QZA_REDACTION_REDACTOR_H

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/repository.h"
#include "redaction/multi_matcher.h"
#include "redaction/pseudonyms.h"

namespace NVKXQZA20::NRedaction {

// A property that holds one kind of value: in instances of the class (or
// its subclasses; "" for every class). kIPv4, kIPv6 and kMAC stand for any
// network address: the value says which.
struct TRedactionRule {
  const char* fClass;
  const char* fProperty;
  EKind fKind;
};

extern const std::vector<TRedactionRule> kRedactionRules;

// Replaces values of one collection: first Learn every typed value of it,
// then Value or Text for what is written.
class TRedactor {
 public:
  TRedactor(TPseudonyms& pseudonyms, const std::vector<std::string>& keywords);

  // Gives every typed value of the data source its pseudonym, and makes
  // each original one the text search finds.
  void Learn(const TMemoryNamespace& ns, const TCIMContext& context);
  TCIMValue Value(const ICIMClass& cls, const std::string& property, const TCIMValue& value);
  std::string Text(std::string_view text);

 private:
  struct TOriginal {
    EKind fKind;
    bool fDashed;  // an IPv4 address written 10-1-2-3, as in host names
  };
  const std::vector<const TRedactionRule*>& RulesOf(const ICIMClass& cls);
  const TRedactionRule* RuleOf(const ICIMClass& cls, const std::string& property);
  void AddOriginal(EKind kind, const std::string& original);
  std::string Typed(EKind kind, std::string_view value);
  std::string Replacement(std::string_view text, size_t from, size_t& start, const TMatch& match);
  void ReplacePatterns(std::string_view text, std::string& out);

  TPseudonyms& fPseudonyms;
  TMultiMatcher fOriginals;
  std::vector<TOriginal> fKinds;  // by the matcher's id
  std::map<std::string, std::vector<const TRedactionRule*>> fRules;  // by class name
};

struct TRedaction {
  std::string fText;  // the collection as MOF
  std::map<EKind, size_t> fCounts;  // originals replaced, per kind
};

// The data source's instances, redacted, as MOF, with one more record in
// the collector's log ("QZA Error Log") that says what kinds were replaced
// and how many of each.
TRedaction Redact(const TMemoryNamespace& ns, const TCIMContext& context, TPseudonyms& pseudonyms,
                  const std::vector<std::string>& keywords);

}  // namespace NVKXQZA20::NRedaction

#endif
