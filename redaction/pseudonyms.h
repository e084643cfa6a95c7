// The pseudonyms of a redaction: one original gives one pseudonym of its
// kind, made in the order originals are met and kept in a map that a later
// redaction may read again, so that a fleet's collections agree.
//
//   TPseudonyms names;
//   names.Of(EKind::kIPv4, "10.1.2.3");        // "100.64.0.3"
//   names.Of(EKind::kHost, "db1.corp.example");  // "host-1.domain-1.example"
//
// Originals compare case-insensitively (host names, MACs and UUIDs are
// printed in either case); a pseudonym is printed in its original's case
// and separators where it has a shape of digits (MACs, WWNs, UUIDs).
#ifndef QZA_REDACTION_PSEUDONYMS_H
#define QZA_REDACTION_PSEUDONYMS_H

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace NVKXQZA20::NRedaction {

// The kinds the map holds. The composed kinds (kHost, kIPv4, kIPv6) are
// made of parts of their own kinds, so that one subnet, one prefix or one
// domain gives one pseudonym part.
enum class EKind {
  kHostLabel,
  kDomain,
  kIPv4Subnet,
  kIPv4,
  kIPv6Prefix,
  kIPv6Interface,
  kIPv6,
  kMAC,
  kWWN,
  kSerial,
  kAssetTag,
  kUUID,
  kUser,
  kKeyword,
  kHost,  // a host name, short or qualified: a label and a domain
  kCount = kHost
};

// "host", "ipv4-subnet"...: the names used in the map file and the log.
const char* KindName(EKind kind);

// Parsed forms; nothing when the text is not one.
std::optional<std::array<unsigned char, 4>> ParseIPv4(std::string_view text);
std::optional<std::array<unsigned char, 16>> ParseIPv6(std::string_view text);
// Six bytes written as hex pairs with ':' or '-', in fours between dots, or
// as 12 hex digits.
std::optional<std::array<unsigned char, 6>> ParseMAC(std::string_view text);
// The hex digits of a text, in lower case, without what lies between them.
std::string HexDigitsOf(std::string_view text);

// Whether an address is one of those that identify no one and stay:
// loopback, unspecified, link-local, multicast, and (IPv4) the masks and
// broadcast of 224.0.0.0/3.
bool IsKeptIPv4(const std::array<unsigned char, 4>& address);
bool IsKeptIPv6(const std::array<unsigned char, 16>& address);

class TPseudonyms {
 public:
  explicit TPseudonyms(bool keepMacVendor = false) : fKeepMacVendor(keepMacVendor) {}

  // The pseudonym of an original of a kind, made when it is met first.
  // Kept addresses, well-known accounts and placeholders ("Not Specified")
  // answer themselves. kIPv4, kIPv6 and kMAC take any address: the value
  // says which it is, and one that is none of them is a host name.
  std::string Of(EKind kind, std::string_view original);

  // Reads pairs written by Save; throws std::runtime_error naming the file
  // and line of a malformed one. A missing file is an empty map.
  void Load(const std::string& file);
  // Writes every pair, readable by its owner only, replacing the file at once.
  void Save(const std::string& file) const;
  // The text with every pseudonym of the map put back to its original.
  std::string Restore(std::string_view text) const;

  // Originals met per kind since this object was made; parts of other
  // kinds' pseudonyms (subnets, prefixes, interfaces) are not counted.
  std::map<EKind, size_t> MetCounts() const;
  // Starts counting again, for the next collection.
  void ResetMetCounts();

 private:
  struct TPair {
    std::string fOriginal;
    std::string fPseudonym;
  };
  // The part's pseudonym, made by make(n) for the n-th of its kind (from 1).
  template <class TMake>
  const std::string& Part(EKind kind, const std::string& key, std::string_view original, TMake make);
  std::string AddressOf(std::string_view text);
  std::string HostOf(std::string_view name);
  std::string IPv4Of(const std::array<unsigned char, 4>& address);
  std::string IPv6Of(const std::array<unsigned char, 16>& address);
  std::string MACOf(std::string_view original, const std::array<unsigned char, 6>& mac);
  std::string WWNOf(std::string_view original);
  std::string UUIDOf(std::string_view original);
  std::string UserOf(std::string_view original);

  bool fKeepMacVendor;
  std::array<std::unordered_map<std::string, TPair>, static_cast<size_t>(EKind::kCount)> fPairs;
  std::vector<std::pair<EKind, std::string>> fOrder;  // keys in the order made, for Save
  std::array<std::unordered_set<std::string>, static_cast<size_t>(EKind::kCount)> fMet;
};

}  // namespace NVKXQZA20::NRedaction

#endif
