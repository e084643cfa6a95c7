// Writes instances as MOF text in our schema: the collector's output, one
// file that `qzareport` loads like any collection. Every string is escaped so
// that whatever a machine printed (quotes, backslashes, control characters,
// invalid UTF-8) reads back as the same text, invalid bytes as U+FFFD.
//
//   TMofInstance disk("VKXSG_MediaAccessDevice", "Disk1");
//   disk.Set("DeviceID", "/dev/sda").SetNumber("Size", 480103981056);
//   text += disk.Text();
#ifndef QZA_MACHINE_MOF_TEXT_H
#define QZA_MACHINE_MOF_TEXT_H

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace NVKXQZA20::NMachine {

// A MOF string literal, quotes included.
std::string MofString(const std::string& text);

// A CIM datetime ("20261120143005.000000+060") of a moment, in local time.
std::string CimDateTime(std::time_t moment);

// An alias made of any text: letters, digits and '_' only.
std::string AliasOf(const std::string& text);

class TMofInstance {
 public:
  explicit TMofInstance(std::string className, std::string alias = "");

  TMofInstance& Set(const std::string& property, const std::string& value);
  TMofInstance& SetNumber(const std::string& property, long long value);
  TMofInstance& SetBool(const std::string& property, bool value);
  TMofInstance& SetStrings(const std::string& property, const std::vector<std::string>& values);
  TMofInstance& SetNumbers(const std::string& property, const std::vector<long long>& values);
  // A reference by alias to an instance of the same text.
  TMofInstance& SetReference(const std::string& property, const std::string& alias);
  // Sets a string only when it is not empty: a fact the machine did not give
  // stays NULL rather than "".
  TMofInstance& SetIfAny(const std::string& property, const std::string& value);

  const std::string& ClassName() const { return fClassName; }
  std::string Text() const;

 private:
  std::string fClassName;
  std::string fAlias;
  std::vector<std::pair<std::string, std::string>> fValues;  // property, MOF literal
};

}  // namespace NVKXQZA20::NMachine

#endif
