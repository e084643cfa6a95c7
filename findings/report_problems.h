// findings/ — what the host finds in a collection beyond the library's pages:
// the problems list and its severity rules (here) and values made readable
// (readable_values.h). Uses the report library and the core only.
//
// What needs attention on the reported machine, read from the repository by
// a table of rules (section, class, property, condition, severity, message,
// page), for the index of every output format: the collector's analysis
// highlights, then the hardware's current state, then the logs' problems,
// and apart what the collector could not read. Each instance counts under
// one rule only, the first that it meets. And the severity of a log record,
// from its own severity field or, without one, from its message text.
//
//   for (const TProblem& p : ReadReportProblems(ns)) ... p.fMessage, p.fCount, p.fPage
//   TRecordSeverities severities;
//   ESeverity s = severities.Of(*record);
#ifndef QZA_HOST_REPORT_PROBLEMS_H
#define QZA_HOST_REPORT_PROBLEMS_H

#include <map>
#include <string>
#include <vector>

#include "writer/writer.h"

// Graver is greater; kNone: not a log record, or nothing tells.
enum class ESeverity { kNone, kInfo, kWarning, kError, kCritical };

// "critical", "error", "warning", "info"; "" for kNone.
std::string SeverityName(ESeverity severity);
// "Critical", "Error", "Warning", "Info"; "" for kNone.
std::string SeverityWord(ESeverity severity);

// A severity field's text ("Warning", "Audit Failure", "Major", "E").
ESeverity SeverityOfField(const std::string& text);
// The severity of a state of CIM_ManagedSystemElement.OperationalStatus, as
// its word reads ("Degraded"): kNone for "OK" or nothing, kInfo for a state
// that needs no look; the problem rules rate the numbers alike.
ESeverity SeverityOfOperationalStatus(const std::string& word);
// A message without a severity field ("... | Correctable ECC | Asserted").
ESeverity SeverityOfMessage(const std::string& text);
// A record's own severity as its message bounds it: a corrected error is at
// most a warning, a link or an input lost at least one.
ESeverity BoundedByMessage(ESeverity own, const std::string& message);
// Log records' severities: a record's own field where it has one, else its
// message; kNone for an instance that is no log record. Which of those
// fields a class declares is learnt once per class: the records of a log
// of a million would otherwise ask their class the same each time.
class TRecordSeverities {
 public:
  ESeverity Of(const NVKXQZA20::ICIMInstance& record);

 private:
  struct TClassFields {
    boost::shared_ptr<NVKXQZA20::ICIMClass> fClass;  // kept alive while known
    bool fLogRecord = false;
    std::vector<std::string> fSeverityFields;  // those the class declares, in order
    std::vector<std::string> fMessageFields;
  };
  static constexpr size_t kMaxKnownClasses = 4096;

  const TClassFields& FieldsOf(const boost::shared_ptr<NVKXQZA20::ICIMClass>& cimClass);

  std::map<const NVKXQZA20::ICIMClass*, TClassFields> fClasses;
};

// The parts of the index's problems list, in their order.
enum class EProblemSection { kHighlight, kHardware, kLog, kCollector };

// "Analysis highlights", "Hardware state", "Log problems", "What the collector could not read".
std::string ProblemSectionTitle(EProblemSection section);

struct TProblem {
  EProblemSection fSection;
  ESeverity fSeverity;
  std::string fMessage;  // plain text, names what and where
  size_t fCount;         // instances found
  std::string fPage;     // link names of the pages that may show them, '|' between
  std::string fRowKey;   // the text of the first instance that its row shows
  // The name its page is registered with, for a problem of one group whose
  // page's link name is the group's last path part: two logs of one base
  // name in different folders have the pages "syslog_messages" and
  // "syslog_messages_2", told apart only by their names. Empty otherwise.
  std::string fPageName;
  // Of a log's problem: the latest record's message and time (with its UTC
  // offset); "" when the records have none.
  std::string fLatestMessage;
  std::string fLatestTime;
};

// Every rule that some instances meet, section by section, graver first,
// else in the rules' order.
std::vector<TProblem> ReadReportProblems(const TWriter::TNamespacePtr& ns);

// Whether the problem's pages name the page of that link name (in any letter
// case) registered under that page name; a problem with a page name also
// takes the link name followed by "_2", "_3"...
bool IsProblemPage(const TProblem& problem, const std::string& linkName, const std::string& pageName);

#endif
