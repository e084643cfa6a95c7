#include "tool/redact_tool.h"

#include <sys/stat.h>

#include <boost/program_options.hpp>
#include <fstream>
#include <sstream>

#include "forms/display_text.h"
#include "redaction/redactor.h"
#include "tool/bundled_data.h"
#include "tool/collect_tool.h"
#include "tool/collections.h"

namespace po = boost::program_options;
using namespace NVKXQZA20;
using namespace NVKXQZA20::NRedaction;

namespace {

const char kRedactedHeading[] = "// A collection redacted by qzareport redact.";

struct TRedactOptions {
  std::string fInput;
  std::string fOutput;
  std::string fMap;
  std::vector<std::string> fKeywords;
  std::string fKeywordsFile;
  bool fKeepMacVendor = false;
  bool fQuiet = false;
  bool fHelp = false;
};

po::options_description RedactOptions(TRedactOptions& o) {
  po::options_description d("Options");
  d.add_options()
      ("output,o", po::value(&o.fOutput)->value_name("FILE"), "the redacted collection (MOF)")
      ("map", po::value(&o.fMap)->value_name("FILE"), "private map of pseudonyms: read if it exists, written back")
      ("keyword", po::value(&o.fKeywords)->value_name("WORD")->composing(), "a word to replace too (repeatable)")
      ("keywords-file", po::value(&o.fKeywordsFile)->value_name("FILE"), "words to replace, one a line")
      ("keep-mac-vendor", po::bool_switch(&o.fKeepMacVendor), "keep the vendor prefix of MAC addresses")
      ("quiet,q", po::bool_switch(&o.fQuiet), "no summary on standard error")
      ("help,h", po::bool_switch(&o.fHelp), "this help");
  return d;
}

std::string Usage() {
  TRedactOptions options;
  std::ostringstream text;
  text << "usage: qzareport redact IN -o OUT.mof [OPTIONS]\n"
          "Writes the collection IN (a MOF collection, a sos report folder or archive)\n"
          "again with pseudonyms for host and domain names, addresses, MACs and WWNs,\n"
          "serials, asset tags, UUIDs, user names and the given words. The map\n"
          "translates them back: qzareport unredact --map FILE TEXT-or-FILE.\n\n"
       << RedactOptions(options);
  return text.str();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

void CheckOptions(const TRedactOptions& options) {
  if (options.fInput.empty()) throw po::error("a collection to redact is needed");
  if (options.fOutput.empty()) throw po::error("--output needs a file");
  if (options.fOutput == options.fMap || SameFile(options.fOutput, options.fMap)) {
    throw po::error("the map cannot be the output: it holds the originals");
  }
  if (options.fInput == options.fMap || SameFile(options.fInput, options.fMap)) {
    throw po::error("the map cannot be the collection");
  }
  CheckReplaceable(options.fOutput, kRedactedHeading, "redact");
}

// One word a line; blank lines and lines starting with '#' say nothing.
std::vector<std::string> KeywordsOf(const TRedactOptions& options) {
  std::vector<std::string> keywords = options.fKeywords;
  if (options.fKeywordsFile.empty()) return keywords;
  std::ifstream file(options.fKeywordsFile, std::ios::binary);
  if (!file) throw std::runtime_error(options.fKeywordsFile + ": cannot read the keywords");
  for (std::string line; std::getline(file, line);) {
    const size_t first = line.find_first_not_of(" \t\r");
    const size_t last = line.find_last_not_of(" \t\r");
    if (first != std::string::npos && line[first] != '#') keywords.push_back(line.substr(first, last - first + 1));
  }
  return keywords;
}

TLoadedCollections Load(const std::string& input, std::ostream& err, bool quiet) {
  TLoadSettings settings;
  settings.fCollections = {input};
  UseBundledSchema(settings);
  settings.fWarn = [&err, quiet](EMofWarning, const std::string& warning) {
    if (!quiet) err << "qzareport: warning: " << VisibleText(warning) << "\n";
  };
  return LoadCollections(settings);
}

std::string CountsText(const std::map<EKind, size_t>& counts) {
  std::string text;
  for (const auto& [kind, count] : counts) text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + KindName(kind);
  return text.empty() ? "nothing replaced" : text;
}

int RunRedaction(const TRedactOptions& options, std::ostream& err) {
  TPseudonyms pseudonyms(options.fKeepMacVendor);
  if (!options.fMap.empty()) pseudonyms.Load(options.fMap);
  const std::vector<std::string> keywords = KeywordsOf(options);
  const TLoadedCollections loaded = Load(options.fInput, err, options.fQuiet);
  TCIMContext context;
  context["nsIndex"] = TCIMValue(uint16_t(0));
  const TRedaction redaction = Redact(*loaded.fNamespace, context, pseudonyms, keywords);
  WriteWhole(options.fOutput, std::string(kRedactedHeading) + "\n" + redaction.fText);
  if (!options.fMap.empty()) pseudonyms.Save(options.fMap);
  if (!options.fQuiet) {
    err << "qzareport: " << loaded.fInstanceCount << " instances redacted (" << CountsText(redaction.fCounts)
        << "): " << VisibleText(options.fOutput) << "\n";
  }
  return 0;
}

}  // namespace

int RunRedactTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  TRedactOptions options;
  try {
    po::positional_options_description positional;
    positional.add("input", 1);
    po::options_description all = RedactOptions(options);
    all.add_options()("input", po::value(&options.fInput));
    po::variables_map values;
    po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), values);
    po::notify(values);
    if (options.fHelp) {
      out << Usage();
      return 0;
    }
    CheckOptions(options);
  } catch (const po::error& e) {
    err << "qzareport redact: " << VisibleText(e.what()) << "\nTry 'qzareport redact --help'.\n";
    return 2;
  }
  try {
    return RunRedaction(options, err);
  } catch (const std::exception& e) {
    err << "qzareport redact: " << VisibleText(e.what()) << "\n";
    return 1;
  }
}

int RunUnredactTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  std::string map;
  std::string input;
  try {
    po::options_description options("Options");
    options.add_options()("map", po::value(&map)->value_name("FILE")->required(), "the map of the redaction")(
        "input", po::value(&input)->required());
    po::positional_options_description positional;
    positional.add("input", 1);
    po::variables_map values;
    po::store(po::command_line_parser(argc, argv).options(options).positional(positional).run(), values);
    po::notify(values);
  } catch (const po::error& e) {
    err << "qzareport unredact: " << VisibleText(e.what()) << "\nusage: qzareport unredact --map FILE TEXT-or-FILE\n";
    return 2;
  }
  try {
    struct stat status;
    if (::stat(map.c_str(), &status) != 0) throw std::runtime_error(map + ": no such map");
    TPseudonyms pseudonyms;
    pseudonyms.Load(map);
    std::string text = input;
    if (::stat(input.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
      std::ifstream file(input, std::ios::binary);
      text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    out << pseudonyms.Restore(text);
    if (!text.empty() && text.back() != '\n') out << "\n";
    return 0;
  } catch (const std::exception& e) {
    err << "qzareport unredact: " << VisibleText(e.what()) << "\n";
    return 1;
  }
}
