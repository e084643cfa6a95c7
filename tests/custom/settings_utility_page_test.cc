#include "tests/custom/custom_page_testing.h"

namespace {

const char kSettingsClass[] = R"(
  class VKXSG_OREQSetting { [Key] string InstanceID; string OreqRawShowAll; string OreqRawShowDefault; };
)";

class SettingsUtilityPage : public CustomPageTest {};

TEST_F(SettingsUtilityPage, ShowsTheFirstRecordsOutputsUnderTheirCommands) {
  fMode = "luz";
  Load(std::string(kSettingsClass) + R"(
    instance of VKXSG_OREQSetting {
      InstanceID = "1"; OreqRawShowAll = "A=1\nB=<2>"; OreqRawShowDefault = "A=0\nB=0"; };
    instance of VKXSG_OREQSetting { InstanceID = "2"; OreqRawShowAll = "second"; };)");
  TLogCapture log;
  WritePage("OREQSetting");
  EXPECT_EQ(fWriter.fCalls,
            (TCalls{"OpenPage(/out/oreq_setting)", "BeginPageBody()", "WritePageTitle(OREQ Settings, , )",
                    "WriteTableTitle(All available OREQ setting data , false, false)", "WriteTableGrid(2x1)",
                    "WriteSeparator()", "WriteTableTitle(All default OREQ setting data , false, false)",
                    "WriteTableGrid(2x1)", "EndPageBody()", "ClosePage()",
                    "RegisterPage(oreq_setting, OREQ Settings, true)"}));
  const TTableGrid& all = fWriter.fGrids.at(0);
  EXPECT_EQ(all.Cell(0, 0).fText, "oreq show all");
  EXPECT_EQ(all.Cell(1, 0).fText, "A=1\nB=<2>");
  EXPECT_EQ(fWriter.fGrids.at(1).Cell(0, 0).fText, "oreq showdefault all");
  EXPECT_EQ(fWriter.fGrids.at(1).Cell(1, 0).fText, "A=0\nB=0");
  EXPECT_TRUE(all.fColumnReport);
  EXPECT_EQ(all.fTableWidth, 100);
  EXPECT_EQ(all.fColumnWidths, (std::vector<int32_t>{80}));
  EXPECT_EQ(log.Containing("WriteOREQSettingData"),
            (TCalls{"Entering TWriter::WriteOREQSettingData", "Exiting TWriter::WriteOREQSettingData"}));
}

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
