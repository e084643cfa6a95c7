// The name of a PCI vendor by its id, from the PCI ID database that libpci
// reads (pci.ids). lspci prints vendor and device names as one text, so the
// vendor alone comes from here. Without libpci (QZA_WITH_LIBPCI off), or for
// an id the database lacks, the answer is "".
#ifndef QZA_MACHINE_PCI_NAMES_H
#define QZA_MACHINE_PCI_NAMES_H

#include <string>

namespace NVKXQZA20::NMachine {

std::string PciVendorName(const std::string& vendorIdHex);

}  // namespace NVKXQZA20::NMachine

#endif
