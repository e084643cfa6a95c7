#include "core/root.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

namespace NVKXQZA20 {
namespace {

TEST(LoggerTest, WritesLinesUpToTheThresholdAndNothingWithoutSink) {
  auto sink = std::make_shared<std::ostringstream>();
  TRootObject::SetLogSink(sink, 1);
  TRootObject::GetCoreLogger()->Log(0, "error line");
  TRootObject::GetCoreLogger()->Log(3, "trace line");
  TRootObject::SetLogSink(nullptr, 3);
  TRootObject::GetCoreLogger()->Log(0, "after");
  EXPECT_EQ(sink->str(), "0\terror line\n");
}

TEST(LoggerTest, LinesFromSeveralThreadsStayWhole) {
  auto sink = std::make_shared<std::ostringstream>();
  TRootObject::SetLogSink(sink, 3);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) TRootObject::GetCoreLogger()->Log(3, "abcdefghij");
    });
  }
  for (std::thread& thread : threads) thread.join();
  TRootObject::SetLogSink(nullptr, 3);
  std::istringstream lines(sink->str());
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    EXPECT_EQ(line, "3\tabcdefghij");
    ++count;
  }
  EXPECT_EQ(count, 4000);
}

TEST(IPMILanTest, AddressIsCutToTheBuffer) {
  TIPMILan lan("192.168.100.200");
  char buffer[8];
  lan.getIPMIAddress(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "192.168");
  EXPECT_TRUE(lan.getipmiLanStatus());
  EXPECT_FALSE(TIPMILan("").getipmiLanStatus());
  EXPECT_FALSE(TRootObject::GetipmiLanIns());
}

}  // namespace
}  // namespace NVKXQZA20
