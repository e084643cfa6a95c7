#include "tool/commands/fleet_page_tool.h"

#include <filesystem>
#include <set>
#include <stdexcept>
#include <vector>

#include "fleet/content_hash.h"
#include "fleet/fleet_page.h"
#include "forms/display_text.h"
#include "tool/output_folder.h"
#include "tool/report_progress.h"
#include "tool/report_tool.h"
#include "tool/tool_options.h"

namespace fs = std::filesystem;

namespace {

void Say(std::ostream& err, const std::string& message) { err << "qzareport fleet: " << VisibleText(message) << "\n"; }

std::string NameOf(const TFleetHost& host) { return host.fHost.empty() ? host.fFolder : host.fHost; }

// The collection as it was added, or why it cannot be had.
void CheckSource(const TFleetHost& host) {
  std::error_code error;
  if (host.fSource.empty() || !fs::exists(host.fSource, error)) {
    throw std::runtime_error(NameOf(host) + ": its collection's source " + host.fSource +
                             " is gone; the fleet keeps the collection's rows, not the collection itself");
  }
  if (ContentHashOf(host.fSource) != host.fContentHash) {
    throw std::runtime_error(NameOf(host) + ": " + host.fSource +
                             " has changed since it was added to the fleet; add it again to report it");
  }
}

// The tool's own run on the source; its messages are the tool's.
int WriteHostReport(const TFleetHost& host, const std::string& folder, const TFleetPageRun& run, std::ostream& out,
                    std::ostream& err) {
  CheckSource(host);
  std::vector<const char*> argv{"qzareport", "-o", folder.c_str(), host.fSource.c_str()};
  if (run.fQuiet) argv.push_back("-q");
  return RunReportTool(static_cast<int>(argv.size()), argv.data(), out, err, run.fErrIsTerminal);
}

// The hosts' reports beside the page; the folders of those written.
std::set<std::string> WriteHostReports(IFleetEngine& fleet, const std::string& folder, const TFleetPageRun& run,
                                       std::ostream& out, std::ostream& err, int& status) {
  std::set<std::string> written;
  const std::vector<TFleetHost> hosts = FleetHosts(fleet);
  TReportProgress progress(err, run.fErrIsTerminal && !run.fQuiet);
  // One summary line per host would bury the run's own; the progress is ours.
  TFleetPageRun hostRun = run;
  hostRun.fQuiet = true;
  hostRun.fErrIsTerminal = false;
  for (size_t i = 0; i < hosts.size(); ++i) {
    progress.StepStarted("the report of " + NameOf(hosts[i]) + " (" + std::to_string(i + 1) + " of " +
                         std::to_string(hosts.size()) + ")");
    try {
      if (WriteHostReport(hosts[i], folder + "/hosts/" + hosts[i].fFolder, hostRun, out, err) == 0) {
        written.insert(hosts[i].fFolder);
        continue;
      }
    } catch (const std::exception& e) {
      progress.Clear();
      Say(err, e.what());
    }
    status = 1;
  }
  progress.Clear();
  return written;
}

}  // namespace

int RunFleetReport(IFleetEngine& fleet, const TFleetPageRun& run, std::ostream& out, std::ostream& err) {
  TOutputFolder folder(run.fOutputFolder, {{"the fleet database", run.fDatabase}});
  int status = 0;
  const std::set<std::string> linked =
      run.fWithHosts ? WriteHostReports(fleet, folder.Staging(), run, out, err, status) : std::set<std::string>();
  WriteFleetPage(fleet, folder.Staging(), linked);
  folder.Commit();
  if (!run.fQuiet) Say(err, "the fleet page: " + folder.Target() + "/index.html");
  return status;
}

int RunFleetHost(IFleetEngine& fleet, const std::string& name, const TFleetPageRun& run, std::ostream& out,
                 std::ostream& err) {
  const std::vector<TFleetHost> hosts = FleetHosts(fleet);
  const TFleetHost* host = FindFleetHost(hosts, name);
  if (host == nullptr) {
    throw std::runtime_error("no host " + name + " in " + run.fDatabase + "; `qzareport fleet query " +
                             run.fDatabase + " --named hosts` lists them");
  }
  return WriteHostReport(*host, run.fOutputFolder, run, out, err);
}
