#include "tool/machine_collections.h"

#include "machine/collector.h"
#include "machine/sos_archive.h"

using namespace NVKXQZA20::NMachine;

const char kCollectorBuild[] = "qzareport 1.0";

TCollection CollectSosReport(const std::string& path, size_t logBytes,
                             const std::function<void(const std::string&)>& progress) {
  // Progress lines read "collecting ..." or "reading ...": the step is named
  // by what it reads.
  if (progress && LooksLikeArchive(path)) progress("the archive " + path);
  TSosReport report = TSosReport::Open(path, logBytes);
  TCollectSettings settings;
  settings.fLogBytes = logBytes;
  settings.fBuild = kCollectorBuild;
  settings.fSourceName = "sos report " + path;
  for (const std::string& refusal : report.Refusals()) {
    settings.fEarlierProblems.push_back("Archive member refused: " + refusal);
  }
  settings.fProgress = progress;
  return CollectMachine(report.Tree(), settings);
}

TCollection CollectLiveMachine(size_t logBytes, const std::function<void(const std::string&)>& progress) {
  TCollectSettings settings;
  settings.fLogBytes = logBytes;
  settings.fBuild = kCollectorBuild;
  settings.fSourceName = "this machine, live";
  settings.fProgress = progress;
  return CollectMachine(TMachineTree::Live("/"), settings);
}
