#include "findings/report_problems.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/mof_reader.h"

namespace {

const ESeverity kNone = ESeverity::kNone;
const ESeverity kInfo = ESeverity::kInfo;
const ESeverity kWarning = ESeverity::kWarning;
const ESeverity kError = ESeverity::kError;
const ESeverity kCritical = ESeverity::kCritical;

// A word counts at the start of a word of the text, in any case, and the
// first word of its list that does wins, wherever it stands in the text.
TEST(Severities, TheFirstListedWordThatStartsAWordWins) {
  struct TCase {
    const char* fText;
    ESeverity fAsField;
    ESeverity fAsMessage;
  };
  const TCase cases[] = {
      {"", kNone, kInfo},
      {"E", kError, kInfo},
      {"Audit Failure", kWarning, kError},
      {"Sensor 12 | Correctable ECC | Asserted", kNone, kWarning},
      {"Sensor 12 | Correctable ECC | Deasserted", kNone, kInfo},
      {"Uncorrectable ECC", kNone, kCritical},
      {"link lost, then error", kError, kError},
      {"terror alert", kCritical, kInfo},
      {"x-fail", kError, kError},
      {"Failed password for root", kError, kWarning},
      {"3errors", kError, kError},
      {"NON-CRITICAL", kCritical, kWarning},
      {"informational", kInfo, kInfo},
      {"EDAC MC1: 1 CE memory read error on DIMM#0", kError, kWarning},
      {"A corrected hardware error has occurred", kError, kWarning},
      {"qla2xxx [0000:af:00.1]-500b:2: LOOP DOWN detected (2 7 0 0).", kNone, kWarning},
      {"Power supply 2 in node 1 has lost input.", kNone, kWarning},
      {"ixgbe 0000:3b:00.0 eno3: NIC Link is Down", kNone, kWarning},
  };
  for (const TCase& test : cases) {
    EXPECT_EQ(test.fAsField, SeverityOfField(test.fText)) << test.fText;
    EXPECT_EQ(test.fAsMessage, SeverityOfMessage(test.fText)) << test.fText;
  }
}

// A record's own field first (a code or a word), its message when the field
// is empty or tells nothing; no severity for an instance that is no record.
TEST(Severities, ARecordTellsItsOwnFirstThenByItsMessage) {
  const char mof[] = R"MOF(
    class CIM_RecordForLog { [Key] string RecordID; string Message; };
    class Test_Coded : CIM_RecordForLog { uint16 PerceivedSeverity; };
    class Test_Named : CIM_RecordForLog { string Severity; };
    class Test_Other { [Key] string RecordID; string Message; };
    instance of Test_Coded { RecordID = "coded"; PerceivedSeverity = 6; Message = "all fine"; };
    instance of Test_Coded { RecordID = "uncoded"; Message = "link lost"; };
    instance of Test_Named { RecordID = "named"; Severity = "Notice"; Message = "disk failed"; };
    instance of Test_Named { RecordID = "unnamed"; Severity = "verbose"; Message = "disk failed"; };
    instance of Test_Other { RecordID = "other"; Message = "error"; };
    instance of CIM_RecordForLog { RecordID = "bare"; };
    instance of Test_Coded { RecordID = "lost input"; PerceivedSeverity = 2; Message = "PSU 2 has lost input."; };
    instance of Test_Coded { RecordID = "loop down"; PerceivedSeverity = 6; Message = "LOOP DOWN detected"; };
    instance of Test_Named { RecordID = "corrected"; Severity = "Error"; Message = "1 CE memory read error"; };)MOF";
  // A message word with a bound moves the record's own severity up or down to it, never past it.
  const std::map<std::string, ESeverity> expected = {
      {"coded", kCritical},      {"uncoded", kWarning},   {"named", kInfo},         {"unnamed", kError},
      {"other", kNone},          {"bare", kInfo},         {"lost input", kWarning}, {"loop down", kCritical},
      {"corrected", kWarning}};
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
  TRecordSeverities severities;
  std::map<std::string, ESeverity> found;
  // Twice, so that a class's fields are also read as learnt.
  for (int pass = 0; pass < 2; ++pass) {
    for (const char* cls : {"Test_Coded", "Test_Named", "Test_Other", "CIM_RecordForLog"}) {
      std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> records;
      ns->GetClass(cls)->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(records), false);
      for (const auto& record : records) {
        EXPECT_EQ(expected.at(record->GetProperty("RecordID")->GetValueText()), severities.Of(*record)) << cls;
      }
    }
  }
}

// An instance counts under the first rule it meets, and the index reads the
// collector's highlights, then the hardware, then the logs, then the collector.
TEST(Problems, EachInstanceCountsOnceAndSectionsComeInOrder) {
  const char mof[] = R"MOF(
    class CIM_RecordForLog { [Key] string RecordID; string Message; datetime MessageTimestamp; };
    class VKXSG_IPMILogRecord : CIM_RecordForLog { };
    class VKXSG_QZALogRecord : CIM_RecordForLog { string Type; };
    class VKXSG_HeavyHittersLogRecord : CIM_RecordForLog { };
    class VKXSG_krLogicalDisk { [Key] string LogicalDriveName; string LogicalDriveStatus; };
    instance of VKXSG_QZALogRecord { RecordID = "q"; Type = "Error"; Message = "sensors: no access"; };
    instance of VKXSG_IPMILogRecord { RecordID = "1"; Message = "DIMM 2 | Correctable ECC | Asserted";
                                      MessageTimestamp = "20261002060000.000000+060"; };
    instance of VKXSG_IPMILogRecord { RecordID = "2"; Message = "Fan 1 | timed out";
                                      MessageTimestamp = "20261003060000.000000-300"; };
    instance of VKXSG_IPMILogRecord { RecordID = "3"; Message = "Fan 1 | Lower Non-critical going low";
                                      MessageTimestamp = "20261004070000.000000-300"; };
    instance of VKXSG_krLogicalDisk { LogicalDriveName = "SQLData"; LogicalDriveStatus = "Critical"; };
    class CIM_NumericSensor { [Key] string ElementName; uint16 OperationalStatus[]; };
    instance of CIM_NumericSensor { ElementName = "Fan 3"; OperationalStatus = {12}; };
    instance of CIM_NumericSensor { ElementName = "Inlet Temp"; OperationalStatus = {2}; };
    instance of VKXSG_HeavyHittersLogRecord { RecordID = "h"; Message = "logical drive 1 is critical"; };)MOF";
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
  std::vector<std::string> found;
  for (const TProblem& p : ReadReportProblems(ns)) {
    found.push_back(ProblemSectionTitle(p.fSection) + ": " + p.fMessage + " " + std::to_string(p.fCount) + " | " +
                    p.fLatestMessage + " | " + p.fLatestTime);
  }
  const std::vector<std::string> expected = {
      "Analysis highlights: logical drive 1 is critical 1 |  | ",
      "Hardware state: KeelRAID logical drive SQLData: Critical 1 |  | ",
      "Hardware state: Sensor in error: Fan 3 1 |  | ",
      "Log problems: Correctable ECC events in the IPMI SEL 1 | DIMM 2 | Correctable ECC | Asserted | "
      "2026-10-02 06:00:00 UTC+01:00",
      "Log problems: Warning events in the IPMI SEL 2 | Fan 1 | Lower Non-critical going low | "
      "2026-10-04 07:00:00 UTC-05:00",
      "What the collector could not read: sensors: no access 1 |  | "};
  EXPECT_EQ(expected, found);
}

}  // namespace
