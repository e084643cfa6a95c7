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

// argv[0] is "redact" or "unredact".
int RunRedactTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err);
int RunUnredactTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

#endif
