// The MOF reader's load: includes, aliases and the references they set,
// instances replaced by later ones of one path, and the reader's entries.
#include "core/mof_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/mof_file_text.h"
#include "core/mof_load.h"
#include "core/parallel.h"

namespace NVKXQZA20 {

namespace {

std::string PlaceText(const std::string& file, int line, int column) {
  if (line == 0) return file + ": ";
  return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
}

}  // namespace

TMofError::TMofError(const std::string& file, int line, int column, const std::string& problem)
    : std::runtime_error(PlaceText(file, line, column) + problem),
      fFile(file),
      fLine(line),
      fColumn(column),
      fProblem(problem) {}

// ------------------------------------------------------------------------ load

namespace {

// What all object paths set by alias in one load may add up to: at least
// this, or this many bytes for each byte of text read.
const size_t kMinReferenceBytes = size_t(256) << 20;
const size_t kReferenceBytesPerTextByte = 64;

// The folder below which a path lies, in canonical form ("" when it cannot be told).
std::string CanonicalFolder(const fs::path& folder) {
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(fs::absolute(folder, error), error);
  return error ? "" : canonical.string();
}

// A folder as written (absolute) and with its links resolved: names are
// checked against the first before opening, real paths against the second.
void AddFolderForms(const fs::path& folder, std::vector<std::string>& folders) {
  std::error_code error;
  for (const std::string& form : {fs::absolute(folder, error).lexically_normal().string(), CanonicalFolder(folder)}) {
    std::string trimmed = form.size() > 1 && form.back() == '/' ? form.substr(0, form.size() - 1) : form;
    if (!trimmed.empty() && std::find(folders.begin(), folders.end(), trimmed) == folders.end()) {
      folders.push_back(trimmed);
    }
  }
}

bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  if (folder == "/") return true;
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

TMofReader::TLoad::TLoad(TMofReader& reader, const std::string& start)
    : fReader(reader), fAllowedFolders(reader.fAllowedFolders), fClasses(reader.fNamespace, reader.fContext) {
  // A bare file name lies in the current folder.
  const fs::path folder = fs::path(start).parent_path();
  AddFolderForms(folder.empty() ? fs::path(".") : folder, fAllowedFolders);
}

size_t TMofReader::TLoad::FileIndex(const std::string& file) {
  if (fFiles.empty() || fFiles.back() != file) fFiles.push_back(file);
  return fFiles.size() - 1;
}

std::string TMofReader::TLoad::PlaceText(const TPlace& place) const {
  return fFiles[place.fFile] + ":" + std::to_string(place.fAt.fLine) + ":" + std::to_string(place.fAt.fColumn);
}

void TMofReader::TLoad::Fail(const TPlace& place, const std::string& problem) const {
  throw TMofError(fFiles[place.fFile], place.fAt.fLine, place.fAt.fColumn, problem);
}

void TMofReader::TLoad::ReadSource(const char* text, size_t size, const std::string& file, const std::string& key,
                                   bool mapped) {
  std::string decoded;
  std::string problem = TakeUtf8(text, size, decoded);
  if (!problem.empty()) throw TMofError(file, 0, 0, problem);
  fTextBytes += size;
  fReader.fReadFiles.insert(key);
  fIncludeKeys.push_back(key);
  fIncludeNames.push_back(file);
  TSourceParser parser(*this, text, size, file);
  parser.SetMapped(mapped && decoded.empty());
  parser.Run();
  fIncludeKeys.pop_back();
  fIncludeNames.pop_back();
}

// Symbolic links are followed before the check, so that none leads out.
bool TMofReader::TLoad::MayInclude(const fs::path& path) const { return IsBelowAllowed(CanonicalFolder(path)); }

bool TMofReader::TLoad::IsBelowAllowed(const std::string& path) const {
  for (const std::string& folder : fAllowedFolders) {
    if (IsBelow(path, folder)) return true;
  }
  return false;
}

void TMofReader::TLoad::Refuse(const std::string& relative, const TLexer& from, TPosition at) const {
  std::string folders;
  for (const std::string& folder : fAllowedFolders) folders += (folders.empty() ? "" : ", ") + folder;
  from.Fail(at, "include of '" + relative + "' refused: a collection reads only files below " + folders);
}

// Nothing of a refused file is read, and messages never tell whether it
// exists.
void TMofReader::TLoad::Include(const std::string& relative, const TLexer& from, TPosition at) {
  std::string portable(relative);
  for (char& c : portable) {
    if (c == '\\') c = '/';
  }
  fs::path path = fs::path(from.GetFile()).parent_path() / portable;
  if (fs::path(portable).is_absolute()) path = portable;
  std::string file = path.lexically_normal().string();
  // By name first, touching nothing; by the opened file's real path after,
  // so that no symbolic link leads out (resolving every name before opening
  // would cost a call per folder of each of the schema's many includes).
  std::error_code error;
  const std::string absolute = path.is_absolute() ? file : fs::absolute(path, error).lexically_normal().string();
  if (!IsBelowAllowed(absolute)) Refuse(relative, from, at);
  if (fIncludeSites.size() + 1 >= static_cast<size_t>(kMaxIncludeDepth)) {
    Fail(fIncludeSites.front(), "includes nest deeper than " + std::to_string(kMaxIncludeDepth) +
                                    " files, down to '" + file + "'");
  }
  std::string key = FileKey(path);
  for (size_t i = 0; i < fIncludeKeys.size(); ++i) {
    if (fIncludeKeys[i] != key) continue;
    std::string chain;
    for (size_t j = i; j < fIncludeNames.size(); ++j) chain += fIncludeNames[j] + " -> ";
    from.Fail(at, "include cycle: " + chain + file);
  }
  if (fReader.fReadFiles.count(key)) return;
  TFileText text;
  TFileText::EOpened opened = text.Open(file);
  const std::string real = text.RealPath();
  bool inside = opened != TFileText::kUnreadable && !real.empty() ? IsBelowAllowed(real) : MayInclude(path);
  if (!inside) Refuse(relative, from, at);
  if (opened == TFileText::kNotRegular) from.Fail(at, "include file '" + file + "' is not a regular file");
  if (fBuffers.size() <= fIncludeSites.size()) fBuffers.resize(fIncludeSites.size() + 1);
  if (opened == TFileText::kUnreadable || !text.Read(&fBuffers[fIncludeSites.size()])) {
    from.Fail(at, "cannot read include file '" + file + "'");
  }
  fIncludeSites.push_back(TPlace{FileIndex(from.GetFile()), at});
  ReadSource(text.Data(), text.Size(), file, key, text.IsMapped());
  fIncludeSites.pop_back();
}

TClassInfo* TClassCache::Find(const std::string& name) {
  auto known = fClasses.find(name);
  if (known != fClasses.end()) return known->second.get();
  std::unique_ptr<TClassInfo> info(new TClassInfo);
  try {
    info->fClass = fNamespace->GetClass(name, fContext);
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZANotFound) return nullptr;
    throw;
  }
  info->fName = info->fClass->GetName(fContext);
  return fClasses.emplace(name, std::move(info)).first->second.get();
}

// What instances of the class need: which properties are keys, which make
// the path, which keys must be given, whether it may have instances at all.
void TClassCache::Prepare(TClassInfo& cls) {
  const TCIMContext& context = fContext;
  cls.fAbstract = ClassQualifierIsTrue(*cls.fClass, "Abstract", context);
  std::vector<boost::shared_ptr<ICIMPropertyDecl>> declarations = cls.fClass->GetPropertyDecls(context);
  bool keyless = true;
  for (size_t slot = 0; slot < declarations.size(); ++slot) {
    const ICIMPropertyDecl& declaration = *declarations[slot];
    bool isKey = HasTrueQualifier(declaration.GetQualifiers(context), "Key");
    keyless = keyless && !isKey;
    cls.fSlots.emplace(Lower(declaration.GetName(context)), slot);
    cls.fIsKey.push_back(isKey);
    if (isKey && declaration.GetDefaultValue(context).IsNull()) {
      cls.fRequiredKeys.emplace_back(slot, declaration.GetName(context));
    }
  }
  cls.fAffectsPath = keyless ? std::vector<bool>(declarations.size(), true) : cls.fIsKey;
  cls.fLastSet.assign(declarations.size(), 0);
  cls.fPrepared = true;
}

const TQualifierTraits& TMofReader::TLoad::Traits(const TQualifierType& type) {
  auto known = fQualifierTraits.find(type.fName);
  if (known != fQualifierTraits.end()) return known->second;
  return fQualifierTraits.emplace(type.fName, TraitsOf(type)).first->second;
}

TClassCache& TMofReader::TLoad::NewReaderCache() {
  fReaderCaches.emplace_back(new TClassCache(fReader.fNamespace, fReader.fContext));
  return *fReaderCaches.back();
}

void TMofReader::TLoad::DefineAlias(const std::string& name, boost::shared_ptr<ICIMInstance> instance,
                                    const TPlace& place) {
  TAlias alias;
  alias.fInstance = std::move(instance);
  alias.fName = name;
  if (!fAliases.emplace(Lower(name), std::move(alias)).second) {
    Fail(place, "alias $" + name + " is already defined");
  }
}

TMofReader::TLoad::TAlias* TMofReader::TLoad::FindAlias(const std::string& name) {
  auto found = fAliases.find(Lower(name));
  return found == fAliases.end() ? nullptr : &found->second;
}

void TMofReader::TLoad::AddPendingReference(boost::shared_ptr<ICIMInstance> instance, const TPropertyInfo& property,
                                            const std::string& alias, const TPlace& place) {
  if (property.fAffectsPath) fKeyReferences[instance.get()].push_back(fPending.size());
  fPending.push_back(TPendingReference{instance, &property, alias, FindAlias(alias), place, false});
}

void TMofReader::TLoad::AddInstance(boost::shared_ptr<ICIMInstance> instance, const TClassInfo& cls,
                                    const TPlace& place) {
  fCreated.push_back(TCreated{std::move(instance), &cls.fName, place});
}

void TMofReader::TLoad::Finish() {
  for (TPendingReference& pending : fPending) {
    if (!pending.fDone) SetReference(pending, 0);
  }
  fPending.clear();
  fKeyReferences.clear();
  ReplaceDuplicates();
}

// Sets the reference to the path of the alias's instance. depth counts the
// paths being taken around it, each waiting for this one.
void TMofReader::TLoad::SetReference(TPendingReference& pending, int depth) {
  TAlias* alias = pending.fTarget != nullptr ? pending.fTarget : FindAlias(pending.fAlias);
  const std::string& property = pending.fProperty->fName;
  if (alias == nullptr) Fail(pending.fPlace, "unknown alias $" + pending.fAlias);
  if (!alias->fInstance) {
    pending.fDone = true;
    fReader.Warn(EMofWarning::UnsetReference,
                 TMofError(fFiles[pending.fPlace.fFile], pending.fPlace.fAt.fLine, pending.fPlace.fAt.fColumn,
                           "reference '" + property + "' to skipped $" + pending.fAlias + " left unset"));
    return;
  }
  // Done only now: meeting this reference again while its target's path is
  // being taken means that the keys form a cycle.
  const TAlias& target = ResolvedAlias(*alias, pending, depth);
  pending.fDone = true;
  // Each path is bounded, but a few long ones used many times would make
  // every later step (paths, duplicates, comparisons) take minutes and
  // gigabytes: all of them together are bounded by what the text can need.
  fReferenceBytes += target.fPathBytes;
  const size_t budget = std::max(kMinReferenceBytes, kReferenceBytesPerTextByte * fTextBytes);
  if (fReferenceBytes > budget) {
    Fail(pending.fPlace, "the object paths set by alias add up to more than " + std::to_string(budget >> 20) +
                             " MB, more than a collection of this size can need");
  }
  try {
    pending.fInstance->SetPropertyValue(property, target.fReference, fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(pending.fPlace, "cannot set reference '" + property + "' to $" + pending.fAlias + ": " + e.what());
  }
}

// The alias with its path taken, once the references among its instance's
// keys are set: an association keyed by other associations gets their
// whole paths, whatever the order of the instances.
const TMofReader::TLoad::TAlias& TMofReader::TLoad::ResolvedAlias(TAlias& alias, const TPendingReference& use,
                                                                  int depth) {
  if (alias.fState == TAlias::kDone) return alias;
  if (alias.fState == TAlias::kResolving) {
    Fail(use.fPlace, "the keys of $" + alias.fName + " refer back to it through references (a cycle)");
  }
  if (depth > kMaxKeyReferenceDepth) {
    Fail(use.fPlace, "references nest more than " + std::to_string(kMaxKeyReferenceDepth) +
                         " deep in object paths (from $" + alias.fName + ")");
  }
  alias.fState = TAlias::kResolving;
  auto keys = fKeyReferences.find(alias.fInstance.get());
  if (keys != fKeyReferences.end()) {
    for (size_t index : keys->second) {
      TPendingReference& key = fPending[index];
      if (key.fDone) continue;
      SetReference(key, depth + 1);
    }
  }
  TCIMReference reference = alias.fInstance->GetReference(fReader.fContext);
  alias.fReference = TCIMValue(reference);
  alias.fPathBytes = alias.fReference.ToString().size();
  if (alias.fPathBytes > kMaxReferencePathBytes) {
    Fail(use.fPlace, "the object path of $" + alias.fName + " exceeds " +
                         std::to_string(kMaxReferencePathBytes >> 20) + " MB");
  }
  alias.fState = TAlias::kDone;
  return alias;
}

// A later instance with the path of an earlier one replaces it, as a CIM
// server's create-then-modify would; strict reading refuses it.
// Paths are kept as hashes only, sorted: a million path strings, or a hash
// map node per instance, cost more than the paths themselves. Only
// instances whose hashes meet have their paths compared.
void TMofReader::TLoad::ReplaceDuplicates() {
  const std::hash<std::string> hash;
  auto pathOf = [this](size_t i) { return fCreated[i].fInstance->GetReference(fReader.fContext).GetPath(); };
  std::vector<std::pair<size_t, size_t>> byHash(fCreated.size());  // hash, index
  // Taking the paths reads the instances only: the read-ahead threads may share it.
  InParallel(fCreated.size(), fReader.fReadAheadThreads, 1024, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) byHash[i] = std::make_pair(hash(pathOf(i)), i);
  });
  std::sort(byHash.begin(), byHash.end());
  std::vector<std::pair<size_t, size_t>> replacing;  // later index, the index it replaces
  for (auto run = byHash.begin(); run != byHash.end();) {
    auto runEnd = std::find_if(run, byHash.end(),
                               [run](const std::pair<size_t, size_t>& each) { return each.first != run->first; });
    std::vector<std::pair<std::string, size_t>> latest;  // each path of the run, with its latest instance
    for (auto member = run; runEnd - run > 1 && member != runEnd; ++member) {
      std::string path = pathOf(member->second);
      auto same = std::find_if(latest.begin(), latest.end(),
                               [&path](const std::pair<std::string, size_t>& each) { return each.first == path; });
      if (same == latest.end()) {
        latest.emplace_back(std::move(path), member->second);
      } else {
        replacing.emplace_back(member->second, same->second);
        same->second = member->second;
      }
    }
    run = runEnd;
  }
  std::sort(replacing.begin(), replacing.end());
  std::vector<boost::shared_ptr<ICIMInstance>> replaced;
  for (const std::pair<size_t, size_t>& pair : replacing) {
    const TCreated& created = fCreated[pair.first];
    const TCreated& earlier = fCreated[pair.second];
    std::string problem = "instance of " + *created.fClassName + " has the object path of the instance at " +
                          PlaceText(earlier.fPlace);
    if (fReader.fStrict) Fail(created.fPlace, problem);
    fReader.Warn(EMofWarning::DuplicateInstance,
                 TMofError(fFiles[created.fPlace.fFile], created.fPlace.fAt.fLine, created.fPlace.fAt.fColumn,
                           problem + ", which it replaces"));
    replaced.push_back(earlier.fInstance);
  }
  fReader.fNamespace->DeleteInstances(replaced, fReader.fContext);
  fReader.fInstanceCount -= replaced.size();
  fCreated.clear();
}

// ---------------------------------------------------------------------- reader

TMofReader::TMofReader(boost::shared_ptr<TMemoryNamespace> ns, TCIMContext context)
    : fNamespace(std::move(ns)), fContext(std::move(context)) {}

TMofReader::~TMofReader() {}

void TMofReader::AllowIncludesBelow(const std::string& folder) { AddFolderForms(folder, fAllowedFolders); }

void TMofReader::LoadFile(const std::string& path) {
  TFileText text;
  TFileText::EOpened opened = text.Open(path);
  if (opened == TFileText::kNotRegular) throw TMofError(path, 0, 0, "not a regular file");
  if (opened == TFileText::kUnreadable || !text.Read()) throw TMofError(path, 0, 0, "cannot read the file");
  Load(text.Data(), text.Size(), path, text.IsMapped());
}

void TMofReader::LoadText(const std::string& text, const std::string& name) {
  Load(text.c_str(), text.size(), name, false);
}

void TMofReader::Load(const char* text, size_t size, const std::string& name, bool mapped) {
  TLoad load(*this, name);
  load.ReadSource(text, size, name, FileKey(name), mapped);
  load.Finish();
}

}  // namespace NVKXQZA20
