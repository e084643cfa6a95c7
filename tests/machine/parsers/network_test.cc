// ip address in its detailed and one-line forms, /sys/class/net facts and
// bonding status.
#include "machine/parsers/network.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

template <class TValue>
std::string Pairs(const std::map<std::string, TValue>& pairs) {
  std::ostringstream text;
  for (const auto& [name, value] : pairs) text << name << "=" << value << " ";
  return text.str();
}

std::string Summary(const TNetInterfaces& interfaces) {
  std::string text;
  for (const TNetInterface& i : interfaces.fInterfaces) {
    text += std::to_string(i.fIndex) + " " + i.fName + "@" + i.fLinkedTo + " <" + Join(i.fFlags) + "> mtu " +
            Text(i.fMtu) + " " + i.fState + " master " + i.fMaster + " " + i.fLinkType + " " + i.fMac + " kind " +
            i.fKind + " " + Pairs(i.fKindAttributes) + "slave " + i.fSlaveKind + " " + Pairs(i.fSlaveAttributes) +
            Join(i.fAltNames) + "\n";
    for (const TIpAddress& a : i.fAddresses)
      text += "  " + a.fFamily + " " + a.fAddress + "/" + std::to_string(a.fPrefixLength) + " " + a.fScope + " " +
              a.fBroadcast + " " + a.fLabel + " " + Join(a.fFlags) + "\n";
  }
  return text + WarningLines(interfaces.fWarnings);
}

TEST(Network, IpAddressForms) {
  struct TCase {
    const char* fText;
    const char* fExpected;
  } cases[] = {
      {"2: eth0: <BROADCAST,MULTICAST,SLAVE,UP,LOWER_UP> mtu 9000 qdisc mq master bond0 state UP group default qlen 1000\n"
       "    link/ether 02:00:00:aa:bb:01 brd ff:ff:ff:ff:ff:ff promiscuity 0 minmtu 68 maxmtu 9600 \n"
       "    bond_slave state ACTIVE mii_status UP link_failure_count 0 queue_id 0 numtxqueues 8 \n"
       "    altname enp3s0f0\n"
       "5: bond0: <BROADCAST,MULTICAST,MASTER,UP,LOWER_UP> mtu 9000 qdisc noqueue state UP group default qlen 1000\n"
       "    link/ether 02:00:00:aa:bb:01 brd ff:ff:ff:ff:ff:ff promiscuity 0 \n"
       "    bond mode 802.3ad miimon 100 \n"
       "    inet 198.51.100.7/24 brd 198.51.100.255 scope global noprefixroute bond0\n"
       "       valid_lft forever preferred_lft forever\n"
       "    inet6 fe80::1/64 scope link \n"
       "6: veth1@if7: <BROADCAST> mtu 1500 qdisc noop state DOWN\n"
       "    link/ether 02:00:00:aa:bb:02 brd ff:ff:ff:ff:ff:ff link-netnsid 0 promiscuity 0 \n"
       "    veth numtxqueues 1 \n"
       "x: broken\n",
       "2 eth0@ <BROADCAST,MULTICAST,SLAVE,UP,LOWER_UP> mtu 9000 UP master bond0 ether 02:00:00:aa:bb:01 kind  "
       "slave bond_slave link_failure_count=0 mii_status=UP numtxqueues=8 queue_id=0 state=ACTIVE enp3s0f0\n"
       "5 bond0@ <BROADCAST,MULTICAST,MASTER,UP,LOWER_UP> mtu 9000 UP master  ether 02:00:00:aa:bb:01 kind bond "
       "miimon=100 mode=802.3ad slave  \n"
       "  inet 198.51.100.7/24 global 198.51.100.255 bond0 noprefixroute\n"
       "  inet6 fe80::1/64 link   \n"
       "6 veth1@if7 <BROADCAST> mtu 1500 DOWN master  ether 02:00:00:aa:bb:02 kind veth numtxqueues=1 slave  \n"
       "W14"},
      {"1: lo    inet 127.0.0.1/8 scope host lo\\       valid_lft forever preferred_lft forever\n"
       "4: eth0    inet 192.0.2.2/24 brd 192.0.2.255 scope global eth0\\       valid_lft forever preferred_lft forever\n"
       "4: eth0    inet6 fe80::2/64 scope link \\       valid_lft forever preferred_lft forever\n",
       "1 lo@ <> mtu -  master    kind  slave  \n"
       "  inet 127.0.0.1/8 host  lo \n"
       "4 eth0@ <> mtu -  master    kind  slave  \n"
       "  inet 192.0.2.2/24 global 192.0.2.255 eth0 \n"
       "  inet6 fe80::2/64 link   \n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(ParseIpAddress(c.fText)), c.fExpected);
}

TEST(Network, SysNetFacts) {
  TSysNetInterface up = ReadSysNetInterface(
      "eth0", {{"speed", "25000\n"}, {"duplex", "full\n"}, {"operstate", "up"}, {"address", "02:00:00:aa:bb:01"},
               {"mtu", "9000"}, {"carrier", "1"}});
  TSysNetInterface down = ReadSysNetInterface("eth1", {{"speed", "-1\n"}, {"carrier", "x"}});
  EXPECT_EQ(Text(up.fSpeedMbps) + " " + up.fDuplex + " " + up.fOperState + " " + up.fMac + " " + Text(up.fMtu) + " " +
                Text(up.fCarrier) + " | " + Text(down.fSpeedMbps) + " " + Text(down.fCarrier),
            "25000 full up 02:00:00:aa:bb:01 9000 1 | - -");
}

TEST(Network, BondingBondAndSlaves) {
  TBonding bonding = ParseBonding(
      "Ethernet Channel Bonding Driver: v6.1.0\n\n"
      "Bonding Mode: IEEE 802.3ad Dynamic link aggregation\nMII Status: up\n\n"
      "802.3ad info\nLACP rate: slow\n\n"
      "Slave Interface: eth0\nMII Status: up\nSpeed: 25000 Mbps\ndetails actor lacp pdu:\n    system priority: 65535\n\n"
      "Slave Interface: eth1\nMII Status: down\n");
  std::string text = Fields(bonding.fBond) + "\n";
  for (const TFieldBlock& slave : bonding.fSlaves) text += Fields(slave) + "\n";
  EXPECT_EQ(text,
            "Ethernet Channel Bonding Driver=v6.1.0;Bonding Mode=IEEE 802.3ad Dynamic link aggregation;MII Status=up;"
            "802.3ad info=;LACP rate=slow\n"
            "Slave Interface=eth0;MII Status=up;Speed=25000 Mbps;details actor lacp pdu=[system priority: 65535]\n"
            "Slave Interface=eth1;MII Status=down\n");
}

TEST(Network, RoutesAndCounters) {
  std::string text;
  const TIpRoutes routes = ParseIpRoute(
      "default via 192.0.2.1 dev eth0 proto dhcp metric 100 onlink\nlocal 127.0.0.1 dev lo table local\n"
      "10.1.0.0/16 proto static\n\tnexthop via 192.0.2.7 dev eth1 weight 1\n10.2.0.0/16 dangling\n"
      "default via fd00::1 dev eth0 metric 1024 pref medium\n");
  for (const TIpRoute& r : routes.fRoutes) {
    text += r.fType + "|" + r.fDestination + "|" + Pairs(r.fAttributes) + r.fFamily + "\n";
  }
  const TNetDev dev = ParseNetDev(
      "Inter-|   Receive                            |  Transmit\n"
      " face |bytes    packets errs drop fifo frame|bytes    packets errs drop fifo colls\n"
      "  eth0: 1867 44 1 2 0 0 2223 27 0 0 0 3\n  eth1: 1 2\n");
  for (const TNetCounters& c : dev.fInterfaces) text += c.fInterface + " " + Pairs(c.fReceive) + "/ " + Pairs(c.fTransmit);
  EXPECT_EQ(text + WarningLines(routes.fWarnings) + WarningLines(dev.fWarnings),
            "|default|dev=eth0 metric=100 onlink= proto=dhcp via=192.0.2.1 \nlocal|127.0.0.1|dev=lo table=local \n"
            "|10.1.0.0/16|dev=eth1 proto=static via=192.0.2.7 \n|10.2.0.0/16|\n"
            "|default|dev=eth0 metric=1024 pref=medium via=fd00::1 inet6\n"
            "eth0 bytes=1867 drop=2 errs=1 fifo=0 frame=0 packets=44 / bytes=2223 colls=3 drop=0 errs=0 fifo=0 packets=27 "
            "W5W4");
}

TEST(Network, NameServersAndDriver) {
  EXPECT_EQ(ParseResolvConf("# by hand\nsearch example\nnameserver 192.0.2.53\nnameserver  fd00::53\nnameserver\n"),
            (std::vector<std::string>{"192.0.2.53", "fd00::53"}));
  EXPECT_EQ(ParseEthtoolDriver("driver: virtio_net\nversion: 1.0.0\nbus-info: 0000:00:03.0\n"), "virtio_net");
  EXPECT_EQ(ParseEthtoolDriver("Cannot get driver information: Operation not supported\n"), "");
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
