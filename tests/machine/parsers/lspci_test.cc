// lspci -nnvv: titles, ids, driver, slot and link of invented functions.
#include "machine/parsers/lspci.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TPciRecords& records) {
  std::string text;
  for (const TPciFunction& f : records.fFunctions)
    text += f.fAddress + "|" + f.fClassName + "|" + f.fClassId + "|" + f.fName + "|" + f.fVendorId + ":" +
            f.fDeviceId + "|rev " + f.fRevision + "|if " + f.fProgIf + "|" + f.fSubsystemName + "|" +
            f.fSubsystemVendorId + ":" + f.fSubsystemDeviceId + "|slot " + f.fPhysicalSlot + "|" + f.fDriver +
            "|" + Join(f.fModules) + "|numa " + f.fNumaNode + "|" + f.fLinkCapability.fSpeed + " " +
            f.fLinkCapability.fWidth + "|" + f.fLinkStatus.fSpeed + " " + f.fLinkStatus.fWidth + "|" +
            Fields(f.fDetails) + "\n";
  return text + WarningLines(records.fWarnings);
}

TEST(Lspci, FunctionsWithIdsDriverSlotAndLink) {
  const char* text =
      "00:1f.2 SATA controller [0106]: Vexlar Systems Corstone SATA [Tern] [1d0f:a102] (rev 05) (prog-if 01 [AHCI 1.0])\n"
      "\tSubsystem: Vexlar Systems Corstone Board [1d0f:0001]\n"
      "\tPhysical Slot: 3\n"
      "\tControl: I/O+ Mem+\n"
      "\tCapabilities: [80] Express (v2) Endpoint, MSI 00\n"
      "\t\tLnkCap:\tPort #0, Speed 8GT/s, Width x4, ASPM L1\n"
      "\t\tLnkSta:\tSpeed 5GT/s (downgraded), Width x2 (downgraded)\n"
      "pcilib: sysfs_read_vpd: read failed: No such device\n"
      "\tKernel driver in use: ahci\n"
      "\tKernel modules: ahci, libahci\n"
      "\n"
      "0001:03:00.0 Ethernet controller: Vexlar Systems Device b2c3\n"
      "\tNUMA node: 1\n"
      "\tno colon here\n"
      "not a function title\n"
      "\tstray\n";
  EXPECT_EQ(Summary(ParseLspci(text)),
            "0000:00:1f.2|SATA controller|0106|Vexlar Systems Corstone SATA [Tern]|1d0f:a102|rev 05|if 01|"
            "Vexlar Systems Corstone Board|1d0f:0001|slot 3|ahci|ahci,libahci|numa |8GT/s x4|5GT/s x2|"
            "Control=I/O+ Mem+;Capabilities=[80] Express (v2) Endpoint, MSI 00[LnkCap:\tPort #0, Speed 8GT/s, Width "
            "x4, ASPM L1,LnkSta:\tSpeed 5GT/s (downgraded), Width x2 (downgraded)]\n"
            "0001:03:00.0|Ethernet controller||Vexlar Systems Device b2c3|:|rev |if ||:|slot ||"
            "|numa 1| | |\n"
            "W8 W14 W15 W16");
}

// lspci -k, and -vvv whose tabs a tool expanded to spaces: the same fields.
TEST(Lspci, DriversAtAnyIndentation) {
  const std::pair<const char*, const char*> cases[] = {
      {"00:03.0 Ethernet controller: Vexlar Systems Tern NIC (rev 01)\n"
       "\tSubsystem: Vexlar Systems Tern NIC\n\tKernel driver in use: tern_net\n\tKernel modules: tern_net\n",
       "0000:00:03.0|Ethernet controller||Vexlar Systems Tern NIC|:|rev 01|if |Vexlar Systems Tern NIC|:|slot |tern_net|"
       "tern_net|numa | | |\n"},
      {"02:00.0 RAID bus controller: Vexlar Systems Corstone RAID\n"
       "        Control: I/O- Mem+\n"
       "        Capabilities: [68] Express (v2) Endpoint, MSI 00\n"
       "                LnkSta: Speed 8GT/s, Width x8\n"
       "        Kernel driver in use: corstone_raid\n",
       "0000:02:00.0|RAID bus controller||Vexlar Systems Corstone RAID|:|rev |if ||:|slot |corstone_raid||numa | |8GT/s "
       "x8|Control=I/O- Mem+;Capabilities=[68] Express (v2) Endpoint, MSI 00[LnkSta: Speed 8GT/s, Width x8]\n"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Summary(ParseLspci(text)), expected) << text;
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
