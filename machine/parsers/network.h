// Network interfaces: `ip -d address` (also plain `ip address`, `ip -o
// address` as sos stores it in ip_addr, and `ip -d link`), /sys/class/net
// attributes, /proc/net/bonding/BOND, /proc/net/dev counters and the routes
// of `ip route show table all`.
#ifndef QZA_MACHINE_PARSERS_NETWORK_H
#define QZA_MACHINE_PARSERS_NETWORK_H

#include <map>
#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TIpAddress {
  std::string fFamily;   // "inet", "inet6"
  std::string fAddress;  // without the prefix length
  int fPrefixLength = -1;
  std::string fScope;  // "global", "link", "host"
  std::string fBroadcast;
  std::string fLabel;                // "eth0:1"
  std::vector<std::string> fFlags;   // "dynamic", "noprefixroute", "secondary"
};

struct TNetInterface {
  size_t fLine = 0;
  unsigned fIndex = 0;
  std::string fName;  // "eth0" of "eth0@if7"
  std::string fLinkedTo;  // "if7"
  std::vector<std::string> fFlags;  // "BROADCAST", "UP", "LOWER_UP"
  std::optional<unsigned> fMtu;
  std::string fState;   // "UP", "DOWN", "UNKNOWN"
  std::string fMaster;  // the bond, team or bridge it belongs to
  std::string fLinkType;  // "ether", "loopback", "none"
  std::string fMac;
  std::string fBroadcastMac;
  // With -d: the kind line ("bond", "bond_slave", "team", "vlan", "bridge",
  // "veth") and its attributes ("mode" -> "802.3ad", "miimon" -> "100", ...).
  std::string fKind;
  std::map<std::string, std::string> fKindAttributes;
  std::string fSlaveKind;  // "bond_slave", "team_slave", "bridge_slave"
  std::map<std::string, std::string> fSlaveAttributes;
  std::vector<std::string> fAltNames;
  std::vector<TIpAddress> fAddresses;
};

struct TNetInterfaces {
  std::vector<TNetInterface> fInterfaces;
  std::vector<TParseWarning> fWarnings;
};
TNetInterfaces ParseIpAddress(const std::string& text);

// Facts of /sys/class/net/NAME from the files read there, keyed by file name
// ("speed", "duplex", "operstate", "address", "mtu", "carrier").
struct TSysNetInterface {
  std::string fName;
  std::optional<unsigned long long> fSpeedMbps;  // absent when "-1" or unreadable
  std::string fDuplex;
  std::string fOperState;
  std::string fMac;
  std::optional<unsigned> fMtu;
  std::optional<bool> fCarrier;
};
TSysNetInterface ReadSysNetInterface(const std::string& name,
                                     const std::map<std::string, std::string>& files);

// /proc/net/bonding/BOND: the bond's own fields, then one block per slave
// ("Slave Interface", "MII Status", "Speed", "Permanent HW addr", ...).
struct TBonding {
  TFieldBlock fBond;  // "Bonding Mode", "Currently Active Slave", "MII Status"
  std::vector<TFieldBlock> fSlaves;
  std::vector<TParseWarning> fWarnings;
};
TBonding ParseBonding(const std::string& text);

// /proc/net/dev: an interface's receive and transmit counters, by the
// names of its heading ("bytes", "packets", "errs", "drop", "fifo", "frame",
// "colls", "carrier", ...).
struct TNetCounters {
  size_t fLine = 0;
  std::string fInterface;
  std::map<std::string, unsigned long long> fReceive;
  std::map<std::string, unsigned long long> fTransmit;
};
struct TNetDev {
  std::vector<TNetCounters> fInterfaces;
  std::vector<TParseWarning> fWarnings;
};
TNetDev ParseNetDev(const std::string& text);

// `ip route show table all` (also `ip route`): "default via 192.0.2.1 dev
// eth0 proto dhcp metric 100". Routes of a type other than unicast (local,
// broadcast, multicast, ...) keep that type.
struct TIpRoute {
  size_t fLine = 0;
  std::string fType;         // "" for unicast, "local", "broadcast", "unreachable"
  std::string fDestination;  // "default", "192.0.2.0/24", "10.0.0.1"
  std::map<std::string, std::string> fAttributes;  // "via", "dev", "metric", "table", "src", "proto", "scope"
  // "inet6" when an address of the line is one (or the output was `ip -6
  // route`, which the caller knows); a bare "default dev ppp0" says nothing.
  std::string fFamily;
};
struct TIpRoutes {
  std::vector<TIpRoute> fRoutes;
  std::vector<TParseWarning> fWarnings;
};
TIpRoutes ParseIpRoute(const std::string& text);

// `ethtool -i IFACE`: the "driver:" line's name; "" without one.
std::string ParseEthtoolDriver(const std::string& text);

// /etc/resolv.conf: the addresses of its "nameserver" lines, in order.
std::vector<std::string> ParseResolvConf(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
