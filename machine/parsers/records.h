// What every parser of machine outputs shares: the warning of a skipped line,
// the raw text of a section no parser knows, and ordered name/value fields
// (a value may be a list, as in dmidecode's "Characteristics:").
//
// Errors: parsers never throw on odd input; a malformed line is skipped and
// reported as a TParseWarning, an unknown section is kept as a TRawSection.
// Where a block of "Name: value" lines holds a line without a separator (a
// heading such as bonding's "802.3ad info"), it is a field without value.
#ifndef QZA_MACHINE_PARSERS_RECORDS_H
#define QZA_MACHINE_PARSERS_RECORDS_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace NVKXQZA20::NMachine {

struct TParseWarning {
  size_t fLine = 0;  // 1-based line of the source text
  std::string fText;
};

struct TRawSection {
  size_t fLine = 0;  // first line of the section
  std::string fTitle;
  std::string fText;  // the section's lines as printed, joined by '\n'
};

struct TField {
  std::string fName;
  std::string fValue;
  std::vector<std::string> fList;  // indented lines below "Name:"
};

// One block of fields, e.g. a processor of /proc/cpuinfo or a module of
// modinfo; names may repeat (modinfo's "alias").
struct TFieldBlock {
  size_t fLine = 0;
  std::vector<TField> fFields;

  // The first field of that name, or nullptr.
  const TField* Find(const std::string& name) const;
  // Its value, or "" when absent.
  std::string Value(const std::string& name) const;
  // The values of every field of that name, in order.
  std::vector<std::string> Values(const std::string& name) const;
};

// Reads a size such as "16 GB", "512 kB", "8192 KiB", "1.5T", "2048 MB" or a
// bare number of bytes; units are binary multiples, as the Linux tools print
// them. Nothing when the text is no size or one beyond 2^64 - 1 bytes.
std::optional<unsigned long long> ParseByteSize(const std::string& text);

// The leading number of a text such as "2666 MT/s", "3.10 GHz" or "100Mb/s".
std::optional<double> ParseLeadingNumber(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
