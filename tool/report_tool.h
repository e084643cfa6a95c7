// tool/ — the qzareport command: options, loading collections (files, sos
// reports, a live machine), the output folder, progress, collecting. Uses
// every other room of the host and machine/; none of them uses it.
//
// The qzareport tool: loads the collections, runs the report library with
// the chosen writer, and puts the finished report in place.
#ifndef QZA_HOST_REPORT_TOOL_H
#define QZA_HOST_REPORT_TOOL_H

#include <ostream>

// Exit statuses: 0 done, 1 bad input, 2 bad usage. When errIsTerminal is
// set, err shows the progress of the report on one line rewritten in place;
// the summary line comes either way (neither with --quiet).
int RunReportTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err,
                  bool errIsTerminal = false);

#endif
