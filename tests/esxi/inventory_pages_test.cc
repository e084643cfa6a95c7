#include <gtest/gtest.h>

#include "tests/esxi/esxi_testing.h"

namespace {

using NVKXQZA20::TCIMContext;

class EsxiInventoryPages : public ::testing::Test {
 protected:
  void Use(const std::string& mof) {
    ns = RepositoryFromMof(mof);
    writer.Initialize(ns, TCIMContext(), "");
    writer.fCalls.clear();
  }
  TReportParametersBuilder_vmwesxi Catalog() const { return TReportParametersBuilder_vmwesxi(ns, "default"); }

  TTestNamespace ns;
  TEsxiRecordingWriter writer;
};

TEST_F(EsxiInventoryPages, HardwareInventoryContinuesWithTheCPUAndMemorySlots) {
  Use(R"(
    class OMC_Card { [Key] string Tag; string Name; string Caption; string Manufacturer; string Version;
                     string SerialNumber; };
    class OMC_Slot { [Key] string Tag; string ElementName; uint16 ConnectorLayout; uint32 Number; };
    class OMC_ProcessorSlot : OMC_Slot {};
    class OMC_MemorySlot : OMC_Slot {};
    instance of OMC_Card { Tag = "c1"; Name = "Riser"; Caption = "Riser 1"; Manufacturer = "VKX"; Version = "A0";
                           SerialNumber = "S1"; };
    instance of OMC_ProcessorSlot { Tag = "cpu1"; ElementName = "CPU 2"; Number = 2; };
    instance of OMC_ProcessorSlot { Tag = "cpu0"; ElementName = "CPU 1"; Number = 1; };
    instance of OMC_MemorySlot { Tag = "dimm1"; ElementName = "DIMM 1"; Number = 1; };)");
  writer.WriteCustomHardwareInventoryReport(Catalog());
  EXPECT_EQ((TLines{"OpenPage(/out/hardware_inventory)", "BeginPageBody()", "WritePageTitle(Hardware Inventory, , )",
                    "WriteTableTitle(System Card Information, false, false)", "WriteTableGrid(2x5)",
                    "WriteTableTitle(CPU Slots, false, false)", "WriteTableGrid(4x3)",
                    "WriteTableTitle(Memory Slots, false, false)", "WriteTableGrid(4x2)", "EndPageBody()",
                    "ClosePage()", "RegisterPage(hardware_inventory, Hardware Inventory, true)"}),
            writer.fCalls);
  EXPECT_EQ((TLines{"Name | Caption | Manufacturer | Version | SerialNumber", "Riser | Riser 1 | VKX | A0 | S1"}),
            GridRows(writer.fGrids[0]));
  EXPECT_EQ((TLines{"Tag | cpu0 | cpu1", "Name | CPU 1 | CPU 2", "ConnectorLayout |  | ", "Number | 1 | 2"}),
            GridRows(writer.fGrids[1]));
  EXPECT_EQ((TLines{"MemorySlotID | dimm1", "Name | DIMM 1", "ConnectorLayout | ", "Number | 1"}),
            GridRows(writer.fGrids[2]));
}

TEST_F(EsxiInventoryPages, HardwareInventoryWithoutDevicesIsRegisteredEmpty) {
  Use("");
  writer.WriteCustomHardwareInventoryReport(Catalog());
  EXPECT_EQ("RegisterPage(hardware_inventory, Hardware Inventory, false)", writer.fCalls.back());
  EXPECT_TRUE(writer.fGrids.empty());
}

const char kFirmwareClasses[] = R"(
  class OMC_MCFirmwareIdentity { [Key] string InstanceID; [DisplayName("Controller")] string Name;
                                 string Manufacturer; string VersionString; string BuildNumber; };
  class OMC_PowerSupply { [Key] string DeviceID; string Name; };)";

TEST_F(EsxiInventoryPages, FirmwareTablesAreWrittenCellByCell) {
  Use(std::string(kFirmwareClasses) + R"(
    instance of OMC_MCFirmwareIdentity { InstanceID = "bmc"; Name = "BMC"; Manufacturer = "VKX";
                                         VersionString = "3.10"; BuildNumber = "TEI3"; };
    instance of OMC_PowerSupply { DeviceID = "ps1"; Name = "PSU 1"; };)");
  writer.WriteCustomFirmwareReport(Catalog());
  EXPECT_EQ((TLines{"OpenPage(/out/firmware)", "BeginPageBody()", "WritePageTitle(Firmware/VPD, , )",
                    "WriteTableTitle(BMC Firmware, false, false)", "BeginGridTable(80%, BMC Firmware, false)",
                    "BeginRow(true)", "WriteHeaderCell(Controller)", "WriteHeaderCell(Manufacturer)",
                    "WriteHeaderCell(VersionString)", "WriteHeaderCell(BuildNumber)", "EndRow()", "EndGridHeader()",
                    "BeginRow(true)", "WriteValueCell(BMC)", "WriteValueCell(VKX)", "WriteValueCell(3.10)",
                    "WriteValueCell(TEI3)", "EndRow()", "EndTable()",
                    // The power supplies' table has no title.
                    "BeginGridTable(80%, , false)", "BeginRow(true)", "WriteHeaderCell(Name)", "EndRow()",
                    "EndGridHeader()", "BeginRow(true)", "WriteValueCell(PSU 1)", "EndRow()", "EndTable()",
                    "EndPageBody()", "ClosePage()", "RegisterPage(firmware, Firmware/VPD, true)"}),
            writer.fCalls);
}

TEST_F(EsxiInventoryPages, FirmwareTablesHoldAtMostTheirLimitOfRows) {
  std::string mof = kFirmwareClasses;
  for (int i = 0; i < 12; ++i) {
    mof += "instance of OMC_MCFirmwareIdentity { InstanceID = \"" + std::to_string(i) + "\"; Name = \"BMC " +
           std::to_string(i) + "\"; };\n";
  }
  Use(mof);
  writer.WriteCustomFirmwareReport(Catalog());
  EXPECT_EQ((TLines{"WriteTableTitle(BMC Firmware, false, false)", "BeginGridTable(80%, BMC Firmware, false)",
                    "BeginGridTable(80%, BMC Firmware, false)"}),
            writer.CallsStartingWith({"WriteTableTitle", "BeginGridTable"}));
  EXPECT_EQ(12u + 2u, writer.CallsStartingWith({"BeginRow"}).size());
  const TLines names = writer.CallsStartingWith({"WriteValueCell(BMC"});
  EXPECT_EQ((TLines{"WriteValueCell(BMC 10)", "WriteValueCell(BMC 11)"}), TLines(names.end() - 2, names.end()));
}

TEST_F(EsxiInventoryPages, FirmwareWithoutIdentitiesIsRegisteredEmpty) {
  Use(kFirmwareClasses);
  writer.WriteCustomFirmwareReport(Catalog());
  EXPECT_EQ((TLines{"OpenPage(/out/firmware)", "BeginPageBody()", "WritePageTitle(Firmware/VPD, , )",
                    "EndPageBody()", "ClosePage()", "RegisterPage(firmware, Firmware/VPD, false)"}),
            writer.fCalls);
}

}  // namespace
