#include "host/readable_values.h"

#include <gtest/gtest.h>

#include "core/mof_reader.h"

namespace {

const char kRepository[] = R"MOF(
Qualifier PUnit : string = null, Scope(property);
Qualifier Units : string = null, Scope(property);
class Test_Values { [Key] string Name;
  [PUnit("byte")] uint64 Bytes; [PUnit("byte * 2^10"), Units("KiloBytes")] uint32 KiB;
  [PUnit("hertz * 10^6")] uint32 MHz; [PUnit("bit / second")] uint64 Speed; [Units("MegaBytes")] uint32 MB;
  [PUnit("watt * 10^-3")] uint32 Power; uint64 Plain; [PUnit("byte")] uint64 Sizes[];
  [Units("Bytes")] uint32 Mtu;
  datetime Built; datetime Seen; };
class VKXSG_TimeZone { [Key] string InstanceID; string TheTimeZone; };
instance of VKXSG_TimeZone { InstanceID = "0"; TheTimeZone = "America/New_York (EST, -0500)"; };
instance of Test_Values { Name = "a"; Bytes = 959656755200; KiB = 1536; MHz = 2100; Speed = 1000000000;
  MB = 512; Power = 5; Plain = 4096; Sizes = {1024, 2048}; Mtu = 9000;
  Built = "20251120000000.000000+000"; Seen = "20261120143005.000000-300"; };
)MOF";

// The readable text and the hover of each property's value; "" where the
// library's text stays.
TEST(TReadableValues, DeclaredUnitsAndDatesBecomeReadable) {
  struct TCase {
    const char* fProperty;
    const char* fText;
    const char* fExact;
  } const cases[] = {
      {"Bytes", "893.8 GiB", "959656755200 byte"},    {"KiB", "1.5 MiB", "1536 KiloBytes"},
      {"MHz", "2.1 GHz", "2100 hertz * 10^6"},        {"Speed", "1 Gbit/s", "1000000000 bit / second"},
      {"MB", "512 MiB", "512 MegaBytes"},             {"Power", "", ""},
      {"Plain", "", ""},                              {"Sizes", "", ""},
      {"Mtu", "9000 B", "9000 Bytes"},
      {"Built", "2025-11-20", "2025-11-20 00:00:00"},
      {"Seen", "2026-11-20 14:30:05 UTC-05:00", ""},
  };
  auto ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(kRepository, "test.mof");
  TReadableValues readable;
  readable.ReadTimeZone(ns);
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> instances;
  ns->GetClass("Test_Values")->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(instances), false);
  for (const TCase& test : cases) {
    auto property = instances.at(0)->GetProperty(test.fProperty);
    const std::optional<TReadableValue> shown = readable.Of({property}, property->GetValueTexts().at(0) +
                                                                        (property->IsArray() ? ", x" : ""));
    EXPECT_EQ(test.fText, shown ? shown->fText : "") << test.fProperty;
    EXPECT_EQ(test.fExact, shown ? shown->fExact : "") << test.fProperty;
  }
}

}  // namespace
