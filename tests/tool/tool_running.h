// Test support for the tool: runs RunReportTool in-process (or the built
// binary in a child, for limits that only a process can have) on a fresh
// temporary folder, and reads back what it wrote and said.
//
//   TToolRun run("esxi");
//   EXPECT_EQ(run({"-f", "text", "-o", run.Output(), sample}), 0);
//   run.Read("index.txt");
#ifndef QZA_TESTS_HOST_TOOL_RUNNING_H
#define QZA_TESTS_HOST_TOOL_RUNNING_H

#include <algorithm>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tool/report_tool.h"

class TToolRun {
 public:
  explicit TToolRun(const std::string& name)
      : fFolder(std::filesystem::temp_directory_path() /
                ("qza-" + name + "-" + std::to_string(::getpid()) + "-" + TestName())) {
    std::filesystem::remove_all(fFolder);
    std::filesystem::create_directories(fFolder);
  }
  ~TToolRun() {
    // A test may have taken the folder's permissions away.
    std::error_code ignored;
    std::filesystem::permissions(fFolder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(fFolder, ignored);
  }
  TToolRun(const TToolRun&) = delete;
  // One folder, not a folder in another: a parameterized test's name holds a '/'.
  static std::string TestName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
  }
  TToolRun& operator=(const TToolRun&) = delete;

  int operator()(std::vector<std::string> arguments, bool errIsTerminal = false) {
    arguments.insert(arguments.begin(), "qzareport");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    fOut.str("");
    fErr.str("");
    return RunReportTool(static_cast<int>(argv.size()), argv.data(), fOut, fErr, errIsTerminal);
  }

  // Runs the tool binary in a child whose files cannot grow beyond limit
  // bytes, as on a full disk: with SIGXFSZ ignored a write past the limit
  // fails with EFBIG. Its standard error is what Err() answers.
  int WithFileSizeLimit(rlim_t limit, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), QZA_TOOL_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int ends[2];
    if (::pipe(ends) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
      ::dup2(ends[1], STDERR_FILENO);
      ::close(ends[0]);
      ::close(ends[1]);
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit size{limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &size);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(ends[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) message.append(buffer, count);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    fOut.str("");
    fErr.str(message);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string Folder() const { return fFolder.string(); }
  std::string Path(const std::string& name) const { return (fFolder / name).string(); }
  std::string Output() const { return Path("report"); }
  std::string OutputFile(const std::string& name) const { return (fFolder / "report" / name).string(); }
  // A file of the report folder.
  std::string Read(const std::string& name) const { return ReadFile(OutputFile(name)); }
  static std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  // Writes a file into the temporary folder and answers its path.
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(fFolder / name, std::ios::binary) << text;
    return Path(name);
  }
  std::string Out() const { return fOut.str(); }
  std::string Err() const { return fErr.str(); }

 private:
  std::filesystem::path fFolder;
  std::ostringstream fOut;
  std::ostringstream fErr;
};

#endif
