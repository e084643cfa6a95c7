// Writes instances as MOF text in our schema: the collector's output, one
// file that `qzareport` loads like any collection. Every string is escaped so
// that whatever a machine printed (quotes, backslashes, control characters,
// invalid UTF-8) reads back as the same text, invalid bytes as U+FFFD.
//
//   TMofInstance disk("VKXSG_MediaAccessDevice", "Disk1");
//   disk.Set("DeviceID", "/dev/sda").SetNumber("Size", ECimInteger::kUint64, 480103981056);
//   text += disk.Text();
#ifndef QZA_MACHINE_MOF_TEXT_H
#define QZA_MACHINE_MOF_TEXT_H

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace NVKXQZA20::NMachine {

// A MOF string literal, quotes included; appended to out.
std::string MofString(std::string_view text);
void AppendMofString(std::string& out, std::string_view text);

// A CIM datetime ("20261120143005.000000+060") of a moment, in local time;
// "" for a moment outside the years 0 to 9999, which no datetime holds.
std::string CimDateTime(std::time_t moment);

// The whole-number types of CIM properties.
enum class ECimInteger { kUint8, kUint16, kUint32, kUint64, kSint8, kSint16, kSint32, kSint64 };

// An alias made of any text: letters, digits and '_' only.
std::string AliasOf(const std::string& text);

class TMofInstance {
 public:
  explicit TMofInstance(std::string className, std::string alias = "");

  TMofInstance& Set(const std::string& property, const std::string& value);
  // A whole number of the property's declared type. A machine may print any
  // number; one beyond the type's range would make the collection unreadable,
  // so it is left out and noted (LeftOut).
  template <class TInteger>
  TMofInstance& SetNumber(const std::string& property, ECimInteger type, TInteger value);
  // A measured value, rounded; left out like SetNumber when beyond the type.
  TMofInstance& SetRounded(const std::string& property, ECimInteger type, double value);
  TMofInstance& SetBool(const std::string& property, bool value);
  TMofInstance& SetStrings(const std::string& property, const std::vector<std::string>& values);
  TMofInstance& SetNumbers(const std::string& property, ECimInteger type, const std::vector<long long>& values);
  // A reference by alias to an instance of the same text.
  TMofInstance& SetReference(const std::string& property, const std::string& alias);
  // Sets a string only when it is not empty: a fact the machine did not give
  // stays NULL rather than "".
  TMofInstance& SetIfAny(const std::string& property, const std::string& value);

  // Notes a value the machine gave that the property cannot hold; the
  // property stays NULL.
  TMofInstance& LeaveOut(const std::string& property, const std::string& why);

  const std::string& ClassName() const { return fClassName; }
  // What was left out, "Capacity: 18446744073709551616 is beyond uint64".
  const std::vector<std::string>& LeftOut() const { return fLeftOut; }
  std::string Text() const;

 private:
  // The literal of a whole number given as sign and magnitude, or "" when
  // the type cannot hold it.
  static std::string IntegerLiteral(ECimInteger type, bool negative, unsigned long long magnitude);
  TMofInstance& SetWhole(const std::string& property, ECimInteger type, bool negative, unsigned long long magnitude);
  static std::string LiteralOf(ECimInteger type, long long value);

  std::string fClassName;
  std::string fAlias;
  std::vector<std::pair<std::string, std::string>> fValues;  // property, MOF literal
  std::vector<std::string> fLeftOut;
};

template <class TInteger>
TMofInstance& TMofInstance::SetNumber(const std::string& property, ECimInteger type, TInteger value) {
  static_assert(std::is_integral_v<TInteger> && !std::is_same_v<TInteger, bool>, "a whole number");
  const auto magnitude = static_cast<unsigned long long>(value);
  return value < 0 ? SetWhole(property, type, true, 0ULL - magnitude) : SetWhole(property, type, false, magnitude);
}

}  // namespace NVKXQZA20::NMachine

#endif
