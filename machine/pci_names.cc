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
  std::string FunctionName(unsigned vendor, unsigned device) {
    std::lock_guard<std::mutex> lock(fMutex);
    char buffer[512];
    const char* name = pci_lookup_name(fAccess, buffer, sizeof buffer, PCI_LOOKUP_VENDOR | PCI_LOOKUP_DEVICE,
                                       vendor, device);
    return name != nullptr ? name : "";
  }

 private:
  std::mutex fMutex;
  pci_access* fAccess;
};

TPciDatabase& Database() {
  static TPciDatabase database;
  return database;
}

// A 16-bit id written in hex, or nothing.
bool IdOf(const std::string& hex, unsigned& id) {
  if (hex.empty()) return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(hex.c_str(), &end, 16);
  id = static_cast<unsigned>(value);
  return *end == '\0' && value <= 0xFFFF;
}

}  // namespace

std::string PciVendorName(const std::string& vendorIdHex) {
  unsigned vendor = 0;
  return IdOf(vendorIdHex, vendor) ? Database().VendorName(vendor) : "";
}

std::string PciFunctionName(const std::string& vendorIdHex, const std::string& deviceIdHex) {
  unsigned vendor = 0, device = 0;
  return IdOf(vendorIdHex, vendor) && IdOf(deviceIdHex, device) ? Database().FunctionName(vendor, device) : "";
}

#else

std::string PciVendorName(const std::string&) { return ""; }
std::string PciFunctionName(const std::string&, const std::string&) { return ""; }

#endif

}  // namespace NVKXQZA20::NMachine
