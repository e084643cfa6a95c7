// `qzareport redact` and `qzareport unredact`: a collection (or a sos
// report) written again with pseudonyms for what identifies the customer's
// machines, and the pseudonyms of an engineer's note put back.
//
//   qzareport redact IN -o OUT.mof [--map FILE] [--keyword WORD]... [--keywords-file FILE]
//                    [--keep-mac-vendor] [-q]
//   qzareport unredact --map FILE TEXT-or-FILE
//
// The map (read if it exists, written back readable by its owner only) may
// not be the input nor the output. Exit statuses as the report tool's: 0
// done, 1 bad input, 2 bad usage.
#ifndef QZA_HOST_REDACT_TOOL_H
#define QZA_HOST_REDACT_TOOL_H

#include <ostream>
#include <string>
#include <vector>

#include "tool/collections.h"

// argv[0] is "redact" or "unredact".
int RunRedactTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err);
int RunUnredactTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

// What a redaction replaces, and the map it keeps (none when fMap is "").
namespace boost::program_options {
class options_description;
}

struct TRedactSettings {
  std::string fMap;
  std::vector<std::string> fKeywords;
  std::string fKeywordsFile;  // one word a line; "" for none
  bool fKeepMacVendor = false;

  // Whether a map or words are given: they mean nothing without --redact.
  bool Given() const { return !fMap.empty() || !fKeywords.empty() || !fKeywordsFile.empty(); }
};

// The options that go with another command's --redact: --map, --keyword,
// --keywords-file, into settings.
void AddRedactWithOptions(boost::program_options::options_description& options, TRedactSettings& settings);

// The collections of `loaded` (one per data source, loaded as `settings`
// says) redacted with one map, in memory, and loaded again the same way:
// nothing unredacted is written anywhere. The map is read first, written
// back after. The collections are named "redacted-N.mof" in messages,
// since their paths may name hosts too.
// A collection's MOF text (on the bundled schema), redacted in memory.
std::string RedactCollectionText(const std::string& text, const TRedactSettings& redact);

TLoadedCollections RedactCollections(const TLoadedCollections& loaded, TLoadSettings settings,
                                     const TRedactSettings& redact);

#endif
