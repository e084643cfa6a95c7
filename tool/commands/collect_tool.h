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

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

// argv[0] is "collect".
int RunCollectTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal);

// Only a collection the tool wrote itself (its first line the heading) is
// ever replaced: -o may name a case's notes or an input by mistake. Throws
// boost::program_options::error naming the command that writes such files.
void CheckReplaceable(const std::string& path, const std::string& heading, const std::string& command);
// Writes the file whole or not at all, through a staging file beside it that
// an interruption removes.
void WriteWhole(const std::string& path, const std::string& text);
// The same, with the text given piece by piece: write(append) calls append
// for each piece in order.
typedef std::function<void(std::string_view)> TAppend;
void WriteWhole(const std::string& path, const std::function<void(const TAppend&)>& write);

#endif
