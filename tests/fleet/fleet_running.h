// Runs `qzareport fleet ...` in-process for the fleet's tests.
//
//   TRun run = RunFleet({"query", db, "SELECT 1"});  // run.fStatus, run.fOut, run.fErr
#ifndef QZA_TESTS_FLEET_FLEET_RUNNING_H
#define QZA_TESTS_FLEET_FLEET_RUNNING_H

#include <sstream>
#include <string>
#include <vector>

#include "tool/report_tool.h"

// The bundled samples, every one a collection the fleet takes.
inline const char* const kSamples[] = {"esxi-host.mof", "linux-server.mof", "linux-server-later.mof", "preboot.mof",
                                       "windows-server.mof"};

struct TRun {
  int fStatus;
  std::string fOut, fErr;
};

inline TRun RunFleet(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"qzareport", "fleet"});
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out, err;
  const int status = RunReportTool(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

#endif
