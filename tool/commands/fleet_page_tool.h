// `qzareport fleet report` and `qzareport fleet host`: the fleet page of a
// fleet database, and a host's own report.
//
//   qzareport fleet report DB -o DIR [--with-hosts]   DIR/index.html; with
//                      --with-hosts, each host's report in DIR/hosts/HOST/
//   qzareport fleet host DB HOST -o DIR               the report of HOST's
//                      latest collection, as `qzareport SOURCE -o DIR` writes it
//
// The database keeps rows, not collections: a host's report is written from
// the source its latest collection was added from, read again the tool's
// usual way; a source that is gone or has changed since (its content hash)
// is refused, naming it. Both write their folder through TOutputFolder.
// Exit statuses as the tool's: 0 done, 1 bad input (a host's report that
// could not be written; the page is written all the same), 2 bad usage.
#ifndef QZA_HOST_FLEET_PAGE_TOOL_H
#define QZA_HOST_FLEET_PAGE_TOOL_H

#include <ostream>
#include <string>

#include "fleet/fleet_engine.h"

struct TFleetPageRun {
  std::string fDatabase;  // as the user named it, for messages and the folder checks
  std::string fOutputFolder;
  bool fWithHosts = false;
  bool fQuiet = false;
  bool fErrIsTerminal = false;
};

int RunFleetReport(IFleetEngine& fleet, const TFleetPageRun& run, std::ostream& out, std::ostream& err);
int RunFleetHost(IFleetEngine& fleet, const std::string& host, const TFleetPageRun& run, std::ostream& out,
                 std::ostream& err);

#endif
