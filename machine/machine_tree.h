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

class TMachineTree {
 public:
  static TMachineTree Live(const std::string& root);
  static TMachineTree Saved(const std::string& root);

  bool IsLive() const { return fLive; }
  const std::string& Root() const { return fRoot; }

  // extraArguments go after the source's command (modinfo's module names).
  TSourceText Read(const TSource& source, size_t logBytes,
                   const std::vector<std::string>& extraArguments = {}) const;

  // A file below the root (path absolute: "/sys/block/sda/size"), at most
  // maxBytes of it; nothing when it cannot be read or leaves a saved tree.
  bool ReadFile(const std::string& path, size_t maxBytes, std::string& text) const;
  // The names in a folder below the root, sorted; none when unreadable.
  std::vector<std::string> List(const std::string& path) const;
  // Where a link below the root points, as written; "" when it is no link.
  std::string LinkTarget(const std::string& path) const;
  // The files of a folder read as name -> first line (/sys attributes).
  std::map<std::string, std::string> ReadAttributes(const std::string& folder,
                                                    const std::vector<std::string>& names) const;

 private:
  TMachineTree(std::string root, bool live) : fRoot(std::move(root)), fLive(live) {}
  std::string PathOf(const std::string& path) const;
  TSourceText ReadLive(const TSource& source, size_t limit, const std::vector<std::string>& extra) const;
  TSourceText ReadSaved(const TSource& source, size_t limit) const;

  std::string fRoot;  // without a trailing '/'; "" for "/"
  bool fLive;
};

// A file's contents, the last maxBytes of it when tail is set (from the
// start of a line), else the first; truncated tells whether some was left.
bool ReadBoundedFile(const std::string& path, size_t maxBytes, bool tail, std::string& text, bool& truncated);

}  // namespace NVKXQZA20::NMachine

#endif
