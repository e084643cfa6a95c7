// Runs one command of the source table on a live machine: without a shell,
// with stdin from /dev/null, the C locale, a timeout and a bound on what it
// may print. A command never changes the system: the table lists only
// commands that read. The timeout covers the whole run, not only the output:
// at the deadline the command's process group is killed.
//
//   TCommandResult ps = RunCommand({"ps", "auxwww"}, {10, 8 << 20});
//   if (ps.fProblem.empty()) Parse(ps.fOutput);
#ifndef QZA_MACHINE_COMMAND_RUNNER_H
#define QZA_MACHINE_COMMAND_RUNNER_H

#include <cstddef>
#include <string>
#include <vector>

namespace NVKXQZA20::NMachine {

struct TCommandLimits {
  int fTimeoutSeconds = 10;
  size_t fMaxBytes = 8 << 20;
};

struct TCommandResult {
  std::string fOutput;       // standard output, at most fMaxBytes
  std::string fErrors;       // the start of standard error
  int fExitStatus = -1;      // -1: killed or never started
  bool fTruncated = false;   // the output reached fMaxBytes
  bool fTimedOut = false;
  // Why the output cannot be used: "not installed", "timed out after 10 s",
  // "exit status 1: Permission denied"...; "" when it can.
  std::string fProblem;
};

// The full path of a program found in PATH or the system folders (sbin
// included, where dmidecode and lsmod live), or "".
std::string FindProgram(const std::string& name);

TCommandResult RunCommand(const std::vector<std::string>& argv, const TCommandLimits& limits);

}  // namespace NVKXQZA20::NMachine

#endif
