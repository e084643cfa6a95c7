#include "redaction/redactor.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>

#include "machine/mof_text.h"
#include "redaction/mof_writer.h"
#include "redaction/text_shapes.h"

namespace NVKXQZA20::NRedaction {

// Names of the schema's properties, with the class where a name means
// something else elsewhere (a Name is a host name only for a computer system).
const std::vector<TRedactionRule> kRedactionRules = {
    {"CIM_ComputerSystem", "Name", EKind::kHost},
    {"CIM_ComputerSystem", "ElementName", EKind::kHost},
    {"", "DNSHostName", EKind::kHost},
    {"", "HostName", EKind::kHost},
    {"", "SystemName", EKind::kHost},
    {"", "Computer", EKind::kHost},
    {"", "RequestedHostname", EKind::kHost},
    {"", "DHCPHostName", EKind::kHost},
    {"", "LogonServer", EKind::kHost},
    {"", "DomainName", EKind::kDomain},
    {"", "Domain", EKind::kDomain},
    {"", "DHCPDomainName", EKind::kDomain},
    {"", "IPv4Address", EKind::kIPv4},
    {"", "IPv6Address", EKind::kIPv6},
    {"", "HostIPAddress", EKind::kIPv4},
    {"", "DNSServerAddresses", EKind::kIPv4},
    {"", "DnsServers", EKind::kIPv4},
    {"", "DNSIP", EKind::kIPv4},
    {"", "DNSHostIP", EKind::kIPv4},
    {"", "GatewayList", EKind::kIPv4},
    {"", "Gateway", EKind::kIPv4},
    {"", "GatewayIPAddress", EKind::kIPv4},
    {"", "DestinationAddress", EKind::kIPv4},
    {"", "DHCPServer", EKind::kIPv4},
    {"", "DhcpServer", EKind::kIPv4},
    {"", "PrimaryWinsServer", EKind::kIPv4},
    {"", "SecondaryWinsServer", EKind::kIPv4},
    {"", "DHCPAssignedIPAddress", EKind::kIPv4},
    {"", "DHCPAssignedGatewayAddress", EKind::kIPv4},
    {"", "DHCPPrimaryDNS", EKind::kIPv4},
    {"", "DHCPSecondaryDNS", EKind::kIPv4},
    {"", "DHCPTertiaryDNS", EKind::kIPv4},
    {"", "PermanentAddress", EKind::kMAC},
    {"", "NetworkAddresses", EKind::kMAC},
    {"", "BurnedInMACAddress", EKind::kMAC},
    {"", "MACAddress", EKind::kMAC},
    {"", "WorldWideName", EKind::kWWN},
    {"", "WWN", EKind::kWWN},
    {"", "SerialNumber", EKind::kSerial},
    {"", "SerialNum", EKind::kSerial},
    {"", "SerialNo", EKind::kSerial},
    {"", "DeviceSerialNum", EKind::kSerial},
    {"", "IdentifyingNumber", EKind::kSerial},
    {"", "AssetTag", EKind::kAssetTag},
    {"", "SMBIOSAssetTag", EKind::kAssetTag},
    {"", "UUID", EKind::kUUID},
    {"", "User", EKind::kUser},
    {"", "UserID", EKind::kUser},
    {"", "StartName", EKind::kUser},
    {"", "LoginID", EKind::kUser},
    {"", "PPPLoginID", EKind::kUser},
    {"", "RegisteredOwner", EKind::kUser},
    {"", "SystemContact", EKind::kUser},
    {"", "EmailAddress", EKind::kUser},
};

namespace {

// Properties whose texts are searched for the originals met elsewhere but
// not for the shapes of addresses and names: versions ("Version",
// "FirmwareRevision", "VersionString", "BuildNumber": 2.10.0.1 has an
// address's shape), and the collector's own words (the source of a record
// of its log, "collector.local time", has a host's).
const char* const kVersionNameEndings[] = {"Version", "Revision", "VersionString", "BuildNumber"};
const std::pair<const char*, const char*> kOwnWords[] = {{"VKXSG_QZALogRecord", "Source"}};

bool WithoutShapes(const ICIMClass& cls, const std::string& property) {
  const auto ownWords = [&](const std::pair<const char*, const char*>& own) {
    return strcasecmp(own.second, property.c_str()) == 0 && cls.IsA(own.first);
  };
  return std::any_of(std::begin(kVersionNameEndings), std::end(kVersionNameEndings),
                     [&property](const char* ending) { return EndsWithNoCase(property, ending); }) ||
         std::any_of(std::begin(kOwnWords), std::end(kOwnWords), ownWords);
}

// Shorter originals are replaced where typed but not searched for in text,
// where they would hit every other word; but a host or user of two letters
// ("vm", "pi") is searched too, as a whole word: its name must not leak.
const size_t kShortestSearched = 3;
const size_t kShortestNameSearched = 2;

size_t ShortestSearched(EKind kind) {
  return kind == EKind::kHost || kind == EKind::kUser ? kShortestNameSearched : kShortestSearched;
}

bool IsWordChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c) | 0x20;  // ASCII letters in lower case
  return (u >= 'a' && u <= 'z') || (c >= '0' && c <= '9');
}
bool IsLabelChar(char c) { return IsWordChar(c) || c == '-'; }
bool IsAddressKind(EKind kind) { return kind == EKind::kIPv4 || kind == EKind::kIPv6 || kind == EKind::kMAC; }

bool IsAddress(std::string_view text) { return ParseIPv4(text) || ParseIPv6(text) || ParseMAC(text); }

// Where the addresses are in a text that is nothing but addresses, each
// with a prefix length or not, between commas and spaces, as the collector
// writes an endpoint's ("192.0.2.2/24", "fd00::2/64, fe80::1/64"); nothing
// for any other text, or one plain address.
std::optional<std::vector<std::string_view>> AddressList(std::string_view text) {
  std::vector<std::string_view> addresses;
  bool prefixed = false;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find_first_of(", ", at), text.size());
    std::string_view token = text.substr(at, end - at);
    const size_t slash = token.find('/');
    if (slash != std::string_view::npos) {
      const std::string_view prefix = token.substr(slash + 1);
      const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
      if (prefix.empty() || prefix.size() > 3 || !std::all_of(prefix.begin(), prefix.end(), isDigit)) {
        return std::nullopt;
      }
      token = token.substr(0, slash);
      prefixed = true;
    }
    if (!token.empty()) {
      if (!IsAddress(token)) return std::nullopt;
      addresses.push_back(token);
    }
    at = end + 1;
  }
  if (addresses.empty() || (addresses.size() == 1 && !prefixed)) return std::nullopt;
  return addresses;
}

std::string Dashed(std::string text) {
  for (char& c : text) {
    if (c == '.') c = '-';
  }
  return text;
}

std::string Undashed(std::string_view text) {
  std::string dotted(text);
  for (char& c : dotted) {
    if (c == '-') c = '.';
  }
  return dotted;
}

// The length of the run of characters of the set at text[i].
template <class TIn>
size_t RunLength(std::string_view text, size_t i, TIn in) {
  size_t end = i;
  while (end < text.size() && in(text[end])) ++end;
  return end - i;
}

bool IsAddressChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c) | 0x20;
  return (c >= '0' && c <= '9') || (u >= 'a' && u <= 'f') || c == ':' || c == '.';
}

struct TFound {
  size_t fLength;
  EKind fKind;
  bool fDashed;
};

// The address written at text[i] (which starts a word), if any.
std::optional<TFound> AddressAt(std::string_view text, size_t i) {
  const size_t run = RunLength(text, i, IsAddressChar);
  std::string_view candidate = text.substr(i, run);
  while (!candidate.empty() && (candidate.back() == '.' || candidate.back() == ':')) candidate.remove_suffix(1);
  const size_t end = i + candidate.size();
  if (end < text.size() && (IsWordChar(text[end]) || text[end] == '-')) {
    // ip-10-1-2-3 and MACs written with '-' continue past the run.
    if (text.size() >= i + 17 && text[i + 2] == '-' && ParseMAC(text.substr(i, 17)) &&
        (i + 17 == text.size() || !IsWordChar(text[i + 17]))) {
      return TFound{17, EKind::kMAC, false};
    }
    return std::nullopt;
  }
  if (candidate.size() == 23 && std::count(candidate.begin(), candidate.end(), ':') == 7 &&
      candidate[2] == ':') {
    return TFound{23, EKind::kWWN, false};
  }
  // Every address holds a separator: most words are left before parsing.
  const size_t separator = candidate.find_first_of(".:");
  if (separator == std::string_view::npos) return std::nullopt;
  if (candidate.size() == 17 && ParseMAC(candidate)) return TFound{17, EKind::kMAC, false};
  if (candidate[separator] == '.' && ParseIPv4(candidate)) return TFound{candidate.size(), EKind::kIPv4, false};
  if (ParseIPv6(candidate)) return TFound{candidate.size(), EKind::kIPv6, false};
  return std::nullopt;
}

// ip-10-1-2-3, node-10-1-2-3: the address after the label.
std::optional<TFound> DashedAddressAt(std::string_view text, size_t& i) {
  const std::optional<size_t> label = AddressLabelAt(text, i);
  if (!label) return std::nullopt;
  i += *label;
  const size_t run = RunLength(text, i, [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
  std::string_view digits = text.substr(i, run);
  while (!digits.empty() && digits.back() == '-') digits.remove_suffix(1);
  return TFound{digits.size(), EKind::kIPv4, true};
}

// A host or user name found by its shape alone, or an address of any shape.
std::optional<TFound> NameOrAddressAt(std::string_view text, size_t& i) {
  if (!IsWordChar(text[i])) return text[i] == ':' ? AddressAt(text, i) : std::nullopt;  // "::1"
  // Most words go on with neither '.', '-' nor ':', so that only a user
  // name may be one.
  const size_t end = i + RunLength(text, i, IsWordChar);
  const bool joined = end < text.size() && (text[end] == '.' || text[end] == '-' || text[end] == ':');
  if (joined) {
    if (auto length = QualifiedNameAt(text, i)) return TFound{*length, EKind::kHost, false};
    if (auto length = SosReportHostAt(text, i)) return TFound{*length, EKind::kHost, false};
  }
  if (auto length = UserNameAt(text, i)) return TFound{*length, EKind::kUser, false};
  if (!joined) return std::nullopt;
  if (auto found = DashedAddressAt(text, i)) return found;
  return AddressAt(text, i);
}

}  // namespace

TRedactor::TRedactor(TPseudonyms& pseudonyms, const std::vector<std::string>& keywords) : fPseudonyms(pseudonyms) {
  for (const std::string& keyword : keywords) {
    if (keyword.empty()) continue;
    fPseudonyms.Of(EKind::kKeyword, keyword);
    fOriginals.Add(keyword, fKinds.size(), false);
    fKinds.push_back({EKind::kKeyword, false});
  }
}

TRedactor::TClassRules& TRedactor::RulesOf(const ICIMClass& cls, const TCIMContext& context) {
  auto found = fRules.find(&cls);
  if (found != fRules.end()) return found->second;
  TClassRules& rules = fRules[&cls];
  for (const TRedactionRule& rule : kRedactionRules) {
    if (*rule.fClass != '\0' && !cls.IsA(rule.fClass)) continue;
    rules.fRules.push_back(&rule);
    boost::shared_ptr<ICIMPropertyDecl> decl = cls.GetPropertyDecl(rule.fProperty, context);
    if (decl && decl->GetType(context) == CIMTypeString) rules.fTextRules.push_back(&rule);
  }
  return rules;
}

TRedactor::TPropertyRedaction& TRedactor::RedactionOf(const ICIMClass& cls, size_t index,
                                                          const std::string& property) {
  TClassRules& rules = RulesOf(cls);
  if (rules.fByIndex.size() <= index) rules.fByIndex.resize(index + 1);
  std::optional<TPropertyRedaction>& known = rules.fByIndex[index];
  if (known) return *known;
  auto found = std::find_if(rules.fRules.begin(), rules.fRules.end(), [&property](const TRedactionRule* rule) {
    return strcasecmp(rule->fProperty, property.c_str()) == 0;
  });
  return known.emplace(
      TPropertyRedaction{found == rules.fRules.end() ? nullptr : *found, WithoutShapes(cls, property), {}});
}

void TRedactor::AddOriginal(EKind kind, const std::string& original) {
  if (original.size() < ShortestSearched(kind)) return;
  fOriginals.Add(original, fKinds.size(), true);
  fKinds.push_back({kind, false});
}

// A WWN is also written with 0x before it and with ':' between its bytes.
void TRedactor::AddWWNSpellings(const std::string& original) {
  AddOriginal(EKind::kWWN, "0x" + original);
  const std::string digits = HexDigitsOf(original);
  if (digits.size() != 16) return;
  std::string paired;
  for (size_t i = 0; i < digits.size(); i += 2) paired += (i ? ":" : "") + digits.substr(i, 2);
  AddOriginal(EKind::kWWN, paired);
}

// A UUID is also written without its dashes (or with them, when typed without).
void TRedactor::AddUUIDSpellings(const std::string& original) {
  const std::string digits = HexDigitsOf(original);
  if (digits.size() != 32) return;
  AddOriginal(EKind::kUUID, digits);
  AddOriginal(EKind::kUUID, digits.substr(0, 8) + "-" + digits.substr(8, 4) + "-" + digits.substr(12, 4) + "-" +
                                digits.substr(16, 4) + "-" + digits.substr(20));
}

// The typed value's pseudonym; and the original, its parts (a host name's
// label and domain, a user's) and its other spellings (a MAC with '-' or
// none, an address in a host name) become originals the text search finds.
std::string TRedactor::Typed(EKind kind, std::string_view value) {
  if (IsAddressKind(kind)) {
    if (const auto addresses = AddressList(value)) {
      for (std::string_view address : *addresses) Typed(kind, address);
      return TypedAddresses(kind, value, *addresses);
    }
  }
  const std::string pseudonym = fPseudonyms.Of(kind, value);
  if (pseudonym == value) return pseudonym;
  const std::string original(value);
  if (auto mac = ParseMAC(value)) {
    std::string bare;
    for (char c : original) {
      if (std::isxdigit(static_cast<unsigned char>(c))) bare += c;
    }
    for (char separator : {':', '-'}) {
      std::string spelled;
      for (size_t i = 0; i < 12; i += 2) spelled += (i ? std::string(1, separator) : "") + bare.substr(i, 2);
      AddOriginal(EKind::kMAC, spelled);
    }
    AddOriginal(EKind::kMAC, bare.substr(0, 4) + "." + bare.substr(4, 4) + "." + bare.substr(8));
    AddOriginal(EKind::kMAC, bare);
    return pseudonym;
  }
  if (ParseIPv4(value)) {
    AddOriginal(EKind::kIPv4, original);
    if (original.size() >= kShortestSearched) {
      fOriginals.Add(Dashed(original), fKinds.size(), true);
      fKinds.push_back({EKind::kIPv4, true});
    }
    return pseudonym;
  }
  AddOriginal(kind, original);
  if (kind == EKind::kWWN) AddWWNSpellings(original);
  if (kind == EKind::kUUID) AddUUIDSpellings(original);
  if (kind == EKind::kHost || (IsAddressKind(kind) && !ParseIPv6(value))) {
    const size_t dot = original.find('.');
    if (dot != std::string::npos) {
      AddOriginal(EKind::kHost, original.substr(0, dot));
      AddOriginal(EKind::kDomain, original.substr(dot + 1));
    }
  }
  if (kind == EKind::kUser) {
    const size_t cut = original.find_first_of("\\@");
    if (cut != std::string::npos) {
      AddOriginal(EKind::kUser, original.substr(original[cut] == '@' ? 0 : cut + 1,
                                                original[cut] == '@' ? cut : std::string::npos));
    }
  }
  return pseudonym;
}

// The list with each address replaced by its pseudonym; prefix lengths and
// separators stay.
std::string TRedactor::TypedAddresses(EKind kind, std::string_view text, const std::vector<std::string_view>& addresses) {
  std::string out;
  size_t done = 0;
  for (std::string_view address : addresses) {
    const size_t at = static_cast<size_t>(address.data() - text.data());
    out.append(text.substr(done, at - done)).append(fPseudonyms.Of(kind, address));
    done = at + address.size();
  }
  return out.append(text.substr(done));
}

// Class by class, in the order of a deep enumeration of the instances;
// classes without a typed text are not enumerated.
void TRedactor::Learn(const TMemoryNamespace& ns, const TCIMContext& context) {
  for (const boost::shared_ptr<ICIMClass>& root : ns.GetRootClasses(context)) {
    std::vector<boost::shared_ptr<ICIMClass>> classes{root};
    root->EnumerateSubclasses(TAddToVectorCallback<ICIMClass>(classes), true, context);
    for (const boost::shared_ptr<ICIMClass>& cls : classes) {
      const std::vector<const TRedactionRule*>& rules = RulesOf(*cls, context).fTextRules;
      if (rules.empty()) continue;
      std::vector<boost::shared_ptr<ICIMInstance>> instances;
      cls->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), false, context);
      for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
        for (const TRedactionRule* rule : rules) {
          const TCIMValue value = instance->GetProperty(rule->fProperty, context)->GetValue(context);
          for (const TCIMValue& element : value.ToArray()) Typed(rule->fKind, element.TextView());
        }
      }
    }
  }
}

// The value itself when nothing in it is replaced: most are not, and are
// written as they are.
std::optional<TCIMValue> TRedactor::Value(const ICIMClass& cls, size_t index, const std::string& property,
                                          const TCIMValue& value) {
  if (value.IsNull() || value.GetType() != CIMTypeString) return std::nullopt;
  TPropertyRedaction& redaction = RedactionOf(cls, index, property);
  if (!value.IsArray()) return Redacted(redaction, value);
  bool replaced = false;
  std::vector<TCIMValue> elements;
  for (const TCIMValue& element : value.ToArray()) {
    std::optional<TCIMValue> redacted = Redacted(redaction, element);
    replaced = replaced || redacted.has_value();
    elements.push_back(redacted ? std::move(*redacted) : element);
  }
  if (!replaced) return std::nullopt;
  return TCIMValue::Array(CIMTypeString, std::move(elements));
}

// Texts repeat (a log's name, a vendor, one message again and again): a
// property's are searched once each, until they prove seldom repeated; a
// pseudonym is the same at each meeting anyway. Long texts (a file's
// content) seldom repeat, and what they become would take memory.
std::optional<TCIMValue> TRedactor::Redacted(TPropertyRedaction& redaction, const TCIMValue& text) {
  static const size_t kTrial = 1024;
  static const size_t kSeenTexts = 4096;
  static const size_t kLongestSeen = 1024;
  TRepeats& repeats = redaction.fRepeats;
  const bool repeating = repeats.fLookups < kTrial || repeats.fHits * 4 >= repeats.fLookups;
  if (!repeating || text.TextView().size() > kLongestSeen) return RedactedValue(redaction, text.TextView());
  ++repeats.fLookups;
  if (auto seen = repeats.fSeen.find(text.TextView()); seen != repeats.fSeen.end()) {
    ++repeats.fHits;
    return seen->second.fRedacted;
  }
  std::optional<TCIMValue> redacted = RedactedValue(redaction, text.TextView());
  if (repeats.fSeen.size() < kSeenTexts) repeats.fSeen.emplace(text.TextView(), TSeen{text, redacted});
  return redacted;
}

// The text redacted, or nothing when nothing in it is replaced.
std::optional<TCIMValue> TRedactor::RedactedValue(const TPropertyRedaction& redaction, std::string_view text) {
  if (redaction.fRule) {
    const EKind kind = redaction.fRule->fKind;
    const auto addresses = IsAddressKind(kind) ? AddressList(text) : std::nullopt;
    std::string pseudonym = addresses ? TypedAddresses(kind, text, *addresses) : fPseudonyms.Of(kind, text);
    if (pseudonym != text) return TCIMValue(std::move(pseudonym));
  }
  std::string out;
  if (Replace(text, out, !redaction.fWithoutShapes)) return TCIMValue(std::move(out));
  return std::nullopt;
}

// The pseudonym of a match; a domain right after a label ("web2." before
// "corp.example") takes the label with it as one host name.
std::string TRedactor::Replacement(std::string_view text, size_t from, size_t& start, const TMatch& match) {
  const TOriginal& original = fKinds[match.fId];
  const std::string_view found = text.substr(match.fStart, match.fLength);
  if (original.fDashed) return Dashed(fPseudonyms.Of(EKind::kIPv4, Undashed(found)));
  if (original.fKind == EKind::kDomain && match.fStart >= from + 2 && text[match.fStart - 1] == '.') {
    size_t label = match.fStart - 1;
    while (label > from && IsLabelChar(text[label - 1])) --label;
    if (label < match.fStart - 1 && (label == 0 || text[label - 1] != '.')) {
      const std::string host = fPseudonyms.Of(EKind::kHost, text.substr(label, match.fStart + match.fLength - label));
      start = label;
      return host;
    }
  }
  return fPseudonyms.Of(original.fKind, found);
}

// Names and addresses of every shape, each where a word starts.
bool TRedactor::ReplacePatterns(std::string_view text, std::string& out) {
  size_t copied = 0;
  for (size_t i = 0; i < text.size();) {
    const bool wordStart = i == 0 || !(IsWordChar(text[i - 1]) || text[i - 1] == '.' || text[i - 1] == ':');
    std::optional<TFound> found;
    if (wordStart) found = NameOrAddressAt(text, i);
    if (!found) {
      i += std::max<size_t>(1, RunLength(text, i, IsWordChar));
      continue;
    }
    const std::string_view value = text.substr(i, found->fLength);
    out.append(text.substr(copied, i - copied));
    out += found->fDashed ? Dashed(fPseudonyms.Of(EKind::kIPv4, Undashed(value))) : fPseudonyms.Of(found->fKind, value);
    i += found->fLength;
    copied = i;
  }
  if (copied != 0) out.append(text.substr(copied));
  return copied != 0;
}

bool TRedactor::Replace(std::string_view text, std::string& out, bool shapes) {
  // Appends piece with the shapes replaced, or as it is; true when replaced.
  const auto withShapes = [this, shapes, &out](std::string_view piece) {
    return shapes && ReplacePatterns(piece, out);
  };
  const std::vector<TMatch> matches = fOriginals.Find(text);
  size_t done = 0;
  for (const TMatch& match : matches) {
    size_t start = match.fStart;
    const std::string pseudonym = Replacement(text, done, start, match);
    const std::string_view before = text.substr(done, start - done);
    if (!withShapes(before)) out.append(before);
    out += pseudonym;
    done = match.fStart + match.fLength;
  }
  const std::string_view rest = text.substr(done);
  if (withShapes(rest)) return true;
  if (!matches.empty()) out.append(rest);
  return !matches.empty();
}

std::string TRedactor::Text(std::string_view text) {
  std::string out;
  return Replace(text, out) ? out : std::string(text);
}

namespace {

std::string CountsText(const std::map<EKind, size_t>& counts) {
  std::string text;
  for (const auto& [kind, count] : counts) {
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + KindName(kind);
  }
  return text.empty() ? "nothing" : text;
}

// Now, as the collector writes its records' times (UTC here).
std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S.000000+000", &utc);
  return text;
}

std::string LogRecord(const std::map<EKind, size_t>& counts) {
  return "instance of VKXSG_QZALogRecord\n{\n"
         "    LogCreationClassName = \"VKXSG_MessageLog\";\n    LogName = \"QZA\";\n"
         "    CreationClassName = \"VKXSG_QZALogRecord\";\n    RecordID = \"redaction\";\n"
         "    MessageTimestamp = \"" + Now() + "\";\n"
         "    Source = \"redaction\";\n    Type = \"Info\";\n"
         "    Message = " + NMachine::MofString("Redacted (distinct originals replaced per kind): " + CountsText(counts)) +
         ";\n};\n";
}

}  // namespace

std::map<EKind, size_t> Redact(const TMemoryNamespace& ns, const std::vector<TCIMContext>& contexts,
                               TPseudonyms& pseudonyms, const std::vector<std::string>& keywords,
                               const std::function<void(size_t, std::string_view)>& sink) {
  pseudonyms.ResetMetCounts();
  TRedactor redactor(pseudonyms, keywords);
  for (const TCIMContext& context : contexts) redactor.Learn(ns, context);
  const TValueFilter filter = [&redactor](const ICIMClass& cls, size_t index, const std::string& property,
                                          const TCIMValue& value) { return redactor.Value(cls, index, property, value); };
  for (size_t i = 0; i < contexts.size(); ++i) {
    sink(i, "// A collection redacted by qzareport redact.\n#pragma namespace(\"root/cimv2\")\n\n");
    InstancesAsMof(ns, contexts[i], filter, [&sink, i](std::string_view piece) { sink(i, piece); });
  }
  const std::map<EKind, size_t> counts = pseudonyms.MetCounts();
  const std::string record = LogRecord(counts);
  for (size_t i = 0; i < contexts.size(); ++i) {
    if (ns.FindClassDeclaration("VKXSG_QZALogRecord", contexts[i]) != nullptr) sink(i, record);
  }
  return counts;
}

std::vector<TRedaction> Redact(const TMemoryNamespace& ns, const std::vector<TCIMContext>& contexts,
                               TPseudonyms& pseudonyms, const std::vector<std::string>& keywords) {
  std::vector<TRedaction> redactions(contexts.size());
  const std::map<EKind, size_t> counts =
      Redact(ns, contexts, pseudonyms, keywords,
             [&redactions](size_t i, std::string_view piece) { redactions[i].fText.append(piece); });
  for (TRedaction& redaction : redactions) redaction.fCounts = counts;
  return redactions;
}

TRedaction Redact(const TMemoryNamespace& ns, const TCIMContext& context, TPseudonyms& pseudonyms,
                  const std::vector<std::string>& keywords) {
  return std::move(Redact(ns, std::vector<TCIMContext>{context}, pseudonyms, keywords).front());
}

}  // namespace NVKXQZA20::NRedaction
