// Test schemas of the device pages, as MOF text: the LSI vendor provider's
// classes, the older VKXSG_LSI classes, and the firmware classes they
// derive from. A test appends its instances and loads both in one go, so
// that its aliases resolve.
#ifndef QZA_TESTS_CUSTOM_DEVICE_SCHEMA_H
#define QZA_TESTS_CUSTOM_DEVICE_SCHEMA_H

#include <string>

#include "tests/custom/page_transcript.h"

// Firmware elements with the properties every firmware table shows.
inline std::string FirmwareSchema() {
  return "class CIM_ManagedElement { string ElementName; string Description; };\n"
         "class VKXSG_FirmwareElement : CIM_ManagedElement {\n"
         "  string Name; string Manufacturer; string Version; string BuildNumber; string BuildDate; };\n"
         "class CIM_BIOSElement : CIM_ManagedElement {\n"
         "  string Name; string SourceNode; string BuildNumber; string Version; string ReleaseDate; };\n";
}

// The VKXSG_LSI classes; their BIOS and firmware elements are firmware
// elements of the firmware page too.
inline std::string LegacyLSISchema() {
  return "class VKXSG_LSISCSIProtocolController : CIM_ManagedElement {\n"
         "  string ControllerNum; string ControllerType; uint8 LSIType; string SCSIChannelDescription;\n"
         "  string InitiatorIDs; string CurrentOperation; string VolumeID; string LogicalDriveInProgress;\n"
         "  string VolumeStatus; string VolumeState; string LogicalDriveSize; string NumRemainingSectors;\n"
         "  string PercentComplete; };\n"
         "class VKXSG_LSIBIOSElement : CIM_BIOSElement {};\n"
         "class VKXSG_LSIFirmwareElement : VKXSG_FirmwareElement {};\n"
         "class VKXSG_LSIDiskFirmwareElement : VKXSG_FirmwareElement {};\n"
         "class VKXSG_LSILogicalDisk : CIM_ManagedElement {\n"
         "  string VolumeID; string VolumeNumber; string VolumeStatus; string RAIDLevel; string BlockSize;\n"
         "  string PhysicalHardDisks; };\n"
         "class VKXSG_LSIDiskDrive : CIM_ManagedElement {\n"
         "  string ChannelNum; uint32 DeviceType; string EnclosureNum; string TargetID; string SlotID;\n"
         "  string VKXFruCru; string State; string MaxMediaSize; string InquiryData; string ModelNumber;\n"
         "  string FirmwareRevision; string SerialNo; string DriveType; };\n"
         "class VKXSG_LSIEnclosureInformation : CIM_ManagedElement {\n"
         "  string EnclosureNum; string LogicalID; string Numslots; string StartSlot; string StartTargetID;\n"
         "  string StartBus; };\n"
         "class VKXSG_MegaLSIRawData : CIM_ManagedElement { string Command; string RawResults[]; };\n"
         "class VKXSG_lsiRawData : CIM_ManagedElement { string Command; string RawResults[]; };\n" +
         Associations({"VKXSG_LSIControllerBIOSElement", "VKXSG_LSIControllerFirmwareElement",
                       "VKXSG_LSIProtocolControllerForUnit", "VKXSG_LSIProtocolControllerForPhysicalDisk",
                       "VKXSG_LSIDiskFirmware"});
}

// The LSI vendor provider's classes (LSIESG_).
inline std::string VendorLSISchema() {
  return "class CIM_ComputerSystem : CIM_ManagedElement { string Name; };\n"
         "class LSIESG_MegaRAIDHBA : CIM_ComputerSystem {};\n"
         "class LSIESG_IRHBA : CIM_ComputerSystem {};\n"
         "class CIM_PhysicalPackage : CIM_ManagedElement { string Tag; string Model; };\n"
         "class LSIESG_PhysicalCard : CIM_PhysicalPackage {};\n"
         "class LSIESG_EnclosureChassis : CIM_PhysicalPackage {};\n"
         "class LSIESG_SoftwareIdentity : CIM_ManagedElement {\n"
         "  string InstanceID; string Manufacturer; string VersionString; string BuildNumber;\n"
         "  string ReleaseDate; };\n"
         "class LSIESG_ControllerFirmwareIdentity : LSIESG_SoftwareIdentity {};\n"
         "class LSIESG_ControllerBIOSIdentity : LSIESG_SoftwareIdentity {};\n"
         "class LSIESG_FirmwarePackageIdentity : LSIESG_SoftwareIdentity {};\n"
         "class LSIESG_DriveFirmwareIdentity : LSIESG_SoftwareIdentity {};\n"
         "class LSIESG_StorageVolume : CIM_ManagedElement { string Name; string OperationalStatus; };\n"
         "class LSIESG_StorageVolumeSetting : CIM_ManagedElement {};\n"
         "class LSIESG_DiskExtent : CIM_ManagedElement {\n"
         "  string Name; string OperationalStatus; uint64 BlockSize; uint64 NumberOfBlocks; };\n"
         "class LSIESG_DiskDrive : CIM_ManagedElement { string Name; string OperationalStatus; };\n"
         "class LSIESG_PhysicalDrive : CIM_ManagedElement { string FRUNumber; };\n" +
         Associations({"LSIESG_SystemPackaging", "LSIESG_ElementSoftwareIdentity", "LSIESG_SystemDevice",
                       "LSIESG_ElementSettingData", "LSIESG_ConcreteDependency", "LSIESG_MediaPresent",
                       "LSIESG_Realizes"});
}

#endif
