// A sos report as the collector reads it: a folder, or an archive
// (.tar.xz, .tar.gz, .tar.bz2, .tar) streamed through libarchive, of which
// only the members the collector reads (the source table's paths and a few
// /sys folders; no member over 1 GiB) are unpacked into a private temporary
// folder (mkdtemp, mode 0700) that is removed with the object.
// Members that could reach outside that folder are refused: absolute paths,
// ".." components, links whose target leaves the tree, hard links, devices,
// FIFOs and sockets; each refusal is kept for the collection's log.
//
//   TSosReport report = TSosReport::Open("sosreport-host-2026.tar.xz");
//   TMachineTree tree = TMachineTree::Saved(report.Root());
//
// Errors: Open throws TSosError with the path and the reason.
#ifndef QZA_MACHINE_SOS_ARCHIVE_H
#define QZA_MACHINE_SOS_ARCHIVE_H

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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
  static TSosReport Open(const std::string& path);
  TSosReport(TSosReport&&) noexcept;
  ~TSosReport();

  // The report's top folder (the archive's single top folder when it has one).
  const std::string& Root() const { return fRoot; }
  // "member: why", one per refused member.
  const std::vector<std::string>& Refusals() const { return fRefusals; }

 private:
  TSosReport() = default;
  std::string fTemporary;  // "" for a folder, which is never removed
  std::string fRoot;
  std::vector<std::string> fRefusals;
};

}  // namespace NVKXQZA20::NMachine

#endif
