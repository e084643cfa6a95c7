#include <gtest/gtest.h>

#include "esxi/report_parameters_builder_vmwesxi.h"
#include "tests/esxi/page_listing.h"

namespace {

using NVKXQZA20::TCIMContext;

TReportParametersBuilder_vmwesxi Catalog() {
  return TReportParametersBuilder_vmwesxi(RepositoryFromMof(""), "default");
}

TEST(EsxiSoftwarePages, SystemOverviewShowsChassisHypervisorAndDataSource) {
  EXPECT_EQ((TLines{"page \"System Overview\" link system_overview",
                    "table OMC_Chassis, title \"Computer System\", row style, width 60%, label column 20%, "
                    "at most 1 per table, with property filters",
                    "  filter ChassisPackageType exclude 29",
                    "  column Manufacturer 0%",
                    "  column Model 0% (label \"Product Name\")",
                    "  column Version 0%",
                    "  column SerialNumber 0% (label \"Serial Number\")",
                    "  column uuid 0% (label \"System UUID\")",
                    "table VMware_HypervisorSoftwareIdentity, title \"Operating System\", row style, width 60%, "
                    "label column 20%, at most 1 per table, with property filters",
                    "  filter Name exclude Boot Bank",
                    "  column Name 0%",
                    "  column Manufacturer 0%",
                    "  column LargeBuildNumber 0% (label \"BuildNumber\")",
                    "  column VersionString 0%",
                    "  column LastStartTime 0% (label \"Time of Last Boot\")",
                    "table VKXSG_QZAProduct, title \"Data Source\", row style, width 60%, label column 20%, "
                    "at most 1 per table",
                    "  column Name 0%",
                    "  column Version 0%"}),
            PageListing(Catalog().BuildSystemOverviewParams()));
}

TEST(EsxiSoftwarePages, SystemOverviewFiltersLeaveOutOtherChassisAndBootBanks) {
  TTestNamespace ns = RepositoryFromMof(R"(
    class OMC_Chassis { [Key] string Tag; uint16 ChassisPackageType; };
    class VMware_HypervisorSoftwareIdentity { [Key] string InstanceID; string Name; };
    instance of OMC_Chassis { Tag = "main"; ChassisPackageType = 23; };
    instance of OMC_Chassis { Tag = "blade"; ChassisPackageType = 29; };
    instance of VMware_HypervisorSoftwareIdentity { InstanceID = "1"; Name = "VMware ESXi"; };
    instance of VMware_HypervisorSoftwareIdentity { InstanceID = "2"; Name = "Boot Bank 1"; };
    instance of VMware_HypervisorSoftwareIdentity { InstanceID = "3"; };)");
  TEsxiRecordingWriter writer;
  writer.Initialize(ns, TCIMContext(), "");
  const TReportParameters page = TReportParametersBuilder_vmwesxi(ns, "default").BuildSystemOverviewParams();
  TLines kept;
  for (const auto& table : page.GetClasses()) {
    for (const auto& instance : writer.GetInstances(table)) kept.push_back(instance->GetReference().GetPath());
  }
  EXPECT_EQ((TLines{"OMC_Chassis.Tag=\"main\"", "VMware_HypervisorSoftwareIdentity.InstanceID=\"1\"",
                    "VMware_HypervisorSoftwareIdentity.InstanceID=\"3\""}),
            kept);
}

TEST(EsxiSoftwarePages, InstalledApplicationsListTheInstalledPackages) {
  EXPECT_EQ((TLines{"page \"Installed Applications\" link installedapps",
                    "table VMware_ComponentSoftwareIdentity, title \"Installed Packages\", column style, width 80%, "
                    "at most 1000 per table",
                    "  column ElementName 25%",
                    "  column VersionString 20% (label \"Version\")",
                    "  column Caption 30%",
                    "  column InstallDate 25%"}),
            PageListing(Catalog().BuildInstalledAppsParams()));
}

TEST(EsxiSoftwarePages, NetworkSettingsShowPortsAndKernelEndpoints) {
  EXPECT_EQ((TLines{"page \"Network Settings\" link net",
                    "table VMware_EthernetPort, title \"Physical Network Ports\", row style, width 80%, "
                    "label column 20%, at most 1000 per table",
                    "  column Name 0%", "  column DeviceID 0%", "  column LinkTechnology 0%",
                    "  column PermanentAddress 0%", "  column NetworkAddresses 0%",
                    "  column ActiveMaximumTransmissionUnit 0%", "  column EnabledState 0%",
                    "  column FullDuplex 0%",
                    "table VMware_KernelIPv4ProtocolEndpoint, title \"IPv4 Endpoint\", row style, width 80%, "
                    "label column 20%, at most 1000 per table",
                    "  column Name 0%", "  column TransitioningToState 0%", "  column SubnetMask 0%",
                    "  column RequestedState 0%", "  column ProtocolIFType 0%", "  column IPv4Address 0%",
                    "  column EnabledState 0%",
                    "table VMware_KernelIPv6ProtocolEndpoint, title \"IPv6 Endpoint\", row style, width 80%, "
                    "label column 20%, at most 1000 per table",
                    "  column Name 0%", "  column TransitioningToState 0%", "  column SubnetMask 0%",
                    "  column AvailableRequestedStates 0%", "  column ProtocolIFType 0%", "  column IPv6Address 0%",
                    "  column EnabledState 0%"}),
            PageListing(Catalog().BuildNetworkingParams()));
}

}  // namespace
