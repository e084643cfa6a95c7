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
    instance of CIM_RecordForLog { RecordID = "bare"; };)MOF";
  const std::map<std::string, ESeverity> expected = {{"coded", kCritical}, {"uncoded", kWarning},
                                                     {"named", kInfo},     {"unnamed", kError},
                                                     {"other", kNone},     {"bare", kInfo}};
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

}  // namespace
