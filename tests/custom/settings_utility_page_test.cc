#include "tests/custom/custom_page_testing.h"

namespace {

const char kSettingsClass[] = R"(
  class VKXSG_OREQSetting { [Key] string InstanceID; string OreqRawShowAll; string OreqRawShowDefault; };
)";

class SettingsUtilityPage : public CustomPageTest {};

TEST_F(SettingsUtilityPage, WithoutRecordThePageIsOnlyRegisteredEmpty) {
  fMode = "luz";
  for (const std::string& mof :
       {std::string(kSettingsClass), std::string("class VKXSG_Other { [Key] string Name; };")}) {
    Load(mof);
    TLogCapture log;
    fWriter.WriteOREQSettingReport(fCatalog, "OREQSetting");
    EXPECT_EQ(fWriter.fCalls, (TCalls{"RegisterPage(oreq_setting, OREQ Settings, false)"})) << mof;
    EXPECT_EQ(log.Containing("WriteOREQSettingData"), (TCalls{"Entering TWriter::WriteOREQSettingData"}));
  }
}

TEST_F(SettingsUtilityPage, UnreadableOutputRegistersThePageEmptyWithoutOpeningIt) {
  fMode = "luz";
  Load(R"(class VKXSG_OREQSetting { [Key] string InstanceID; string OreqRawShowAll; };
          instance of VKXSG_OREQSetting { InstanceID = "1"; OreqRawShowAll = "A=1"; };)");
  fWriter.WriteOREQSettingReport(fCatalog, "OREQSetting");
  EXPECT_EQ(fWriter.fCalls, (TCalls{"RegisterPage(oreq_setting, OREQ Settings, false)"}));
}

}  // namespace
