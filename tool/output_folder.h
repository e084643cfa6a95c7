// The report folder of a run. It is checked and locked before anything is
// read, the report is written into a staging folder beside it, and the
// finished report replaces it whole. Only an empty folder or a report that
// qzareport wrote itself is ever replaced: each report holds a marker
// (kReportMarker) naming the folder it was written for and listing its
// files, their sizes and times, and a folder holding anything else, a file,
// the current folder or one of the run's inputs is refused. A report whose
// marker names another folder is set aside, not deleted.
//
//   TOutputFolder folder("qza-report", {{"the collection", "linux.mof"}});  // TUsageError when refused
//   WriteReportInto(folder.Staging());
//   folder.Commit();  // without it, the destructor drops the staging folder
//
// A second run into a locked folder is refused at once (the lock is an
// advisory lock on the folder itself, released when the run ends, however
// it ends).
#ifndef QZA_HOST_OUTPUT_FOLDER_H
#define QZA_HOST_OUTPUT_FOLDER_H

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tool/interrupt_cleanup.h"

// The marker file in every report folder.
extern const char kReportMarker[];

// A file or folder the run reads or writes outside the report.
struct TRunInput {
  std::string fRole;  // "the collection", "the log file"...
  std::string fPath;
};

class TOutputFolder {
 public:
  // Throws TUsageError (message: the folder and why) when the folder may not
  // be used, std::runtime_error when it cannot be created.
  TOutputFolder(const std::string& target, const std::vector<TRunInput>& inputs);
  ~TOutputFolder();
  TOutputFolder(const TOutputFolder&) = delete;
  TOutputFolder& operator=(const TOutputFolder&) = delete;

  std::string Target() const { return fTarget.string(); }
  std::string Staging() const { return fStaging.string(); }

  // Marks the staged report and puts it in the target's place; throws
  // std::runtime_error, with the previous report left in place, when that
  // cannot be done.
  void Commit();

  // After Commit, the folder beside the target where the previous report was
  // set aside rather than deleted, since its marker was not written for that
  // folder (a copy, an older version's report, a forgery); "" when it was
  // deleted or there was none.
  const std::string& KeptAside() const { return fKeptAside; }

 private:
  void CreateTarget();
  void Lock();
  void Release();

  std::filesystem::path fTarget;
  std::filesystem::path fStaging;
  std::vector<std::filesystem::path> fCreated;  // folders this run made, outermost first
  std::unique_ptr<TRemovedIfInterrupted> fStagingIfInterrupted;
  std::string fKeptAside;
  int fLock = -1;
  bool fCommitted = false;
};

#endif
