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

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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
  // The value of a property (index: of its declaration in the class's
  // GetPropertyDecls) redacted; nothing when nothing in it is replaced.
  std::optional<TCIMValue> Value(const ICIMClass& cls, size_t index, const std::string& property,
                                 const TCIMValue& value);
  std::string Text(std::string_view text);

 private:
  struct TOriginal {
    EKind fKind;
    bool fDashed;  // an IPv4 address written 10-1-2-3, as in host names
  };
  // A property's texts met before (views into their originals, which the
  // entries keep alive) and what each became (nothing: unchanged); given up
  // for a property whose texts seldom repeat.
  struct TSeen {
    TCIMValue fOriginal;
    std::optional<TCIMValue> fRedacted;
  };
  struct TRepeats {
    std::unordered_map<std::string_view, TSeen> fSeen;
    size_t fLookups = 0;
    size_t fHits = 0;
  };
  // What a property's values get: its kind's pseudonym (a rule; null for
  // none), a search of the originals, and of shapes unless it has none.
  struct TPropertyRedaction {
    const TRedactionRule* fRule;
    bool fWithoutShapes;
    TRepeats fRepeats;
  };
  // The rules of a class, and what each property asked for gets.
  struct TClassRules {
    std::vector<const TRedactionRule*> fRules;
    std::vector<const TRedactionRule*> fTextRules;  // those whose property the class declares a string
    std::vector<std::optional<TPropertyRedaction>> fByIndex;  // by declaration, once asked
  };
  TClassRules& RulesOf(const ICIMClass& cls, const TCIMContext& context = TCIMContext());
  TPropertyRedaction& RedactionOf(const ICIMClass& cls, size_t index, const std::string& property);
  void AddOriginal(EKind kind, const std::string& original);
  void AddWWNSpellings(const std::string& original);
  void AddUUIDSpellings(const std::string& original);
  std::string Typed(EKind kind, std::string_view value);
  std::optional<TCIMValue> Redacted(TPropertyRedaction& redaction, const TCIMValue& text);
  std::optional<TCIMValue> RedactedValue(const TPropertyRedaction& redaction, std::string_view text);
  std::string TypedAddresses(EKind kind, std::string_view text, const std::vector<std::string_view>& addresses);
  std::string Replacement(std::string_view text, size_t from, size_t& start, const TMatch& match);
  // Appends the text redacted to out; false (and nothing appended) when
  // nothing is replaced. Without shapes, only the originals are searched.
  bool Replace(std::string_view text, std::string& out, bool shapes = true);
  bool ReplacePatterns(std::string_view text, std::string& out);

  TPseudonyms& fPseudonyms;
  TMultiMatcher fOriginals;
  std::vector<TOriginal> fKinds;  // by the matcher's id
  // By class; a class lives as long as the namespace redacted.
  std::unordered_map<const ICIMClass*, TClassRules> fRules;
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

// Several data sources (one context each) redacted alike: the typed values
// of all are learned before any is written, so that an original typed in
// one is found in the texts of every one, and texts equal in two stay
// equal. Their log records are equal too (the counts of all, one time), so
// that a comparison of the results shows the differences of the originals.
std::vector<TRedaction> Redact(const TMemoryNamespace& ns, const std::vector<TCIMContext>& contexts,
                               TPseudonyms& pseudonyms, const std::vector<std::string>& keywords);
// The same, each data source's text given to sink(index of its context,
// piece) piece by piece, never held whole; answers the counts.
std::map<EKind, size_t> Redact(const TMemoryNamespace& ns, const std::vector<TCIMContext>& contexts,
                               TPseudonyms& pseudonyms, const std::vector<std::string>& keywords,
                               const std::function<void(size_t, std::string_view)>& sink);

}  // namespace NVKXQZA20::NRedaction

#endif
