#include "tool/tool_options.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <boost/program_options.hpp>
#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace po = boost::program_options;

namespace {

// Narrower text pages leave no room for a table; wider ones are bounded so
// that no width costs unbounded memory.
const int kLeastWidth = 40;
const int kMostWidth = 10000;
const int kWidthWithoutTerminal = 120;

// The texts of the options that need more than a plain value.
struct TRawOptions {
  std::vector<std::string> fContext;
  std::vector<std::string> fIgnored;
};

po::options_description VisibleOptions(TToolOptions& o, TRawOptions& raw) {
  po::options_description d("Options");
  d.add_options()
      ("output,o", po::value(&o.fOutputFolder)->value_name("DIR"),
       "report folder: new, empty, or an earlier report (default qza-report)")
      ("format,f", po::value(&o.fFormat)->value_name("FORMAT"), "html (default), text, inventory or trace")
      ("mode", po::value(&o.fMode)->value_name("MODE"), "default or luz")
      ("xcm", po::bool_switch(&o.fXCM), "the service processor is an XCM (found on its own otherwise)")
      ("no-xcm", po::bool_switch(&o.fNoXCM), "the service processor is not an XCM, whatever the collection says")
      ("esxi", po::bool_switch(&o.fEsxi), "the collection describes a VMware ESXi host (found on its own otherwise)")
      ("page", po::value(&o.fPage)->value_name("ID"), "write one page (TReport::GetPage) to standard output")
      ("writer-type", po::value(&o.fWriterType)->value_name("TYPE"), "writer type announced to the library")
      ("context", po::value(&raw.fContext)->value_name("KEY=VALUE")->composing(), "a context value (repeatable)")
      ("ignore", po::value(&raw.fIgnored)->value_name("CLASS.PROPERTY")->composing(),
       "leave the property out of a comparison; CLASS * is every class (repeatable)")
      ("data-dir", po::value(&o.fDataFolder)->value_name("DIR"), "the product's data folder")
      ("remote-bmc", po::value(&o.fRemoteBMC)->value_name("ADDRESS"), "collected over IPMI-over-LAN from ADDRESS")
      ("log", po::value(&o.fLogFile)->value_name("FILE"), "log file (default qza.log in the output folder)")
      ("log-level", po::value(&o.fLogLevel)->value_name("0..3"), "highest level logged (default 3)")
      ("schema", po::value(&o.fSchema)->value_name("DIR"), "load the MOF files of DIR as schema; none: no schema")
      ("include-dir", po::value(&o.fIncludeFolders)->value_name("DIR")->composing(),
       "a collection may also include files below DIR (repeatable); otherwise only below its own folder "
       "and the schema folders")
      ("width", po::value(&o.fWidth)->value_name("N"),
       "text pages at most N characters wide, N >= 40 (default: the terminal's width, 120 without one)")
      ("redact", po::bool_switch(&o.fRedact),
       "report the collections redacted (as qzareport redact does), nothing unredacted written");
  AddRedactWithOptions(d, o.fRedaction);
  d.add_options()
      ("check", po::bool_switch(&o.fCheck), "load and validate the collections, write no report")
      ("strict", po::bool_switch(&o.fStrict), "instances of undeclared classes, two instances with one object path and undeclared qualifiers are errors")
      ("quiet,q", po::bool_switch(&o.fQuiet), "no progress, no warnings and no summary on standard error")
      ("help,h", po::bool_switch(&o.fHelp), "this help")
      ("version", po::bool_switch(&o.fVersion), "the tool's version");
  return d;
}

void CheckChoice(const std::string& option, const std::string& value, std::initializer_list<const char*> choices) {
  for (const char* choice : choices) {
    if (value == choice) return;
  }
  std::string list;
  for (const char* choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice);
  throw TUsageError("--" + option + " must be one of " + list + ", not '" + value + "'");
}

void ReadContext(const std::vector<std::string>& pairs, TToolOptions& options) {
  for (const std::string& pair : pairs) {
    size_t equals = pair.find('=');
    if (equals == std::string::npos || equals == 0) {
      throw TUsageError("--context takes KEY=VALUE, not '" + pair + "'");
    }
    options.fContext[pair.substr(0, equals)] = pair.substr(equals + 1);
  }
}

// CLASS.PROPERTY: neither part empty, neither holding a dot.
TIgnoredProperty IgnoredPropertyOf(const std::string& text) {
  const size_t dot = text.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == text.size() || text.find('.', dot + 1) != std::string::npos) {
    throw TUsageError("--ignore takes CLASS.PROPERTY (CLASS may be *), not '" + text + "'");
  }
  return TIgnoredProperty{text.substr(0, dot), text.substr(dot + 1)};
}

}  // namespace

TToolOptions ParseToolOptions(int argc, const char* const argv[]) {
  TToolOptions options;
  TRawOptions raw;
  po::options_description all = VisibleOptions(options, raw);
  all.add_options()("collection", po::value(&options.fCollections)->composing(), "");
  po::positional_options_description positional;
  positional.add("collection", -1);
  try {
    po::variables_map values;
    po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), values);
    po::notify(values);
  } catch (const po::error& e) {
    throw TUsageError(e.what());
  }
  ReadContext(raw.fContext, options);
  for (const std::string& ignored : raw.fIgnored) options.fIgnored.push_back(IgnoredPropertyOf(ignored));
  CheckChoice("format", options.fFormat, {"html", "text", "inventory", "trace"});
  CheckChoice("mode", options.fMode, {"default", "luz"});
  if (options.fXCM && options.fNoXCM) throw TUsageError("--xcm and --no-xcm exclude each other");
  if (options.fLogLevel < 0 || options.fLogLevel > 3) throw TUsageError("--log-level must be 0 to 3");
  if (options.fWidth != 0 && (options.fWidth < kLeastWidth || options.fWidth > kMostWidth)) {
    throw TUsageError("--width must be " + std::to_string(kLeastWidth) + " to " + std::to_string(kMostWidth));
  }
  if (options.fOutputFolder.empty()) throw TUsageError("--output needs a folder");
  if (!options.fRedact && options.fRedaction.Given()) {
    throw TUsageError("--map, --keyword and --keywords-file go with --redact");
  }
  return options;
}

namespace {

// The columns of the terminal on the descriptor; 0 when it is none.
int TerminalColumns(int descriptor) {
  struct winsize size {};
  if (::isatty(descriptor) == 0 || ::ioctl(descriptor, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

// COLUMNS when it is a number of columns, else 0.
int ColumnsVariable() {
  const char* text = std::getenv("COLUMNS");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const long columns = std::strtol(text, &end, 10);
  return *end == '\0' && columns > 0 && columns <= kMostWidth ? static_cast<int>(columns) : 0;
}

}  // namespace

size_t TextWidth(const TToolOptions& options) {
  int width = options.fWidth;
  if (width == 0) width = ColumnsVariable();
  if (width == 0) width = TerminalColumns(STDOUT_FILENO);
  if (width == 0) width = TerminalColumns(STDERR_FILENO);
  if (width == 0) width = kWidthWithoutTerminal;
  return static_cast<size_t>(std::max(width, kLeastWidth));
}

std::string ToolUsage() {
  TToolOptions options;
  TRawOptions raw;
  std::ostringstream text;
  text << "usage: qzareport [OPTIONS] [COLLECTION.mof | SOSREPORT ...]\n"
          "       qzareport collect [-o FILE.mof] [--from-sos SOSREPORT] [--redact]   (see qzareport collect --help)\n"
          "       qzareport redact IN -o OUT.mof [--map FILE] [--keyword WORD ...]   (see qzareport redact --help)\n"
          "       qzareport unredact --map FILE TEXT-or-FILE\n"
          "       qzareport fleet add|query|report|host ...   (see qzareport fleet --help)\n"
          "Writes the report of a collection; several collections make a comparison report.\n"
          "A sos report (folder or .tar.xz/.tar.gz/.tar.bz2 archive) is read like a collection.\n"
          "Without a collection, the bundled Linux sample is reported.\n\n"
       << VisibleOptions(options, raw);
  return text.str();
}
