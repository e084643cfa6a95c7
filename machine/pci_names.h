// Names of PCI vendors and devices by their ids, from the PCI ID database
// that libpci reads (pci.ids). lspci prints vendor and device names as one text, so the
// vendor alone comes from here. Without libpci (QZA_WITH_LIBPCI off), or for
// an id the database lacks, the answer is "".
#ifndef QZA_MACHINE_PCI_NAMES_H
#define QZA_MACHINE_PCI_NAMES_H

#include <string>

namespace NVKXQZA20::NMachine {

std::string PciVendorName(const std::string& vendorIdHex);
// "Vendor Device" as lspci prints it, for a function known only by its ids.
std::string PciFunctionName(const std::string& vendorIdHex, const std::string& deviceIdHex);

}  // namespace NVKXQZA20::NMachine

#endif
