// Fuzz target of the whole report tool, run in process: the bytes are one
// collection, or two separated by kSeparator for a comparison, reported over
// the bundled schema in every format into a scratch folder. Whatever the
// bytes, the tool ends with status 0 or 1 (2 only for a refused ESXi
// comparison), leaves a report folder only on success, no staging folder,
// writes nothing beside the scratch folder, and lets no control character
// but the line ends into its messages and text pages.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/private_folder.h"
#include "tool/report_tool.h"

namespace fs = std::filesystem;
using namespace NFuzz;

namespace {

const std::string kSeparator = "\n@@@@\n";

const fs::path& Root() { return PrivateFolder("report"); }

fs::path Scratch() { return Root() / "scratch"; }

// A control character other than a line feed, or in a text file a tab or
// the carriage return of a CR LF.
bool HoldsControlCharacter(const std::string& text, bool textFile) {
  for (size_t at = 0; at < text.size(); ++at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if ((c >= 0x20 && c != 0x7f) || c == '\n') continue;
    if (textFile && (c == '\t' || (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n'))) continue;
    return true;
  }
  return false;
}

void CheckTextPages(const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (HoldsControlCharacter(text, true)) Violation(entry.path().string() + ": a control character");
  }
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Runs the tool on the collections into scratch/<name>; answers whether a
// report was written.
bool Report(const std::string& name, std::vector<std::string> arguments, const std::vector<std::string>& collections,
            bool comparison) {
  std::string output = (Scratch() / name).string();
  arguments.insert(arguments.begin(), {"qzareport", "-q", "--log-level", "1", "-o", output});
  arguments.insert(arguments.end(), collections.begin(), collections.end());
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out, err;
  int status = RunReportTool(static_cast<int>(argv.size()), argv.data(), out, err);
  bool refused = comparison && status == 2;
  if (status != 0 && status != 1 && !refused) Violation(name + ": exit status " + std::to_string(status));
  if (status != 0 && err.str().empty()) Violation(name + ": failed without a message");
  if (fs::exists(output) != (status == 0)) Violation(name + ": report folder does not match exit status");
  if (HoldsControlCharacter(err.str(), false)) Violation(name + ": a control character in a message");
  if (status == 0 && name == "text") CheckTextPages(output);
  return status == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  fs::create_directories(Scratch());
  size_t split = input.find(kSeparator);
  std::vector<std::string> collections{(Scratch() / "first.mof").string()};
  WriteFile(collections[0], input.substr(0, split));
  std::set<std::string> expected{"first.mof"};
  for (const char* format : {"html", "text", "inventory", "trace"}) {
    if (Report(format, {"-f", format}, {collections[0]}, false)) expected.insert(format);
  }
  if (split != std::string::npos) {
    collections.push_back((Scratch() / "second.mof").string());
    WriteFile(collections[1], input.substr(split + kSeparator.size()));
    expected.insert("second.mof");
    if (Report("comparison", {}, collections, true)) expected.insert("comparison");
  }
  if (Listing(Root()) != std::set<std::string>{"scratch"}) Violation("a file was written beside the scratch folder");
  if (Listing(Scratch()) != expected) Violation("the scratch folder holds a file the tool should not have left");
  fs::remove_all(Scratch());
  return 0;
}
