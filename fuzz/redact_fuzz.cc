// Fuzz target of `qzareport redact`, run in process: the bytes are one
// collection, redacted over the bundled schema with a map and a keyword
// into a scratch folder. Whatever the bytes, the tool ends with status 0 or
// 1 and a message for 1. On 0 the redacted collection loads strictly
// without a warning and holds every instance loaded from the bytes, and one
// record more (what was replaced), and the map is readable by its owner
// only; on 1 neither is left. (Bytes that load only with warnings may lose
// instances that would not load again: an association whose key named a
// skipped instance.) Nothing is written beside the scratch folder,
// and no staging file stays.
#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/private_folder.h"
#include "tool/bundled_data.h"
#include "tool/collections.h"
#include "tool/commands/redact_tool.h"

namespace fs = std::filesystem;
using namespace NFuzz;

namespace {

const fs::path& Root() { return PrivateFolder("redact"); }

fs::path Scratch() { return Root() / "scratch"; }

struct TLoaded {
  size_t fInstances;
  bool fWarned;
};

// The collection loaded as the tool loads it; strictly, any warning is
// an error too. Nothing when it does not load.
std::optional<TLoaded> Loaded(const std::string& file, bool strict) {
  TLoadSettings settings;
  settings.fCollections = {file};
  UseBundledSchema(settings);
  settings.fStrict = strict;
  std::string warnings;
  settings.fWarn = [&warnings](NVKXQZA20::EMofWarning, const std::string& warning) { warnings += warning + "\n"; };
  try {
    const size_t count = LoadCollections(settings).fInstanceCount;
    if (strict && !warnings.empty()) Violation("the redacted collection loads with warnings:\n" + warnings);
    return TLoaded{count, !warnings.empty()};
  } catch (const std::exception& e) {
    if (strict) Violation(std::string("the redacted collection does not load: ") + e.what());
    return std::nullopt;
  }
}

void CheckMap(const fs::path& map) {
  struct stat status;
  if (::stat(map.c_str(), &status) != 0) Violation("no map after a redaction");
  if ((status.st_mode & 0777) != 0600) Violation("the map is readable by others");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fs::create_directories(Scratch());
  const fs::path input = Scratch() / "in.mof", output = Scratch() / "out.mof", map = Scratch() / "fleet.map";
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const std::vector<std::string> arguments{"redact", input.string(), "-o", output.string(), "--map", map.string(),
                                           "--keyword", "Keelson", "-q"};
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out, err;
  const int status = RunRedactTool(static_cast<int>(argv.size()), argv.data(), out, err);
  if (status != 0 && status != 1) Violation("exit status " + std::to_string(status));
  if (status != 0 && err.str().empty()) Violation("failed without a message");
  if (fs::exists(output) != (status == 0)) Violation("the redacted collection does not match the exit status");
  std::set<std::string> expected{"in.mof"};
  if (status == 0) {
    CheckMap(map);
    const std::optional<TLoaded> in = Loaded(input.string(), false);
    if (!in) Violation("redacted a collection that does not load");
    const size_t out = Loaded(output.string(), true)->fInstances;
    if (in->fWarned ? out > in->fInstances + 1 : out != in->fInstances + 1) Violation("an instance was lost or added");
    expected.insert({"out.mof", "fleet.map"});
  }
  if (Listing(Root()) != std::set<std::string>{"scratch"}) Violation("a file was written beside the scratch folder");
  if (Listing(Scratch()) != expected) Violation("the scratch folder holds a file the tool should not have left");
  fs::remove_all(Scratch());
  return 0;
}
