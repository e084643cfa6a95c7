#include "findings/empty_pages.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/mof_reader.h"

namespace {

// An empty page names what the collector logged for its sources, and only
// those; a page the collector says nothing of, or a collection without a
// collector's log, gets the plain sentence.
TEST(TEmptyPageReasons, AnEmptyPageSaysWhatTheCollectorLoggedForItsSources) {
  const std::string mof = R"MOF(
    class VKXSG_QZALogRecord { [Key] string RecordID; string Source; string Message; };
    instance of VKXSG_QZALogRecord { RecordID = "1"; Source = "collector.sensors (lm-sensors)"; Message = "sensors: not installed."; };
    instance of VKXSG_QZALogRecord { RecordID = "2"; Source = "collector.sensors"; Message = "No sensors found."; };
    instance of VKXSG_QZALogRecord { RecordID = "3"; Source = "collector.kernel modules"; Message = "lsmod: 0 record(s) read."; };
    instance of VKXSG_QZALogRecord { RecordID = "4"; Source = "collector.processes"; Message = ""; };)MOF";
  const std::vector<std::array<const char*, 2>> cases = {
      {"Environmentals", "No data. The collector's log says: No sensors found. sensors: not installed."},
      {"kernelmodules", "No data. The collector's log says: lsmod: 0 record(s) read."},
      {"processes", "No data: this collection holds nothing for this page."},
      {"emulex", "No data: this collection holds nothing for this page."},
  };
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
  TEmptyPageReasons reasons;
  reasons.Read(ns, false);
  for (const auto& test : cases) EXPECT_EQ(test[1], reasons.Of(test[0])) << test[0];
  TEmptyPageReasons withoutLog;
  withoutLog.Read(NVKXQZA20::TMemoryNamespace::Create(), true);
  EXPECT_EQ("No data: these collections hold nothing for this page.", withoutLog.Of("Environmentals"));
}

}  // namespace
