// The call queue behind the pipelined HTML writer: calls are carried out in
// the order they were made, whichever thread carries them out, and a queued
// call's failure reaches the caller once, at its next call. The writer's
// pages themselves are checked against the stored HTML of every sample.
#include "forms/pipelined_writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TStep {
  std::string fKind;  // "queue", "big" (a million cells), "at once", "nested", "fail"
  std::string fName;
};

// Carries the steps out through a queue; what each call did, in order, and
// the failures the caller saw (by the step that saw one).
struct TOutcome {
  std::vector<std::string> fDone;
  std::vector<std::string> fSeen;
};

TOutcome CarryOut(const std::vector<TStep>& steps) {
  TOutcome outcome;
  {
    TCallQueue queue;
    std::vector<std::string>& done = outcome.fDone;
    for (const TStep& step : steps) {
      const std::string& kind = step.fKind;
      const std::string& name = step.fName;
      try {
        if (kind == "queue") queue.Queue([&done, name] { done.push_back(name); });
        if (kind == "big") queue.Queue([&done, name] { done.push_back(name); }, size_t(1) << 20);
        if (kind == "at once") queue.AtOnce([&done, name] { done.push_back(name); });
        if (kind == "fail") queue.Queue([name] { throw std::runtime_error(name); });
        // A call that makes another: carried out within, at once.
        if (kind == "nested") {
          queue.Queue([&queue, &done, name] {
            queue.Queue([&done, name] { done.push_back(name + " inner"); });
            done.push_back(name);
          });
        }
      } catch (const std::runtime_error& failure) {
        outcome.fSeen.push_back(name + " saw " + failure.what());
      }
    }
  }  // the queue's end carries out what is left
  return outcome;
}

std::vector<TStep> ManyQueued(size_t count) {
  std::vector<TStep> steps;
  for (size_t i = 0; i < count; ++i) steps.push_back(TStep{"queue", std::to_string(i)});
  return steps;
}

TEST(CallQueueTest, CallsAreCarriedOutInTheirOrderAndFailuresReachTheNextCall) {
  const struct {
    const char* fCase;
    std::vector<TStep> fSteps;
    std::vector<std::string> fDone;
    std::vector<std::string> fSeen;
  } kCases[] = {
      {"queued, then at once", {{"queue", "a"}, {"queue", "b"}, {"at once", "c"}, {"queue", "d"}}, {"a", "b", "c", "d"}, {}},
      {"nested", {{"nested", "a"}, {"at once", "b"}}, {"a inner", "a", "b"}, {}},
      {"more than the queue holds", {{"queue", "a"}, {"big", "b"}, {"big", "c"}, {"at once", "d"}}, {"a", "b", "c", "d"}, {}},
      {"failure seen by the next queued call, once",
       {{"queue", "a"}, {"fail", "x"}, {"at once", "b"}, {"queue", "c"}, {"at once", "d"}},
       {"a", "c", "d"},
       {"b saw x"}},
      {"failure after the last call", {{"queue", "a"}, {"fail", "x"}}, {"a"}, {}},
  };
  for (const auto& c : kCases) {
    const TOutcome outcome = CarryOut(c.fSteps);
    EXPECT_EQ(outcome.fDone, c.fDone) << c.fCase;
    EXPECT_EQ(outcome.fSeen, c.fSeen) << c.fCase;
  }
}

// Enough calls that the queue's own thread takes batches of them while more
// are queued and some are carried out at once.
TEST(CallQueueTest, ThousandsOfCallsKeepTheirOrderAcrossBothThreads) {
  std::vector<TStep> steps = ManyQueued(20000);
  for (size_t i = 0; i < steps.size(); i += 997) steps[i].fKind = "at once";
  const TOutcome outcome = CarryOut(steps);
  ASSERT_EQ(outcome.fDone.size(), steps.size());
  for (size_t i = 0; i < steps.size(); ++i) ASSERT_EQ(outcome.fDone[i], steps[i].fName) << "call " << i;
}

}  // namespace
