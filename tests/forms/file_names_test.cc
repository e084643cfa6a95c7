#include "forms/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TNamingCase {
  const char* fExtension;
  // Link names in the order a report names them, and the files they get.
  std::vector<std::pair<std::string, std::string>> fFiles;
};

class PageFileNamesTest : public ::testing::TestWithParam<TNamingCase> {};

// One scheme for every format: safe characters, capped length, unique
// regardless of letter case, the extension once.
TEST_P(PageFileNamesTest, NamesAreSafeCappedAndDistinct) {
  TPageFileNames names(GetParam().fExtension);
  for (const auto& file : GetParam().fFiles) EXPECT_EQ(file.second, names.FileFor(file.first)) << file.first;
  // A link name keeps its file.
  for (const auto& file : GetParam().fFiles) EXPECT_EQ(file.second, names.FileFor(file.first)) << file.first;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PageFileNamesTest,
    ::testing::Values(
        TNamingCase{".html",
                    {{"system_overview", "system_overview.html"},
                     {"fileloader.html", "fileloader.html"},
                     {"a b/c<script>", "a_b_c_script_.html"},
                     {"index", "index-2.html"},
                     {"CON", "_CON.html"},
                     {".hidden", "_hidden.html"},
                     {"", "page.html"},
                     {"Report", "Report.html"},
                     {"report", "report-2.html"},
                     {"report.html", "report-3.html"},
                     {"caf\xC3\xA9", "caf__.html"},
                     {std::string(300, 'x'), std::string(100, 'x') + ".html"}}},
        TNamingCase{".txt",
                    {{"bist.html", "bist.txt"},
                     {"syslog_x y", "syslog_x_y.txt"},
                     {"syslog_x_y", "syslog_x_y-2.txt"},
                     {"syslog_x:y", "syslog_x_y-3.txt"},
                     {"SYSLOG_X_Y", "SYSLOG_X_Y-4.txt"},
                     {"notes.txt", "notes.txt"},
                     {"Index", "Index-2.txt"},
                     {"syslog_" + std::string(300, 'm'), "syslog_" + std::string(93, 'm') + ".txt"},
                     {"syslog_" + std::string(301, 'm'), "syslog_" + std::string(93, 'm') + "-2.txt"}}},
        TNamingCase{".json",
                    {{"bist.html", "bist.json"}, {"syslog_boot.log", "syslog_boot.log.json"}, {"index.json", "index-2.json"}}}));

}  // namespace
