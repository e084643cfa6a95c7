#include "tests/custom/custom_page_testing.h"

namespace {

const char kQLogic[] = R"(
  class VKXSG_QLogicFibreChannelBIOSElement { [Key] string Name; string Version; };
  instance of VKXSG_QLogicFibreChannelBIOSElement { Name = "QVE4150 BIOS"; Version = "3.64"; };
)";

const char kQLogicRawData[] = R"(
  class VKXSG_QLogicFibreChannelRawData { [Key] string InstanceID; string Command; string RawResults[]; };
  instance of VKXSG_QLogicFibreChannelRawData { InstanceID = "q0"; Command = "qaucli -i"; RawResults = { "HBA 0" }; };
)";

const char kEmulexRawData[] = R"(
  class EMXCNA_RawData { [Key] string InstanceID; string RawData[]; };
  instance of EMXCNA_RawData { InstanceID = "HBAAttributes:10:00:00:90"; RawData = { "Model : OCe14102", "" }; };
)";

class AdapterPage : public CustomPageTest {};

TEST_F(AdapterPage, LuzHtmlRunWithoutRawRecordsWritesThePlainCatalogPage) {
  fMode = "luz";
  Load(kQLogic);
  fWriter.WriteQLogicReport(fCatalog, "Qlogic");
  EXPECT_EQ(Calls({"OpenPage", "WritePageHeading", "WritePageTitle", "RegisterPage"}),
            (TCalls{"OpenPage(/out/Qlogic)", "WritePageHeading()", "WritePageTitle(Qlogic, , )",
                    "RegisterPage(Qlogic, Qlogic, true)"}));
}

TEST_F(AdapterPage, LuzHtmlRunWithRawRecordsLinksThePageToItsRawDataPage) {
  TScratchFolder output;
  fMode = "luz";
  Load(std::string(kQLogic) + kQLogicRawData);
  fWriter.SetOutputFolder(output.Path());
  fWriter.WriteQLogicReport(fCatalog, "Qlogic");
  const std::string out = output.Path();
  EXPECT_EQ(Calls({"OpenPage", "WritePageHeading", "WritePageTitle", "WriteTableTitle", "RegisterPage"}),
            (TCalls{"OpenPage(" + out + "/QLogic_RawData)",
                    "WritePageTitle(QLogic Raw Data Information, - [Show Standard Report], Qlogic)",
                    "WriteTableTitle(Commands Issued, false, false)", "OpenPage(" + out + "/Qlogic)",
                    "WritePageTitle(Qlogic,  - [Show Rawdata Report], QLogic_RawData)",
                    "WriteTableTitle(Qlogic Fibre Channel BIOS, false, false)", "RegisterPage(Qlogic, Qlogic, true)"}));
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)), (TCalls{"Command | Raw Result",
                                                    "<font face=\"Courier\">qaucli -i</font> | "
                                                    "<a href=\"QLogic_RawData_Results_0.txt\">View Results</a>"}));
  EXPECT_EQ(output.Read("QLogic_RawData_Results_0.txt"), "HBA 0\n");
}

TEST_F(AdapterPage, EmulexCommandsShowThePortWithHyphens) {
  TScratchFolder output;
  fMode = "luz";
  Load(kEmulexRawData);
  fWriter.SetOutputFolder(output.Path());
  fWriter.WriteEmulexReport(fCatalog, "Emulex");
  EXPECT_EQ(Calls({"WritePageTitle", "WriteTableTitle"}).at(1), "WriteTableTitle(EmulexCNA Raw Data, false, false)");
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)).at(1),
            "<font face=\"Courier\"> HbaCmd: HBAAttributes-10-00-00-90</font> | "
            "<a href=\"ELXCNA_RawData_Results_0.txt\">View Results</a>");
  EXPECT_EQ(output.Read("ELXCNA_RawData_Results_0.txt"), "Model : OCe14102\n\n");
  EXPECT_EQ(Calls({"RegisterPage"}), (TCalls{"RegisterPage(emulex, Emulex, false)"}));
}

TEST_F(AdapterPage, CommandTextsAreEncodedLikeEveryValue) {
  TScratchFolder output;
  fMode = "luz";
  Load(kQLogicRawData);
  fWriter.SetOutputFolder(output.Path());
  fWriter.fMarkEncoding = true;
  fWriter.WriteQLogicReport(fCatalog, "Qlogic");
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)).at(1),
            "<font face=\"Courier\"><qaucli -i></font> | <a href=\"QLogic_RawData_Results_0.txt\">View Results</a>");
}

TEST_F(AdapterPage, OutsideLuzHtmlRunsNoRawDataPageIsWritten) {
  TScratchFolder output;
  Load(std::string(kQLogic) + kQLogicRawData + kEmulexRawData);
  fWriter.SetOutputFolder(output.Path());
  fWriter.WriteQLogicReport(fCatalog, "Qlogic");
  fWriter.WriteEmulexReport(fCatalog, "Emulex");
  EXPECT_EQ(Calls({"OpenPage"}),
            (TCalls{"OpenPage(" + output.Path() + "/Qlogic)", "OpenPage(" + output.Path() + "/emulex)"}));
  EXPECT_TRUE(output.Files().empty());
}

const char kBIOSSettings[] = R"(
  class VKXSG_BIOSEnumeration {
    [Key] string InstanceID; string AttributeName; string CurrentValue[]; string DefaultValue[];
    string PendingValue[]; };
  instance of VKXSG_BIOSEnumeration { InstanceID = "2"; AttributeName = "Boot Mode 10"; CurrentValue = { "UEFI" }; };
  instance of VKXSG_BIOSEnumeration { InstanceID = "1"; AttributeName = "Boot Mode 9"; CurrentValue = { "Legacy" }; };
)";

class BIOSSettingsPage : public CustomPageTest {};

TEST_F(BIOSSettingsPage, ListsTheAttributesInNameOrder) {
  Load(kBIOSSettings);
  fWriter.WriteBIOSEnumeration(fCatalog, "BIOSSettings");
  EXPECT_EQ(fWriter.fCalls,
            (TCalls{"OpenPage(/out/biosenumeration)", "BeginPageBody()", "WritePageTitle(BIOS Settings, , )",
                    "WriteTableTitle(BIOS Settings, false, false)", "WriteTableGrid(3x4)", "EndPageBody()",
                    "ClosePage()", "RegisterPage(biosenumeration, BIOS Settings, true)"}));
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)), (TCalls{"AttributeName | CurrentValue | DefaultValue | PendingValue",
                                                    "Boot Mode 9 | Legacy |  | ", "Boot Mode 10 | UEFI |  | "}));
}

TEST_F(BIOSSettingsPage, WithoutTheClassThePageHasNoTableAndNoContent) {
  Load("class VKXSG_Other { [Key] string Name; };");
  fWriter.WriteBIOSEnumeration(fCatalog, "BIOSSettings");
  EXPECT_EQ(fWriter.fCalls,
            (TCalls{"OpenPage(/out/biosenumeration)", "BeginPageBody()", "WritePageTitle(BIOS Settings, , )",
                    "EndPageBody()", "ClosePage()", "RegisterPage(biosenumeration, BIOS Settings, false)"}));
}

}  // namespace
