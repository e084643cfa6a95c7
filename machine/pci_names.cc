#include "machine/pci_names.h"

#include <cstdlib>

#ifdef QZA_WITH_LIBPCI
#include <mutex>

extern "C" {
#include <pci/pci.h>
}
#endif

namespace NVKXQZA20::NMachine {

#ifdef QZA_WITH_LIBPCI

namespace {

// libpci reports a missing database through a handler that must not return;
// names are only looked up, so a quiet handler that ignores it is enough.
void IgnoreLibpciMessage(char*, ...) {}

class TPciDatabase {
 public:
  TPciDatabase() : fAccess(pci_alloc()) {
    fAccess->warning = IgnoreLibpciMessage;
    fAccess->debug = IgnoreLibpciMessage;
    pci_init(fAccess);
  }
  ~TPciDatabase() { pci_cleanup(fAccess); }

  std::string VendorName(unsigned vendor) {
    std::lock_guard<std::mutex> lock(fMutex);
    char buffer[256];
    const char* name = pci_lookup_name(fAccess, buffer, sizeof buffer, PCI_LOOKUP_VENDOR | PCI_LOOKUP_NO_NUMBERS, vendor);
    return name != nullptr ? name : "";
  }

 private:
  std::mutex fMutex;
  pci_access* fAccess;
};

}  // namespace

std::string PciVendorName(const std::string& vendorIdHex) {
  if (vendorIdHex.empty()) return "";
  char* end = nullptr;
  const unsigned long vendor = std::strtoul(vendorIdHex.c_str(), &end, 16);
  if (*end != '\0' || vendor > 0xFFFF) return "";
  static TPciDatabase database;
  return database.VendorName(static_cast<unsigned>(vendor));
}

#else

std::string PciVendorName(const std::string&) { return ""; }

#endif

}  // namespace NVKXQZA20::NMachine
