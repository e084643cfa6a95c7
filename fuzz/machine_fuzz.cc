// Fuzz target of the machine side: the bytes become the files of a sos
// report in a scratch folder, the collector reads it (every parser, then the
// mapping), and the collection it writes must load strictly over the bundled
// schema: whatever a machine prints, the collection is valid MOF.
//
// The first byte chooses the layout. Odd: the rest is written to every file
// the collector reads, so each parser sees the same text. Even: the rest is
// sections separated by kSeparator, each a byte choosing the file (modulo
// the number of files) and that file's text.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/mof_reader.h"
#include "fuzz/private_folder.h"
#include "machine/collector.h"
#include "machine/source_table.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;
using namespace NVKXQZA20::NMachine;

namespace {

const std::string kSeparator = "\n@@@@\n";

// The files below the tree that are no source of the table's: a disk's
// smartctl output (text or JSON), and the /sys attributes a sos report keeps.
const char* const kOtherFiles[] = {
    "sos_commands/ata/smartctl_-a_.dev.sda",   "sos_commands/nvme/smartctl_--all_.dev.nvme0n1",
    "sys/class/dmi/id/sys_vendor",             "sys/class/dmi/id/product_name",
    "sys/class/dmi/id/bios_date",              "sys/class/net/eth0/speed",
    "sys/class/net/eth0/operstate",            "sys/class/net/eth0/address",
    "sys/bus/pci/devices/0000:00:1f.0/vendor", "sys/bus/pci/devices/0000:00:1f.0/class",
};

// Every file the collector reads, relative to the tree: the first sos path
// of each source, then the others.
const std::vector<std::string>& Files() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> paths;
    for (const TSource& source : SourceTable()) paths.push_back(SosPathsOf(source).front());
    paths.insert(paths.end(), std::begin(kOtherFiles), std::end(kOtherFiles));
    return paths;
  }();
  return files;
}

const fs::path& Tree() {
  static const fs::path tree = NFuzz::PrivateFolder("machine") / "sosreport";
  return tree;
}

void WriteFile(const std::string& relative, const std::string& text) {
  const fs::path path = Tree() / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

void WriteTree(const std::string& input) {
  if (input.empty()) return;
  const std::string rest = input.substr(1);
  if ((input[0] & 1) != 0) {
    for (const std::string& file : Files()) WriteFile(file, rest);
    return;
  }
  for (size_t at = 0; at < rest.size();) {
    size_t end = rest.find(kSeparator, at);
    if (end == std::string::npos) end = rest.size();
    const unsigned char choice = static_cast<unsigned char>(rest[at]);
    WriteFile(Files()[choice % Files().size()], rest.substr(at + 1, end - at - 1));
    at = end + kSeparator.size();
  }
}

void CheckLoads(const std::string& collection) {
  TMofReader reader(TMemoryNamespace::Create());
  reader.SetStrict(true);
  try {
    reader.LoadFile(QZA_SOURCE_DIR "/schema/schema.mof");
    reader.LoadText(collection, "collection.mof");
  } catch (const TMofError& error) {
    std::fprintf(stderr, "machine_fuzz: the collection does not load: %s\n", error.what());
    ::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fs::remove_all(Tree());
  fs::create_directories(Tree());
  WriteTree(std::string(reinterpret_cast<const char*>(data), size));
  TCollectSettings settings;
  settings.fBuild = "qzareport fuzz";
  settings.fSourceName = Tree().string();
  CheckLoads(CollectMachine(TMachineTree::Saved(Tree().string()), settings).Text());
  fs::remove_all(Tree());
  return 0;
}
