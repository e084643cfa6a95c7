#include "findings/report_problems.h"

#include "findings/readable_values.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "core/root.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

namespace {

// The words of a severity field, first match wins; a word matches at the
// start of a word of the text, in any case.
enum class EBound { kNone, kAtMost, kAtLeast };

struct TSeverityWord {
  const char* fWord;
  ESeverity fSeverity;
  EBound fBound = EBound::kNone;  // of a record's own severity, by its message
};

const TSeverityWord kFieldWords[] = {
    {"fatal", ESeverity::kCritical},   {"critical", ESeverity::kCritical}, {"emerg", ESeverity::kCritical},
    {"alert", ESeverity::kCritical},   {"major", ESeverity::kError},       {"error", ESeverity::kError},
    {"err", ESeverity::kError},        {"audit failure", ESeverity::kWarning},
    {"fail", ESeverity::kError},       {"minor", ESeverity::kWarning},     {"degraded", ESeverity::kWarning},
    {"warn", ESeverity::kWarning},     {"info", ESeverity::kInfo},         {"notice", ESeverity::kInfo},
    {"debug", ESeverity::kInfo},       {"audit success", ESeverity::kInfo}, {"success", ESeverity::kInfo},
};

// One-letter severity codes of service-processor logs.
const TSeverityWord kFieldLetters[] = {
    {"C", ESeverity::kCritical}, {"E", ESeverity::kError}, {"W", ESeverity::kWarning}, {"I", ESeverity::kInfo}};

// A message without a severity field, first match wins: a recovery or a
// threshold that is not critical before the graver words it contains. A
// word with a bound also bounds a record's own severity field, which the
// record's source may have set without regard to the event: a corrected
// error is at most a warning, a lost link or input at least one.
const TSeverityWord kMessageWords[] = {
    {"deasserted", ESeverity::kInfo},      {"recovered", ESeverity::kInfo},
    {"non-recoverable", ESeverity::kCritical}, {"uncorrectable", ESeverity::kCritical},
    {"uncorrected", ESeverity::kCritical},
    {"correctable", ESeverity::kWarning, EBound::kAtMost},  {"corrected", ESeverity::kWarning, EBound::kAtMost},
    {"ce memory", ESeverity::kWarning, EBound::kAtMost},  // EDAC's "1 CE memory read error": corrected
    {"non-critical", ESeverity::kWarning},
    {"critical", ESeverity::kCritical},    {"panic", ESeverity::kCritical},
    {"failed password", ESeverity::kWarning}, {"error", ESeverity::kError},
    {"fail", ESeverity::kError},           {"fault", ESeverity::kError},
    {"lost input", ESeverity::kWarning, EBound::kAtLeast}, {"loop down", ESeverity::kWarning, EBound::kAtLeast},
    {"link down", ESeverity::kWarning, EBound::kAtLeast},  {"link is down", ESeverity::kWarning, EBound::kAtLeast},
    {"warn", ESeverity::kWarning},         {"lost", ESeverity::kWarning},
    {"timed out", ESeverity::kWarning},    {"timeout", ESeverity::kWarning},
    {"denied", ESeverity::kWarning},       {"degraded", ESeverity::kWarning},
};

// CIM_RecordForLog.PerceivedSeverity (and CIM_LogEntry's).
const ESeverity kPerceivedSeverities[] = {
    ESeverity::kNone,    ESeverity::kNone,  ESeverity::kInfo,     ESeverity::kWarning,
    ESeverity::kWarning, ESeverity::kError, ESeverity::kCritical, ESeverity::kCritical};

// A log record's own severity, in the first of these properties it fills.
const char* const kSeverityFields[] = {"PerceivedSeverity", "Severity", "Type", "EntryType", "EventType", "Level"};
// A log record's text, when no field tells its severity.
const char* const kMessageFields[] = {"Message", "Description"};

const char kLogRecordClass[] = "CIM_RecordForLog";

enum class ECondition {
  kRecordSeverity,  // a log record whose severity is at least the rule's, as its own
  kTextHasWord,     // the property's text holds one of the words (any case, at a word start)
  kTextLacksWords,  // the property's text is set and holds none of the words
  kNumberIsOneOf,   // one of the property's numbers is one of the numbers
  kAtOrBelow,       // the property's number is at or below the (non-zero) number of the named property
};

// "{group}" in a message is the value of the group property, in a page the
// last part of that value's path; "{severity}" is the severity's word;
// "{value}" is the text of the rule's property.
struct TProblemRule {
  EProblemSection fSection;
  const char* fClass;  // instances of subclasses too
  const char* fProperty;
  ECondition fCondition;
  const char* fOperand;  // alternatives separated by '|'
  ESeverity fSeverity;
  const char* fMessage;
  const char* fPage;    // link names, any case, '|' between: the first written page that shows the instance
  const char* fRowKey;  // the property whose text the instance's row on the page shows
  const char* fGroup;   // one problem per value of this property; "" for one
};

const ECondition kLog = ECondition::kRecordSeverity;
const ESeverity kInfo = ESeverity::kInfo;
const ESeverity kWarning = ESeverity::kWarning;
const ESeverity kError = ESeverity::kError;
const EProblemSection kHighlight = EProblemSection::kHighlight;
const EProblemSection kHardware = EProblemSection::kHardware;
const EProblemSection kLogs = EProblemSection::kLog;
const EProblemSection kCollector = EProblemSection::kCollector;

// A state of OperationalStatus by its word, rated as the sensor rules below
// rate its number.
struct TStatusRating {
  const char* fWord;
  ESeverity fSeverity;
};
const TStatusRating kOperationalStatuses[] = {
    {"OK", ESeverity::kNone},
    {"Degraded", kWarning},
    {"Stressed", kWarning},
    {"Predictive Failure", kWarning},
    {"Error", kError},
    {"Non-Recoverable Error", kError},
    {"No Contact", kError},
    {"Lost Communication", kError},
};

// An instance counts under the first rule it meets: the SEL's correctable
// ECC events are not also its warning events.
const TProblemRule kProblemRules[] = {
    {kHighlight, "VKXSG_HeavyHittersLogRecord", "", kLog, "", kInfo, "{group}", "system_overview", "Message",
     "Message"},
    // OperationalStatus: 3 Degraded, 4 Stressed, 5 Predictive Failure; 6 Error, 7 Non-Recoverable Error,
    // 10 Stopped, 12 No Contact, 13 Lost Communication (kOperationalStatuses below, by word).
    {kHardware, "LSIESG_StorageVolume", "OperationalStatus", ECondition::kNumberIsOneOf, "3|5|6|7|10|13", kError,
     "RAID volume not optimal: {group}", "lsi_mir", "ElementName", "ElementName"},
    {kHardware, "PMC_StorageVolume", "OperationalStatus", ECondition::kNumberIsOneOf, "3|5|6|7|10|13", kError,
     "RAID volume not optimal: {group}", "pmc_raid", "ElementName", "ElementName"},
    {kHardware, "VKXSG_LSILogicalDisk", "VolumeStatus", ECondition::kTextLacksWords, "okay|optimal", kError,
     "RAID volume not optimal: {value}", "lsi_mir|lsiide", "VolumeStatus", ""},
    {kHardware, "VKXSG_krLogicalDisk", "LogicalDriveStatus", ECondition::kTextLacksWords, "okay|optimal", kError,
     "KeelRAID logical drive {group}: {value}", "KRaid", "LogicalDriveStatus", "LogicalDriveName"},
    {kHardware, "VKXSG_krDiskDrive", "State", ECondition::kTextHasWord, "defunct|failed|offline", kError,
     "KeelRAID disk {group}: {value}", "KRaid", "State", "DeviceID"},
    {kHardware, "CIM_PowerSupply", "OperationalStatus", ECondition::kNumberIsOneOf, "3|5|6|7|10|13", kError,
     "Power supply failed or degraded: {group}", "", "Name", "Name"},
    {kHardware, "CIM_NumericSensor", "OperationalStatus", ECondition::kNumberIsOneOf, "6|7|12|13", kError,
     "Sensor in error: {group}", "Environmentals", "ElementName", "ElementName"},
    {kHardware, "CIM_NumericSensor", "OperationalStatus", ECondition::kNumberIsOneOf, "3|4|5", kWarning,
     "Sensor out of its normal state: {group}", "Environmentals", "ElementName", "ElementName"},
    {kHardware, "OMC_IDESMARTErrorLog", "smartStatus", ECondition::kTextLacksWords, "passed|ok", kError,
     "Drives whose SMART health is not passed", "Drive_Health", "smartStatus", ""},
    {kHardware, "OMC_IDESMARTAttrib", "value", ECondition::kAtOrBelow, "threshold", kError,
     "SMART attributes at or below their failure threshold", "Drive_Health", "attribName", ""},
    // EnabledState 3: Disabled, the link down.
    {kHardware, "VKXSG_PhysicalNetworkPort", "EnabledState", ECondition::kNumberIsOneOf, "3", kWarning,
     "Network port down: {group}", "net", "Name", "Name"},
    {kLogs, "VKXSG_IPMILogRecord", "Message", ECondition::kTextHasWord, "correctable ecc", kWarning,
     "Correctable ECC events in the IPMI SEL", "ipmi_event", "Message", ""},
    {kLogs, "OMC_IpmiLogRecord", "Description", ECondition::kTextHasWord, "correctable ecc", kWarning,
     "Correctable ECC events in the IPMI SEL", "ipmi_event", "Description", ""},
    {kLogs, "VKXSG_IPMILogRecord", "", kLog, "", kWarning, "{severity} events in the IPMI SEL", "ipmi_event",
     "Message", ""},
    {kLogs, "OMC_IpmiLogRecord", "", kLog, "", kWarning, "{severity} events in the IPMI SEL", "ipmi_event",
     "Description", ""},
    {kLogs, "VKX_StandardMessageLogEntry", "", kLog, "", kWarning, "{severity} events in the chassis event log",
     "chassis_event", "Message", ""},
    {kLogs, "VKXSG_LinuxEventLogRecord", "", kLog, "", kWarning, "{severity} records in {group}", "syslog_{group}",
     "Message", "LogName"},
    {kLogs, "VKXSG_WindowsSystemEventLogRecord", "", kLog, "", kWarning, "{severity} records in the System event log",
     "event_system", "Message", ""},
    {kLogs, "VKXSG_WindowsApplicationEventLogRecord", "", kLog, "", kWarning,
     "{severity} records in the Application event log", "event_application", "Message", ""},
    {kLogs, "VKXSG_WindowsSecurityEventLogRecord", "", kLog, "", kWarning,
     "{severity} records in the Security event log", "event_security", "Message", ""},
    {kLogs, "VKXSG_LogRecord_RAIDMgrEvent", "", kLog, "", kWarning, "{severity} events in the KeelRAID event log",
     "keelRaidlogs", "Message", ""},
    {kLogs, "VKXSG_ODRLog", "", kLog, "", kWarning, "{severity} events in the ODR event log", "odr_event", "Message",
     ""},
    {kLogs, "VKXSG_YELMLog", "", kLog, "", kWarning, "{severity} events in the YELM event log", "yelm_event",
     "Message", ""},
    {kLogs, "VKXSG_MemoryDiagLogRecord", "", kLog, "", kWarning, "{severity} records of the memory test", "diags",
     "Message", ""},
    {kCollector, "VKXSG_QZALogRecord", "", kLog, "", kWarning, "{group}", "qza_log", "Message", "Message"},
};

// A record's time, in the first of these properties it fills.
const char* const kTimeFields[] = {"MessageTimestamp", "CreationTimeStamp", "TimeGenerated"};

std::vector<std::string> Alternatives(const std::string& operand) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= operand.size()) {
    const size_t bar = std::min(operand.find('|', start), operand.size());
    if (bar > start) parts.push_back(operand.substr(start, bar - start));
    start = bar + 1;
  }
  return parts;
}

// "lower" is lowercase; word is.
bool HasWord(const std::string& lower, const std::string& word) {
  for (size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1)) {
    if (at == 0 || !std::isalpha(static_cast<unsigned char>(lower[at - 1]))) return true;
  }
  return false;
}

char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsLetter(char c) { return LowerLetter(c) >= 'a' && LowerLetter(c) <= 'z'; }

// Whether the lowercase word stands in text at, in any case.
bool WordAt(const std::string& text, size_t at, const char* word) {
  for (; *word != '\0'; ++word, ++at) {
    if (at == text.size() || LowerLetter(text[at]) != *word) return false;
  }
  return true;
}

// A list of severity words, first match wins, read in one pass over a text
// rather than one per word and without a lowercase copy: every log record
// is read this way, more than once. At each word start of the text only the
// words that begin with its letter are tried.
template <size_t N>
class TSeverityWords {
 public:
  static_assert(N <= 32, "a word list of at most 32 words");
  explicit TSeverityWords(const TSeverityWord (&words)[N]) : fWords(words) {
    for (size_t w = 0; w < N; ++w) {
      fFirstLetters[static_cast<unsigned char>(words[w].fWord[0])] |= uint32_t(1) << w;
      if (words[w].fBound != EBound::kNone) fBounds |= uint32_t(1) << w;
    }
  }

  // The severity of the first word that starts a word of the text.
  ESeverity FirstIn(const std::string& text) const {
    const size_t first = FirstIndexIn(text, ~uint32_t(0));
    return first == N ? ESeverity::kNone : fWords[first].fSeverity;
  }

  // The own severity as the first word with a bound in the text bounds it.
  ESeverity Bounded(ESeverity own, const std::string& text) const {
    const size_t first = FirstIndexIn(text, fBounds);
    if (first == N || own == ESeverity::kNone) return own;
    const ESeverity bound = fWords[first].fSeverity;
    return fWords[first].fBound == EBound::kAtMost ? std::min(own, bound) : std::max(own, bound);
  }

 private:
  // The index of the first of the allowed words that starts a word of the text; N for none.
  size_t FirstIndexIn(const std::string& text, uint32_t allowed) const {
    size_t first = N;
    for (size_t at = 0; at < text.size() && first > 0; ++at) {
      if (at > 0 && IsLetter(text[at - 1])) continue;
      // Only words before the first found so far can still win.
      uint32_t candidates =
          fFirstLetters[static_cast<unsigned char>(LowerLetter(text[at]))] & ((uint32_t(1) << first) - 1) & allowed;
      for (; candidates != 0; candidates &= candidates - 1) {
        const size_t w = static_cast<size_t>(__builtin_ctz(candidates));
        if (WordAt(text, at, fWords[w].fWord)) {
          first = w;
          break;
        }
      }
    }
    return first;
  }

  const TSeverityWord (&fWords)[N];
  uint32_t fFirstLetters[256] = {};  // bit w: word w begins with the letter
  uint32_t fBounds = 0;              // bit w: word w has a bound
};

const TSeverityWords kFieldWordList(kFieldWords);
const TSeverityWords kMessageWordList(kMessageWords);

// The instance's property of a name its class declares, when its value is set.
TWriter::TPropertyPtr SetProperty(const ICIMInstance& instance, const std::string& name) {
  try {
    TWriter::TPropertyPtr property = instance.GetProperty(name);
    if (property && !property->GetValue().IsNull()) return property;
  } catch (const TQZAException&) {
    // An unreadable value tells nothing.
  }
  return TWriter::TPropertyPtr();
}

bool Declares(const NVKXQZA20::ICIMClass& cimClass, const std::string& name) {
  try {
    return static_cast<bool>(cimClass.GetPropertyDecl(name));
  } catch (const TQZAException&) {
    return false;
  }
}

TWriter::TPropertyPtr FilledProperty(const ICIMInstance& instance, const std::string& name) {
  try {
    // Asking the class first spares an exception per record of a class without the property.
    if (!Declares(*instance.GetClass(), name)) return TWriter::TPropertyPtr();
  } catch (const TQZAException&) {
    return TWriter::TPropertyPtr();
  }
  return SetProperty(instance, name);
}

std::string Text(const TWriter::TPropertyPtr& property) {
  if (!property) return "";
  std::string text;
  for (const std::string& value : property->GetValueTexts()) {
    if (!text.empty()) text += ", ";
    text += value;
  }
  return text;
}

std::string Text(const ICIMInstance& instance, const std::string& name) { return Text(FilledProperty(instance, name)); }

std::vector<long long> Numbers(const TWriter::TPropertyPtr& property) {
  std::vector<long long> numbers;
  if (!property) return numbers;
  try {
    const TCIMValue value = property->GetValue();
    if (!value.IsArray()) return {value.ToSInt64()};
    for (const TCIMValue& element : value.ToArray()) numbers.push_back(element.ToSInt64());
  } catch (const TQZAException&) {
    // Not a number: no numbers.
  }
  return numbers;
}

std::vector<long long> Numbers(const ICIMInstance& instance, const std::string& name) {
  return Numbers(FilledProperty(instance, name));
}

// The severity of the problem the instance makes under the rule; kNone
// when it does not meet the rule.
ESeverity ProblemSeverity(const TProblemRule& rule, const ICIMInstance& instance, TRecordSeverities& severities) {
  const std::vector<std::string> operands = Alternatives(rule.fOperand);
  const ESeverity met = rule.fSeverity;
  const ESeverity none = ESeverity::kNone;
  switch (rule.fCondition) {
    case ECondition::kRecordSeverity: {
      const ESeverity own = severities.Of(instance);
      return own >= rule.fSeverity ? own : none;
    }
    case ECondition::kTextHasWord:
    case ECondition::kTextLacksWords: {
      const std::string text = boost::algorithm::to_lower_copy(Text(instance, rule.fProperty));
      const bool has = std::any_of(operands.begin(), operands.end(), [&](const std::string& w) { return HasWord(text, w); });
      return (rule.fCondition == ECondition::kTextHasWord ? has : !text.empty() && !has) ? met : none;
    }
    case ECondition::kNumberIsOneOf:
      for (long long number : Numbers(instance, rule.fProperty)) {
        for (const std::string& operand : operands) {
          if (std::to_string(number) == operand) return met;
        }
      }
      return none;
    case ECondition::kAtOrBelow: {
      const std::vector<long long> value = Numbers(instance, rule.fProperty);
      const std::vector<long long> limit = Numbers(instance, rule.fOperand);
      return value.size() == 1 && limit.size() == 1 && limit[0] > 0 && value[0] <= limit[0] ? met : none;
    }
  }
  return none;
}

std::string Replaced(std::string text, const std::string& field, const std::string& value) {
  const size_t at = text.find(field);
  return at == std::string::npos ? text : text.replace(at, field.size(), value);
}

std::string LastPathPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

TWriter::TInstances InstancesOf(const TWriter::TNamespacePtr& ns, const std::string& className) {
  TWriter::TInstances instances;
  try {
    ns->GetClass(className)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true);
  } catch (const TQZAException&) {
    // A class the repository lacks has no instances.
  }
  return instances;
}


// The DMTF text of the record's time; "" for none.
std::string RecordTime(const ICIMInstance& record) {
  for (const char* field : kTimeFields) {
    const TWriter::TPropertyPtr property = FilledProperty(record, field);
    if (property && property->GetValue().GetType() == NVKXQZA20::CIMTypeDateTime) {
      return property->GetValue().ToDateTime().ToDMTFString();
    }
  }
  return "";
}

// Rules of one class may claim the same instance.
bool SharesItsClass(const TProblemRule& rule) {
  return std::count_if(std::begin(kProblemRules), std::end(kProblemRules),
                       [&](const TProblemRule& other) { return std::string(other.fClass) == rule.fClass; }) > 1;
}

// A problem and the DMTF time of its latest record.
struct TFound {
  TProblem fProblem;
  std::string fLatest;
};

// The problems of one rule: one per group and, for log rules, per severity;
// claimed: the instances an earlier rule counted, by object path.
void AddProblems(const TProblemRule& rule, const TWriter::TNamespacePtr& ns, TRecordSeverities& severities,
                 std::set<std::string>& claimed, std::vector<TProblem>& problems) {
  std::map<std::pair<std::string, ESeverity>, TFound> found;
  std::vector<std::pair<std::string, ESeverity>> order;
  const bool mayShare = SharesItsClass(rule);
  for (const TWriter::TInstancePtr& instance : InstancesOf(ns, rule.fClass)) {
    const ESeverity severity = ProblemSeverity(rule, *instance, severities);
    if (severity == ESeverity::kNone) continue;
    if (mayShare && !claimed.insert(instance->GetReference().GetPath()).second) continue;
    const std::string group = *rule.fGroup ? Text(*instance, rule.fGroup) : "";
    const auto key = std::make_pair(group, severity);
    auto known = found.find(key);
    if (known == found.end()) {
      const std::string message = Replaced(Replaced(Replaced(rule.fMessage, "{group}", group), "{severity}",
                                                    SeverityWord(severity)),
                                           "{value}", Text(*instance, rule.fProperty));
      const std::string page = Replaced(rule.fPage, "{group}", LastPathPart(group));
      TProblem problem{rule.fSection, severity, message, 0, page, "", page != rule.fPage ? group : "", "", ""};
      known = found.emplace(key, TFound{problem, ""}).first;
      order.push_back(key);
    }
    TFound& problem = known->second;
    ++problem.fProblem.fCount;
    // The latest record's row is the one linked; untimed instances link the first.
    const std::string time = rule.fCondition == kLog || rule.fSection == kLogs ? RecordTime(*instance) : "";
    if (problem.fProblem.fCount > 1 && time <= problem.fLatest) continue;
    problem.fLatest = time;
    problem.fProblem.fRowKey = Text(*instance, rule.fRowKey);
    if (rule.fSection != kLogs) continue;
    // A line of the index: the message's first line.
    const std::string& text = problem.fProblem.fRowKey;
    problem.fProblem.fLatestMessage = text.substr(0, text.find_first_of("\r\n"));
    problem.fProblem.fLatestTime = TimeWithOffset(time);
  }
  for (const auto& key : order) problems.push_back(found.at(key).fProblem);
}

}  // namespace

std::string ProblemSectionTitle(EProblemSection section) {
  switch (section) {
    case EProblemSection::kHighlight:
      return "Analysis highlights";
    case EProblemSection::kHardware:
      return "Hardware state";
    case EProblemSection::kLog:
      return "Log problems";
    case EProblemSection::kCollector:
      break;
  }
  return "What the collector could not read";
}

std::string SeverityName(ESeverity severity) {
  return boost::algorithm::to_lower_copy(SeverityWord(severity));
}

std::string SeverityWord(ESeverity severity) {
  switch (severity) {
    case ESeverity::kCritical:
      return "Critical";
    case ESeverity::kError:
      return "Error";
    case ESeverity::kWarning:
      return "Warning";
    case ESeverity::kInfo:
      return "Info";
    case ESeverity::kNone:
      break;
  }
  return "";
}

ESeverity SeverityOfOperationalStatus(const std::string& word) {
  if (word.empty()) return ESeverity::kNone;
  for (const TStatusRating& rating : kOperationalStatuses) {
    if (word == rating.fWord) return rating.fSeverity;
  }
  return ESeverity::kInfo;
}

ESeverity SeverityOfField(const std::string& text) {
  for (const TSeverityWord& letter : kFieldLetters) {
    if (text == letter.fWord) return letter.fSeverity;
  }
  return kFieldWordList.FirstIn(text);
}

ESeverity BoundedByMessage(ESeverity own, const std::string& message) {
  return kMessageWordList.Bounded(own, message);
}

ESeverity SeverityOfMessage(const std::string& text) {
  const ESeverity severity = kMessageWordList.FirstIn(text);
  return severity == ESeverity::kNone ? ESeverity::kInfo : severity;
}

const TRecordSeverities::TClassFields& TRecordSeverities::FieldsOf(const boost::shared_ptr<NVKXQZA20::ICIMClass>& cimClass) {
  auto known = fClasses.find(cimClass.get());
  if (known != fClasses.end()) return known->second;
  // Bounded, should classes come and go.
  if (fClasses.size() >= kMaxKnownClasses) fClasses.clear();
  TClassFields fields;
  fields.fClass = cimClass;
  try {
    fields.fLogRecord = cimClass->IsA(kLogRecordClass);
  } catch (const TQZAException&) {
    fields.fLogRecord = false;
  }
  for (const char* field : kSeverityFields) {
    if (Declares(*cimClass, field)) fields.fSeverityFields.push_back(field);
  }
  for (const char* field : kMessageFields) {
    if (Declares(*cimClass, field)) fields.fMessageFields.push_back(field);
  }
  return fClasses.emplace(cimClass.get(), std::move(fields)).first->second;
}

ESeverity TRecordSeverities::Of(const ICIMInstance& record) {
  boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass;
  try {
    cimClass = record.GetClass();
  } catch (const TQZAException&) {
    return ESeverity::kNone;
  }
  if (!cimClass) return ESeverity::kNone;
  const TClassFields& fields = FieldsOf(cimClass);
  if (!fields.fLogRecord) return ESeverity::kNone;
  std::string message;
  for (const std::string& field : fields.fMessageFields) {
    message = Text(SetProperty(record, field));
    if (!message.empty()) break;
  }
  for (const std::string& field : fields.fSeverityFields) {
    TWriter::TPropertyPtr property = SetProperty(record, field);
    if (!property) continue;
    ESeverity severity = ESeverity::kNone;
    if (property->GetValue().GetType() == NVKXQZA20::CIMTypeString) {
      severity = SeverityOfField(Text(property));
    } else {
      const std::vector<long long> number = Numbers(property);
      if (number.size() == 1 && number[0] >= 0 && number[0] < 8) severity = kPerceivedSeverities[number[0]];
    }
    if (severity != ESeverity::kNone) return BoundedByMessage(severity, message);
  }
  return message.empty() ? ESeverity::kInfo : SeverityOfMessage(message);
}

// "_2", "_3"...: what the pages of a name already taken get.
bool IsNumberSuffix(const std::string& text) {
  return text.size() > 1 && text[0] == '_' &&
         std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsProblemPage(const TProblem& problem, const std::string& linkName, const std::string& pageName) {
  if (!problem.fPageName.empty() && problem.fPageName != pageName) return false;
  const std::string link = boost::algorithm::to_lower_copy(linkName);
  for (const std::string& alternative : Alternatives(problem.fPage)) {
    const std::string page = boost::algorithm::to_lower_copy(alternative);
    if (page == link) return true;
    if (!problem.fPageName.empty() && link.rfind(page, 0) == 0 && IsNumberSuffix(link.substr(page.size()))) return true;
  }
  return false;
}

std::vector<TProblem> ReadReportProblems(const TWriter::TNamespacePtr& ns) {
  std::vector<TProblem> problems;
  if (!ns) return problems;
  TRecordSeverities severities;
  std::set<std::string> claimed;
  for (const TProblemRule& rule : kProblemRules) AddProblems(rule, ns, severities, claimed, problems);
  std::stable_sort(problems.begin(), problems.end(), [](const TProblem& a, const TProblem& b) {
    return a.fSection != b.fSection ? a.fSection < b.fSection : a.fSeverity > b.fSeverity;
  });
  return problems;
}
