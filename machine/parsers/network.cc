#include "machine/parsers/network.h"

#include <algorithm>

#include <unordered_map>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {
namespace {

// Words after a kind ("bond mode 802.3ad miimon 100") read as name/value
// pairs; "<FLAGS>" words stand alone.
std::map<std::string, std::string> Pairs(const std::vector<std::string_view>& words, size_t from) {
  std::map<std::string, std::string> pairs;
  for (size_t i = from; i < words.size(); ++i) {
    if (words[i].front() == '<') continue;
    pairs[std::string(words[i])] = i + 1 < words.size() ? std::string(words[i + 1]) : "";
    ++i;
  }
  return pairs;
}

// "inet 192.0.2.2/24 brd 192.0.2.255 scope global dynamic eth0"
TIpAddress ParseAddress(const std::vector<std::string_view>& words, const std::string& interface) {
  TIpAddress address;
  address.fFamily = std::string(words[0]);
  std::string_view value = words.size() > 1 ? words[1] : std::string_view();
  size_t slash = value.find('/');
  address.fAddress = std::string(value.substr(0, slash));
  if (slash != std::string_view::npos)
    if (auto prefix = ParseUnsigned(value.substr(slash + 1))) address.fPrefixLength = static_cast<int>(*prefix);
  for (size_t i = 2; i < words.size(); ++i) {
    std::string_view word = words[i];
    bool keyed = word == "brd" || word == "scope" || word == "peer" || word == "metric" || word == "proto";
    if (keyed && i + 1 < words.size()) {
      std::string next(words[++i]);
      if (word == "brd") address.fBroadcast = next;
      if (word == "scope") address.fScope = next;
    } else if (address.fFamily == "inet" && i + 1 == words.size() && StartsWith(word, interface)) {
      address.fLabel = std::string(word);
    } else {
      address.fFlags.emplace_back(word);
    }
  }
  return address;
}

class TIpParser {
 public:
  TNetInterfaces Parse(const std::string& text) {
    TLineCursor cursor(text);
    while (cursor.Next()) {
      fLine = cursor.Number();
      // `ip -o` joins an interface's lines with '\'.
      bool first = true;
      for (std::string_view piece : SplitTrimmed(cursor.Line(), '\\')) {
        if (!piece.empty()) first ? ReadLine(cursor.Line(), piece) : ReadDetail(piece);
        first = false;
      }
    }
    return std::move(fResult);
  }

 private:
  void ReadLine(std::string_view line, std::string_view piece) {
    if (Indent(line) > 0) return ReadDetail(piece);
    // "2: eth0@if7: <BROADCAST,UP> mtu 1500 ..." or, with -o addr,
    // "2: eth0    inet 192.0.2.2/24 ..."
    std::vector<std::string_view> words = SplitWords(piece, 3);
    std::optional<unsigned long long> index =
        words.size() >= 2 && words[0].back() == ':' ? ParseUnsigned(words[0].substr(0, words[0].size() - 1))
                                                    : std::nullopt;
    if (!index) return Warn(fResult.fWarnings, fLine, line);
    std::string_view name = words[1];
    if (name.back() == ':') name.remove_suffix(1);
    std::string_view linked;
    if (size_t at = name.find('@'); at != std::string_view::npos) {
      linked = name.substr(at + 1);
      name = name.substr(0, at);
    }
    fCurrent = &Interface(static_cast<unsigned>(*index), std::string(name));
    fCurrent->fLinkedTo = std::string(linked);
    if (words.size() < 3) return;
    if (words[2].front() == '<') return ReadAttributes(words[2]);
    ReadDetail(words[2]);
  }

  TNetInterface& Interface(unsigned index, const std::string& name) {
    auto found = fByIndex.find(index);
    if (found != fByIndex.end() && fResult.fInterfaces[found->second].fName == name)
      return fResult.fInterfaces[found->second];
    fByIndex[index] = fResult.fInterfaces.size();
    TNetInterface interface;
    interface.fLine = fLine;
    interface.fIndex = index;
    interface.fName = name;
    fResult.fInterfaces.push_back(std::move(interface));
    return fResult.fInterfaces.back();
  }

  // "<BROADCAST,UP,LOWER_UP> mtu 1500 qdisc noqueue master bond0 state UP ..."
  void ReadAttributes(std::string_view text) {
    size_t close = text.find('>');
    if (close == std::string_view::npos) return Warn(fResult.fWarnings, fLine, text);
    for (std::string_view flag : SplitTrimmed(text.substr(1, close - 1), ','))
      if (!flag.empty()) fCurrent->fFlags.emplace_back(flag);
    for (const auto& [name, value] : Pairs(SplitWords(text.substr(close + 1)), 0)) {
      if (name == "mtu") {
        if (auto mtu = ParseUnsigned(value)) fCurrent->fMtu = static_cast<unsigned>(*mtu);
      } else if (name == "state") {
        fCurrent->fState = value;
      } else if (name == "master") {
        fCurrent->fMaster = value;
      }
    }
  }

  void ReadDetail(std::string_view line) {
    std::vector<std::string_view> words = SplitWords(line);
    if (words.empty()) return;
    if (!fCurrent) return Warn(fResult.fWarnings, fLine, line);
    std::string_view first = words[0];
    if (StartsWith(first, "link/")) {
      fCurrent->fLinkType = std::string(first.substr(5));
      if (words.size() > 1 && words[1] != "brd") fCurrent->fMac = std::string(words[1]);
      for (size_t i = 1; i + 1 < words.size(); ++i)
        if (words[i] == "brd") fCurrent->fBroadcastMac = std::string(words[i + 1]);
    } else if (first == "inet" || first == "inet6") {
      fCurrent->fAddresses.push_back(ParseAddress(words, fCurrent->fName));
    } else if (first == "altname" && words.size() > 1) {
      fCurrent->fAltNames.emplace_back(words[1]);
    } else if (first == "valid_lft") {
      return;
    } else if (first.size() > 6 && first.substr(first.size() - 6) == "_slave") {
      fCurrent->fSlaveKind = std::string(first);
      fCurrent->fSlaveAttributes = Pairs(words, 1);
    } else if (fCurrent->fKind.empty() && first.find('/') == std::string_view::npos) {
      fCurrent->fKind = std::string(first);
      fCurrent->fKindAttributes = Pairs(words, 1);
    }
  }

  TNetInterfaces fResult;
  std::unordered_map<unsigned, size_t> fByIndex;
  TNetInterface* fCurrent = nullptr;
  size_t fLine = 0;
};

// Generic lines such as "numtxqueues 1 ..." or "addrgenmode eui64 ..." that
// follow the link line when no kind is shown are not kinds.
bool IsKindless(const std::string& kind) {
  return kind == "numtxqueues" || kind == "addrgenmode" || kind == "openvswitch_slave";
}

}  // namespace

TNetInterfaces ParseIpAddress(const std::string& text) {
  TNetInterfaces result = TIpParser().Parse(text);
  for (TNetInterface& interface : result.fInterfaces)
    if (IsKindless(interface.fKind)) {
      interface.fKind.clear();
      interface.fKindAttributes.clear();
    }
  return result;
}

TSysNetInterface ReadSysNetInterface(const std::string& name,
                                     const std::map<std::string, std::string>& files) {
  auto text = [&](const char* file) {
    auto found = files.find(file);
    return found == files.end() ? std::string() : std::string(Trim(found->second));
  };
  TSysNetInterface interface;
  interface.fName = name;
  if (auto speed = ParseSigned(text("speed")); speed && *speed > 0)
    interface.fSpeedMbps = static_cast<unsigned long long>(*speed);
  interface.fDuplex = text("duplex");
  interface.fOperState = text("operstate");
  interface.fMac = text("address");
  if (auto mtu = ParseUnsigned(text("mtu"))) interface.fMtu = static_cast<unsigned>(*mtu);
  std::string carrier = text("carrier");
  if (carrier == "0" || carrier == "1") interface.fCarrier = carrier == "1";
  return interface;
}

TBonding ParseBonding(const std::string& text) {
  TBonding bonding;
  TLineCursor cursor(text);
  TFieldBlock* block = &bonding.fBond;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    std::string_view name, value;
    bool field = SplitField(line, ':', name, value);
    if (Indent(line) > 0 && !block->fFields.empty()) {
      block->fFields.back().fList.emplace_back(Trim(line));
      continue;
    }
    if (!field) {
      // A heading such as "802.3ad info" or "details actor lacp pdu:".
      block->fFields.push_back({std::string(Trim(line)), "", {}});
      continue;
    }
    if (name == "Slave Interface") {
      bonding.fSlaves.push_back(TFieldBlock{cursor.Number(), {}});
      block = &bonding.fSlaves.back();
    }
    block->fFields.push_back({std::string(name), std::string(value), {}});
  }
  return bonding;
}

namespace {

// The column names of one direction in /proc/net/dev's second heading line:
// "bytes    packets errs drop fifo frame compressed multicast".
std::vector<std::string> CounterNames(std::string_view heading) {
  std::vector<std::string> names;
  for (std::string_view word : SplitWords(heading)) names.emplace_back(word);
  return names;
}

}  // namespace

TNetDev ParseNetDev(const std::string& text) {
  TNetDev dev;
  TLineCursor cursor(text);
  std::vector<std::string> receive, transmit;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line) || StartsWith(Trim(line), "Inter-")) continue;
    std::string_view name, values;
    std::vector<std::string_view> directions = SplitTrimmed(line, '|');
    if (directions.size() == 3 && receive.empty()) {
      receive = CounterNames(directions[1]);
      transmit = CounterNames(directions[2]);
      continue;
    }
    if (!SplitField(line, ':', name, values)) {
      Warn(dev.fWarnings, cursor.Number(), line);
      continue;
    }
    std::vector<std::string_view> numbers = SplitWords(values);
    if (receive.empty() || numbers.size() != receive.size() + transmit.size()) {
      Warn(dev.fWarnings, cursor.Number(), line);
      continue;
    }
    TNetCounters counters{cursor.Number(), std::string(name), {}, {}};
    for (size_t i = 0; i < numbers.size(); ++i) {
      const auto number = ParseUnsigned(numbers[i]);
      if (!number) continue;
      if (i < receive.size()) counters.fReceive[receive[i]] = *number;
      else counters.fTransmit[transmit[i - receive.size()]] = *number;
    }
    dev.fInterfaces.push_back(std::move(counters));
  }
  return dev;
}

namespace {

// Route types ip prints before the destination; unicast is not printed.
const std::string_view kRouteTypes[] = {"local", "broadcast", "multicast", "anycast", "unreachable",
                                        "prohibit", "blackhole", "throw", "nat", "unicast"};

// Keywords ip prints alone, without a value after them.
const std::string_view kRouteFlags[] = {"onlink", "pervasive", "linkdown", "dead", "notify", "rt_offload"};

bool IsIpv6Route(const TIpRoute& route) {
  auto ipv6 = [](const std::string& address) { return address.find(':') != std::string::npos; };
  const auto via = route.fAttributes.find("via");
  const auto source = route.fAttributes.find("src");
  return ipv6(route.fDestination) || (via != route.fAttributes.end() && ipv6(via->second)) ||
         (source != route.fAttributes.end() && ipv6(source->second));
}

}  // namespace

TIpRoutes ParseIpRoute(const std::string& text) {
  TIpRoutes routes;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    // A multipath route's "nexthop via ..." lines belong to the route above.
    std::vector<std::string_view> words = SplitWords(line);
    if (Indent(line) > 0 && !routes.fRoutes.empty()) {
      for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "via" || words[i] == "dev") routes.fRoutes.back().fAttributes.emplace(words[i], words[i + 1]);
      }
      continue;
    }
    TIpRoute route{cursor.Number(), "", "", {}};
    size_t next = 0;
    if (std::find(std::begin(kRouteTypes), std::end(kRouteTypes), words[0]) != std::end(kRouteTypes) &&
        words.size() > 1) {
      route.fType = words[0] == "unicast" ? "" : std::string(words[0]);
      ++next;
    }
    route.fDestination = std::string(words[next++]);
    while (next < words.size()) {
      const std::string_view word = words[next++];
      if (std::find(std::begin(kRouteFlags), std::end(kRouteFlags), word) != std::end(kRouteFlags)) {
        route.fAttributes[std::string(word)] = "";
      } else if (next < words.size()) {
        route.fAttributes[std::string(word)] = std::string(words[next++]);
      } else {
        Warn(routes.fWarnings, cursor.Number(), line);
      }
    }
    if (IsIpv6Route(route)) route.fFamily = "inet6";
    routes.fRoutes.push_back(std::move(route));
  }
  return routes;
}

std::string ParseEthtoolDriver(const std::string& text) {
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view name, value;
    if (SplitField(cursor.Line(), ':', name, value) && name == "driver") return std::string(value);
  }
  return "";
}

std::vector<std::string> ParseResolvConf(const std::string& text) {
  std::vector<std::string> servers;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    const std::vector<std::string_view> words = SplitWords(cursor.Line());
    if (words.size() >= 2 && words[0] == "nameserver") servers.emplace_back(words[1]);
  }
  return servers;
}

}  // namespace NVKXQZA20::NMachine
