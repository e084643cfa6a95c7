#include "tool/report_tool.h"

#include <sys/stat.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <iomanip>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include "core/root.h"
#include "esxi/report_vmwesxi.h"
#include "tool/build_info.h"
#include "tool/bundled_data.h"
#include "tool/commands/collect_tool.h"
#include "tool/collections.h"
#include "tool/commands/fleet_tool.h"
#include "tool/commands/redact_tool.h"
#include "forms/display_text.h"
#include "comparison/delta_computation.h"
#include "forms/esxi_host_writer.h"
#include "forms/traces/esxi_trace_writer.h"
#include "tool/tool_options.h"
#include "forms/html/html_writer.h"
#include "forms/pipelined_writer.h"
#include "forms/documents/inventory_writer.h"
#include "tool/output_folder.h"
#include "tool/report_progress.h"
#include "forms/documents/text_writer.h"
#include "forms/traces/trace_writer.h"
#include "report/report.h"
#include "writer/cim_reading.h"

using namespace NVKXQZA20;

namespace {

// A failure of the run itself (a folder that cannot be written...): bad input.
class TRunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every message of the tool passes here: its data is shown, never obeyed by the terminal.
void Say(std::ostream& err, const std::string& message) { err << "qzareport: " << VisibleText(message) << "\n"; }

// What the summary line of each kind of warning says about the ones not shown.
struct TWarningKind {
  EMofWarning fKind;
  const char* fSummary;
};

const TWarningKind kWarningKinds[] = {
    {EMofWarning::UndeclaredInstance, "instances of undeclared classes skipped"},
    {EMofWarning::UnsetReference, "references to skipped instances left unset"},
    {EMofWarning::Redeclaration, "declarations replaced by different ones"},
    {EMofWarning::DuplicateInstance, "instances replaced by later ones with their object path"},
    {EMofWarning::UndeclaredQualifier, "undeclared qualifiers"},
    {EMofWarning::NamespacePragma, "#pragma namespace"},
};

// The reader's warnings: the first few of each kind are shown, the others
// counted and summed up in one line per kind when loading is over
// ("and 997 more: ..."); -q shows none.
class TWarningPrinter {
 public:
  static const size_t kShownPerKind = 3;

  TWarningPrinter(std::ostream& err, bool quiet) : fErr(err), fQuiet(quiet) {}

  void Print(EMofWarning kind, const std::string& warning) {
    if (fQuiet || ++fCounts[kind] > kShownPerKind) return;
    Say(fErr, "warning: " + warning);
  }

  void PrintSummary() {
    for (const TWarningKind& kind : kWarningKinds) {
      size_t count = fCounts[kind.fKind];
      if (count > kShownPerKind) {
        Say(fErr, "warning: and " + std::to_string(count - kShownPerKind) + " more: " + kind.fSummary);
      }
    }
    fCounts.clear();
  }

 private:
  std::ostream& fErr;
  bool fQuiet;
  std::map<EMofWarning, size_t> fCounts;
};

// Collections may include files below their own folder, the schema folders
// and the folders the user names.
TLoadSettings LoadSettingsOf(const TToolOptions& options, TWarningPrinter& warnings) {
  TLoadSettings settings;
  settings.fStrict = options.fStrict;
  settings.fWarn = [&warnings](EMofWarning kind, const std::string& warning) { warnings.Print(kind, warning); };
  settings.fCollections = options.fCollections;
  if (settings.fCollections.empty()) settings.fCollections.push_back(BundledSample());
  settings.fIncludeFolders.insert(settings.fIncludeFolders.end(), options.fIncludeFolders.begin(),
                                  options.fIncludeFolders.end());
  if (options.fSchema.empty()) {
    UseBundledSchema(settings);
  } else if (options.fSchema != "none") {
    settings.fSchemaFiles = SchemaFilesOf(options.fSchema);
  }
  return settings;
}

// With --redact, the collections are redacted in memory and loaded again:
// only the redacted ones reach the report, its log and its messages.
TLoadedCollections LoadWithWarnings(const TToolOptions& options, const TLoadSettings& settings,
                                    TWarningPrinter& warnings) {
  try {
    TLoadedCollections loaded = LoadCollections(settings);
    warnings.PrintSummary();
    if (options.fRedact) loaded = RedactCollections(loaded, settings, options.fRedaction);
    warnings.PrintSummary();
    return loaded;
  } catch (...) {
    warnings.PrintSummary();
    throw;
  }
}

// The service processor is an XCM when the user says so, or else when the
// base collection's IPMI firmware names itself an "XCM Service Module".
bool HasXCMServiceProcessor(const TToolOptions& options, const ICIMNamespace& ns) {
  if (options.fXCM || options.fNoXCM) return options.fXCM;
  for (const boost::shared_ptr<NVKXQZA20::ICIMInstance>& firmware :
       InstancesOfClass(ns, "VKXSG_IPMIFirmwareElement")) {
    std::string name = PropertyText(*firmware, "Name");
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.find("xcm service module") != std::string::npos) return true;
  }
  return false;
}

TCIMContext ContextOf(const TToolOptions& options, size_t dataSources, bool xcm) {
  TCIMContext context;
  for (const auto& entry : options.fContext) context[entry.first] = TCIMValue(entry.second);
  context["mode"] = TCIMValue(options.fMode);
  if (xcm) context["XCM"] = TCIMValue("TRUE");
  if (!options.fPage.empty()) context["pageID"] = TCIMValue(options.fPage);
  context["nNamespaces"] = TCIMValue(static_cast<uint32_t>(dataSources));
  return context;
}

// Sends the core's log to a file for the length of a run; the log is read
// in a terminal too, so its lines pass through VisibleText.
class TLogScope {
 public:
  TLogScope(const std::string& file, int level)
      : fFileName(file), fFile(file, std::ios::binary), fLines(fFile), fStream(std::make_shared<std::ostream>(&fLines)) {
    if (!fFile) throw TRunError(file + ": cannot write the log file");
    TRootObject::SetLogSink(fStream, level);
  }
  ~TLogScope() { TRootObject::SetLogSink(nullptr, -1); }

  // A log cut short (a full disk) fails the run like any other file.
  void Close() {
    TRootObject::SetLogSink(nullptr, -1);
    fStream->flush();
    fFile.close();
    if (!fFile) throw TRunError(fFileName + ": cannot write the log file");
  }

 private:
  std::string fFileName;
  std::ofstream fFile;
  TVisibleLines fLines;
  std::shared_ptr<std::ostream> fStream;
};

class TIPMIScope {
 public:
  explicit TIPMIScope(const std::string& address) {
    if (!address.empty()) TRootObject::SetipmiLanIns(boost::shared_ptr<IIPMILan>(new TIPMILan(address)));
  }
  ~TIPMIScope() { TRootObject::SetipmiLanIns(boost::shared_ptr<IIPMILan>()); }
};

// The writer type each format announces unless --writer-type says otherwise:
// a trace shows the calls an HTML report gets.
std::string WriterTypeOf(const TToolOptions& options) {
  if (!options.fWriterType.empty()) return options.fWriterType;
  return options.fFormat == "trace" ? "html" : options.fFormat;
}

template <class TBase, class... TArguments>
std::unique_ptr<THostWriter> WriterWithProgress(TReportProgress& progress, TArguments&&... arguments) {
  return std::unique_ptr<THostWriter>(
      new TProgressWriter<TBase, bool&>(progress, std::forward<TArguments>(arguments)...));
}

std::unique_ptr<THostWriter> MakeWriter(const TToolOptions& options, const TWriterSettings& settings,
                                        std::ostream* traceSink, TReportProgress& progress) {
  bool singlePage = !options.fPage.empty();
  // The HTML pages are rendered beside the library (progress included, so
  // that nothing of the writer runs on two threads).
  if (options.fFormat == "html") {
    return std::unique_ptr<THostWriter>(new TPipelinedWriter<TProgressWriter<THtmlWriter, bool&>>(progress, settings));
  }
  if (options.fFormat == "text") return WriterWithProgress<TTextWriter>(progress, settings);
  if (options.fFormat == "inventory") return WriterWithProgress<TInventoryWriter>(progress, settings, !singlePage);
  return WriterWithProgress<TTraceWriter>(progress, settings, singlePage ? nullptr : traceSink);
}

void WritePage(const TToolOptions& options, TReport& report, THostWriter& writer, const TCIMContext& context,
               std::ostream& out, std::ostream& err) {
  std::string page = report.GetPage(&writer, context);
  out << page;
  if (page.empty() && writer.GetWriterType().find("inventory") == std::string::npos) {
    Say(err, "the library writes single pages only for a writer type containing \"inventory\"; "
             "try --writer-type inventory");
  } else if (page.empty()) {
    Say(err, "page " + options.fPage + " has nothing to show for this collection");
  }
}

void ThrowFirstFailure(const std::vector<std::string>& failures) {
  if (!failures.empty()) throw TRunError(failures.front());
}

// Answers how many pages the index shows without rows, where the writer tells.
std::optional<size_t> WriteMainReport(const TToolOptions& options, const TLoadedCollections& loaded,
                                      const std::optional<TDeltaSummary>& comparison, const TWriterSettings& settings,
                                      const TCIMContext& context, std::ofstream& trace, TReportProgress& progress,
                                      std::ostream& out, std::ostream& err) {
  TReport report(loaded.fNamespace, context, settings.fOutputFolder);
  std::unique_ptr<THostWriter> writer = MakeWriter(options, settings, &trace, progress);
  writer->SetIgnoredProperties(options.fIgnored);
  if (comparison) writer->SetNewLogRecords(comparison->fNewLogRecords);
  if (!options.fPage.empty()) {
    WritePage(options, report, *writer, context, out, err);
  } else {
    report.Write(writer.get(), context);
  }
  ThrowFirstFailure(writer->GetFailures());
  return writer->PagesWithoutRows();
}

// The ESXi driver logs a failure and stops, so an incomplete report is
// recognised by its missing end.
std::optional<size_t> WriteEsxiReport(const TToolOptions& options, const TLoadedCollections& loaded,
                                      const TWriterSettings& settings, const TCIMContext& context,
                                      std::ofstream& trace, TReportProgress& progress) {
  TReport_vmwesxi report(loaded.fNamespace, context, settings.fOutputFolder);
  bool complete = false;
  std::optional<size_t> withoutRows;
  if (options.fFormat == "trace") {
    TProgressWriter<TEsxiTraceWriter, bool> writer(progress, settings, trace);
    report.Write(&writer, context);
    complete = writer.ReachedEndReport();
  } else {
    TEsxiHostWriter writer(MakeWriter(options, settings, nullptr, progress), settings);
    report.Write(&writer, context);
    ThrowFirstFailure(writer.GetFailures());
    complete = writer.ReachedEndReport();
    withoutRows = writer.PagesWithoutRows();
  }
  if (!complete) throw TRunError("the ESXi report stopped before its end; the log says why");
  return withoutRows;
}

// Answers how many pages the index shows without rows, where the writer tells.
std::optional<size_t> WriteReport(const TToolOptions& options, TOutputFolder& folder, const TLoadedCollections& loaded,
                                  size_t dataSources, const std::optional<TDeltaSummary>& comparison, bool esxi,
                                  TReportProgress& progress, std::ostream& out, std::ostream& err) {
  std::string logFile = options.fLogFile.empty() ? folder.Staging() + "/qza.log" : options.fLogFile;
  TLogScope log(logFile, options.fLogLevel);
  TIPMIScope ipmi(options.fRemoteBMC);
  TWriterSettings settings{folder.Target(), folder.Staging(), options.fDataFolder, WriterTypeOf(options),
                           TextWidth(options)};
  TCIMContext context = ContextOf(options, dataSources, HasXCMServiceProcessor(options, *loaded.fNamespace));
  std::ofstream trace;
  if (options.fFormat == "trace" && options.fPage.empty()) trace.open(folder.Staging() + "/trace.jsonl");
  const std::optional<size_t> withoutRows =
      esxi ? WriteEsxiReport(options, loaded, settings, context, trace, progress)
           : WriteMainReport(options, loaded, comparison, settings, context, trace, progress, out, err);
  if (trace.is_open()) {
    trace.flush();
    if (!trace) throw TRunError(folder.Staging() + "/trace.jsonl: cannot write the trace");
  }
  log.Close();
  folder.Commit();
  if (!folder.KeptAside().empty()) {
    Say(err, folder.Target() + ": the report there was not marked for this folder (a copy, or an older version's); it is kept in " +
                 folder.KeptAside());
  }
  return withoutRows;
}

// 143 pages written (12 without content) in 2.4 s: /path/to/report
// (a run under a second shows hundredths)
std::string Summary(const TReportProgress& progress, std::optional<size_t> withoutRows, double seconds,
                    const std::string& folder) {
  std::ostringstream line;
  line << CountOfPages(progress.PagesWritten()) << " written (" << withoutRows.value_or(progress.PagesWithoutContent())
       << " without content) in " << std::fixed << std::setprecision(seconds < 1 ? 2 : 1) << seconds
       << " s: " << folder;
  return line.str();
}

// The collection of an ESXi host, read through the hypervisor's own
// providers, has its software identity and no operating system of ours.
bool DescribesEsxiHost(const ICIMNamespace& ns) {
  return !InstancesOfClass(ns, "VMware_HypervisorSoftwareIdentity").empty() &&
         InstancesOfClass(ns, "VKXSG_OperatingSystem").empty();
}

// The ESXi report driver has neither a comparison run nor single pages.
void RefuseWhatEsxiLacks(const TToolOptions& options, size_t collections) {
  if (collections > 1) {
    throw TUsageError("ESXi collections cannot be compared: the ESXi report takes one collection");
  }
  if (!options.fPage.empty()) {
    throw TUsageError("--page is not available for an ESXi host: its report is only written whole");
  }
}

const char kLogRole[] = "the log file";

// What the run reads, and the log it writes beside the report: none of
// them may lie in the folder that the report replaces.
std::vector<TRunInput> RunInputsOf(const TToolOptions& options, const TLoadSettings& settings) {
  std::vector<TRunInput> inputs;
  for (const std::string& collection : settings.fCollections) inputs.push_back({"the collection", collection});
  if (options.fSchema != "none") inputs.push_back({"the schema folder", options.fSchema});
  for (const std::string& file : settings.fSchemaFiles) inputs.push_back({"the schema file", file});
  inputs.push_back({"the data folder", options.fDataFolder});
  inputs.push_back({kLogRole, options.fLogFile});
  // Written back after the redaction: inside the report, the originals would leave with it.
  inputs.push_back({"the map", options.fRedaction.fMap});
  inputs.push_back({"the keywords file", options.fRedaction.fKeywordsFile});
  return inputs;
}

// The log replaces the file it names, so a regular file there may only be
// empty or a log this tool wrote (each line a level 0 to 3, a tab, a
// message), and never a file the run reads.
void CheckLogFile(const std::string& log, const std::vector<TRunInput>& inputs) {
  struct stat named;
  if (log.empty() || ::stat(log.c_str(), &named) != 0) return;
  for (const TRunInput& input : inputs) {
    struct stat read;
    if (input.fRole != kLogRole && !input.fPath.empty() && ::stat(input.fPath.c_str(), &read) == 0 &&
        read.st_dev == named.st_dev && read.st_ino == named.st_ino) {
      throw TUsageError(log + ": the log file is " + input.fRole + "; name a new file");
    }
  }
  if (!S_ISREG(named.st_mode)) return;  // /dev/stderr, a pipe: nothing to lose
  std::ifstream file(log, std::ios::binary);
  std::string line;
  const bool isLog = !std::getline(file, line) ||
                     (line.size() >= 2 && line[0] >= '0' && line[0] <= '3' && line[1] == '\t');
  if (!isLog) {
    throw TUsageError(log + ": exists and is not a log written by qzareport; name a new file");
  }
}

int Check(const TLoadedCollections& loaded, const TLoadSettings& settings, std::ostream& out) {
  out << settings.fCollections.size() << " collection(s), " << loaded.fClassCount << " classes, "
      << loaded.fInstanceCount << " instances: no problem found\n";
  LeaveAtExit(loaded);
  return 0;
}

int Run(const TToolOptions& options, bool errIsTerminal, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  TWarningPrinter warnings(err, options.fQuiet);
  TLoadSettings settings = LoadSettingsOf(options, warnings);
  if (options.fCheck) return Check(LoadWithWarnings(options, settings, warnings), settings, out);
  // Refused before a long load, and locked against a second run.
  const std::vector<TRunInput> inputs = RunInputsOf(options, settings);
  CheckLogFile(options.fLogFile, inputs);
  TOutputFolder folder(options.fOutputFolder, inputs);
  // A single page goes to standard output and has neither progress nor summary.
  const bool wholeReport = options.fPage.empty();
  TReportProgress progress(err, errIsTerminal && wholeReport && !options.fQuiet);
  // Reading a sos report takes a while: its sources are shown as they are read.
  settings.fProgress = [&progress](const std::string& what) { progress.StepStarted("reading " + what); };
  // A warning starts on a clean line, not after the progress shown.
  settings.fWarn = [&progress, warn = settings.fWarn](EMofWarning kind, const std::string& warning) {
    progress.Clear();
    warn(kind, warning);
  };
  TLoadedCollections loaded = LoadWithWarnings(options, settings, warnings);
  progress.Clear();
  bool esxi = options.fEsxi || DescribesEsxiHost(*loaded.fNamespace);
  if (esxi) RefuseWhatEsxiLacks(options, settings.fCollections.size());
  std::optional<TDeltaSummary> comparison;
  if (settings.fCollections.size() > 1) comparison = ComputeDeltas(loaded.fNamespace, options.fIgnored);
  const std::optional<size_t> withoutRows =
      WriteReport(options, folder, loaded, settings.fCollections.size(), comparison, esxi, progress, out, err);
  progress.Clear();
  if (wholeReport && !options.fQuiet) {
    Say(err, Summary(progress, withoutRows, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                     folder.Target()));
  }
  LeaveAtExit(loaded);
  return 0;
}

}  // namespace


int RunReportTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal) {
  // The collector and the fleet are commands of their own, with their own options.
  if (argc > 1 && std::string(argv[1]) == "collect") return RunCollectTool(argc - 1, argv + 1, out, err, errIsTerminal);
  if (argc > 1 && std::string(argv[1]) == "fleet") return RunFleetTool(argc - 1, argv + 1, out, err, errIsTerminal);
  if (argc > 1 && std::string(argv[1]) == "redact") return RunRedactTool(argc - 1, argv + 1, out, err);
  if (argc > 1 && std::string(argv[1]) == "unredact") return RunUnredactTool(argc - 1, argv + 1, out, err);
  TToolOptions options;
  try {
    options = ParseToolOptions(argc, argv);
  } catch (const TUsageError& e) {
    Say(err, e.what());
    err << "Try 'qzareport --help'.\n";
    return 2;
  }
  if (options.fHelp) {
    out << ToolUsage();
    return 0;
  }
  if (options.fVersion) {
    out << VersionText();
    return 0;
  }
  try {
    return Run(options, errIsTerminal, out, err);
  } catch (const TUsageError& e) {
    Say(err, e.what());
    return 2;
  } catch (const TQZAException& e) {
    Say(err, std::string("repository error: ") + e.what() + " (" + e.GetDetail() + ")");
  } catch (const std::exception& e) {
    // Bad input, a failure of the run, or one the library passes on (a
    // repository fault while the writer is prepared): the staged report is dropped.
    Say(err, e.what());
  }
  return 1;
}
