// Test support for trace reports: runs the tool with -f trace on bundled
// samples and reads trace.jsonl back, one JSON array per output call, with
// the report folder's own path replaced so that traces of different runs
// compare line by line.
//
//   TToolRun run("trace");
//   std::vector<std::string> lines = TraceOf(run, {"windows-server"}, {"--xcm"});
//   TTracePages pages = PagesOf(lines);   // by link: tables, titles, content flag
#ifndef QZA_TESTS_HOST_TRACE_READING_H
#define QZA_TESTS_HOST_TRACE_READING_H

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/tool_running.h"

namespace trace_reading {

// What stands for the report folder in a stored trace.
const char kReportFolder[] = "REPORT";

inline std::string SamplePath(const std::string& sample) {
  return std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof";
}

// A sample or trace name as a test name: "linux-server" -> "linux_server".
inline std::string TestNameOf(std::string name) {
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The trace of the samples (several make a comparison) with the tool's
// options, the report folder written as kReportFolder; empty when the tool
// failed (the failure is recorded).
inline std::vector<std::string> TraceOf(TToolRun& run, const std::vector<std::string>& samples,
                                        const std::vector<std::string>& options = {}) {
  std::vector<std::string> arguments = {"-q", "-f", "trace", "-o", run.Output()};
  arguments.insert(arguments.end(), options.begin(), options.end());
  for (const std::string& sample : samples) arguments.push_back(SamplePath(sample));
  const int status = run(arguments);
  EXPECT_EQ(0, status) << run.Err();
  std::vector<std::string> lines;
  if (status != 0) return lines;
  std::istringstream trace(run.Read("trace.jsonl"));
  for (std::string line; std::getline(trace, line);) lines.push_back(Replaced(line, run.Output(), kReportFolder));
  return lines;
}

// One page of a trace, by its link (the last part of the opened path).
struct TTracePage {
  bool fOpened = false;
  bool fRegistered = false;
  bool fHasContent = false;
  // Grids, grid tables and property tables written on the page; a page the
  // host writer draws itself (merged log, Windows event logs) counts one.
  int fTables = 0;
  std::vector<std::string> fTitles;
  // Tables that hold no instance: a grid of a header alone, a grid or
  // property table without a row. Each is named by its trace line number.
  std::vector<int> fEmptyTables;
};

typedef std::map<std::string, TTracePage> TTracePages;

inline std::string LinkOfPath(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A grid with no instance: a column grid of its header row alone, or a
// row grid of its label column alone.
inline bool IsEmptyGrid(const nlohmann::json& grid) {
  return (grid["columnReport"].get<bool>() && grid["rows"].get<int>() < 2) ||
         (grid["rowReport"].get<bool>() && grid["columns"].get<int>() < 2);
}

inline TTracePages PagesOf(const std::vector<std::string>& lines) {
  TTracePages pages;
  TTracePage* page = nullptr;
  // The open grid or property table: its first line and its rows so far.
  int openTable = 0;
  int rows = 0;
  bool inHeader = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const nlohmann::json call = nlohmann::json::parse(lines[i]);
    const std::string operation = call[0];
    if (operation == "OpenPage") {
      page = &pages[LinkOfPath(call[1])];
      page->fOpened = true;
    } else if (operation == "ClosePage") {
      page = nullptr;
    } else if (operation == "RegisterPage") {
      TTracePage& registered = pages[call[1].get<std::string>()];
      registered.fRegistered = true;
      registered.fHasContent = call[3];
    } else if (operation == "WriteMergedLogPage" || operation == "WriteEventLogReport") {
      ++pages[call[1]["link"].get<std::string>()].fTables;
    } else if (!page) {
      continue;
    } else if (operation == "WriteTableTitle") {
      page->fTitles.push_back(call[1]);
    } else if (operation == "WriteTableGrid") {
      ++page->fTables;
      if (IsEmptyGrid(call[1])) page->fEmptyTables.push_back(number);
    } else if (operation == "BeginGridTable" || operation == "BeginPropertyTable") {
      ++page->fTables;
      openTable = number;
      rows = 0;
      inHeader = operation == "BeginGridTable";
    } else if (operation == "EndGridHeader") {
      inHeader = false;
    } else if ((operation == "BeginRow" && !inHeader) || operation == "WriteVellumDeviceRow") {
      ++rows;
    } else if (operation == "EndTable") {
      if (openTable != 0 && rows == 0) page->fEmptyTables.push_back(openTable);
      openTable = 0;
    }
  }
  return pages;
}

}  // namespace trace_reading

#endif
