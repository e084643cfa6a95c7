#include "tool/collections.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <future>
#include <thread>
#include <utility>

#include "core/mof_reader.h"
#include "tool/machine_collections.h"
#include "machine/sos_archive.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;

std::vector<std::string> SchemaFilesOf(const std::string& folder) {
  fs::path top = fs::path(folder) / "schema.mof";
  if (fs::exists(top)) return {top.string()};
  std::vector<std::string> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".mof") files.push_back(entry.path().string());
  }
  if (error) throw TMofError(folder, 0, 0, "cannot read the schema folder: " + error.message());
  std::sort(files.begin(), files.end());
  return files;
}

namespace {

// What loading one collection left: its warnings in the order the reader
// gave them, its instance count, and the error that stopped it, if any.
struct TCollectionLoad {
  std::vector<std::pair<EMofWarning, std::string>> fWarnings;
  size_t fInstanceCount = 0;
  std::exception_ptr fError;
};

// Collections loading side by side share the cores for reading ahead.
unsigned ReadAheadThreads(size_t sideBySide) {
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::max<size_t>(1, cores / std::max<size_t>(1, sideBySide)));
}

// Loads the schema and then collection `index` into its data source, beside
// sideBySide - 1 other loads. report hears each warning as the reader gives it.
size_t LoadCollection(const TLoadSettings& settings, size_t index, size_t sideBySide,
                      const boost::shared_ptr<TMemoryNamespace>& ns, const TCIMContext& context,
                      const std::function<void(EMofWarning, const std::string&)>& report) {
  TMofReader reader(ns, context);
  reader.SetWarningCallback([&report](EMofWarning kind, const TMofError& warning) { report(kind, warning.what()); });
  if (!settings.fStrict) reader.SkipUndeclaredInstances();
  reader.SetStrict(settings.fStrict);
  reader.SetReadAhead(ReadAheadThreads(sideBySide));
  for (const std::string& folder : settings.fIncludeFolders) reader.AllowIncludesBelow(folder);
  for (const std::string& schema : settings.fSchemaFiles) reader.AllowIncludesBelow(fs::path(schema).parent_path());
  for (const std::string& schema : settings.fSchemaFiles) reader.LoadFile(schema);
  if (!settings.fSchemaText.empty()) reader.LoadText(settings.fSchemaText, "(built-in schema)");
  const std::string& collection = settings.fCollections[index];
  if (!settings.fTexts.empty()) {
    reader.LoadText(settings.fTexts.at(index), collection);
  } else if (NMachine::LooksLikeSosReport(collection)) {
    reader.LoadText(CollectSosReport(collection, settings.fLogBytes, settings.fProgress).Text(), collection);
  } else {
    reader.LoadFile(collection);
  }
  return reader.GetInstanceCount();
}

TCIMContext ContextOf(uint16_t dataSource) {
  TCIMContext context;
  context["nsIndex"] = TCIMValue(dataSource);
  return context;
}

// Collections that may load at the same time: plain files (a sos report is
// collected with progress reports, which must not interleave).
bool MayLoadInParallel(const TLoadSettings& settings) {
  if (!settings.fParallel || settings.fCollections.size() < 2) return false;
  return !settings.fTexts.empty() ||
         std::none_of(settings.fCollections.begin(), settings.fCollections.end(), NMachine::LooksLikeSosReport);
}

void LoadOneAfterTheOther(const TLoadSettings& settings, TLoadedCollections& loaded) {
  auto warn = [&settings](EMofWarning kind, const std::string& warning) {
    if (settings.fWarn) settings.fWarn(kind, warning);
  };
  for (size_t i = 0; i < settings.fCollections.size(); ++i) {
    TCIMContext context = ContextOf(i == 0 ? uint16_t(0) : loaded.fNamespace->AddDataSource());
    loaded.fInstanceCount += LoadCollection(settings, i, 1, loaded.fNamespace, context, warn);
    if (i == 0) loaded.fClassCount = loaded.fNamespace->GetClassCount(context);
  }
}

// Each collection has its own data source and reader, so they load side by
// side; their warnings are then passed on, and the first error rethrown, as
// loading them one after the other would have.
void LoadSideBySide(const TLoadSettings& settings, TLoadedCollections& loaded) {
  std::vector<TCIMContext> contexts{ContextOf(0)};
  for (size_t i = 1; i < settings.fCollections.size(); ++i) {
    contexts.push_back(ContextOf(loaded.fNamespace->AddDataSource()));
  }
  std::vector<TCollectionLoad> loads(settings.fCollections.size());
  auto load = [&](size_t i) {
    try {
      loads[i].fInstanceCount = LoadCollection(settings, i, loads.size(), loaded.fNamespace, contexts[i],
                                               [&loads, i](EMofWarning kind, const std::string& warning) {
                                                 loads[i].fWarnings.emplace_back(kind, warning);
                                               });
    } catch (...) {
      loads[i].fError = std::current_exception();
    }
  };
  {
    std::vector<std::future<void>> others;
    for (size_t i = 1; i < loads.size(); ++i) others.push_back(std::async(std::launch::async, load, i));
    load(0);
  }  // the futures wait for their collections here
  for (size_t i = 0; i < loads.size(); ++i) {
    for (const std::pair<EMofWarning, std::string>& warning : loads[i].fWarnings) {
      if (settings.fWarn) settings.fWarn(warning.first, warning.second);
    }
    if (loads[i].fError) std::rethrow_exception(loads[i].fError);
    loaded.fInstanceCount += loads[i].fInstanceCount;
  }
  loaded.fClassCount = loaded.fNamespace->GetClassCount(contexts[0]);
}

}  // namespace

namespace {
bool gLeaveRepositoriesAtExit = false;
}  // namespace

void LeaveRepositoriesAtExit() { gLeaveRepositoriesAtExit = true; }

// Held from a static to the end, so that leak checkers find them reachable.
void LeaveAtExit(const TLoadedCollections& loaded) {
  static auto* const left = new std::vector<boost::shared_ptr<TMemoryNamespace>>;
  if (gLeaveRepositoriesAtExit) left->push_back(loaded.fNamespace);
}

TLoadedCollections LoadCollections(const TLoadSettings& settings) {
  TLoadedCollections loaded;
  loaded.fNamespace = TMemoryNamespace::Create();
  if (MayLoadInParallel(settings)) {
    LoadSideBySide(settings, loaded);
  } else {
    LoadOneAfterTheOther(settings, loaded);
  }
  return loaded;
}
