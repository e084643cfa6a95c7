// The command line of qzareport.
//
//   qzareport [OPTIONS] [COLLECTION.mof ...]
//
// Parsing never exits: it returns the options or throws TUsageError, whose
// message the tool prints before exiting with status 2.
#ifndef QZA_HOST_TOOL_OPTIONS_H
#define QZA_HOST_TOOL_OPTIONS_H

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "comparison/delta_computation.h"
#include "tool/commands/redact_tool.h"

class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TToolOptions {
  std::vector<std::string> fCollections;  // empty: the bundled Linux sample
  std::string fOutputFolder = "qza-report";
  std::string fFormat = "html";
  std::string fMode = "default";
  bool fXCM = false;                       // the service processor is an XCM, whatever the collection says
  bool fNoXCM = false;                     // it is not; neither: the collection tells
  bool fEsxi = false;                      // the ESXi report, whatever the collection
  std::string fPage;                       // a single page through TReport::GetPage
  std::string fWriterType;                 // "" leaves the format's own type
  std::map<std::string, std::string> fContext;
  std::vector<TIgnoredProperty> fIgnored;  // left out of a comparison
  std::string fDataFolder;
  std::string fRemoteBMC;
  std::string fLogFile;                    // "" means qza.log in the output folder
  int fLogLevel = 3;
  std::string fSchema;                     // "" is the bundled schema, "none" loads none
  std::vector<std::string> fIncludeFolders;  // collections may include files below these too
  int fWidth = 0;                          // of the text pages; 0: the terminal's (TextWidth)
  bool fRedact = false;                    // report the collections redacted in memory
  TRedactSettings fRedaction;              // with this map and these words
  bool fCheck = false;
  bool fStrict = false;
  bool fQuiet = false;
  bool fHelp = false;
  bool fVersion = false;
};

TToolOptions ParseToolOptions(int argc, const char* const argv[]);
// The width of the text pages: --width, else COLUMNS, else the width of the
// terminal on standard output or error, else 120; never below 40.
size_t TextWidth(const TToolOptions& options);
std::string ToolUsage();

#endif
