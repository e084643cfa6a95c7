// What the stages of the MOF reader share: what is learnt of classes as
// their instances are read, instances and pieces of text read ahead, and
// the reader's load and source parser, whose members the stage files define.
#ifndef QZA_CORE_MOF_LOAD_H
#define QZA_CORE_MOF_LOAD_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/mof_lexer.h"
#include "core/mof_reader.h"
#include "core/mof_values.h"

namespace NVKXQZA20 {
namespace NMofReading {

namespace fs = std::filesystem;

struct TPropertyInfo {
  std::string fName;  // as declared
  ECIMType fType;
  bool fIsArray;
  bool fIsKey;
  bool fAffectsPath;  // a key, or any property of a class without keys
  size_t fSlot;       // index into the class's fLastSet
};
struct TClassInfo {
  boost::shared_ptr<ICIMClass> fClass;
  std::string fName;
  // The rest is learnt when the first instance of the class is read.
  bool fPrepared = false;
  bool fAbstract = false;
  // By the spelling in the MOF text; filled as instances name properties.
  std::unordered_map<std::string, TPropertyInfo> fProperties;
  // Per declared property, by lower-case name: its slot.
  std::unordered_map<std::string, size_t> fSlots;
  // Per slot: the serial number of the last instance that set the property.
  std::vector<uint64_t> fLastSet;
  std::vector<bool> fIsKey;
  std::vector<bool> fAffectsPath;
  // Key properties without a default, which every instance must set.
  std::vector<std::pair<size_t, std::string>> fRequiredKeys;
  // The most values an instance read ahead has set: room made at once.
  size_t fMostValues = 0;
};

// What the reader learns of classes as their instances are read, by the
// class name as written. Each thread that reads instances keeps its own.
class TClassCache {
 public:
  TClassCache(boost::shared_ptr<TMemoryNamespace> ns, const TCIMContext& context)
      : fNamespace(std::move(ns)), fContext(context) {}

  // Empty pointer for a class not declared.
  TClassInfo* Find(const std::string& name);
  void Prepare(TClassInfo& cls);
  // Class declarations changed: what was learnt is stale. Infos of classes
  // with instances live on with the cache, as those instances and their
  // references by alias still point into them.
  void Clear() {
    for (auto& known : fClasses) {
      if (known.second->fPrepared) fStale.push_back(std::move(known.second));
    }
    fClasses.clear();
  }
  uint64_t NextInstanceSerial() { return ++fInstanceSerial; }

 private:
  boost::shared_ptr<TMemoryNamespace> fNamespace;
  const TCIMContext& fContext;
  std::unordered_map<std::string, std::unique_ptr<TClassInfo>> fClasses;
  std::vector<std::unique_ptr<TClassInfo>> fStale;
  uint64_t fInstanceSerial = 0;
};

// A property value as read: a value, or a reference by alias.
struct TRecordedValue {
  const TPropertyInfo* fProperty;
  TCIMValue fValue;
  std::string fAlias;  // "" unless a reference by alias
  TPosition fAt;
};

// An instance read ahead of the thread that adds it.
struct TInstanceRecord {
  TClassInfo* fClass = nullptr;  // none: of an undeclared class, skipped
  std::string fClassName;        // of an undeclared class
  TPosition fClassAt;
  std::string fAlias;  // "" for none
  TPosition fAliasAt;
  std::vector<TPropertySetting> fSettings;  // by position
  std::vector<TRecordedValue> fReferences;  // by alias, in text order
};

// A piece of a text read ahead: its instances from fBegin up to the first
// production at or after fLimit, or up to fStop, where something other than
// an instance, or an error, leaves the rest to the reader.
struct TTextPiece {
  TTextPiece(const char* begin, const char* limit, TPosition at) : fBegin(begin), fLimit(limit), fAt(at) {}

  const char* fBegin;
  const char* fLimit;
  TPosition fAt;  // of fBegin: the text's own for the first piece, line 1 for the others
  std::vector<TInstanceRecord> fRecords;
  const char* fStop = nullptr;
  TPosition fStopAt;
  bool fComplete = false;
  bool fRead = false;
};

// Thrown where text read ahead needs the reader's own state.
struct TLeftToReader {};

// A qualifier list as written, with the place of each qualifier, the
// scopes its type allows (all for an undeclared one) and whether its flavor
// is DisableOverride.
struct TQualifierList {
  std::vector<TQualifierValue> fValues;
  std::vector<TPosition> fPositions;
  std::vector<unsigned> fScopes;
  std::vector<bool> fFixed;
};

// Where the parts of a property declaration are, for messages, with its
// qualifiers' DisableOverride flavors.
struct TFeaturePlaces {
  TPosition fType;
  TPosition fName;
  std::vector<TPosition> fQualifiers;
  std::vector<bool> fFixed;
};

}  // namespace NMofReading

// The reader's own classes below, and the stage files that define their
// members, name the stages' types and helpers without qualification.
using namespace NMofReading;

// The state of one Load call: the files being read, aliases, references
// waiting for the end of the load, the instances made and their classes.
class TMofReader::TLoad {
 public:
  typedef ::NVKXQZA20::TPropertyInfo TPropertyInfo;
  typedef ::NVKXQZA20::TClassInfo TClassInfo;

  explicit TLoad(TMofReader& reader, const std::string& start);

  TMofReader& Reader() { return fReader; }
  // text[size] must be '\0'; key is the file's FileKey.
  // mapped: text is a mapping of the file, whose pages read may be let go.
  void ReadSource(const char* text, size_t size, const std::string& file, const std::string& key, bool mapped);
  void Include(const std::string& relative, const TLexer& from, TPosition at);
  // After the last source: sets the references by alias and replaces
  // instances by later ones of the same path.
  void Finish();

  TClassCache& Classes() { return fClasses; }
  // A cache for a thread that reads instances ahead; it lives as long as
  // the load, as the property infos of the instances it read must.
  TClassCache& NewReaderCache();

  struct TPlace {
    size_t fFile;  // index into fFiles
    TPosition fAt;
  };
  TPlace Place(const std::string& file, TPosition at) { return TPlace{FileIndex(file), at}; }
  void DefineAlias(const std::string& name, boost::shared_ptr<ICIMInstance> instance, const TPlace& place);
  // property lives as long as the load (it is a TPropertyInfo's name).
  void AddPendingReference(boost::shared_ptr<ICIMInstance> instance, const TPropertyInfo& property,
                           const std::string& alias, const TPlace& place);
  void AddInstance(boost::shared_ptr<ICIMInstance> instance, const TClassInfo& cls, const TPlace& place);
  const TQualifierTraits& Traits(const TQualifierType& type);
  // A qualifier type was replaced.
  void ForgetQualifierTraits() { fQualifierTraits.clear(); }

 private:
  struct TAlias {
    enum EState { kOpen, kResolving, kDone };
    boost::shared_ptr<ICIMInstance> fInstance;
    std::string fName;     // as written
    TCIMValue fReference;  // its path, taken once its reference keys are set
    EState fState = kOpen;
    int fDepth = 0;        // how deep references nest in its keys
    size_t fPathBytes = 0;
  };
  struct TPendingReference {
    boost::shared_ptr<ICIMInstance> fInstance;
    const TPropertyInfo* fProperty;
    std::string fAlias;
    // Found when the alias was defined before its use, while the map is
    // still in the cache; forward references are looked up at the end.
    TAlias* fTarget;
    TPlace fPlace;
    bool fDone;
  };
  struct TCreated {
    boost::shared_ptr<ICIMInstance> fInstance;
    const std::string* fClassName;
    TPlace fPlace;
  };

  size_t FileIndex(const std::string& file);
  TAlias* FindAlias(const std::string& name);
  bool MayInclude(const fs::path& path) const;
  bool IsBelowAllowed(const std::string& path) const;
  [[noreturn]] void Refuse(const std::string& relative, const TLexer& from, TPosition at) const;
  [[noreturn]] void Fail(const TPlace& place, const std::string& problem) const;
  std::string PlaceText(const TPlace& place) const;
  void SetReference(TPendingReference& pending, int depth);
  const TAlias& ResolvedAlias(TAlias& alias, const TPendingReference& use, int depth);
  void ReplaceDuplicates();

  TMofReader& fReader;
  std::vector<std::string> fAllowedFolders;  // canonical: the start's folder and the reader's
  std::vector<std::string> fIncludeKeys;     // the files being read, outermost first
  std::vector<std::string> fIncludeNames;    // the same as messages name them
  std::vector<TPlace> fIncludeSites;         // the include of each file but the first
  std::vector<std::string> fFiles;           // every file read, for places named later
  TClassCache fClasses;
  std::vector<std::unique_ptr<TClassCache>> fReaderCaches;
  std::unordered_map<std::string, TAlias> fAliases;  // by lower-case name
  std::deque<TPendingReference> fPending;
  size_t fTextBytes = 0;       // of every file read
  size_t fReferenceBytes = 0;  // of every object path set by alias
  // For each instance with references by alias among its path's
  // properties, the positions of those in fPending.
  std::unordered_map<const ICIMInstance*, std::vector<size_t>> fKeyReferences;
  std::vector<TCreated> fCreated;
  std::unordered_map<std::string, TQualifierTraits> fQualifierTraits;  // by declared name
  // The text of each include depth, reused by the files read at that depth.
  std::deque<std::vector<char>> fBuffers;
};

// Reads the productions of one source text.
class TMofReader::TSourceParser {
 public:
  TSourceParser(TLoad& load, const char* text, size_t size, const std::string& file)
      : fLoad(load), fReader(load.Reader()), fClasses(load.Classes()), fNamespace(fReader.fNamespace),
        fLexer(text, size, file) {}
  // Reads on from a token of a text (see TLexer), learning of classes in classes.
  TSourceParser(TLoad& load, TClassCache& classes, const char* token, TPosition at, const char* end,
                const std::string& file)
      : fLoad(load), fReader(load.Reader()), fClasses(classes), fNamespace(fReader.fNamespace),
        fLexer(token, at, end, file) {}

  // The text is a file's mapping: pages read ahead and added are let go.
  void SetMapped(bool mapped) { fMapped = mapped; }

  // Where reading ahead handed the text back, this thread reads alone for
  // a piece's length, so that productions the threads leave to it cost no
  // more than a piece read ahead again.
  void Run() {
    try {
      const char* readAlone = nullptr;
      while (Current().fKind != ETokenKind::End) {
        if (fLexer.TokenStart() >= readAlone && MayReadAhead()) {
          ReadAhead();
          const size_t rest = fLexer.End() - fLexer.TokenStart();
          readAlone = fLexer.TokenStart() + std::min(rest, fReader.fReadAheadBytes);
          continue;
        }
        ParseProduction();
      }
    } catch (const TQZAException& e) {
      // A refusal that no production turned into a message of its own.
      std::string detail = e.GetDetail().empty() ? "" : " (" + e.GetDetail() + ")";
      Fail(Current().fAt, std::string("repository error: ") + e.what() + detail);
    } catch (const std::logic_error& e) {
      // A fault of the reader's own still names the place it met.
      Fail(Current().fAt, std::string("cannot read on here: ") + e.what());
    }
  }

 private:
  // What a value is for, named in messages.
  struct TTarget {
    const char* fWhat;
    const std::string& fName;
    ECIMType fType;
    bool fIsArray;
  };

  const TToken& Current() const { return fLexer.Current(); }
  void Advance() { fLexer.Advance(); }
  [[noreturn]] void Fail(TPosition at, const std::string& problem) const { fLexer.Fail(at, problem); }
  std::string PlaceOf(TPosition at) const {
    return fLexer.GetFile() + ":" + std::to_string(at.fLine) + ":" + std::to_string(at.fColumn);
  }
  void Warn(EMofWarning kind, TPosition at, const std::string& problem) const {
    fReader.Warn(kind, TMofError(fLexer.GetFile(), at.fLine, at.fColumn, problem));
  }

  bool IsPunct(char c) const { return Current().fKind == ETokenKind::Punct && *Current().fBegin == c; }
  bool IsKeyword(const char* keyword) const {
    return Current().fKind == ETokenKind::Identifier && EqualsNoCase(Current().fBegin, Current().fEnd, keyword);
  }
  void Expect(char c, const char* context) {
    if (!IsPunct(c)) Fail(fLexer.AfterPrevious(), std::string("expected '") + c + "' " + context);
    Advance();
  }
  void ExpectKeyword(const char* keyword, const char* spelling, const char* context) {
    if (!IsKeyword(keyword)) Fail(Current().fAt, std::string("expected '") + spelling + "' " + context);
    Advance();
  }
  std::string TakeIdentifier(const char* expected) {
    if (Current().fKind != ETokenKind::Identifier) Fail(Current().fAt, std::string("expected ") + expected);
    std::string name(Current().fBegin, Current().fEnd);
    Advance();
    return name;
  }

  void ParseProduction();
  void ParsePragma();
  void SkipPragmaParameters(int open);
  void WarnOfNamespace(TPosition at);
  void ParseQualifierDeclaration();
  void DeclareQualifierType(const TQualifierType& type, TPosition at);
  template <size_t N>
  std::vector<std::string> ParseNameList(const char* const (&table)[N], const char* keyword, const char* item);
  TQualifierList ParseQualifierList();
  std::vector<std::string> ParseFlavors();
  void ParseQualifier(TQualifierList& list);
  TCIMValue UndeclaredQualifierValue(const std::string& name, TPosition at, bool hasValue,
                                     const TInitializer& initializer);
  void CheckScopes(const TQualifierList& list, const char* scope) const;
  void ParseClass(TQualifierList qualifiers);
  const char* ClassScope(const TClassDeclaration& declaration);
  void ParseFeature(TClassDeclaration& declaration, std::vector<TFeaturePlaces>& places);
  void ParseTypeSpec(ECIMType& type, std::string& referenceClass, const char* expected);
  bool ParseArraySuffix();
  void SkipMethodParameters();
  void DeclareClass(TClassDeclaration declaration, TPosition namePosition, TPosition superPosition,
                    const TQualifierList& qualifiers, const std::vector<TFeaturePlaces>& places);
  void CheckOverrides(const TClassDeclaration& declaration, const TQualifierList& qualifiers,
                      const std::vector<TFeaturePlaces>& places);
  void CheckSubclasses(const TClassDeclaration& declaration, TPosition at);
  // The qualifier a superclass or overridden property has, by name.
  typedef std::function<boost::shared_ptr<ICIMQualifier>(const std::string&, bool&)> TInheritedQualifier;
  void CheckFixedQualifiers(const std::vector<TQualifierValue>& own, const std::vector<TPosition>& positions,
                            const std::vector<bool>& fixed, const std::string& property, const std::string& super,
                            const TInheritedQualifier& inherited);
  bool WrittenFixed(const std::string& className, const std::string& property, const std::string& qualifier) const;
  void ParseInstance();
  TClassInfo* ParseInstanceClass(TPosition& classPosition);
  // With the values read ahead, if any.
  boost::shared_ptr<ICIMInstance> CreateInstance(const TClassInfo& cls, TPosition at,
                                                 std::vector<TPropertySetting> settings = {});
  std::string ParseAlias(TPosition& at);
  template <typename TTake>
  void ParseInstanceBody(TClassInfo& cls, TPosition classPosition, const TTake& take);
  void ParseUndeclaredInstance(TPosition classPosition, TInstanceRecord* record);
  void WarnOfUndeclared(const std::string& className, TPosition at) const;
  void SkipValueQualifiers();
  template <typename TTake>
  void ParsePropertyValue(TClassInfo& cls, uint64_t serial, const TTake& take);
  const TPropertyInfo& FindProperty(TClassInfo& cls);
  void Apply(const boost::shared_ptr<ICIMInstance>& instance, TRecordedValue& value);

  bool MayReadAhead() const;
  void ReadAhead();
  void ReadPiece(TTextPiece& piece, TClassCache& classes);
  void RecordPiece(TTextPiece& piece);
  void Commit(TInstanceRecord& record, int lineShift);
  void LetGo(const char* begin, const char* end);

  void ParseInitializer(TInitializer& initializer);
  void ParseLiteral(TLiteral& literal);
  void ParseStringLiteral(std::string& text);

  TCIMValue Value(const TInitializer& initializer, const TTarget& target, bool scalarMayFillArray = false);
  TCIMValue ScalarValue(const TLiteral& literal, const TTarget& target);
  TCIMValue TextValue(const TLiteral& literal, const TTarget& target);
  TCIMValue UntypedValue(const TInitializer& initializer, const std::string& qualifier);
  ECIMType CommonType(const std::vector<TLiteral>& elements);
  [[noreturn]] void FailValue(TPosition at, const TTarget& target, const std::string& reason) const;

  TLoad& fLoad;
  TMofReader& fReader;
  TClassCache& fClasses;
  boost::shared_ptr<ICIMNamespace> fNamespace;  // for object paths
  TLexer fLexer;
  bool fReadingAhead = false;  // on a thread of its own, recording instances
  bool fMapped = false;
  // Reused for every property of the instances, so that reading one
  // allocates only what the repository keeps.
  std::string fName;
  TInitializer fValue;
  TInitializer fQualifierValue;  // likewise for each qualifier
};

}  // namespace NVKXQZA20

#endif
