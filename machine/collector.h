// The collector: reads every source of the table from a machine tree (live or
// a sos report), parses each output, keeps the raw outputs, logs what it could
// not read and why, and maps the records into a collection.
//
//   TCollectSettings settings;
//   settings.fBuild = "qzareport 1.0";
//   TCollection collection = CollectMachine(TMachineTree::Live("/"), settings);
//   file << collection.Text();
//
// Errors: nothing a machine prints makes it throw; only memory exhaustion does.
#ifndef QZA_MACHINE_COLLECTOR_H
#define QZA_MACHINE_COLLECTOR_H

#include <functional>
#include <string>
#include <vector>

#include "machine/collection.h"
#include "machine/machine_tree.h"

namespace NVKXQZA20::NMachine {

struct TCollectSettings {
  size_t fLogBytes = kDefaultLogBytes;  // the last this many bytes of each log
  // Records kept of one source; a machine that repeats a line endlessly
  // must not hold the collection for hours.
  size_t fMaxRecordsPerSource = 100000;
  std::string fBuild;                   // the tool's name and version
  std::string fSourceName;              // "live" or the sos report's path
  // Problems met before the collection began (refused archive members),
  // logged as errors.
  std::vector<std::string> fEarlierProblems;
  // Told the title of each source before it is read ("PCI devices").
  std::function<void(const std::string&)> fProgress;
};

TCollection CollectMachine(const TMachineTree& tree, const TCollectSettings& settings);

}  // namespace NVKXQZA20::NMachine

#endif
