// `qzareport collect`: writes the collection of this machine, or of a sos
// report, as one MOF file to send or to report.
//
//   qzareport collect [-o FILE.mof] [--from-sos DIR-or-ARCHIVE] [--log-mb N] [-q]
//
// The file is written beside its place and renamed when complete, so a
// failed run leaves an earlier file as it was. Exit statuses as the report
// tool's: 0 done, 1 bad input, 2 bad usage.
#ifndef QZA_HOST_COLLECT_TOOL_H
#define QZA_HOST_COLLECT_TOOL_H

#include <ostream>

// argv[0] is "collect".
int RunCollectTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal);

#endif
