#include "tool/commands/collect_tool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/program_options.hpp>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "forms/display_text.h"
#include "tool/interrupt_cleanup.h"
#include "tool/machine_collections.h"
#include "tool/commands/redact_tool.h"
#include "tool/report_progress.h"

namespace po = boost::program_options;
using namespace NVKXQZA20::NMachine;

namespace {

struct TCollectOptions {
  std::string fOutput = "qza-collection.mof";
  std::string fFromSos;
  size_t fLogMegabytes = 8;
  bool fRedact = false;
  TRedactSettings fRedaction;
  bool fQuiet = false;
  bool fHelp = false;
};

po::options_description CollectOptions(TCollectOptions& o) {
  po::options_description d("Options");
  d.add_options()
      ("output,o", po::value(&o.fOutput)->value_name("FILE"), "collection file (default qza-collection.mof)")
      ("from-sos", po::value(&o.fFromSos)->value_name("PATH"), "read a sos report (folder or archive), not this machine")
      ("log-mb", po::value(&o.fLogMegabytes)->value_name("N"), "keep the last N MB of each log (default 8)")
      ("redact", po::bool_switch(&o.fRedact), "write the collection redacted (as qzareport redact does)");
  AddRedactWithOptions(d, o.fRedaction);
  d.add_options()
      ("quiet,q", po::bool_switch(&o.fQuiet), "no progress and no summary on standard error")
      ("help,h", po::bool_switch(&o.fHelp), "this help");
  return d;
}

std::string Usage() {
  TCollectOptions options;
  std::ostringstream text;
  text << "usage: qzareport collect [OPTIONS]\n"
          "Writes the collection of this machine (or of a sos report) to one MOF file,\n"
          "which qzareport reports like any collection. Runs without root; what needs\n"
          "root or a missing tool is said in the collection's own log.\n\n"
       << CollectOptions(options);
  return text.str();
}

// The map holds the originals: it is never the collection written.
void CheckRedaction(const TCollectOptions& options) {
  if (!options.fRedact && options.fRedaction.Given()) {
    throw po::error("--map, --keyword and --keywords-file go with --redact");
  }
  if (!options.fRedaction.fMap.empty() && options.fRedaction.fMap == options.fOutput) {
    throw po::error("the map cannot be the output: it holds the originals");
  }
}

}  // namespace

void CheckReplaceable(const std::string& path, const std::string& heading, const std::string& command) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return;
  const auto refuse = [&] {
    throw po::error(path + ": exists and is not a collection written by qzareport " + command + "; name a new file");
  };
  // Checked before opening: opening a FIFO or a device could block forever.
  if (!S_ISREG(status.st_mode)) refuse();
  std::ifstream file(path, std::ios::binary);
  std::string first;
  if (!std::getline(file, first) || first != heading) refuse();
}

namespace {

// Writes all of text to the descriptor; false on any failure.
bool WriteAll(int descriptor, std::string_view text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t written = ::write(descriptor, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

// The file appears whole or not at all. Its staging file is new, with a name
// nobody can foresee, and never reached through a link: in a folder others
// may write to, nothing planted there is overwritten.
void WriteWhole(const std::string& path, const std::function<void(const TAppend&)>& write) {
  int descriptor = -1;
  const TRemovedIfInterrupted removedIfInterrupted([&] {
    std::string staging = path + ".partial-XXXXXX";
    descriptor = ::mkostemp(staging.data(), O_CLOEXEC);
    if (descriptor < 0) throw std::runtime_error(path + ": cannot write the collection: " + std::strerror(errno));
    return staging;
  });
  const std::string& staging = removedIfInterrupted.Path();
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool written = ::fchmod(descriptor, 0666 & ~mask) == 0;
  try {
    write([&](std::string_view piece) { written = written && WriteAll(descriptor, piece); });
  } catch (...) {
    ::close(descriptor);
    std::remove(staging.c_str());
    throw;
  }
  if (::close(descriptor) != 0 || !written || std::rename(staging.c_str(), path.c_str()) != 0) {
    std::remove(staging.c_str());
    throw std::runtime_error(path + ": cannot write the collection");
  }
}

void WriteWhole(const std::string& path, const std::string& text) {
  WriteWhole(path, [&text](const TAppend& append) { append(text); });
}

int RunCollectTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal) {
  TCollectOptions options;
  try {
    po::variables_map values;
    po::store(po::command_line_parser(argc, argv).options(CollectOptions(options)).run(), values);
    po::notify(values);
    if (options.fOutput.empty()) throw po::error("--output needs a file");
    if (options.fLogMegabytes == 0 || options.fLogMegabytes > 4096) throw po::error("--log-mb must be 1 to 4096");
    CheckRedaction(options);
    CheckReplaceable(options.fOutput, kCollectionHeading, "collect");
  } catch (const po::error& e) {
    err << "qzareport collect: " << VisibleText(e.what()) << "\nTry 'qzareport collect --help'.\n";
    return 2;
  }
  if (options.fHelp) {
    out << Usage();
    return 0;
  }
  const auto started = std::chrono::steady_clock::now();
  TReportProgress progress(err, errIsTerminal && !options.fQuiet);
  auto step = [&progress](const std::string& what) { progress.StepStarted("collecting " + what); };
  try {
    const size_t logBytes = options.fLogMegabytes << 20;
    const TCollection collection = options.fFromSos.empty() ? CollectLiveMachine(logBytes, step)
                                                            : CollectSosReport(options.fFromSos, logBytes, step);
    // Redacted in memory: the staging file of the collection is written redacted.
    WriteWhole(options.fOutput, options.fRedact ? std::string(kCollectionHeading) + "\n" +
                                                      RedactCollectionText(collection.Text(), options.fRedaction)
                                                : collection.Text());
    progress.Clear();
    if (!options.fQuiet) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      err << "qzareport: " << collection.InstanceCount() << " instances collected in " << std::fixed
          << std::setprecision(seconds < 1 ? 2 : 1) << seconds << " s: " << options.fOutput << "\n";
    }
    return 0;
  } catch (const std::exception& e) {
    progress.Clear();
    err << "qzareport collect: " << VisibleText(e.what()) << "\n";
    return 1;
  }
}
