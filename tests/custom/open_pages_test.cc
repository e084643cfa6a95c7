#include "tests/custom/custom_page_testing.h"

namespace {

class OpenPages : public CustomPageTest {};

// A collection without the pages' classes gets each page listed empty.
TEST_F(OpenPages, PagesWithoutTheirControllersAreRegisteredEmpty) {
  Load("class VKXSG_Other { [Key] string Name; };");
  fMode = "luz";
  fWriter.SetMode("luz");
  fWriter.fCalls.clear();
  for (const char* pageID : {"LSIIDE", "PMC", "ZEBChipsetRegister", "MergedDevice"}) {
    fWriter.WriteReportPage(fCatalog, pageID);
  }
  EXPECT_EQ(Calls({"RegisterPage", "WriteTable"}),
            (TCalls{"RegisterPage(lsiide, LSI IDE Controller, false)", "RegisterPage(pmc_raid, PMC RAID, false)",
                    "RegisterPage(zeb_reg, ZEB Chipset Registers, false)",
                    "RegisterPage(mergedDevices, Merged Devices, false)"}));
}

}  // namespace
