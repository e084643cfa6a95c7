// ESXi page operations of the log and analysis pages: privileges, IPMI and
// chassis events, merged logs and devices, the product's error log.
#include "esxi/esxi_page_building.h"
#include "esxi/report_parameters_builder_vmwesxi.h"

namespace {

// The five columns every merged-devices table shows, from the properties
// that name, make and describe a device of the class (an empty label keeps
// the property's own).
void AddMergedDeviceTable(TEsxiPageBuilder& page, const std::string& className, const std::string& title,
                          const std::string& nameProperty, const std::string& nameLabel,
                          const std::string& vendorProperty, const std::string& descriptionProperty,
                          const std::string& descriptionLabel, std::initializer_list<TPropertyFilter> filters = {}) {
  page.Table(className, title, filters).ColumnStyle("80%").InstancesPerTable(1000)
      .Column(nameProperty, "10%").Label(nameLabel)
      .Column(vendorProperty, "10%").Label("VendorInfo")
      .Columns({{"OperationalStatus", "10%"}, {"VersionString", "10%"}})
      .Column(descriptionProperty, "10%").Label(descriptionLabel);
}

}  // namespace

TReportParameters TReportParametersBuilder_vmwesxi::BuildVMwarePrivilegeLogParams() const {
  TEsxiPageBuilder page("VMware Privilege Log", "vmware_privilege_log");
  page.HideReportTitle();
  page.Table("VMware_Privilege", "VMware Privilege Log").ColumnStyle("80%").InstancesPerTable(100)
      .Columns({{"ElementName", "10%"}, {"InstanceID", "20%"}, {"PrivilegeGranted", "10%"},
                {"RepresentsAuthorizationRights", "10%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildIPMIEventParams() const {
  TEsxiPageBuilder page("IPMI Event", "ipmi_event");
  page.Table("OMC_IpmiLogRecord", "IPMI Event").ColumnStyle("80%").InstancesPerTable(1000)
      .SortBy("RecordID", kAscending, kSecondKeyFlag)
      .Columns({{"RecordID", "10%"}, {"MessageTimestamp", "20%"}, {"Description", "25%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildChassisEventLogParams() const {
  const bool multiNode = IsMultiNode();
  TEsxiPageBuilder page("Chassis Event Log", "chassis_event");
  page.HideReportTitle().LinkSortable();
  TTableBuilder& events = page.Table("VKX_StandardMessageLogEntry", "Chassis Event Log").ColumnStyle("100%")
                              .Sortable().SortBy("CreationTimeStamp", kAscending);
  // The node column takes its share from the log name and the message.
  if (multiNode) events.Column("NodeID", "10%");
  events.Column("LogName", multiNode ? "10%" : "15%")
      .Columns({{"CreationTimeStamp", "30%"}, {"MessageID", "10%"}})
      .Column("Message", multiNode ? "30%" : "35%")
      .Column("PerceivedSeverity", "10%");
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildMergedLogParams() const {
  TEsxiPageBuilder page("Merged Logs", "mergedlog");
  page.Table("OMC_IpmiLogRecord", "Merged Logs").ColumnStyle("80%").InstancesPerTable(1000)
      .Columns({{"Description", "10%"}, {"MessageTimestamp", "20%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildMergedDevicesParams() const {
  TEsxiPageBuilder page("Merged Devices", "mergedDevices");
  AddMergedDeviceTable(page, "OMC_SMASHFirmwareIdentity", "Bios/uEFI", "Name", "", "Manufacturer", "Description", "");
  AddMergedDeviceTable(page, "VKXSG_PCIBridge", "Bridge", "DeviceID", "Name", "Manufacturer", "Description", "");
  AddMergedDeviceTable(page, "VMware_HypervisorStorageExtent", "Cdrom", "ElementName", "Name", "Manufacturer",
                       "Description", "", {Include("ElementName", "CD-ROM")});
  AddMergedDeviceTable(page, "OMC_Processor", "Cpu", "ModelName", "Name", "IdentifyingDescriptions", "Description",
                       "");
  AddMergedDeviceTable(page, "VMware_HHRCDiskDrive", "Disk", "Name", "", "Manufacturer", "Description", "");
  AddMergedDeviceTable(page, "OMC_PhysicalMemory", "Memory", "ElementName", "", "Manufacturer", "Description", "");
  AddMergedDeviceTable(page, "VMware_EthernetPort", "Network", "ElementName", "", "Manufacturer", "Caption",
                       "Description");
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildQZALogParams() const {
  TEsxiPageBuilder page("QZA Error Log", "qza_log");
  page.LinkSortable();
  page.Table("VKXSG_QZALogRecord", "QZA Error Log").ColumnStyle("100%").Sortable()
      .SortBy("RecordID", kAscending, kSecondKeyFlag)
      .Columns({{"MessageTimestamp", "11%"}, {"Source", "13%"}, {"Type", "7%"}, {"Message", "69%"}});
  return page.Build();
}
