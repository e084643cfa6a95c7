#include "redaction/pseudonyms.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <stdexcept>

#include "redaction/multi_matcher.h"

namespace NVKXQZA20::NRedaction {

namespace {

const char* const kKindNames[] = {"host",   "domain", "ipv4-subnet", "ipv4",      "ipv6-prefix",
                                  "ipv6-interface", "ipv6", "mac", "wwn", "serial",
                                  "asset-tag", "uuid", "user", "keyword"};

// Subnets of 100.64.0.0/10 (shared address space, RFC 6598): never routed
// on the internet, so no public address is mistaken for a pseudonym, and
// room for 16384 /24 subnets where 198.18.0.0/15 has 512.
const size_t kIPv4Subnets = 1u << 14;

// Values that name no one: dmidecode's and vendors' placeholders, and the
// accounts every system has.
const std::set<std::string> kPlaceholders = {
    "",  "n/a", "na", "none", "unknown", "not specified", "not available", "not present", "not settable",
    "to be filled by o.e.m.", "default string", "system serial number", "chassis serial number",
    "base board serial number", "0123456789", "00000000-0000-0000-0000-000000000000",
    "ffffffff-ffff-ffff-ffff-ffffffffffff", "localhost", "localhost.localdomain", "localdomain",
    "root", "system", "localsystem", "local service", "network service", "nt authority\\system",
    "nt authority\\localservice", "nt authority\\local service", "nt authority\\networkservice",
    "nt authority\\network service", "daemon", "nobody", "bin", "adm", "lp", "sync", "shutdown", "halt",
    "mail", "operator", "ftp", "dbus", "polkitd", "sshd", "chrony", "rpc", "rpcuser", "postfix", "tss",
    "apache", "nginx", "mysql", "postgres", "libstoragemgmt", "unbound", "setroubleshoot", "rtkit"};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool HasUpperHex(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'F'; });
}

std::string Hex(const unsigned char* bytes, size_t count) {
  std::string hex;
  char pair[3];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    hex += pair;
  }
  return hex;
}

// Hex digits in pairs joined by the separator, in the case of the original.
// Hex digits in pairs, or in fours between dots (3cfd.fea1.2240).
std::string Shaped(const std::string& hex, char separator, bool upper) {
  const size_t group = separator == '.' ? 4 : 2;
  std::string out;
  for (size_t i = 0; i < hex.size(); i += group) {
    if (i > 0 && separator != '\0') out += separator;
    out.append(hex, i, group);
  }
  if (upper) std::transform(out.begin(), out.end(), out.begin(), [](char c) { return std::toupper(static_cast<unsigned char>(c)); });
  return out;
}

char SeparatorOf(std::string_view text) {
  for (char separator : {':', '-', '.'}) {
    if (text.find(separator) != std::string_view::npos) return separator;
  }
  return '\0';
}

std::string Numbered(const char* format, size_t n) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, n);
  return buffer;
}

// Map file fields: tab, newline and backslash escaped.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(Unescaped(line.substr(start, tab - start)));
  }
  fields.push_back(Unescaped(line.substr(start)));
  return fields;
}

bool IsPart(EKind kind) {
  return kind == EKind::kIPv4Subnet || kind == EKind::kIPv6Prefix || kind == EKind::kIPv6Interface;
}

}  // namespace

std::string HexDigitsOf(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return digits;
}

const char* KindName(EKind kind) { return kKindNames[static_cast<size_t>(kind == EKind::kHost ? EKind::kHostLabel : kind)]; }

std::optional<std::array<unsigned char, 4>> ParseIPv4(std::string_view text) {
  std::array<unsigned char, 4> address{};
  size_t i = 0;
  for (size_t octet = 0; octet < 4; ++octet) {
    if (octet > 0 && (i >= text.size() || text[i++] != '.')) return std::nullopt;
    size_t digits = 0;
    unsigned value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 4) {
      value = value * 10 + (text[i++] - '0');
      ++digits;
    }
    // "08.37.00.00" is a version, not an address.
    if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[i - digits] == '0')) return std::nullopt;
    address[octet] = static_cast<unsigned char>(value);
  }
  if (i != text.size()) return std::nullopt;
  return address;
}

std::optional<std::array<unsigned char, 16>> ParseIPv6(std::string_view text) {
  std::array<unsigned char, 16> address{};
  if (text.size() > 45 || text.find(':') == std::string_view::npos) return std::nullopt;
  if (::inet_pton(AF_INET6, std::string(text).c_str(), address.data()) != 1) return std::nullopt;
  return address;
}

std::optional<std::array<unsigned char, 6>> ParseMAC(std::string_view text) {
  if (text.size() != 17 && text.size() != 14 && text.size() != 12) return std::nullopt;
  // 3c:fd:fe:a1:22:40, 3C-FD-FE-A1-22-40, 3cfd.fea1.2240 (switches' way), 3cfdfea12240.
  const char separator = text.size() == 17 ? text[2] : text.size() == 14 ? '.' : '\0';
  if (separator != '\0' && separator != ':' && separator != '-' && separator != '.') return std::nullopt;
  const size_t group = separator == '.' ? 5 : 3;
  std::string digits;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool separatorPlace = separator != '\0' && i % group == group - 1;
    if (separatorPlace ? text[i] != separator : !std::isxdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    if (!separatorPlace) digits += text[i];
  }
  std::array<unsigned char, 6> mac{};
  for (size_t i = 0; i < 6; ++i) mac[i] = static_cast<unsigned char>(std::stoul(digits.substr(2 * i, 2), nullptr, 16));
  return mac;
}

// Loopback, unspecified ("this network"), link-local: the same on every
// machine, needed to read a configuration, and naming no one. 224/3 holds
// multicast, the reserved block and the masks (255.255.255.0), which are
// written like addresses.
bool IsKeptIPv4(const std::array<unsigned char, 4>& a) {
  return a[0] == 0 || a[0] == 127 || a[0] >= 224 || (a[0] == 169 && a[1] == 254);
}

// Loopback, unspecified and multicast (ff00::/8, which also holds the masks
// as ffff:ffff::). Link-local addresses keep their prefix but not their
// interface part, which is often made of the MAC.
bool IsKeptIPv6(const std::array<unsigned char, 16>& a) {
  static const std::array<unsigned char, 16> kZero{};
  std::array<unsigned char, 16> loopback{};
  loopback[15] = 1;
  return a == kZero || a == loopback || a[0] == 0xff;
}

template <class TMake>
const std::string& TPseudonyms::Part(EKind kind, const std::string& key, std::string_view original, TMake make) {
  auto& pairs = fPairs[static_cast<size_t>(kind)];
  auto found = pairs.find(key);
  if (found == pairs.end()) {
    found = pairs.emplace(key, TPair{std::string(original), make(pairs.size() + 1)}).first;
    fOrder.emplace_back(kind, key);
  }
  fMet[static_cast<size_t>(kind)].insert(key);
  return found->second.fPseudonym;
}

std::string TPseudonyms::Of(EKind kind, std::string_view original) {
  const std::string lower = Lower(original);
  if (kPlaceholders.count(lower) != 0) return std::string(original);
  switch (kind) {
    case EKind::kHostLabel:
    case EKind::kHost: return HostOf(original);
    case EKind::kDomain: return Part(kind, lower, original, [](size_t n) { return Numbered("domain-%zu.example", n); });
    case EKind::kIPv4:
    case EKind::kIPv6:
    case EKind::kMAC: return AddressOf(original);
    case EKind::kWWN: return WWNOf(original);
    case EKind::kSerial: return Part(kind, lower, original, [](size_t n) { return Numbered("SERIAL-%04zu", n); });
    case EKind::kAssetTag: return Part(kind, lower, original, [](size_t n) { return Numbered("ASSET-%04zu", n); });
    case EKind::kUUID: return UUIDOf(original);
    case EKind::kUser: return UserOf(original);
    case EKind::kKeyword: return Part(kind, lower, original, [](size_t n) { return Numbered("keyword-%zu", n); });
    default: return Part(EKind::kKeyword, lower, original, [](size_t n) { return Numbered("keyword-%zu", n); });
  }
}

std::string TPseudonyms::AddressOf(std::string_view text) {
  if (auto v4 = ParseIPv4(text)) return IPv4Of(*v4);
  if (auto v6 = ParseIPv6(text)) return IPv6Of(*v6);
  if (auto mac = ParseMAC(text)) return MACOf(text, *mac);
  return HostOf(text);
}

// db1.corp.example -> host-3.domain-1.example: the first label and the
// domain have pseudonyms of their own, so that hosts of one domain stay in
// one, and the short name agrees with the qualified one.
std::string TPseudonyms::HostOf(std::string_view name) {
  if (kPlaceholders.count(Lower(name)) != 0) return std::string(name);
  const bool rooted = !name.empty() && name.back() == '.';
  if (rooted) name.remove_suffix(1);
  const size_t dot = name.find('.');
  const std::string_view label = name.substr(0, dot);
  std::string pseudonym =
      Part(EKind::kHostLabel, Lower(label), label, [](size_t n) { return Numbered("host-%zu", n); });
  if (dot != std::string_view::npos) {
    const std::string_view domain = name.substr(dot + 1);
    pseudonym += "." + Of(EKind::kDomain, domain);
  }
  return rooted ? pseudonym + "." : pseudonym;
}

// The /24 goes to a /24 of 100.64.0.0/10 and the last octet stays, so that
// addresses of one subnet (of /24 or smaller) share one, and its network
// and broadcast addresses stay what they were.
std::string TPseudonyms::IPv4Of(const std::array<unsigned char, 4>& a) {
  const std::string dotted =
      std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
  if (IsKeptIPv4(a)) return dotted;
  const std::string subnet = dotted.substr(0, dotted.rfind('.'));
  const std::string& pseudonymSubnet = Part(EKind::kIPv4Subnet, subnet, subnet, [](size_t n) {
    if (n > kIPv4Subnets) throw std::runtime_error("more than 16384 /24 subnets to redact");
    return std::to_string(100) + "." + std::to_string(64 + ((n - 1) >> 8)) + "." + std::to_string((n - 1) & 0xFF);
  });
  const std::string pseudonym = pseudonymSubnet + "." + std::to_string(a[3]);
  return Part(EKind::kIPv4, dotted, dotted, [&pseudonym](size_t) { return pseudonym; });
}

// The /64 prefix goes to one of 2001:db8::/32 (the documentation prefix,
// never a real network) and the interface part to a number of its own.
std::string TPseudonyms::IPv6Of(const std::array<unsigned char, 16>& a) {
  char text[INET6_ADDRSTRLEN];
  ::inet_ntop(AF_INET6, a.data(), text, sizeof text);
  if (IsKeptIPv6(a)) return text;
  std::array<unsigned char, 16> pseudonym = a;
  const bool linkLocal = a[0] == 0xfe && (a[1] & 0xc0) == 0x80;
  if (!linkLocal) {
    const std::string prefix = Part(EKind::kIPv6Prefix, Hex(a.data(), 8), Hex(a.data(), 8),
                                    [](size_t n) { return Numbered("20010db8%08zx", n); });
    for (size_t i = 0; i < 8; ++i) pseudonym[i] = static_cast<unsigned char>(std::stoul(prefix.substr(2 * i, 2), nullptr, 16));
  }
  // A network's own address (fd00::/64's fd00::) stays its network's.
  const bool network = std::all_of(a.begin() + 8, a.end(), [](unsigned char byte) { return byte == 0; });
  if (!network) {
    const std::string interface = Part(EKind::kIPv6Interface, Hex(a.data() + 8, 8), Hex(a.data() + 8, 8),
                                       [](size_t n) { return Numbered("%016zx", n); });
    for (size_t i = 0; i < 8; ++i) {
      pseudonym[8 + i] = static_cast<unsigned char>(std::stoul(interface.substr(2 * i, 2), nullptr, 16));
    }
  }
  char made[INET6_ADDRSTRLEN];
  ::inet_ntop(AF_INET6, pseudonym.data(), made, sizeof made);
  return Part(EKind::kIPv6, text, text, [&made](size_t) { return std::string(made); });
}

// Locally administered (02:...) unless the vendor's prefix is to stay.
std::string TPseudonyms::MACOf(std::string_view original, const std::array<unsigned char, 6>& mac) {
  const std::string key = Hex(mac.data(), 6);
  if (key == "000000000000" || key == "ffffffffffff") return std::string(original);
  const std::string vendor = fKeepMacVendor ? key.substr(0, 6) : "020000";
  const std::string& hex = Part(EKind::kMAC, key, original, [&vendor](size_t n) { return vendor + Numbered("%06zx", n); });
  return Shaped(hex, SeparatorOf(original), HasUpperHex(original));
}

std::string TPseudonyms::WWNOf(std::string_view original) {
  std::string_view digits = original;
  const bool prefixed = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  if (prefixed) digits.remove_prefix(2);
  const std::string key = HexDigitsOf(digits);
  if (key.size() != 16) return Of(EKind::kSerial, original);
  const std::string& hex = Part(EKind::kWWN, key, original, [](size_t n) { return Numbered("5%015zx", n); });
  return (prefixed ? "0x" : "") + Shaped(hex, SeparatorOf(digits), HasUpperHex(digits));
}

// Keyed by its digits: with and without dashes, in either case, one UUID.
std::string TPseudonyms::UUIDOf(std::string_view original) {
  const std::string digits = HexDigitsOf(original);
  const std::string& uuid = Part(EKind::kUUID, digits.size() == 32 ? digits : Lower(original), original,
                                 [](size_t n) { return Numbered("00000000-0000-4000-8000-%012zx", n); });
  std::string shaped = HasUpperHex(original) ? Shaped(uuid, '\0', true) : uuid;
  if (original.find('-') == std::string_view::npos) shaped.erase(std::remove(shaped.begin(), shaped.end(), '-'), shaped.end());
  return shaped;
}

// DOMAIN\user and user@domain keep their shape; the domain is one of the
// domains, the user one of the users.
std::string TPseudonyms::UserOf(std::string_view original) {
  auto user = [this](std::string_view name) {
    if (kPlaceholders.count(Lower(name)) != 0) return std::string(name);
    return Part(EKind::kUser, Lower(name), name, [](size_t n) { return Numbered("user-%zu", n); });
  };
  const size_t backslash = original.find('\\');
  if (backslash != std::string_view::npos) {
    const std::string_view domain = original.substr(0, backslash);
    const std::string domainPseudonym = Lower(domain) == "nt authority" || Lower(domain) == "builtin"
                                            ? std::string(domain) : Of(EKind::kDomain, domain);
    return domainPseudonym + "\\" + user(original.substr(backslash + 1));
  }
  const size_t at = original.find('@');
  if (at != std::string_view::npos) return user(original.substr(0, at)) + "@" + Of(EKind::kDomain, original.substr(at + 1));
  return user(original);
}

std::map<EKind, size_t> TPseudonyms::MetCounts() const {
  std::map<EKind, size_t> counts;
  for (size_t k = 0; k < fMet.size(); ++k) {
    if (!fMet[k].empty() && !IsPart(static_cast<EKind>(k))) counts[static_cast<EKind>(k)] = fMet[k].size();
  }
  return counts;
}

void TPseudonyms::ResetMetCounts() {
  for (auto& met : fMet) met.clear();
}

void TPseudonyms::Load(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return;
    throw std::runtime_error(file + ": cannot read the map: " + std::strerror(errno));
  }
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    const std::vector<std::string> fields = Fields(line);
    const auto* name = fields.size() == 4 ? std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                                           [&](const char* n) { return fields[0] == n; })
                                          : std::end(kKindNames);
    if (name == std::end(kKindNames)) {
      throw std::runtime_error(file + ":" + std::to_string(number) + ": not a line of a redaction map");
    }
    const EKind kind = static_cast<EKind>(name - std::begin(kKindNames));
    if (fPairs[static_cast<size_t>(kind)].emplace(fields[1], TPair{fields[2], fields[3]}).second) {
      fOrder.emplace_back(kind, fields[1]);
    }
  }
}

void TPseudonyms::Save(const std::string& file) const {
  std::string text;
  for (const auto& [kind, key] : fOrder) {
    const TPair& pair = fPairs[static_cast<size_t>(kind)].at(key);
    text += std::string(KindName(kind)) + "\t" + Escaped(key) + "\t" + Escaped(pair.fOriginal) + "\t" +
            Escaped(pair.fPseudonym) + "\n";
  }
  std::string temporary = file + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());  // made 0600
  if (fd < 0) throw std::runtime_error(file + ": cannot write the map: " + std::strerror(errno));
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), file.c_str()) != 0) {
    ::unlink(temporary.c_str());
    throw std::runtime_error(file + ": cannot write the map: " + std::strerror(written ? errno : error));
  }
}

std::string TPseudonyms::Restore(std::string_view text) const {
  TMultiMatcher pseudonyms;
  std::vector<const std::string*> originals;
  auto add = [&](const std::string& pseudonym, const std::string& original) {
    pseudonyms.Add(pseudonym, originals.size(), true);
    originals.push_back(&original);
  };
  for (const auto& [kind, key] : fOrder) {
    if (IsPart(kind)) continue;
    const TPair& pair = fPairs[static_cast<size_t>(kind)].at(key);
    if (kind == EKind::kMAC || kind == EKind::kWWN) {
      add(Shaped(pair.fPseudonym, ':', false), pair.fOriginal);
      add(Shaped(pair.fPseudonym, '-', false), pair.fOriginal);
    }
    add(pair.fPseudonym, pair.fOriginal);
  }
  std::string restored;
  size_t at = 0;
  for (const TMatch& match : pseudonyms.Find(text)) {
    restored.append(text.substr(at, match.fStart - at)).append(*originals[match.fId]);
    at = match.fStart + match.fLength;
  }
  return restored.append(text.substr(at));
}

}  // namespace NVKXQZA20::NRedaction
