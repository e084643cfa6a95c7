// Where the collector reads a machine: a live one (its files under a root
// folder, "/" unless a test says otherwise, and the commands of the source
// table run there), or a saved tree such as a sos report, where commands are
// their stored outputs. Both answer the same texts, so everything above this
// layer is the same for both.
//
//   TMachineTree live = TMachineTree::Live("/");
//   TSourceText pci = live.Read(SourceOf(EFact::kPci), logBytes);
#ifndef QZA_MACHINE_MACHINE_TREE_H
#define QZA_MACHINE_MACHINE_TREE_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "machine/source_table.h"

namespace NVKXQZA20::NMachine {

struct TSourceText {
  bool fRead = false;
  std::string fOrigin;  // the file read or the command run ("lspci -nnvv")
  std::string fText;
  bool fTruncated = false;  // cut at the source's bound
  // Why nothing was read ("not installed", "exit status 1: ...", "not in the
  // sos report"), or a warning beside what was read (standard error).
  std::string fProblem;
};

// Where a tree's files are: folders on disk (a live machine's, a sos
// report's) or an archive's members held in memory. Paths are absolute below
// the tree's root ("/etc/hostname").
class ITreeFiles {
 public:
  virtual ~ITreeFiles() = default;
  // At most maxBytes of a regular file: with tail its last ones (from the
  // start of a line), else its first. Unless fRead, fProblem says why
  // ("absent", "not a regular file (a FIFO)").
  virtual TSourceText Read(const std::string& path, size_t maxBytes, bool tail) const = 0;
  // The names in a folder, sorted; none when unreadable.
  virtual std::vector<std::string> List(const std::string& path) const = 0;
  // Where a link points, as written; "" when it is no link.
  virtual std::string LinkTarget(const std::string& path) const = 0;
};

class TMachineTree {
 public:
  static TMachineTree Live(const std::string& root);
  // A saved folder, or saved files held elsewhere (an archive's).
  static TMachineTree Saved(const std::string& root);
  static TMachineTree Saved(std::shared_ptr<const ITreeFiles> files);

  bool IsLive() const { return fLive; }

  // extraArguments go after the source's command (modinfo's module names).
  TSourceText Read(const TSource& source, size_t logBytes,
                   const std::vector<std::string>& extraArguments = {}) const;

  // A file below the root (path absolute: "/sys/block/sda/size"), at most
  // maxBytes of it; nothing when it cannot be read or leaves a saved tree.
  bool ReadFile(const std::string& path, size_t maxBytes, std::string& text) const;
  std::vector<std::string> List(const std::string& path) const { return fFiles->List(path); }
  std::string LinkTarget(const std::string& path) const { return fFiles->LinkTarget(path); }
  // The files of a folder read as name -> first line (/sys attributes).
  std::map<std::string, std::string> ReadAttributes(const std::string& folder,
                                                    const std::vector<std::string>& names) const;

 private:
  TMachineTree(std::shared_ptr<const ITreeFiles> files, bool live, bool belowRoot)
      : fFiles(std::move(files)), fLive(live), fBelowRoot(belowRoot) {}
  TSourceText ReadLive(const TSource& source, size_t limit, const std::vector<std::string>& extra) const;
  TSourceText ReadSaved(const TSource& source, size_t limit) const;

  std::shared_ptr<const ITreeFiles> fFiles;
  bool fLive;
  bool fBelowRoot;  // live below another root than "/": no commands run
};

// What a bounded read answers from the part of a file it kept (the first
// bytes, or with tail the last) and the whole file's size.
TSourceText BoundedText(std::string kept, unsigned long long size, size_t maxBytes, bool tail);

}  // namespace NVKXQZA20::NMachine

#endif
