#include <gtest/gtest.h>

#include "tests/esxi/esxi_testing.h"

namespace {

using NVKXQZA20::TCIMContext;

class EsxiLSIPage : public ::testing::Test {
 protected:
  void Use(const std::string& mof) {
    writer.Initialize(RepositoryFromMof(mof), TCIMContext(), "");
    writer.fCalls.clear();
  }

  TEsxiRecordingWriter writer;
};

TEST_F(EsxiLSIPage, EachControllerShowsItsBIOSAndFirmwareVersions) {
  Use(R"(
    class LSIESG_MegaRAIDHBA { [Key] string Name; string ElementName; };
    class LSIESG_SoftwareIdentity { [Key] string InstanceID; string VersionString; };
    class LSIESG_ControllerBIOSIdentity : LSIESG_SoftwareIdentity {};
    class LSIESG_ControllerFirmwareIdentity : LSIESG_SoftwareIdentity {};
    [Association] class LSIESG_ElementSoftwareIdentity {
      [Key] LSIESG_SoftwareIdentity REF Antecedent; [Key] LSIESG_MegaRAIDHBA REF Dependent; };
    instance of LSIESG_MegaRAIDHBA as $C { Name = "500605b0"; ElementName = "MegaRAID SAS 9460-8i"; };
    instance of LSIESG_ControllerFirmwareIdentity as $F { InstanceID = "fw"; VersionString = "5.140"; };
    instance of LSIESG_ControllerBIOSIdentity as $B { InstanceID = "bios"; VersionString = "7.11"; };
    instance of LSIESG_ElementSoftwareIdentity { Antecedent = $F; Dependent = $C; };
    instance of LSIESG_ElementSoftwareIdentity { Antecedent = $B; Dependent = $C; };)");
  writer.WriteLSIReportWithCardinal();
  EXPECT_EQ((TLines{"OpenPage(/out/lsi_mir)", "BeginPageBody()", "WritePageTitle(LSI Controller, , )",
                    "WriteTableTitle(LSI Contronler Card, false, false)",
                    "BeginPropertyTable(100%, , LSI Contronler Card)",
                    "BeginRow(true)", "WriteHeaderCell(Name)", "WriteValueCell(500605b0)", "EndRow()",
                    "BeginRow(true)", "WriteHeaderCell(ElementName)", "WriteValueCell(MegaRAID SAS 9460-8i)",
                    "EndRow()",
                    "BeginRow(true)", "WriteHeaderCell(controller bios version)", "WriteValueCell(7.11)", "EndRow()",
                    "BeginRow(true)", "WriteHeaderCell(controller firmware version)", "WriteValueCell(5.140)",
                    "EndRow()", "EndTable()", "EndPageBody()", "ClosePage()",
                    "RegisterPage(lsi_mir, LSI Controller, true)"}),
            writer.fCalls);
}

TEST_F(EsxiLSIPage, WithoutControllerThePageSaysSo) {
  Use("");
  writer.WriteLSIReportWithCardinal();
  EXPECT_EQ((TLines{"OpenPage(/out/lsi_mir)", "BeginPageBody()", "WritePageTitle(LSI Controller, , )",
                    "BeginPropertyTable(100%, 20%, )", "BeginRow(true)",
                    "WriteMessageCell(No LSI RAID card detected\n, No LSI RAID card detected\n, 100%)", "EndRow()",
                    "EndTable()", "EndPageBody()", "ClosePage()", "RegisterPage(lsi_mir, LSI Controller, false)"}),
            writer.fCalls);
}

}  // namespace
