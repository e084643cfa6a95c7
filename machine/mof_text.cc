#include "machine/mof_text.h"

#include <cmath>
#include <cstdio>

namespace NVKXQZA20::NMachine {

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0.
size_t Utf8Length(std::string_view text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  const unsigned char next = static_cast<unsigned char>(text[i + 1]);
  if (c == 0xE0 && next < 0xA0) return 0;   // overlong
  if (c == 0xED && next >= 0xA0) return 0;  // surrogate
  if (c == 0xF0 && next < 0x90) return 0;   // overlong
  if (c == 0xF4 && next >= 0x90) return 0;  // beyond U+10FFFF
  // The reader's \x escapes reach U+FFFF only; four-byte sequences pass as
  // bytes, which it keeps as they are.
  return length;
}

// The bytes written as they are: most texts are nothing else.
bool IsPlain(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

// Four hex digits always: the reader takes up to four after \x.
std::string HexEscape(unsigned code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\x%04X", code);
  return buffer;
}

const char* TypeName(ECimInteger type) {
  static const char* const kNames[] = {"uint8", "uint16", "uint32", "uint64", "sint8", "sint16", "sint32", "sint64"};
  return kNames[static_cast<int>(type)];
}

}  // namespace

void AppendMofString(std::string& out, std::string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size();) {
    const size_t plain = i;
    while (i < text.size() && IsPlain(static_cast<unsigned char>(text[i]))) ++i;
    out.append(text.substr(plain, i - plain));
    if (i == text.size()) break;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8Length(text, i);
      if (length == 0) {
        out += HexEscape(0xFFFD);
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    ++i;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\0': break;  // a C string cannot carry it
      default: out += HexEscape(c);
    }
  }
  out += '"';
}

std::string MofString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendMofString(out, text);
  return out;
}

std::string CimDateTime(std::time_t moment) {
  std::tm local{};
  if (::localtime_r(&moment, &local) == nullptr || local.tm_year < -1900 || local.tm_year > 9999 - 1900) return "";
  const long offsetMinutes = local.tm_gmtoff / 60;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d.000000%c%03ld", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                offsetMinutes < 0 ? '-' : '+', offsetMinutes < 0 ? -offsetMinutes : offsetMinutes);
  return buffer;
}

std::string AliasOf(const std::string& text) {
  std::string alias;
  for (char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    alias += plain ? c : '_';
  }
  if (alias.empty() || (alias[0] >= '0' && alias[0] <= '9')) alias = "_" + alias;
  return alias;
}

TMofInstance::TMofInstance(std::string className, std::string alias)
    : fClassName(std::move(className)), fAlias(std::move(alias)) {}

TMofInstance& TMofInstance::Set(const std::string& property, const std::string& value) {
  fValues.emplace_back(property, MofString(value));
  return *this;
}

std::string TMofInstance::IntegerLiteral(ECimInteger type, bool negative, unsigned long long magnitude) {
  const int bits = type == ECimInteger::kUint8 || type == ECimInteger::kSint8     ? 8
                   : type == ECimInteger::kUint16 || type == ECimInteger::kSint16 ? 16
                   : type == ECimInteger::kUint32 || type == ECimInteger::kSint32 ? 32
                                                                                  : 64;
  const bool isSigned = type >= ECimInteger::kSint8;
  const unsigned long long highest = ~0ULL >> (64 - bits + (isSigned ? 1 : 0));
  const bool fits = negative ? isSigned && magnitude - 1 <= highest : magnitude <= highest;
  if (!fits) return "";
  return (negative ? "-" : "") + std::to_string(magnitude);
}

TMofInstance& TMofInstance::SetWhole(const std::string& property, ECimInteger type, bool negative,
                                     unsigned long long magnitude) {
  const std::string literal = IntegerLiteral(type, negative, magnitude);
  if (!literal.empty()) {
    fValues.emplace_back(property, literal);
    return *this;
  }
  return LeaveOut(property, (negative ? "-" : "") + std::to_string(magnitude) + " is beyond " + TypeName(type));
}

TMofInstance& TMofInstance::SetRounded(const std::string& property, ECimInteger type, double value) {
  // Every CIM integer lies within ±2^64; beyond it rounding has no whole answer.
  if (!std::isfinite(value) || std::fabs(value) >= 0x1p64) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return LeaveOut(property, text + std::string(" is beyond ") + TypeName(type));
  }
  const double rounded = std::round(value);
  return SetWhole(property, type, rounded < 0, static_cast<unsigned long long>(std::fabs(rounded)));
}

TMofInstance& TMofInstance::LeaveOut(const std::string& property, const std::string& why) {
  fLeftOut.push_back(property + ": " + why);
  return *this;
}

TMofInstance& TMofInstance::SetBool(const std::string& property, bool value) {
  fValues.emplace_back(property, value ? "TRUE" : "FALSE");
  return *this;
}

TMofInstance& TMofInstance::SetStrings(const std::string& property, const std::vector<std::string>& values) {
  std::string list = "{ ";
  for (size_t i = 0; i < values.size(); ++i) list += (i == 0 ? "" : ", ") + MofString(values[i]);
  fValues.emplace_back(property, list + " }");
  return *this;
}

std::string TMofInstance::LiteralOf(ECimInteger type, long long value) {
  const auto magnitude = static_cast<unsigned long long>(value);
  return value < 0 ? IntegerLiteral(type, true, 0ULL - magnitude) : IntegerLiteral(type, false, magnitude);
}

TMofInstance& TMofInstance::SetNumbers(const std::string& property, ECimInteger type, const std::vector<long long>& values) {
  std::string list = "{ ";
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string literal = LiteralOf(type, values[i]);
    if (literal.empty()) return LeaveOut(property, std::to_string(values[i]) + " is beyond " + TypeName(type));
    list += (i == 0 ? "" : ", ") + literal;
  }
  fValues.emplace_back(property, list + " }");
  return *this;
}

TMofInstance& TMofInstance::SetReference(const std::string& property, const std::string& alias) {
  fValues.emplace_back(property, "$" + alias);
  return *this;
}

TMofInstance& TMofInstance::SetIfAny(const std::string& property, const std::string& value) {
  return value.empty() ? *this : Set(property, value);
}

std::string TMofInstance::Text() const {
  std::string text = "instance of " + fClassName;
  if (!fAlias.empty()) text += " as $" + fAlias;
  text += "\n{\n";
  for (const auto& value : fValues) text += "    " + value.first + " = " + value.second + ";\n";
  return text + "};\n";
}

}  // namespace NVKXQZA20::NMachine
