#include <gtest/gtest.h>

#include "report/report.h"
#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

typedef std::vector<std::string> TTexts;

// Writes the full report, which repairs the repository first.
void WriteReport(const TTestNamespace& ns) {
  TReport report(ns, TCIMContext(), "/target");
  TRecordingWriter writer;
  report.Write(&writer, TCIMContext());
}

TTexts Texts(const TTestNamespace& ns, const std::string& className, const std::string& property) {
  std::vector<TWriter::TInstancePtr> instances;
  ns->GetClass(className)->EnumerateInstances(
      NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(instances), true);
  TTexts texts;
  for (const TWriter::TInstancePtr& instance : instances) {
    texts.push_back(instance->GetProperty(property)->GetValue().ToString());
  }
  return texts;
}

// Writes the report twice; answers the texts after the first and the second run.
std::pair<TTexts, TTexts> TwoRuns(const TTestNamespace& ns, const std::string& className,
                                  const std::string& property) {
  WriteReport(ns);
  const TTexts first = Texts(ns, className, property);
  WriteReport(ns);
  return {first, Texts(ns, className, property)};
}

const char kLogs[] = R"(
  class VKXSG_HeavyHittersLogRecord {
    [Key] string CreationClassName; [Key] string LogName; [Key] string LogCreationClassName;
    [Key] string RecordID; string Message; datetime MessageTimestamp; };
  class VKXSG_ODRlog { [Key] string RecordID; string Message; };
  class VKXSG_IPMILogRecord { [Key] string RecordID; string Message; };
)";

std::string HeavyHitter(const std::string& id, const std::string& message) {
  return "instance of VKXSG_HeavyHittersLogRecord { CreationClassName = \"c\"; LogName = \"l\"; "
         "LogCreationClassName = \"lc\"; RecordID = \"" + id + "\"; Message = \"" + message + "\"; };";
}

const char kAdvice[] = " Check KeelRAID or ODR Event or IPMI Event  for more infomation.";

TEST(Fixups, RaidDiskRemovalsAreExplainedOnce) {
  TTestNamespace ns = RepositoryFromMof(std::string(kLogs) +
                                        HeavyHitter("1", "Perch 5: Hard drive 2 removal detected.") +
                                        HeavyHitter("2", "Fan removal detected."));
  const TTexts explained = {std::string("Perch 5: Hard drive 2 (possibly RAID drive) removal detected.") + kAdvice,
                            "Fan removal detected."};
  EXPECT_EQ(std::make_pair(explained, explained), TwoRuns(ns, "VKXSG_HeavyHittersLogRecord", "Message"));
}

TEST(Fixups, RemovalsReportedByOtherLogsAddOneRecord) {
  const std::string added = std::string("Hard drive (possibly RAID drive) removal detected.") + kAdvice;
  const struct {
    std::string fOtherLogs;
    TTexts fMessages;
  } cases[] = {
      {"instance of VKXSG_ODRlog { RecordID = \"1\"; Message = \"Hard drive 3 removal detected\"; };",
       {"Hard drive 2 removal detected.", added}},
      {"instance of VKXSG_IPMILogRecord { RecordID = \"1\"; "
       "Message = \"Disk or disk bay: Drive Slot Present, Deassertion\"; };",
       {"Hard drive 2 removal detected.", added}},
      {"instance of VKXSG_ODRlog { RecordID = \"1\"; Message = \"Hard drive 3 inserted\"; };",
       {"Hard drive 2 removal detected."}},
  };
  for (const auto& c : cases) {
    TTestNamespace ns =
        RepositoryFromMof(kLogs + HeavyHitter("1", "Hard drive 2 removal detected.") + c.fOtherLogs);
    EXPECT_EQ(std::make_pair(c.fMessages, c.fMessages), TwoRuns(ns, "VKXSG_HeavyHittersLogRecord", "Message"))
        << c.fOtherLogs;
  }
}

TEST(Fixups, AddedRemovalRecordIsDatedAndNumbered) {
  TTestNamespace ns = RepositoryFromMof(
      std::string(kLogs) + "instance of VKXSG_ODRlog { RecordID = \"1\"; Message = \"Hard drive removal detected\"; };");
  WriteReport(ns);
  EXPECT_EQ(TTexts{"Test"}, Texts(ns, "VKXSG_HeavyHittersLogRecord", "LogName"));
  EXPECT_EQ(TTexts{"0"}, Texts(ns, "VKXSG_HeavyHittersLogRecord", "RecordID"));
  EXPECT_EQ(TTexts{NVKXQZA20::TCIMDateTime(2000, 1, 1, 1, 1, 1, 1, 1).ToDMTFString()},
            Texts(ns, "VKXSG_HeavyHittersLogRecord", "MessageTimestamp"));
}

TEST(Fixups, RedundantPerchMonitorsAreRemoved) {
  TTestNamespace ns = RepositoryFromMof(R"(
    class VKXSG_DesktopMonitor { [Key] string Name; };
    instance of VKXSG_DesktopMonitor { Name = "Default Monitor"; };
    instance of VKXSG_DesktopMonitor { Name = "VKX Perch2 Display"; };)");
  const TTexts kept = {"Default Monitor"};
  EXPECT_EQ(std::make_pair(kept, kept), TwoRuns(ns, "VKXSG_DesktopMonitor", "Name"));
}

const char kMemory[] = R"(
  class VKXSG_SPDData { [Key] string Name; string Manufacturer; };
  class VKXSG_LogicalDevice { [Key] string Name; string DeviceClass; string Manufacturer; };
  instance of VKXSG_LogicalDevice { Name = "m"; DeviceClass = "memory"; };
  instance of VKXSG_LogicalDevice { Name = "M"; DeviceClass = "Memory"; Manufacturer = "own"; };
)";

std::string Module(const std::string& name, const std::string& maker) {
  return "instance of VKXSG_SPDData { Name = \"" + name + "\"; Manufacturer = \"" + maker + "\"; };";
}

TEST(Fixups, ComparisonRunLeavesTheRepositoryAlone) {
  TTestNamespace ns = RepositoryFromMof(kMemory + Module("1", "A"));
  ns->SetGenerationMode(1);
  TLogCapture log;
  WriteReport(ns);
  EXPECT_EQ((TTexts{"", "own"}), Texts(ns, "VKXSG_LogicalDevice", "Manufacturer"));
  EXPECT_TRUE(log.Has(3, "TReport::Write -- Under DELTA mode, don't invok fixing functions"));
  EXPECT_FALSE(log.Has(3, "TReport::AddManufacturerForMem -- Entering"));
}

TEST(Fixups, FailingRepairIsLoggedAndTheOthersStillRun) {
  TTestNamespace ns = RepositoryFromMof(kMemory + Module("1", "A") + R"(
    class VKXSG_ComputerSystem { [Key] string Name; };
    instance of VKXSG_ComputerSystem { Name = "no product name"; };)");
  TLogCapture log;
  WriteReport(ns);
  EXPECT_EQ(1u, log.Containing("TReport::fixProductNameofComputerSystem -- Exception ").size());
  EXPECT_EQ((TTexts{"A", "own"}), Texts(ns, "VKXSG_LogicalDevice", "Manufacturer"));
}

// A maker joins the list unless its text occurs anywhere in it already,
// across the blanks between makers too.
TEST(Fixups, MemoryMakersJoinTheListUnlessTheirTextOccursInIt) {
  TTestNamespace ns = RepositoryFromMof(kMemory + Module("1", "Qrix Memory") + Module("2", "Qrix") +
                                        Module("3", "") + Module("4", "Ulvo") + Module("5", "ory   Ul") +
                                        Module("6", "vo   Ul") + Module("7", "Memory"));
  WriteReport(ns);
  EXPECT_EQ((TTexts{"Qrix Memory   Ulvo   vo   Ul", "own"}), Texts(ns, "VKXSG_LogicalDevice", "Manufacturer"));
}

}  // namespace
