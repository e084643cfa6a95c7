// What an interrupted run leaves behind: the staging folder of a report, the
// staging file of a collection. Ctrl-C, SIGTERM and SIGHUP remove them, then
// end the process as the signal would have.
//
//   InstallInterruptCleanup();                    // in main(), before any thread
//   TRemovedIfInterrupted staging([&] { return MakeStagingFolder(); });
//
// The signals are taken by a thread of their own (sigwait), which runs
// ordinary code, rather than by a handler, which could not remove a folder.
// Without InstallInterruptCleanup (the tests' in-process runs) registering
// is harmless and nothing else changes.
#ifndef QZA_TOOL_INTERRUPT_CLEANUP_H
#define QZA_TOOL_INTERRUPT_CLEANUP_H

#include <functional>
#include <string>

void InstallInterruptCleanup();

// A file or folder removed should the run be interrupted while this lives.
// create makes it and names it; an interruption meanwhile waits until it is
// known, so that it is never left behind. What create throws passes on.
class TRemovedIfInterrupted {
 public:
  explicit TRemovedIfInterrupted(const std::function<std::string()>& create);
  ~TRemovedIfInterrupted();
  const std::string& Path() const { return fPath; }
  TRemovedIfInterrupted(const TRemovedIfInterrupted&) = delete;
  TRemovedIfInterrupted& operator=(const TRemovedIfInterrupted&) = delete;

 private:
  std::string fPath;
};

#endif
