// Test support for the tool: runs RunReportTool in-process on a fresh
// temporary folder and reads back what it wrote.
//
//   TToolRun run("esxi");
//   EXPECT_EQ(run({"-f", "text", "-o", run.Output(), sample}), 0);
//   run.Read("index.txt");
#ifndef QZA_TESTS_HOST_TOOL_RUNNING_H
#define QZA_TESTS_HOST_TOOL_RUNNING_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "host/report_tool.h"

class TToolRun {
 public:
  explicit TToolRun(const std::string& name)
      : fFolder(std::filesystem::temp_directory_path() /
                ("qza-" + name + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(fFolder);
    std::filesystem::create_directories(fFolder);
  }
  ~TToolRun() { std::filesystem::remove_all(fFolder); }

  int operator()(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "qzareport");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    fOut.str("");
    fErr.str("");
    return RunReportTool(static_cast<int>(argv.size()), argv.data(), fOut, fErr);
  }

  std::string Output() const { return (fFolder / "report").string(); }
  std::string OutputFile(const std::string& name) const { return (fFolder / "report" / name).string(); }
  std::string Read(const std::string& name) const {
    std::ifstream file(OutputFile(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(fFolder / name, std::ios::binary) << text;
    return (fFolder / name).string();
  }
  std::string Err() const { return fErr.str(); }
  std::string Out() const { return fOut.str(); }
  std::string Folder() const { return fFolder.string(); }

 private:
  std::filesystem::path fFolder;
  std::ostringstream fOut;
  std::ostringstream fErr;
};

#endif
