// `lspci -nnvv` (also -vv, -nn, -mm is not read): one record per PCI function
// with its ids, names, driver, physical slot and PCI Express link; and the
// USB devices of plain `lsusb`.
#ifndef QZA_MACHINE_PARSERS_LSPCI_H
#define QZA_MACHINE_PARSERS_LSPCI_H

#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TPciLink {
  std::string fSpeed;  // "8GT/s" as printed, "" when absent
  std::string fWidth;  // "x16"
};

struct TPciFunction {
  size_t fLine = 0;
  std::string fAddress;    // "0000:00:1f.2" (domain added when lspci omits it)
  std::string fClassName;  // "SATA controller"
  std::string fClassId;    // "0106", "" without -nn
  // Vendor and device names as lspci prints them, in one text ("Example Corp
  // FastLink 10G Adapter"): where one ends and the other starts is not in the
  // text; the ids are, and pci.ids or libpci names the vendor.
  std::string fName;
  std::string fVendorId;  // "8086"
  std::string fDeviceId;
  std::string fRevision;  // "05" of "(rev 05)"
  std::string fProgIf;    // "01" of "(prog-if 01 [AHCI 1.0])"
  std::string fSubsystemName;  // vendor and device names, as fName
  std::string fSubsystemVendorId;
  std::string fSubsystemDeviceId;
  std::string fPhysicalSlot;  // "Physical Slot: 3"
  std::string fDriver;        // "Kernel driver in use"
  std::vector<std::string> fModules;  // "Kernel modules: a, b"
  std::string fNumaNode;
  TPciLink fLinkCapability;  // LnkCap
  TPciLink fLinkStatus;      // LnkSta: the running link
  // sysfs's "enable" (the count of users that turned the function on), which
  // lspci does not print: set by whoever reads /sys; nothing when unread.
  std::optional<bool> fEnabled;
  // Every other top-level line below the function's title ("Control", "Region
  // 0", capabilities, ...) as name and value; a capability's own lines are its
  // list.
  TFieldBlock fDetails;
};

struct TPciRecords {
  std::vector<TPciFunction> fFunctions;
  std::vector<TParseWarning> fWarnings;
};

TPciRecords ParseLspci(const std::string& text);

// `lsusb`: "Bus 001 Device 002: ID 046b:ff10 Vendor Product"; as with lspci,
// where the vendor's name ends is not in the text.
struct TUsbDevice {
  size_t fLine = 0;
  std::string fBus;  // "001"
  std::string fDevice;
  std::string fVendorId;
  std::string fProductId;
  std::string fName;
};
struct TUsbDevices {
  std::vector<TUsbDevice> fDevices;
  std::vector<TParseWarning> fWarnings;
};
TUsbDevices ParseLsusb(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
