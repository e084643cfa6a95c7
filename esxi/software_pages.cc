// ESXi page operations of the system and software pages: overview,
// installed packages, network settings and the placeholders of the pages an
// ESXi host cannot fill.
#include "esxi/esxi_page_building.h"
#include "esxi/report_parameters_builder_vmwesxi.h"

TReportParameters TReportParametersBuilder_vmwesxi::BuildSystemOverviewParams() const {
  TEsxiPageBuilder page("System Overview", "system_overview");

  page.Table("OMC_Chassis", "Computer System", {Exclude("ChassisPackageType", "29")})
      .RowStyle("60%", "20%").InstancesPerTable(1)
      .Rows({"Manufacturer", "Model"}).Label("Product Name")
      .Rows({"Version", "SerialNumber"}).Label("Serial Number")
      .Rows({"uuid"}).Label("System UUID");

  page.Table("VMware_HypervisorSoftwareIdentity", "Operating System", {Exclude("Name", "Boot Bank")})
      .RowStyle("60%", "20%").InstancesPerTable(1)
      .Rows({"Name", "Manufacturer", "LargeBuildNumber"}).Label("BuildNumber")
      .Rows({"VersionString", "LastStartTime"}).Label("Time of Last Boot");

  page.Table("VKXSG_QZAProduct", "Data Source").RowStyle("60%", "20%").InstancesPerTable(1)
      .Rows({"Name", "Version"});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildInstalledAppsParams() const {
  TEsxiPageBuilder page("Installed Applications", "installedapps");
  page.Table("VMware_ComponentSoftwareIdentity", "Installed Packages").ColumnStyle("80%").InstancesPerTable(1000)
      .Column("ElementName", "25%")
      .Column("VersionString", "20%").Label("Version")
      .Columns({{"Caption", "30%"}, {"InstallDate", "25%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildKernelModuleParams() const {
  return PlaceholderPage("Kernel Modules", "kernelmodules", "Kernel Modules");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildNetworkingParams() const {
  TEsxiPageBuilder page("Network Settings", "net");

  page.Table("VMware_EthernetPort", "Physical Network Ports").RowStyle("80%", "20%").InstancesPerTable(1000)
      .Rows({"Name", "DeviceID", "LinkTechnology", "PermanentAddress", "NetworkAddresses",
             "ActiveMaximumTransmissionUnit", "EnabledState", "FullDuplex"});

  page.Table("VMware_KernelIPv4ProtocolEndpoint", "IPv4 Endpoint").RowStyle("80%", "20%").InstancesPerTable(1000)
      .Rows({"Name", "TransitioningToState", "SubnetMask", "RequestedState", "ProtocolIFType", "IPv4Address",
             "EnabledState"});

  page.Table("VMware_KernelIPv6ProtocolEndpoint", "IPv6 Endpoint").RowStyle("80%", "20%").InstancesPerTable(1000)
      .Rows({"Name", "TransitioningToState", "SubnetMask", "AvailableRequestedStates", "ProtocolIFType",
             "IPv6Address", "EnabledState"});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildResourceUtilizationParams() const {
  return PlaceholderPage("Resource Utilization", "resource");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildProcessesParams() const {
  return PlaceholderPage("Processes", "process");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildOSConfigParams() const {
  return PlaceholderPage("OS Configuration", "os_config");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildSysConfigParams() const {
  return PlaceholderPage("Linux Config Files", "linux_config");
}
