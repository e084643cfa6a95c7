#include "tool/commands/redact_tool.h"

#include <sys/stat.h>

#include <boost/program_options.hpp>
#include <fstream>
#include <sstream>

#include "forms/display_text.h"
#include "redaction/redactor.h"
#include "tool/bundled_data.h"
#include "tool/commands/collect_tool.h"
#include "tool/collections.h"

namespace po = boost::program_options;
using namespace NVKXQZA20;
using namespace NVKXQZA20::NRedaction;

namespace {

const char kRedactedHeading[] = "// A collection redacted by qzareport redact.";

struct TRedactOptions {
  std::string fInput;
  std::string fOutput;
  TRedactSettings fRedact;
  bool fQuiet = false;
  bool fHelp = false;
};

po::options_description RedactOptions(TRedactOptions& o) {
  po::options_description d("Options");
  d.add_options()
      ("output,o", po::value(&o.fOutput)->value_name("FILE"), "the redacted collection (MOF)")
      ("map", po::value(&o.fRedact.fMap)->value_name("FILE"), "private map of pseudonyms: read if it exists, written back")
      ("keyword", po::value(&o.fRedact.fKeywords)->value_name("WORD")->composing(), "a word to replace too (repeatable)")
      ("keywords-file", po::value(&o.fRedact.fKeywordsFile)->value_name("FILE"), "words to replace, one a line")
      ("keep-mac-vendor", po::bool_switch(&o.fRedact.fKeepMacVendor), "keep the vendor prefix of MAC addresses")
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
  const std::string& map = options.fRedact.fMap;
  if (options.fOutput == map || SameFile(options.fOutput, map)) {
    throw po::error("the map cannot be the output: it holds the originals");
  }
  if (options.fInput == map || SameFile(options.fInput, map)) {
    throw po::error("the map cannot be the collection");
  }
  CheckReplaceable(options.fOutput, kRedactedHeading, "redact");
}

// One word a line; blank lines and lines starting with '#' say nothing.
std::vector<std::string> KeywordsOf(const TRedactSettings& options) {
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

TCIMContext DataSource(size_t index) {
  TCIMContext context;
  context["nsIndex"] = TCIMValue(static_cast<uint16_t>(index));
  return context;
}

// Every data source of the namespace, redacted with the map of the settings;
// sink hears each one's text, piece by piece.
std::map<EKind, size_t> RedactDataSources(const TMemoryNamespace& ns, size_t count, const TRedactSettings& settings,
                                          const std::function<void(size_t, std::string_view)>& sink) {
  TPseudonyms pseudonyms(settings.fKeepMacVendor);
  if (!settings.fMap.empty()) pseudonyms.Load(settings.fMap);
  const std::vector<std::string> keywords = KeywordsOf(settings);
  std::vector<TCIMContext> contexts;
  for (size_t i = 0; i < count; ++i) contexts.push_back(DataSource(i));
  const std::map<EKind, size_t> counts = Redact(ns, contexts, pseudonyms, keywords, sink);
  if (!settings.fMap.empty()) pseudonyms.Save(settings.fMap);
  return counts;
}

std::vector<std::string> RedactedTexts(const TMemoryNamespace& ns, size_t count, const TRedactSettings& settings) {
  std::vector<std::string> texts(count);
  RedactDataSources(ns, count, settings, [&texts](size_t i, std::string_view piece) { texts[i].append(piece); });
  return texts;
}

// Written as it is made: a large collection is never held twice.
int RunRedaction(const TRedactOptions& options, std::ostream& err) {
  const TLoadedCollections loaded = Load(options.fInput, err, options.fQuiet);
  std::map<EKind, size_t> counts;
  WriteWhole(options.fOutput, [&](const TAppend& append) {
    append(std::string(kRedactedHeading) + "\n");
    counts = RedactDataSources(*loaded.fNamespace, 1, options.fRedact,
                               [&append](size_t, std::string_view piece) { append(piece); });
  });
  LeaveAtExit(loaded);
  if (!options.fQuiet) {
    err << "qzareport: " << loaded.fInstanceCount << " instances redacted (" << CountsText(counts)
        << "): " << VisibleText(options.fOutput) << "\n";
  }
  return 0;
}

}  // namespace

TLoadedCollections RedactCollections(const TLoadedCollections& loaded, TLoadSettings settings,
                                     const TRedactSettings& redact) {
  const size_t count = settings.fCollections.size();
  settings.fTexts = RedactedTexts(*loaded.fNamespace, count, redact);
  for (size_t i = 0; i < count; ++i) settings.fCollections[i] = "redacted-" + std::to_string(i + 1) + ".mof";
  settings.fProgress = nullptr;
  return LoadCollections(settings);
}

std::string RedactCollectionText(const std::string& text, const TRedactSettings& redact) {
  TLoadSettings settings;
  settings.fCollections = {"collection.mof"};
  settings.fTexts = {text};
  UseBundledSchema(settings);
  const TLoadedCollections loaded = LoadCollections(settings);
  return std::move(RedactedTexts(*loaded.fNamespace, 1, redact).front());
}

void AddRedactWithOptions(po::options_description& options, TRedactSettings& settings) {
  options.add_options()
      ("map", po::value(&settings.fMap)->value_name("FILE"),
       "with --redact: private map of pseudonyms, read if it exists, written back")
      ("keyword", po::value(&settings.fKeywords)->value_name("WORD")->composing(),
       "with --redact: a word to replace too (repeatable)")
      ("keywords-file", po::value(&settings.fKeywordsFile)->value_name("FILE"),
       "with --redact: words to replace, one a line");
}

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
  bool help = false;
  po::options_description options("Options");
  options.add_options()("map", po::value(&map)->value_name("FILE"), "the map of the redaction")(
      "help,h", po::bool_switch(&help), "this help");
  const char usage[] = "usage: qzareport unredact --map FILE TEXT-or-FILE\n";
  try {
    po::options_description all;
    all.add(options).add_options()("input", po::value(&input));
    po::positional_options_description positional;
    positional.add("input", 1);
    po::variables_map values;
    po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), values);
    po::notify(values);
    if (help) {
      out << usage << "Puts the originals of the map back into a text, or into the text of a file.\n\n" << options;
      return 0;
    }
    if (map.empty() || input.empty()) throw po::error("--map and a text or file are needed");
  } catch (const po::error& e) {
    err << "qzareport unredact: " << VisibleText(e.what()) << "\n" << usage;
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
