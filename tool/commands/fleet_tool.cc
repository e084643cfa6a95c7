#include "tool/commands/fleet_tool.h"

#include <boost/program_options.hpp>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "fleet/content_hash.h"
#include "fleet/fleet_mapping.h"
#include "fleet/named_queries.h"
#include "forms/display_text.h"
#include "machine/sos_archive.h"
#include "tool/bundled_data.h"
#include "tool/collections.h"
#include "fleet/query_output.h"
#include "tool/commands/fleet_page_tool.h"
#include "tool/report_progress.h"
#include "tool/tool_options.h"

namespace fs = std::filesystem;
namespace po = boost::program_options;

namespace {

// Long enough for any named query on a large fleet, short enough that a
// mistyped join does not hold a terminal (or a server) for good.
const int kDefaultQueryTimeLimitSeconds = 60;

struct TFleetOptions {
  std::string fCommand;
  std::string fDatabase;
  std::vector<std::string> fArguments;  // add: the inputs; query: the SQL; host: the host
  std::string fFormat = "table";
  std::string fNamed;
  std::string fEngine;   // a ClickHouse location, in place of DB
  std::string fCluster;
  std::string fOutputFolder;  // report, host
  int fTimeout = kDefaultQueryTimeLimitSeconds;
  bool fWithHosts = false;
  bool fList = false;
  bool fQuiet = false;
  bool fHelp = false;
};

const char kUsage[] =
    "usage: qzareport fleet add DB INPUT... [-q]\n"
    "       qzareport fleet query DB \"SQL\" [-f table|csv|json] [--timeout SECONDS]\n"
    "       qzareport fleet query DB --list | --named NAME [-f table|csv|json] [--timeout SECONDS]\n"
    "       qzareport fleet report DB -o DIR [--with-hosts]\n"
    "       qzareport fleet host DB HOST -o DIR\n"
    "       (DB: a SQLite file, or --engine clickhouse://HOST:PORT/DATABASE in its place; a cluster's\n"
    "       servers: --engine clickhouse://HOST:PORT,HOST:PORT.../DATABASE --cluster NAME)\n"
    "Keeps many collections in one SQLite database DB and answers SQL across them.\n"
    "An INPUT is a collection, a sos report folder or archive, or a folder of them.\n"
    "report writes the fleet page (every host, failing ones first, and the version spreads);\n"
    "host writes the report of a host's latest collection, read again from where it was added.\n\n";

po::options_description FleetOptions(TFleetOptions& o) {
  po::options_description d("Options");
  d.add_options()
      ("format,f", po::value(&o.fFormat)->value_name("FORM"), "query output: table (default), csv or json")
      ("list", po::bool_switch(&o.fList), "list the named queries")
      ("named", po::value(&o.fNamed)->value_name("NAME"), "run a named query")
      ("engine", po::value(&o.fEngine)->value_name("URL"),
       "the fleet in ClickHouse, clickhouse://HOST:PORT/DATABASE, in place of DB")
      ("cluster", po::value(&o.fCluster)->value_name("NAME"),
       "with --engine naming each of its servers: the tables on every shard of ClickHouse cluster NAME")
      ("output,o", po::value(&o.fOutputFolder)->value_name("DIR"),
       "report, host: the folder to write (new, empty, or one written before)")
      ("with-hosts", po::bool_switch(&o.fWithHosts), "report: each host's report too, linked from the page")
      ("timeout", po::value(&o.fTimeout)->value_name("SECONDS"),
       "query, report, host: stop a query running longer (default 60; 0: no limit)")
      ("quiet,q", po::bool_switch(&o.fQuiet), "no progress and no summary on standard error")
      ("help,h", po::bool_switch(&o.fHelp), "this help");
  return d;
}

TFleetOptions ParseFleetOptions(int argc, const char* const argv[]) {
  TFleetOptions options;
  po::options_description visible = FleetOptions(options);
  po::options_description all;
  all.add(visible).add_options()("command", po::value(&options.fCommand))("database", po::value(&options.fDatabase))(
      "argument", po::value(&options.fArguments));
  po::positional_options_description positional;
  positional.add("command", 1).add("database", 1).add("argument", -1);
  po::variables_map values;
  po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), values);
  po::notify(values);
  if (options.fHelp) return options;
  if (!options.fEngine.empty()) {
    if (!options.fDatabase.empty()) options.fArguments.insert(options.fArguments.begin(), options.fDatabase);
    options.fDatabase = options.fEngine;
  }
  const std::string& command = options.fCommand;
  if (command != "add" && command != "query" && command != "report" && command != "host") {
    throw po::error("the command must be add, query, report or host");
  }
  if (options.fDatabase.empty()) throw po::error("name the fleet database");
  if (options.fCommand == "add" && options.fArguments.empty()) throw po::error("name the collections to add");
  if (options.fCommand == "query" && options.fArguments.size() + !options.fNamed.empty() + options.fList != 1) {
    throw po::error("give one of: a SQL statement, --named NAME, --list");
  }
  if ((command == "report" || command == "host") && options.fOutputFolder.empty()) {
    throw po::error("name the folder to write with -o DIR");
  }
  if (command == "report" && !options.fArguments.empty()) throw po::error("report takes no argument but DB");
  if (command == "host" && options.fArguments.size() != 1) throw po::error("name one host");
  if (options.fTimeout < 0) throw po::error("--timeout must be 0 (no limit) or more seconds");
  return options;
}

void Say(std::ostream& err, const std::string& message) { err << "qzareport fleet: " << VisibleText(message) << "\n"; }

// A folder that is no sos report holds inputs: its collections, sos report
// archives and sos report folders, in name order.
std::vector<std::string> InputsOf(const std::string& argument) {
  std::error_code error;
  if (!fs::is_directory(argument, error) || NVKXQZA20::NMachine::LooksLikeSosReport(argument)) return {argument};
  std::vector<std::string> inputs;
  for (const fs::directory_entry& entry : fs::directory_iterator(argument, error)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() == ".mof" || NVKXQZA20::NMachine::LooksLikeSosReport(path)) inputs.push_back(path);
  }
  if (error) throw std::runtime_error(argument + ": cannot read the folder: " + error.message());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

struct TAddCounts {
  size_t fAdded = 0, fKnown = 0, fFailed = 0;
};

// Loaded alone, with the bundled schema; the rows go in one transaction.
bool AddInput(IFleetEngine& fleet, const std::string& input, TReportProgress& progress) {
  const std::string hash = ContentHashOf(input);
  if (fleet.HasCollection(hash)) return false;
  TLoadSettings settings;
  settings.fCollections = {input};
  settings.fProgress = [&progress, &input](const std::string& what) { progress.StepStarted(input + ": reading " + what); };
  UseBundledSchema(settings);
  const TLoadedCollections loaded = LoadCollections(settings);
  // The source as a path from anywhere: a host's report reads it again.
  const std::string source = fs::absolute(input).lexically_normal().string();
  return fleet.AddCollection(ReadFleetCollection(loaded.fNamespace, hash, source));
}

std::string AddSummary(const TAddCounts& counts, const std::string& database) {
  std::ostringstream line;
  line << counts.fAdded << " added, " << counts.fKnown << " already there, " << counts.fFailed << " failed: " << database;
  return line.str();
}

int RunAdd(const TFleetOptions& options, std::ostream& err, bool errIsTerminal) {
  std::unique_ptr<IFleetEngine> fleet = OpenFleet(options.fDatabase, EFleetAccess::kReadWrite, options.fCluster);
  fleet->CreateSchema();
  TReportProgress progress(err, errIsTerminal && !options.fQuiet);
  TAddCounts counts;
  for (const std::string& argument : options.fArguments) {
    std::vector<std::string> inputs;
    try {
      inputs = InputsOf(argument);
    } catch (const std::exception& e) {
      progress.Clear();
      Say(err, e.what());
      ++counts.fFailed;
    }
    for (const std::string& input : inputs) {
      progress.StepStarted("adding " + input);
      try {
        ++(AddInput(*fleet, input, progress) ? counts.fAdded : counts.fKnown);
      } catch (const std::exception& e) {
        progress.Clear();
        Say(err, input + ": skipped: " + e.what());
        ++counts.fFailed;
      }
    }
  }
  progress.Clear();
  fleet->Flush();
  if (!options.fQuiet) Say(err, AddSummary(counts, options.fDatabase));
  return counts.fFailed == 0 ? 0 : 1;
}

void ListNamedQueries(std::ostream& out) {
  for (const TNamedQuery& query : NamedQueries()) out << query.fName << "\t" << query.fDescription << "\n";
}

int RunQuery(const TFleetOptions& options, std::ostream& out) {
  if (options.fList) {
    ListNamedQueries(out);
    return 0;
  }
  std::string sql = options.fArguments.empty() ? "" : options.fArguments.front();
  const TNamedQuery* named = options.fNamed.empty() ? nullptr : FindNamedQuery(options.fNamed);
  if (!options.fNamed.empty() && named == nullptr) {
    throw po::error("no named query " + options.fNamed + "; --list names them");
  }
  std::unique_ptr<IFleetEngine> fleet = OpenFleet(options.fDatabase, EFleetAccess::kReadOnly, options.fCluster);
  fleet->LimitQueryTime(options.fTimeout);
  const TFleetQueryResult result = fleet->Query(named ? named->SqlFor(fleet->Dialect()) : sql);
  std::ostringstream text;
  WriteQueryResult(result, options.fFormat, text);
  out << text.str();
  return 0;
}

int RunPage(const TFleetOptions& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  std::unique_ptr<IFleetEngine> fleet = OpenFleet(options.fDatabase, EFleetAccess::kReadOnly, options.fCluster);
  fleet->LimitQueryTime(options.fTimeout);
  const TFleetPageRun run{options.fDatabase, options.fOutputFolder, options.fWithHosts, options.fQuiet, errIsTerminal};
  return options.fCommand == "report" ? RunFleetReport(*fleet, run, out, err)
                                      : RunFleetHost(*fleet, options.fArguments.front(), run, out, err);
}

}  // namespace

int RunFleetTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal) {
  TFleetOptions options;
  try {
    options = ParseFleetOptions(argc, argv);
    if (options.fFormat != "table" && options.fFormat != "csv" && options.fFormat != "json") {
      throw po::error("-f must be table, csv or json");
    }
  } catch (const po::error& e) {
    Say(err, e.what());
    err << "Try 'qzareport fleet --help'.\n";
    return 2;
  }
  if (options.fHelp) {
    TFleetOptions defaults;
    out << kUsage << FleetOptions(defaults);
    return 0;
  }
  try {
    if (options.fCommand == "report" || options.fCommand == "host") return RunPage(options, out, err, errIsTerminal);
    return options.fCommand == "add" ? RunAdd(options, err, errIsTerminal) : RunQuery(options, out);
  } catch (const po::error& e) {
    Say(err, e.what());
    return 2;
  } catch (const TUsageError& e) {  // an output folder that may not be used
    Say(err, e.what());
    return 2;
  } catch (const std::exception& e) {
    Say(err, e.what());
    return 1;
  }
}
