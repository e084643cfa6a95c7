#include "host/report_tool.h"

#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>

#include "core/mof_reader.h"
#include "core/root.h"
#include "esxi/report_vmwesxi.h"
#include "host/build_info.h"
#include "host/bundled_data.h"
#include "host/collect_tool.h"
#include "host/collections.h"
#include "host/delta_computation.h"
#include "host/esxi_host_writer.h"
#include "host/esxi_trace_writer.h"
#include "host/tool_options.h"
#include "host/html_writer.h"
#include "host/inventory_writer.h"
#include "host/report_progress.h"
#include "host/text_writer.h"
#include "host/trace_writer.h"
#include "report/report.h"
#include "writer/cim_reading.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;

namespace {

// A failure of the run itself (a folder that cannot be written...): bad input.
class TRunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TLoadSettings LoadSettingsOf(const TToolOptions& options, std::ostream& err) {
  TLoadSettings settings;
  settings.fStrict = options.fStrict;
  settings.fWarn = [&err](const std::string& warning) { err << "qzareport: warning: " << warning << "\n"; };
  settings.fCollections = options.fCollections;
  if (settings.fCollections.empty()) settings.fCollections.push_back(BundledSample());
  if (options.fSchema.empty()) {
    UseBundledSchema(settings);
  } else if (options.fSchema != "none") {
    settings.fSchemaFiles = SchemaFilesOf(options.fSchema);
  }
  return settings;
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

// The report is written beside its final place and swapped in when done,
// so that a failed run leaves the previous report as it was.
class TStagedFolder {
 public:
  explicit TStagedFolder(const std::string& target)
      : fTarget(fs::absolute(target).lexically_normal()),
        fStaging(fTarget.string() + ".partial-" + std::to_string(::getpid())) {
    std::error_code error;
    fs::remove_all(fStaging, error);
    fs::create_directories(fStaging, error);
    if (error) throw TRunError(fStaging.string() + ": cannot create the report folder: " + error.message());
  }
  ~TStagedFolder() {
    std::error_code error;
    if (!fCommitted) fs::remove_all(fStaging, error);
  }

  std::string Target() const { return fTarget.string(); }
  std::string Staging() const { return fStaging.string(); }

  void Commit() {
    fs::path previous = fTarget.string() + ".previous-" + std::to_string(::getpid());
    std::error_code error;
    bool hadPrevious = fs::exists(fTarget);
    if (hadPrevious) fs::rename(fTarget, previous, error);
    if (!error) fs::rename(fStaging, fTarget, error);
    if (error) throw TRunError(fTarget.string() + ": cannot put the report in place: " + error.message());
    fCommitted = true;
    if (hadPrevious) fs::remove_all(previous, error);
  }

 private:
  fs::path fTarget;
  fs::path fStaging;
  bool fCommitted = false;
};

// Sends the core's log to a file for the length of a run.
class TLogScope {
 public:
  TLogScope(const std::string& file, int level) : fFile(file), fStream(std::make_shared<std::ofstream>(file)) {
    if (!*fStream) throw TRunError(file + ": cannot write the log file");
    TRootObject::SetLogSink(fStream, level);
  }
  ~TLogScope() { TRootObject::SetLogSink(nullptr, -1); }

  // A log cut short (a full disk) fails the run like any other file.
  void Close() {
    TRootObject::SetLogSink(nullptr, -1);
    fStream->close();
    if (!*fStream) throw TRunError(fFile + ": cannot write the log file");
  }

 private:
  std::string fFile;
  std::shared_ptr<std::ofstream> fStream;
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
  if (options.fFormat == "html") return WriterWithProgress<THtmlWriter>(progress, settings);
  if (options.fFormat == "text") return WriterWithProgress<TTextWriter>(progress, settings);
  if (options.fFormat == "inventory") return WriterWithProgress<TInventoryWriter>(progress, settings, !singlePage);
  return WriterWithProgress<TTraceWriter>(progress, settings, singlePage ? nullptr : traceSink);
}

void WritePage(const TToolOptions& options, TReport& report, THostWriter& writer, const TCIMContext& context,
               std::ostream& out, std::ostream& err) {
  std::string page = report.GetPage(&writer, context);
  out << page;
  if (page.empty() && writer.GetWriterType().find("inventory") == std::string::npos) {
    err << "qzareport: the library writes single pages only for a writer type containing \"inventory\"; "
           "try --writer-type inventory\n";
  } else if (page.empty()) {
    err << "qzareport: page " << options.fPage << " has nothing to show for this collection\n";
  }
}

void ThrowFirstFailure(const std::vector<std::string>& failures) {
  if (!failures.empty()) throw TRunError(failures.front());
}

void WriteMainReport(const TToolOptions& options, const TLoadedCollections& loaded, const TWriterSettings& settings,
                     const TCIMContext& context, std::ofstream& trace, TReportProgress& progress, std::ostream& out,
                     std::ostream& err) {
  TReport report(loaded.fNamespace, context, settings.fOutputFolder);
  std::unique_ptr<THostWriter> writer = MakeWriter(options, settings, &trace, progress);
  if (!options.fPage.empty()) {
    WritePage(options, report, *writer, context, out, err);
  } else {
    report.Write(writer.get(), context);
  }
  ThrowFirstFailure(writer->GetFailures());
}

// The ESXi driver logs a failure and stops, so an incomplete report is
// recognised by its missing end.
void WriteEsxiReport(const TToolOptions& options, const TLoadedCollections& loaded, const TWriterSettings& settings,
                     const TCIMContext& context, std::ofstream& trace, TReportProgress& progress) {
  TReport_vmwesxi report(loaded.fNamespace, context, settings.fOutputFolder);
  bool complete = false;
  if (options.fFormat == "trace") {
    TProgressWriter<TEsxiTraceWriter, bool> writer(progress, settings, trace);
    report.Write(&writer, context);
    complete = writer.ReachedEndReport();
  } else {
    TEsxiHostWriter writer(MakeWriter(options, settings, nullptr, progress), settings);
    report.Write(&writer, context);
    ThrowFirstFailure(writer.GetFailures());
    complete = writer.ReachedEndReport();
  }
  if (!complete) throw TRunError("the ESXi report stopped before its end; the log says why");
}

// Answers the folder the report was put in.
std::string WriteReport(const TToolOptions& options, const TLoadedCollections& loaded, size_t dataSources, bool esxi,
                        TReportProgress& progress, std::ostream& out, std::ostream& err) {
  TStagedFolder folder(options.fOutputFolder);
  std::string logFile = options.fLogFile.empty() ? folder.Staging() + "/qza.log" : options.fLogFile;
  TLogScope log(logFile, options.fLogLevel);
  TIPMIScope ipmi(options.fRemoteBMC);
  TWriterSettings settings{folder.Target(), folder.Staging(), options.fDataFolder, WriterTypeOf(options)};
  TCIMContext context = ContextOf(options, dataSources, HasXCMServiceProcessor(options, *loaded.fNamespace));
  std::ofstream trace;
  if (options.fFormat == "trace" && options.fPage.empty()) trace.open(folder.Staging() + "/trace.jsonl");
  if (esxi) {
    WriteEsxiReport(options, loaded, settings, context, trace, progress);
  } else {
    WriteMainReport(options, loaded, settings, context, trace, progress, out, err);
  }
  if (trace.is_open()) {
    trace.flush();
    if (!trace) throw TRunError(folder.Staging() + "/trace.jsonl: cannot write the trace");
  }
  log.Close();
  folder.Commit();
  return folder.Target();
}

// qzareport: 143 pages written (12 without content) in 2.4 s: /path/to/report
// (a run under a second shows hundredths)
std::string SummaryLine(const TReportProgress& progress, double seconds, const std::string& folder) {
  std::ostringstream line;
  line << "qzareport: " << CountOfPages(progress.PagesWritten()) << " written (" << progress.PagesWithoutContent()
       << " without content) in " << std::fixed << std::setprecision(seconds < 1 ? 2 : 1) << seconds
       << " s: " << folder << "\n";
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

int Run(const TToolOptions& options, bool errIsTerminal, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  TLoadSettings settings = LoadSettingsOf(options, err);
  TLoadedCollections loaded = LoadCollections(settings);
  if (options.fCheck) {
    out << settings.fCollections.size() << " collection(s), " << loaded.fClassCount << " classes, "
        << loaded.fInstanceCount << " instances: no problem found\n";
    return 0;
  }
  bool esxi = options.fEsxi || DescribesEsxiHost(*loaded.fNamespace);
  if (esxi) RefuseWhatEsxiLacks(options, settings.fCollections.size());
  if (settings.fCollections.size() > 1) ComputeDeltas(loaded.fNamespace, options.fIgnored);
  // A single page goes to standard output and has neither progress nor summary.
  const bool wholeReport = options.fPage.empty();
  TReportProgress progress(err, errIsTerminal && wholeReport && !options.fQuiet);
  const std::string folder = WriteReport(options, loaded, settings.fCollections.size(), esxi, progress, out, err);
  progress.Clear();
  if (wholeReport && !options.fQuiet) {
    err << SummaryLine(progress, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                       folder);
  }
  return 0;
}

}  // namespace

int RunReportTool(int argc, const char* const argv[], std::ostream& out, std::ostream& err, bool errIsTerminal) {
  // The collector is a command of its own, with its own options.
  if (argc > 1 && std::string(argv[1]) == "collect") return RunCollectTool(argc - 1, argv + 1, out, err, errIsTerminal);
  TToolOptions options;
  try {
    options = ParseToolOptions(argc, argv);
  } catch (const TUsageError& e) {
    err << "qzareport: " << e.what() << "\n" << "Try 'qzareport --help'.\n";
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
    err << "qzareport: " << e.what() << "\n";
    return 2;
  } catch (const TMofError& e) {
    err << "qzareport: " << e.what() << "\n";
  } catch (const TRunError& e) {
    err << "qzareport: " << e.what() << "\n";
  } catch (const TQZAException& e) {
    err << "qzareport: repository error: " << e.what() << " (" << e.GetDetail() << ")\n";
  } catch (const std::exception& e) {
    // A failure the library passes on (a repository fault while the writer
    // is prepared): the run failed, the staged report is dropped.
    err << "qzareport: " << e.what() << "\n";
  }
  return 1;
}
