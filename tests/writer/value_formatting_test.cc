#include <gtest/gtest.h>

#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

class TFormattingWriter : public TRecordingWriter {
 public:
  using TWriter::ConvertStrToNumType;
  using TWriter::GetDateTime;
  using TWriter::GetDisplayName;
  using TWriter::GetNumericSensorValue;
  using TWriter::GetPropertyValue;
  using TWriter::GetTableHeaderLabel;
  using TWriter::GetUniqueId;
  using TWriter::GetValueFromProperty;
  using TWriter::GetValuesFromProperties;
};

const char kSamples[] = R"(
  class VKXSG_Sample {
    [Key] string Name;
    string Tags[];
    datetime Times[];
    datetime Installed;
    [DisplayName("Friendly Speed")] uint32 Speed;
    uint32 Plain;
  };
  class VKXSG_Process { [Key] string Name; string WorkingSetSize; };
  class VKXSG_IPMILogRecord { [Key] string Caption; };
  class CIM_NumericSensor { [Key] string Name; sint32 CurrentReading; sint32 UnitModifier; };
  class VKXSG_Fan { [Key] string Name; };
  instance of VKXSG_Sample {
    Name = "s1"; Tags = {"a", "b", "c"};
    Times = {"20240102030405.000000+000", "20240102030406.000000+000"};
    Installed = "20230405000000.000000+000"; Speed = 7;
  };
  instance of VKXSG_Sample { Name = "s2"; Tags = {}; };
)";

class ValueFormatting : public ::testing::Test {
 protected:
  void SetUp() override {
    ns = RepositoryFromMof(kSamples);
    writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
  }

  TWriter::TPropertyPtr Property(const std::string& sample, const std::string& name) {
    std::vector<TWriter::TInstancePtr> samples;
    ns->GetClass("VKXSG_Sample")->EnumerateInstances(
        NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(samples), true);
    return samples.at(sample == "s1" ? 0 : 1)->GetProperty(name);
  }

  TWriter::TInstancePtr Sensor(const std::string& mof) {
    LoadMof(ns, "instance of CIM_NumericSensor { Name = \"t\"; " + mof + " };");
    return FirstInstance(ns, "CIM_NumericSensor");
  }

  std::string Label(const std::string& className, const TReportParameters::TReportProperty& column) {
    return writer.GetTableHeaderLabel(*ns->GetClass(className), column, TCIMContext());
  }

  TTestNamespace ns;
  TFormattingWriter writer;
};

TEST_F(ValueFormatting, AlternateValuesAreShownForScalarsOnly) {
  writer.fMarkEncoding = true;
  Property("s1", "Speed")->SetAlternateValue(TCIMValue(uint32_t(70)));
  Property("s1", "Tags")->SetAlternateValue(TCIMValue::Array(NVKXQZA20::CIMTypeString, {TCIMValue("x")}));
  EXPECT_EQ("<70>", writer.GetValueFromProperty(Property("s1", "Speed"), ", ", true));
  EXPECT_EQ("", writer.GetValueFromProperty(Property("s1", "Tags"), ", ", true));
}

TEST_F(ValueFormatting, NumericSensorValueCases) {
  const struct {
    int fReading;
    int fModifier;
    const char* fExpected;
  } cases[] = {{0, 5, "0"}, {25, -1, "2.5"}, {5, 3, "5000"}, {-7, 0, "-7"}};
  for (const auto& c : cases) {
    TTestNamespace sensors = RepositoryFromMof(
        "class CIM_NumericSensor { [Key] string Name; sint32 CurrentReading; sint32 UnitModifier; };"
        "instance of CIM_NumericSensor { Name = \"t\"; CurrentReading = " +
        std::to_string(c.fReading) + "; UnitModifier = " + std::to_string(c.fModifier) + "; };");
    EXPECT_EQ(c.fExpected, writer.GetNumericSensorValue(FirstInstance(sensors, "CIM_NumericSensor"), true));
  }
}

TEST_F(ValueFormatting, NumericSensorValueWithoutModifierIsNotAvailable) {
  TLogCapture log;
  EXPECT_EQ("N/A", writer.GetNumericSensorValue(Sensor("CurrentReading = 3;"), false));
  EXPECT_TRUE(log.Has(3, "Report: Error calculating numeric sensor value."));
  EXPECT_TRUE(log.Has(3, "Exiting TWriter::GetNumericSensorValue, value=N/A"));
}

TEST_F(ValueFormatting, UniqueIdJoinsEncodedClassNameAndRawValue) {
  writer.fMarkEncoding = true;
  TWriter::TInstancePtr sample = FirstInstance(ns, "VKXSG_Sample");
  EXPECT_EQ("<VKXSG_Sample>_s1", writer.GetUniqueId(sample, "Name"));
  EXPECT_EQ("<VKXSG_Sample>", writer.GetUniqueId(sample, ""));
  EXPECT_EQ("<VKXSG_Sample>", writer.GetUniqueId(sample, "NoSuchProperty"));
}

// Two collections may declare a class with different DisplayNames: each
// collection's class labels the columns of its own tables.
TEST_F(ValueFormatting, HeaderLabelsAreThoseOfTheCollectionOfTheClass) {
  const uint16_t second = ns->AddDataSource();
  LoadMof(ns, "class VKXSG_Sample { [Key] string Name; [DisplayName(\"Other Speed\")] uint32 Speed; };", second);
  TCIMContext secondContext;
  secondContext["nsIndex"] = TCIMValue(second);
  const TReportParameters::TReportProperty speed("Speed", "20%", "", "", "");
  EXPECT_EQ("Friendly Speed", Label("VKXSG_Sample", speed));
  EXPECT_EQ("Other Speed", writer.GetTableHeaderLabel(*ns->GetClass("VKXSG_Sample", secondContext), speed, TCIMContext()));
}

}  // namespace
