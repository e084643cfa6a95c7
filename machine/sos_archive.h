// A sos report as the collector reads it: a folder, or an archive
// (.tar.xz, .tar.gz, .tar.bz2, .tar.zst, .tar) read through libarchive in
// one pass, of which only the members the collector reads (the source
// table's paths, a few /sys folders and smartctl's outputs) are kept, in
// memory and bounded as the collector reads them: nothing of the report is
// written to disk.
// Members that could reach outside the report are refused: absolute paths,
// ".." components, links whose target leaves the tree (also through other
// links), hard links, devices, FIFOs and sockets; each refusal is kept for
// the collection's log. An archive that is unreadable, holds more than
// 200,000 members, one more than 64 folders deep, or declares more than
// 16 GiB is refused whole.
//
//   TSosReport report = TSosReport::Open("sosreport-host-2026.tar.xz", kDefaultLogBytes);
//   TCollection collection = CollectMachine(report.Tree(), settings);
//
// Errors: Open throws TSosError with the path (and the member) and the reason.
#ifndef QZA_MACHINE_SOS_ARCHIVE_H
#define QZA_MACHINE_SOS_ARCHIVE_H

#include <stdexcept>
#include <string>
#include <vector>

#include "machine/machine_tree.h"

namespace NVKXQZA20::NMachine {

class TSosError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A path that names a sos report: a folder holding sos_commands/ or
// version.txt or sos_logs/, or a file named like a tar archive.
bool LooksLikeSosReport(const std::string& path);
bool LooksLikeArchive(const std::string& path);

class TSosReport {
 public:
  // logBytes: how much of each log the collector keeps (its last bytes).
  static TSosReport Open(const std::string& path, size_t logBytes);

  const TMachineTree& Tree() const { return fTree; }
  // "member: why", one per refused member.
  const std::vector<std::string>& Refusals() const { return fRefusals; }

 private:
  TSosReport(TMachineTree tree, std::vector<std::string> refusals)
      : fTree(std::move(tree)), fRefusals(std::move(refusals)) {}

  TMachineTree fTree;
  std::vector<std::string> fRefusals;
};

}  // namespace NVKXQZA20::NMachine

#endif
