// The fleet page: one HTML page of every host of a fleet (the latest
// collection of each) in the report's style, built from queries through
// IFleetEngine only, so that it reads any engine. The hosts table is the
// report's own table (forms/html: sortable, filterable, a page of rows at a
// time, the rest kept as unread text until shown), so that ten thousand
// hosts open and sort at once; hosts with failing hardware or errors come
// first. Below it, the version spreads: BIOS, kernels, drivers and firmware
// by model, with how many hosts run each.
//
//   std::vector<TFleetHost> hosts = FleetHosts(*fleet);
//   WriteFleetPage(*fleet, folder, {"db01", "_7"});  // index.html, report.css, report.js
#ifndef QZA_FLEET_FLEET_PAGE_H
#define QZA_FLEET_FLEET_PAGE_H

#include <set>
#include <string>
#include <vector>

#include "fleet/fleet_engine.h"

// The latest collection of a host.
struct TFleetHost {
  std::string fId;      // the collection's id
  std::string fHost;    // "" when the collection names no host
  std::string fFolder;  // its report's folder under hosts/ (HostFolderName)
  std::string fSource;  // the input it was added from
  std::string fContentHash;
};

// The host name where it is a plain file name (a letter or digit, then
// letters, digits, '.', '_', '-'); else "_" and the collection's id, which
// no such name can be.
std::string HostFolderName(const std::string& host, const std::string& id);

// Every host's latest collection, in the engine's order.
std::vector<TFleetHost> FleetHosts(IFleetEngine& fleet);

// The host named by its name or its folder name; nullptr when none is.
const TFleetHost* FindFleetHost(const std::vector<TFleetHost>& hosts, const std::string& name);

// Writes the page into folder (which exists): index.html with the
// stylesheet and script of the report beside it. The hosts whose folder is
// in linkedFolders link to hosts/FOLDER/index.html. Throws TFleetError when
// a query fails, std::runtime_error when a file cannot be written.
void WriteFleetPage(IFleetEngine& fleet, const std::string& folder, const std::set<std::string>& linkedFolders);

#endif
