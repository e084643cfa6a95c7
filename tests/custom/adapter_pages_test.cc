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

TEST_F(BIOSSettingsPage, WithoutTheClassThePageHasNoTableAndNoContent) {
  Load("class VKXSG_Other { [Key] string Name; };");
  fWriter.WriteBIOSEnumeration(fCatalog, "BIOSSettings");
  EXPECT_EQ(fWriter.fCalls,
            (TCalls{"OpenPage(/out/biosenumeration)", "BeginPageBody()", "WritePageTitle(BIOS Settings, , )",
                    "EndPageBody()", "ClosePage()", "RegisterPage(biosenumeration, BIOS Settings, false)"}));
}

}  // namespace
