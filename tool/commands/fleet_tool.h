// `qzareport fleet`: many collections in one database, asked in SQL.
//
//   qzareport fleet add DB INPUT...       collections, sos report folders and
//                                         archives, or folders of them
//   qzareport fleet query DB "SQL" [-f table|csv|json]
//   qzareport fleet query DB --list | --named NAME [-f ...]
//
// add: each input once (its content hash), one transaction each; a bad
// input is reported and skipped, the others added. Exit statuses as the
// report tool's: 0 done, 1 bad input (an input that failed, a refused or
// failing query), 2 bad usage.
#ifndef QZA_HOST_FLEET_TOOL_H
#define QZA_HOST_FLEET_TOOL_H

#include <ostream>

// argv[0] is "fleet".
int RunFleetTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal);

#endif
