#include "findings/readable_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/mof_reader.h"

namespace {

// The samples' stored HTML outputs show the common units; here the rest:
// a PUnit multiplier alone, units without a rule, a property without units,
// an array, a date-time (its own offset, even where the collection names
// no time zone), and a multiplier too large for any number, which keeps
// the value exact.
TEST(TReadableValues, OnlyValuesWithAUnitRuleBecomeReadable) {
  const std::string mof = R"MOF(
    Qualifier PUnit : string = null, Scope(property);
    class Test_Values { [Key] string Name; [PUnit("byte * 2^10")] uint32 KiB; [PUnit("watt * 10^-3")] uint32 Power;
      [PUnit("byte * 1)MOF" + std::string(400, '0') + R"MOF(^2")] uint32 Huge; uint64 Plain; [PUnit("byte")] uint64 Sizes[]; datetime Seen; };
    instance of Test_Values { Name = "a"; KiB = 1536; Power = 5; Huge = 7; Plain = 4096; Sizes = {1024, 2048};
      Seen = "20261120143005.000000-300"; };)MOF";
  const std::vector<std::array<const char*, 3>> cases = {
      {"KiB", "1.5 MiB", "1536 byte * 2^10"}, {"Power", "", ""}, {"Huge", "", ""}, {"Plain", "", ""}, {"Sizes", "", ""},
      {"Seen", "2026-11-20 14:30:05 UTC-05:00", ""}};
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
  TReadableValues readable;
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> found;
  ns->GetClass("Test_Values")->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(found), false);
  for (const auto& test : cases) {
    auto property = found.at(0)->GetProperty(test[0]);
    const auto shown = readable.Of({property}, property->GetValueTexts().at(0));
    EXPECT_EQ(test[1], shown ? shown->fText : "") << test[0];
    EXPECT_EQ(test[2], shown ? shown->fExact : "") << test[0];
  }
}

// Values read as smartctl shows them: a raw value decoded by its row's
// attribute ID (raw48, or a temperature with its least and most), flags
// and registers in hex; percentages with their sign; labels lose a unit.
TEST(TReadableValues, SmartValuesReadAsSmartctlShowsThem) {
  const std::string mof = R"MOF(
    Qualifier PUnit : string = null, Scope(property);
    class Test_Smart { [Key] uint8 attribID; uint16 flags; uint8 errorReg; uint8 rawVal[]; [PUnit("percent")] uint8 Load; };
    instance of Test_Smart { attribID = 9; flags = 50; errorReg = 132; rawVal = {60, 31, 0, 0, 0, 0}; Load = 37; };
    instance of Test_Smart { attribID = 194; flags = 34; errorReg = 0; rawVal = {33, 0, 18, 0, 46, 0}; Load = 0; };)MOF";
  const std::vector<std::array<const char*, 4>> cases = {
      {"9", "rawVal", "7996", "raw 60 31 0 0 0 0"},
      {"194", "rawVal", "33 \u00b0C (min 18, max 46)", "raw 33 0 18 0 46 0"},
      {"9", "flags", "0x0032", "50"},
      {"9", "errorReg", "0x84", "132"},
      {"9", "Load", "37%", "37 percent"},
  };
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> found;
  ns->GetClass("Test_Smart")->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(found), false);
  TReadableValues readable;
  for (const auto& test : cases) {
    const auto instance = *std::find_if(found.begin(), found.end(), [&](const auto& i) {
      return i->GetProperty("attribID")->GetValueText() == test[0];
    });
    const TReadableValues::TProperties id = {instance->GetProperty("attribID")};
    const TReadableValues::TProperties property = {instance->GetProperty(test[1])};
    const auto shown = readable.Of(property, property[0]->GetValueText(), {&id, &property});
    EXPECT_EQ(test[2], shown ? shown->fText : "") << test[0] << " " << test[1];
    EXPECT_EQ(test[3], shown ? shown->fExact : "") << test[0] << " " << test[1];
  }
  EXPECT_EQ("Total Visible Memory", LabelWithoutUnit("Total Visible Memory (KB)"));
  EXPECT_EQ("Logical Drive Size (stripes)", LabelWithoutUnit("Logical Drive Size (stripes)"));
}

}  // namespace
