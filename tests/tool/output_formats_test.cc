// Every bundled sample (and the Linux comparison) through every output
// format: each page's file holds the tables that the library announced for
// that page, with the same titles and the same number of rows, whatever the
// order in which the library opens, closes and registers its pages.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "forms/file_names.h"
#include "forms/html/html_text.h"
#include "tests/tool/tool_running.h"

namespace {

using nlohmann::json;
std::string SamplePath(const std::string& sample) { return std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof"; }

std::string LinkOfPath(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The lines of the trace (-f trace) of the samples with the options.
std::vector<std::string> TraceOf(TToolRun& run, const std::vector<std::string>& samples,
                                 const std::vector<std::string>& options) {
  std::vector<std::string> arguments = {"-q", "-f", "trace", "-o", run.Output()};
  arguments.insert(arguments.end(), options.begin(), options.end());
  for (const std::string& sample : samples) arguments.push_back(SamplePath(sample));
  EXPECT_EQ(0, run(arguments)) << run.Err();
  std::vector<std::string> lines;
  std::istringstream trace(run.Read("trace.jsonl"));
  for (std::string line; std::getline(trace, line);) lines.push_back(line);
  return lines;
}

// One page as the library announced it, or as a format wrote it.
struct TPageTables {
  std::vector<std::string> fTitles;  // of the titled tables, in order
  size_t fRows = 0;                  // records of all its tables
};

// Records in a grid: rows below a header row, or columns beside a header column.
size_t GridRecords(const json& grid) {
  if (grid["rowReport"].get<bool>()) return grid["columns"].get<size_t>() - 1;
  return grid["rows"].get<size_t>() - (grid["columnReport"].get<bool>() ? 1 : 0);
}

// The pages of a trace by link. Pages whose tables the writer draws itself
// (event logs, merged log, KeelRAID event logs) are left out: the trace
// does not show their tables.
std::map<std::string, TPageTables> AnnouncedPages(const std::vector<std::string>& lines) {
  std::map<std::string, TPageTables> pages;
  std::set<std::string> drawnByWriter;
  TPageTables* page = nullptr;
  std::string link;
  bool titlePending = false;  // a title waits for its table
  bool inHeader = false;
  bool inPropertyTable = false;
  bool propertyTableCounted = false;
  for (const std::string& line : lines) {
    const json call = json::parse(line);
    const std::string operation = call[0];
    if (operation == "OpenPage") {
      link = LinkOfPath(call[1]);
      pages[link] = TPageTables();
      page = &pages[link];
    } else if (operation == "WriteMergedLogPage" || operation == "WriteEventLogReport") {
      drawnByWriter.insert(call[1]["link"].get<std::string>());
    } else if (operation == "WriteKeelRAIDEventLog" && page) {
      drawnByWriter.insert(link);
    } else if (!page) {
      continue;
    } else if (operation == "ClosePage") {
      page = nullptr;
    } else if (operation == "WriteTableTitle") {
      page->fTitles.push_back(call[1]);
      titlePending = true;
    } else if (operation == "WriteSeparator") {
      titlePending = false;
    } else if (operation == "WriteTableGrid") {
      page->fRows += GridRecords(call[1]);
      titlePending = false;
    } else if (operation == "BeginGridTable" || operation == "BeginPropertyTable") {
      const std::string caption = call[operation == "BeginGridTable" ? 2 : 3];
      if (!titlePending && !caption.empty()) page->fTitles.push_back(caption);
      titlePending = false;
      inHeader = operation == "BeginGridTable";
      inPropertyTable = !inHeader;
      propertyTableCounted = false;
    } else if (operation == "EndGridHeader") {
      inHeader = false;
    } else if (inPropertyTable && !propertyTableCounted &&
               (operation == "WriteHeaderCell" || operation == "WriteDeclarationCell")) {
      // A property table of labelled values is one record; one of messages alone has none.
      ++page->fRows;
      propertyTableCounted = true;
    } else if ((operation == "BeginRow" && !inHeader && !inPropertyTable) || operation == "WriteVellumDeviceRow") {
      ++page->fRows;
    } else if (operation == "EndTable") {
      inPropertyTable = false;
    }
  }
  for (const std::string& drawn : drawnByWriter) pages.erase(drawn);
  return pages;
}

TPageTables InventoryPage(const json& page) {
  TPageTables tables;
  for (const json& table : page["tables"]) {
    if (!table["title"].get<std::string>().empty()) tables.fTitles.push_back(table["title"]);
    tables.fRows += table["rows"].size();
  }
  return tables;
}

// The first title that does not appear in the text in order, each standing
// alone between the marks ("\n" for a line of its own, ">" for an element).
// A title may be followed by what it is of ("Differences: chronyd").
std::string MissingTitle(const std::string& text, const std::vector<std::string>& titles, const std::string& mark) {
  const std::string end = mark == ">" ? "<" : mark;
  size_t at = 0;
  for (const std::string& title : titles) {
    for (at = text.find(mark + title, at); at != std::string::npos; at = text.find(mark + title, at + 1)) {
      const size_t after = at + mark.size() + title.size();
      if (text.compare(after, end.size(), end) == 0 || text.compare(after, 2, ": ") == 0) break;
    }
    if (at == std::string::npos) return title;
    ++at;
  }
  return "";
}

struct TFormatsCase {
  std::vector<std::string> fSamples;
  std::vector<std::string> fOptions;
};

class OutputFormatsTest : public ::testing::TestWithParam<TFormatsCase> {
 protected:
  // The tool's output in the format into a folder of its own, and the pages
  // that the library announced to a trace of the same writer type.
  std::map<std::string, TPageTables> Run(TToolRun& run, const std::string& format) {
    std::vector<std::string> options = GetParam().fOptions;
    options.insert(options.end(), {"--writer-type", format});
    TToolRun traceRun("formats-trace-" + format);
    const std::vector<std::string> trace = TraceOf(traceRun, GetParam().fSamples, options);
    std::vector<std::string> arguments = {"-q", "-f", format, "-o", run.Output()};
    arguments.insert(arguments.end(), GetParam().fOptions.begin(), GetParam().fOptions.end());
    for (const std::string& sample : GetParam().fSamples) arguments.push_back(SamplePath(sample));
    EXPECT_EQ(0, run(arguments)) << format << ": " << run.Err();
    return AnnouncedPages(trace);
  }
};

// Inventory pages hold the announced titles and records; text and HTML
// pages show the announced titles in order.
TEST_P(OutputFormatsTest, EveryPageFileHoldsTheTablesAnnouncedForIt) {
  TToolRun inventory("formats-inventory");
  const std::map<std::string, TPageTables> inventoryPages = Run(inventory, "inventory");
  ASSERT_FALSE(inventoryPages.empty());
  const json index = json::parse(inventory.Read("index.json"));
  EXPECT_FALSE(index["host"].get<std::string>().empty());
  EXPECT_EQ(GetParam().fSamples.size() > 1, index["comparison"].get<bool>());
  std::set<std::string> links;
  std::set<std::string> files;
  for (const json& entry : index["pages"]) {
    EXPECT_TRUE(links.insert(entry["link"].get<std::string>()).second) << "listed twice: " << entry["link"];
    EXPECT_TRUE(files.insert(entry["file"].get<std::string>()).second) << "one file, two pages: " << entry["file"];
    const json page = json::parse(inventory.Read(entry["file"]));
    EXPECT_EQ(entry["link"], page["link"]);
    const auto announced = inventoryPages.find(entry["link"]);
    if (announced == inventoryPages.end()) continue;
    const TPageTables written = InventoryPage(page);
    EXPECT_EQ(announced->second.fTitles, written.fTitles) << entry["file"];
    EXPECT_EQ(announced->second.fRows, written.fRows) << entry["file"];
  }
  for (const auto& page : inventoryPages) EXPECT_EQ(1u, links.count(page.first)) << "not listed: " << page.first;

  for (const std::string format : {"text", "html"}) {
    TToolRun run("formats-" + format);
    const std::map<std::string, TPageTables> pages = Run(run, format);
    TPageFileNames names(format == "text" ? ".txt" : ".html");
    for (const auto& page : pages) {
      const std::string file = names.FileFor(page.first);
      const std::string text = run.Read(file);
      EXPECT_FALSE(text.empty()) << file;
      std::vector<std::string> titles = page.second.fTitles;
      if (format == "html") {
        for (std::string& title : titles) title = TextMarkup(title);
      }
      EXPECT_EQ("", MissingTitle(text, titles, format == "text" ? "\n" : ">")) << file;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, OutputFormatsTest,
    ::testing::Values(TFormatsCase{{"linux-server"}, {}}, TFormatsCase{{"linux-server-later"}, {}},
                      TFormatsCase{{"windows-server"}, {"--xcm"}}, TFormatsCase{{"preboot"}, {}},
                      TFormatsCase{{"esxi-host"}, {}}, TFormatsCase{{"linux-server", "linux-server-later"}, {}}),
    [](const ::testing::TestParamInfo<TFormatsCase>& info) {
      std::string name;
      for (const std::string& sample : info.param.fSamples) name += (name.empty() ? "" : "_vs_") + std::regex_replace(sample, std::regex("-"), "_");
      return name;
    });

// Log names that make the same file name, or one too long for a file
// system: every log still gets a page of its own in every format.
TEST(OutputFileNames, LogsWhoseNamesCollideOrAreLongGetPagesOfTheirOwn) {
  std::ifstream sample(SamplePath("linux-server"), std::ios::binary);
  std::string collection;
  for (std::string line; std::getline(sample, line);) {
    if (line.rfind("#pragma include", 0) != 0) collection += line + "\n";
  }
  const std::vector<std::string> logs = {"/a/x y", "/b/x_y", "/c/x:y", "/d/" + std::string(300, 'L')};
  for (size_t i = 0; i < logs.size(); ++i) {
    collection += "instance of VKXSG_LinuxEventLogRecord { LogCreationClassName = \"VKXSG_MessageLog\"; LogName = \"" +
                  logs[i] + "\"; CreationClassName = \"VKXSG_LinuxEventLogRecord\"; RecordID = \"9" +
                  std::to_string(i) + "\"; MessageTimestamp = \"20261120143005.000000+000\"; Message = \"record of log " + std::to_string(i) + "\"; };\n";
  }
  TToolRun inventory("names-inventory");
  TToolRun text("names-text");
  const std::string path = inventory.Write("logs.mof", collection);
  ASSERT_EQ(0, inventory({"-q", "-f", "inventory", "-o", inventory.Output(), path})) << inventory.Err();
  ASSERT_EQ(0, text({"-q", "-f", "text", "-o", text.Output(), path})) << text.Err();
  std::set<std::string> files;
  const json index = json::parse(inventory.Read("index.json"));
  for (const json& entry : index["pages"]) {
    const std::string link = entry["link"];
    const auto log = std::find_if(logs.begin(), logs.end(), [&](const std::string& name) {
      return "syslog_" + name.substr(name.rfind('/') + 1) == link;
    });
    if (log == logs.end()) continue;
    const std::string file = entry["file"];
    const std::string record = "record of log " + std::to_string(log - logs.begin());
    EXPECT_TRUE(files.insert(file).second) << file;
    EXPECT_LE(file.size(), TPageFileNames::kMaxStemLength + std::strlen(".json")) << file;
    EXPECT_NE(std::string::npos, inventory.Read(file).find(record)) << file;
    EXPECT_NE(std::string::npos, text.Read(file.substr(0, file.rfind('.')) + ".txt").find(record)) << file;
  }
  EXPECT_EQ(logs.size(), files.size());
}

// The width of the last column of the first table of a text page: the
// dashes after the last "-+-" of its rule line.
size_t LastColumnWidth(const std::string& page) {
  std::istringstream lines(page);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("---", 0) == 0 && line.find("-+-") != std::string::npos) return line.size() - line.rfind("-+-") - 3;
  }
  return 0;
}

// No line of a text page is longer than --width (in characters); the
// message column takes what the other columns leave.
TEST(TextWidth, LinesFitTheWidthAndTheMessageColumnGrowsWithIt) {
  size_t messageWidths[2] = {};
  const size_t widths[2] = {80, 200};
  for (size_t w = 0; w < 2; ++w) {
    TToolRun run("width-" + std::to_string(widths[w]));
    ASSERT_EQ(0, run({"-q", "-f", "text", "--width=" + std::to_string(widths[w]), "-o", run.Output(),
                      SamplePath("linux-server")})) << run.Err();
    for (const auto& file : std::filesystem::directory_iterator(run.Output())) {
      if (file.path().extension() != ".txt") continue;
      std::istringstream lines(run.Read(file.path().filename().string()));
      for (std::string line; std::getline(lines, line);) {
        const size_t characters = std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
        EXPECT_LE(characters, widths[w]) << file.path().filename() << ": " << line;
      }
    }
    messageWidths[w] = LastColumnWidth(run.Read("syslog_messages.txt"));
  }
  EXPECT_GT(messageWidths[0], 10u);
  EXPECT_GT(messageWidths[1], messageWidths[0] + 100);
}

}  // namespace
