#include "findings/readable_values.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/mof_reader.h"

namespace {

// The samples' stored HTML outputs show the common units; here the rest:
// a PUnit multiplier alone, units without a rule, a property without units,
// an array, a date-time in a collection that names no time zone, and a
// multiplier too large for any number, which keeps the value exact.
TEST(TReadableValues, OnlyValuesWithAUnitRuleBecomeReadable) {
  const std::string mof = R"MOF(
    Qualifier PUnit : string = null, Scope(property);
    class Test_Values { [Key] string Name; [PUnit("byte * 2^10")] uint32 KiB; [PUnit("watt * 10^-3")] uint32 Power;
      [PUnit("byte * 1)MOF" + std::string(400, '0') + R"MOF(^2")] uint32 Huge; uint64 Plain; [PUnit("byte")] uint64 Sizes[]; datetime Seen; };
    instance of Test_Values { Name = "a"; KiB = 1536; Power = 5; Huge = 7; Plain = 4096; Sizes = {1024, 2048};
      Seen = "20261120143005.000000-300"; };)MOF";
  const std::vector<std::array<const char*, 3>> cases = {
      {"KiB", "1.5 MiB", "1536 byte * 2^10"}, {"Power", "", ""}, {"Huge", "", ""}, {"Plain", "", ""}, {"Sizes", "", ""}, {"Seen", "", ""}};
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
  TReadableValues readable;
  readable.ReadTimeZone(ns);
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> found;
  ns->GetClass("Test_Values")->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(found), false);
  for (const auto& test : cases) {
    auto property = found.at(0)->GetProperty(test[0]);
    const auto shown = readable.Of({property}, property->GetValueTexts().at(0));
    EXPECT_EQ(test[1], shown ? shown->fText : "") << test[0];
    EXPECT_EQ(test[2], shown ? shown->fExact : "") << test[0];
  }
}

}  // namespace
