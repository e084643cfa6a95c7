#include "core/mof_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/parallel.h"

namespace NVKXQZA20 {

namespace {

namespace fs = std::filesystem;

std::string PlaceText(const std::string& file, int line, int column) {
  if (line == 0) return file + ": ";
  return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
}

// ASCII only: identifiers compare case-insensitively in their ASCII letters.
char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Lower(std::string text) {
  for (char& c : text) c = LowerChar(c);
  return text;
}

bool EqualsNoCase(const char* begin, const char* end, const char* keyword) {
  for (const char* p = begin; p != end; ++p, ++keyword) {
    if (*keyword == '\0' || LowerChar(*p) != LowerChar(*keyword)) return false;
  }
  return *keyword == '\0';
}

// Character classes by table: the lexer asks them once or twice per byte.
enum : uint8_t { kDigit = 1, kIdentifierStart = 2, kBlank = 4, kPunct = 8 };

struct TCharClasses {
  uint8_t fClasses[256] = {};
  constexpr TCharClasses() {
    for (int c = 0; c < 256; ++c) {
      if (c >= '0' && c <= '9') fClasses[c] |= kDigit;
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80) fClasses[c] |= kIdentifierStart;
    }
    for (char c : {' ', '\t', '\r', '\f', '\v'}) fClasses[static_cast<unsigned char>(c)] |= kBlank;
    for (char c : {'[', ']', '{', '}', '(', ')', ',', ';', ':', '='}) fClasses[static_cast<unsigned char>(c)] |= kPunct;
  }
};

constexpr TCharClasses kCharClasses;

bool HasClass(char c, uint8_t classes) { return (kCharClasses.fClasses[static_cast<unsigned char>(c)] & classes) != 0; }
bool IsIdentifierStart(char c) { return HasClass(c, kIdentifierStart); }
bool IsIdentifierChar(char c) { return HasClass(c, kIdentifierStart | kDigit); }
bool IsDigit(char c) { return HasClass(c, kDigit); }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct TPosition {
  int fLine = 0;
  int fColumn = 0;
};

enum class ETokenKind { End, Identifier, String, Char, Integer, Real, Alias, Pragma, Punct };

// A token points into the source text: identifiers and alias names (without
// '$') as written, strings and chars as the text between the quotes, escapes
// still encoded.
struct TToken {
  ETokenKind fKind = ETokenKind::End;
  const char* fBegin = nullptr;
  const char* fEnd = nullptr;
  bool fEscaped = false;
  bool fNegative = false;
  uint64_t fMagnitude = 0;
  double fReal = 0;
  TPosition fAt;
};

// Walks the text by pointer; the NUL that follows the text stops every scan,
// so the loops need no bounds checks (a NUL inside the text is reported).
class TLexer {
 public:
  // text[size] must be '\0'.
  TLexer(const char* text, size_t size, const std::string& file)
      : fFile(file), fPos(text), fEnd(text + size), fLineStart(fPos) {
    if (std::strncmp(fPos, "\xEF\xBB\xBF", 3) == 0) fLineStart = fPos += 3;
    Advance();
  }
  // Reads on from a token of a text read before, where at is that token's
  // place; end is the text's end, its '\0'.
  TLexer(const char* token, TPosition at, const char* end, const std::string& file)
      : fFile(file), fPos(token), fEnd(end) {
    MoveTo(token, at);
  }

  // Goes on from a token of this text, where at is that token's place.
  void MoveTo(const char* token, TPosition at) {
    fPos = token;
    fLineStart = token - (at.fColumn - 1);
    fLine = at.fLine;
    Advance();
  }

  // Where the current token begins in the text.
  const char* TokenStart() const { return fTokenStart; }
  const char* End() const { return fEnd; }

  const std::string& GetFile() const { return fFile; }
  const TToken& Current() const { return fToken; }
  // Just after the previous token: where a missing ';' belongs.
  TPosition AfterPrevious() const { return fAfterPrevious; }

  void Advance() {
    fAfterPrevious = TPosition{fLine, Column(fPos)};
    SkipBlanksAndComments();
    fToken = TToken();
    fToken.fAt = TPosition{fLine, Column(fPos)};
    fTokenStart = fPos;
    Lex();
  }

  [[noreturn]] void Fail(TPosition at, const std::string& problem) const {
    throw TMofError(fFile, at.fLine, at.fColumn, problem);
  }

 private:
  int Column(const char* p) const { return static_cast<int>(p - fLineStart) + 1; }
  TPosition PositionOf(const char* p) const { return TPosition{fLine, Column(p)}; }

  void SkipBlanksAndComments() {
    for (;;) {
      while (HasClass(*fPos, kBlank)) ++fPos;
      char c = *fPos;
      if (c == '\n') {
        fLineStart = ++fPos;
        ++fLine;
      } else if (c == '/' && fPos[1] == '/') {
        const void* newline = std::memchr(fPos, '\n', fEnd - fPos);
        fPos = newline ? static_cast<const char*>(newline) : fEnd;
      } else if (c == '/' && fPos[1] == '*') {
        SkipBlockComment();
      } else {
        return;
      }
    }
  }

  void SkipBlockComment() {
    TPosition start = PositionOf(fPos);
    for (const char* p = fPos + 2; p < fEnd; ++p) {
      if (*p == '\n') {
        fLineStart = p + 1;
        ++fLine;
      } else if (*p == '*' && p[1] == '/') {
        fPos = p + 2;
        return;
      }
    }
    Fail(start, "unterminated comment");
  }

  // The most frequent tokens are tested first.
  void Lex() {
    char c = *fPos;
    if (IsIdentifierStart(c)) return LexIdentifier(ETokenKind::Identifier, fPos);
    if (HasClass(c, kPunct)) {
      fToken.fKind = ETokenKind::Punct;
      fToken.fBegin = fPos;
      fToken.fEnd = ++fPos;
      return;
    }
    if (c == '"') return LexString();
    if (IsDigit(c) || ((c == '+' || c == '-' || c == '.') && (IsDigit(fPos[1]) || fPos[1] == '.'))) {
      return LexNumber();
    }
    if (c == '\0' && fPos == fEnd) return;
    if (c == '\0') Fail(fToken.fAt, "unexpected NUL byte");
    if (c == '\'') return LexChar();
    if (c == '$') return LexAlias();
    if (c == '#') return LexPragma();
    Fail(fToken.fAt, std::string("unexpected character '") + c + "'");
  }

  void LexIdentifier(ETokenKind kind, const char* begin) {
    const char* p = begin;
    while (IsIdentifierChar(*p)) ++p;
    fToken.fKind = kind;
    fToken.fBegin = begin;
    fToken.fEnd = fPos = p;
  }

  void LexAlias() {
    if (!IsIdentifierStart(fPos[1])) Fail(fToken.fAt, "expected an alias name after '$'");
    LexIdentifier(ETokenKind::Alias, fPos + 1);
  }

  void LexPragma() {
    const char* name = fPos + 1;
    const char* p = name;
    while (IsIdentifierChar(*p)) ++p;
    if (!EqualsNoCase(name, p, "pragma")) Fail(fToken.fAt, "expected '#pragma'");
    fToken.fKind = ETokenKind::Pragma;
    fToken.fBegin = fPos;
    fToken.fEnd = fPos = p;
  }

  // Checks the escape at p (a '\') and answers the character after it.
  const char* SkipEscape(const char* p, const char* kind) const {
    char c = p[1];
    if (std::strchr("btnfr\"'\\", c) != nullptr && c != '\0') return p + 2;
    if (c == 'x' || c == 'X') {
      const char* digits = p + 2;
      const char* q = digits;
      while (q - digits < 4 && HexDigitValue(*q) >= 0) ++q;
      if (q == digits) Fail(PositionOf(p), "expected hexadecimal digits after '\\x'");
      return q;
    }
    if (c == '\n' || c == '\r' || (c == '\0' && p + 1 == fEnd)) Fail(fToken.fAt, std::string("unterminated ") + kind);
    Fail(PositionOf(p), std::string("unknown escape sequence '\\") + c + "'");
  }

  // A string ends on its own line; the next literal may continue it. The
  // library's scan for the stop characters takes many bytes a step (the
  // schema's descriptions are long).
  void LexString() {
    const char* p = fPos + 1;
    for (;;) {
      p += std::strcspn(p, "\"\\\n\r");
      char c = *p;
      if (c == '"') break;
      if (c == '\\') {
        fToken.fEscaped = true;
        p = SkipEscape(p, "string");
      } else if (c == '\n' || c == '\r' || (c == '\0' && p == fEnd)) {
        Fail(fToken.fAt, "unterminated string");
      } else {
        Fail(PositionOf(p), "NUL byte inside a string (written \\x0 in MOF)");
      }
    }
    fToken.fKind = ETokenKind::String;
    fToken.fBegin = fPos + 1;
    fToken.fEnd = p;
    fPos = p + 1;
  }

  // One character, which may take several bytes of UTF-8.
  void LexChar() {
    const char* p = fPos + 1;
    if (*p == '\\') {
      fToken.fEscaped = true;
      p = SkipEscape(p, "character literal");
    } else if (*p != '\'' && *p != '\n' && *p != '\r' && *p != '\0') {
      ++p;
      while ((static_cast<unsigned char>(*p) & 0xC0) == 0x80) ++p;
    }
    if (*p != '\'' || p == fPos + 1) Fail(fToken.fAt, "expected one character between ' and '");
    fToken.fKind = ETokenKind::Char;
    fToken.fBegin = fPos + 1;
    fToken.fEnd = p;
    fPos = p + 1;
  }

  void LexNumber() {
    const char* p = fPos;
    fToken.fNegative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
      p += 2;
      const char* hex = p;
      while (HexDigitValue(*p) >= 0) ++p;
      if (p == hex) FailNumber(p);
      return FinishInteger(hex, p, 16, p);
    }
    while (IsDigit(*p)) ++p;
    if (*p == '.') return LexReal(digits, p + 1);
    if ((*p == 'b' || *p == 'B') && !IsIdentifierChar(p[1])) return FinishInteger(digits, p, 2, p + 1);
    if (*digits == '0' && p - digits > 1) return FinishInteger(digits + 1, p, 8, p);
    FinishInteger(digits, p, 10, p);
  }

  void LexReal(const char* digits, const char* fraction) {
    const char* p = fraction;
    while (IsDigit(*p)) ++p;
    if (p == fraction) FailNumber(p);
    if (*p == 'e' || *p == 'E') {
      const char* exponent = p + 1;
      if (*exponent == '+' || *exponent == '-') ++exponent;
      if (!IsDigit(*exponent)) FailNumber(p);
      p = exponent;
      while (IsDigit(*p)) ++p;
    }
    if (IsIdentifierChar(*p)) FailNumber(p);
    double value = 0;
    std::from_chars_result result = std::from_chars(digits, p, value);
    if (result.ec == std::errc::result_out_of_range) value = Underflow(digits, p);
    else if (result.ptr != p) FailNumber(p);
    fToken.fKind = ETokenKind::Real;
    fToken.fReal = fToken.fNegative ? -value : value;
    fToken.fEnd = fPos = p;
  }

  // A number too small for a real64 reads as zero (or the nearest
  // subnormal), as C's strtod reads it; too large a number is an error.
  double Underflow(const char* digits, const char* end) const {
    std::string text(digits, end);
    double value = std::strtod(text.c_str(), nullptr);
    if (std::fabs(value) > 1) Fail(fToken.fAt, "real number out of range");
    return value;
  }

  void FinishInteger(const char* digits, const char* digitsEnd, int radix, const char* end) {
    if (IsIdentifierChar(*end) || *end == '.') FailNumber(end);
    uint64_t magnitude = 0;
    for (const char* d = digits; d != digitsEnd; ++d) {
      int digit = HexDigitValue(*d);
      if (digit < 0 || digit >= radix) FailNumber(d);
      if (magnitude > (UINT64_MAX - digit) / radix) Fail(fToken.fAt, "integer out of range");
      magnitude = magnitude * radix + digit;
    }
    if (fToken.fNegative && magnitude > uint64_t(INT64_MAX) + 1) Fail(fToken.fAt, "integer out of range");
    fToken.fKind = ETokenKind::Integer;
    fToken.fMagnitude = magnitude;
    fToken.fEnd = fPos = end;
  }

  // Names the number up to the end of the word it is part of.
  [[noreturn]] void FailNumber(const char* at) const {
    while (IsIdentifierChar(*at) || *at == '.') ++at;
    Fail(fToken.fAt, "malformed number '" + std::string(fPos, at) + "'");
  }

  const std::string& fFile;
  const char* fPos;
  const char* fEnd;
  const char* fLineStart;
  int fLine = 1;
  const char* fTokenStart = nullptr;
  TToken fToken;
  TPosition fAfterPrevious{1, 1};
};

void AppendUtf8(uint32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Decodes the escapes of a string or char literal; \xHHHH above 0x7F is
// written as UTF-8.
void AppendDecoded(const char* begin, const char* end, std::string& out) {
  for (const char* p = begin; p < end; ++p) {
    const char* escape = static_cast<const char*>(std::memchr(p, '\\', end - p));
    out.append(p, escape != nullptr ? escape : end);
    if (escape == nullptr) return;
    p = escape;
    char c = *++p;
    switch (c) {
      case 'b': out += '\b'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'f': out += '\f'; break;
      case 'r': out += '\r'; break;
      case 'x':
      case 'X': {
        unsigned code = 0;
        for (int i = 0; i < 4 && p + 1 < end && HexDigitValue(p[1]) >= 0; ++i) code = code * 16 + HexDigitValue(*++p);
        AppendUtf8(code, out);
        break;
      }
      default: out += c;  // \" \' \\ stand for themselves
    }
  }
}

enum class ELiteralKind { Null, Boolean, Integer, Real, String, Char, Alias };

struct TLiteral {
  ELiteralKind fKind = ELiteralKind::Null;
  bool fBool = false;
  bool fNegative = false;
  uint64_t fMagnitude = 0;
  double fReal = 0;
  std::string fText;  // string contents, alias name or the char
  TPosition fAt;
};

// A property value, qualifier value or default as written: one literal or
// an array of them.
struct TInitializer {
  bool fIsArray = false;
  TLiteral fScalar;
  std::vector<TLiteral> fElements;
  TPosition fAt;
};

const char* KindText(ELiteralKind kind) {
  switch (kind) {
    case ELiteralKind::Null: return "NULL";
    case ELiteralKind::Boolean: return "a boolean";
    case ELiteralKind::Integer: return "an integer";
    case ELiteralKind::Real: return "a real number";
    case ELiteralKind::String: return "a string";
    case ELiteralKind::Char: return "a character";
    case ELiteralKind::Alias: return "an alias";
  }
  return "a value";
}

bool IsIntegerType(ECIMType type) { return type >= CIMTypeUInt8 && type <= CIMTypeSInt64; }
bool IsRealType(ECIMType type) { return type == CIMTypeReal32 || type == CIMTypeReal64; }

bool Accepts(ECIMType type, ELiteralKind kind) {
  switch (kind) {
    case ELiteralKind::Null: return true;
    case ELiteralKind::Boolean: return type == CIMTypeBoolean;
    case ELiteralKind::Integer: return IsIntegerType(type) || IsRealType(type);
    case ELiteralKind::Real: return IsRealType(type);
    case ELiteralKind::String:
      return type == CIMTypeString || type == CIMTypeDateTime || type == CIMTypeReference;
    case ELiteralKind::Char: return type == CIMTypeChar16 || type == CIMTypeString;
    case ELiteralKind::Alias: return false;
  }
  return false;
}

// The integer as the type, or a null value when it does not fit.
TCIMValue IntegerAs(bool negative, uint64_t magnitude, ECIMType type, bool& fits) {
  auto fitsSigned = [&](uint64_t max) { return negative ? magnitude <= max + 1 : magnitude <= max; };
  int64_t signedValue = negative ? -static_cast<int64_t>(magnitude - 1) - 1 : static_cast<int64_t>(magnitude);
  bool isZero = magnitude == 0;
  switch (type) {
    case CIMTypeUInt8: fits = (!negative || isZero) && magnitude <= UINT8_MAX; return TCIMValue(uint8_t(magnitude));
    case CIMTypeUInt16: fits = (!negative || isZero) && magnitude <= UINT16_MAX; return TCIMValue(uint16_t(magnitude));
    case CIMTypeUInt32: fits = (!negative || isZero) && magnitude <= UINT32_MAX; return TCIMValue(uint32_t(magnitude));
    case CIMTypeUInt64: fits = !negative || isZero; return TCIMValue(uint64_t(magnitude));
    case CIMTypeSInt8: fits = fitsSigned(INT8_MAX); return TCIMValue(int8_t(signedValue));
    case CIMTypeSInt16: fits = fitsSigned(INT16_MAX); return TCIMValue(int16_t(signedValue));
    case CIMTypeSInt32: fits = fitsSigned(INT32_MAX); return TCIMValue(int32_t(signedValue));
    case CIMTypeSInt64: fits = fitsSigned(INT64_MAX); return TCIMValue(signedValue);
    case CIMTypeReal32: fits = true; return TCIMValue::Real32(negative ? -float(magnitude) : float(magnitude));
    default: fits = true; return TCIMValue(negative ? -double(magnitude) : double(magnitude));
  }
}

const char* const kScopes[] = {"class",  "association", "indication", "qualifier", "property",
                               "reference", "method",   "parameter",  "any"};
const char* const kFlavors[] = {"EnableOverride", "DisableOverride", "Restricted",
                                "ToSubclass",     "Translatable",    "ToInstance"};

// The table spelling of name, or nullptr when it is none of them.
template <size_t N>
const char* FindName(const char* const (&table)[N], const char* begin, const char* end) {
  for (const char* name : table) {
    if (EqualsNoCase(begin, end, name)) return name;
  }
  return nullptr;
}

struct TDataTypeName {
  const char* fName;
  ECIMType fType;
};

const TDataTypeName kDataTypes[] = {
    {"boolean", CIMTypeBoolean}, {"uint8", CIMTypeUInt8},   {"sint8", CIMTypeSInt8},
    {"uint16", CIMTypeUInt16},   {"sint16", CIMTypeSInt16}, {"uint32", CIMTypeUInt32},
    {"sint32", CIMTypeSInt32},   {"uint64", CIMTypeUInt64}, {"sint64", CIMTypeSInt64},
    {"real32", CIMTypeReal32},   {"real64", CIMTypeReal64}, {"char16", CIMTypeChar16},
    {"string", CIMTypeString},   {"datetime", CIMTypeDateTime}};

bool FindDataType(const TToken& token, ECIMType& type) {
  for (const TDataTypeName& entry : kDataTypes) {
    if (EqualsNoCase(token.fBegin, token.fEnd, entry.fName)) {
      type = entry.fType;
      return true;
    }
  }
  return false;
}

// A whole file followed by a NUL. A large file is mapped when its last page
// has room for the NUL (the system fills the rest of that page with zeros):
// mapping spares copying hundreds of megabytes and touching as many fresh
// pages. Other files are read into memory, which costs less for the small
// files a schema is made of: into a buffer the caller reuses from file to
// file when it gives one (a fresh block per file made the allocator tidy
// up all its free small blocks each time, a tenth of a schema's load).
class TFileText {
 public:
  TFileText() = default;
  TFileText(const TFileText&) = delete;
  TFileText& operator=(const TFileText&) = delete;
  ~TFileText() {
    if (fMapped != nullptr) ::munmap(fMapped, fSize);
    if (fDescriptor >= 0) ::close(fDescriptor);
  }

  enum EOpened { kOpened, kNotRegular, kUnreadable };

  // Opening does not block, so a FIFO or a device is refused rather than
  // waited on; nothing is read before Read, so that the caller may check
  // the real path first.
  EOpened Open(const std::string& path) {
    fDescriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fDescriptor < 0) return kUnreadable;
    struct stat status;
    if (::fstat(fDescriptor, &status) != 0) return kUnreadable;
    if (!S_ISREG(status.st_mode)) return kNotRegular;
    fSize = static_cast<size_t>(status.st_size);
    return kOpened;
  }

  // The opened file's path with every symbolic link resolved ("" when the
  // system cannot tell).
  std::string RealPath() const {
    char buffer[4096];
    std::string link = "/proc/self/fd/" + std::to_string(fDescriptor);
    ssize_t length = fDescriptor < 0 ? -1 : ::readlink(link.c_str(), buffer, sizeof buffer);
    return length > 0 && static_cast<size_t>(length) < sizeof buffer ? std::string(buffer, length) : "";
  }

  // After an Open that answered kOpened: maps or reads the file.
  bool Read(std::vector<char>* buffer = nullptr) { return Map() || Copy(buffer); }

  const char* Data() const { return fMapped != nullptr ? static_cast<const char*>(fMapped) : fCopy; }
  bool IsMapped() const { return fMapped != nullptr; }
  size_t Size() const { return fSize; }

 private:
  bool Map() {
    long page = ::sysconf(_SC_PAGESIZE);
    const size_t kSmallestMapped = 1 << 20;
    if (fSize < kSmallestMapped || page <= 0 || fSize % static_cast<size_t>(page) == 0) return false;
    void* mapped = ::mmap(nullptr, fSize, PROT_READ, MAP_PRIVATE, fDescriptor, 0);
    if (mapped == MAP_FAILED) return false;
    ::madvise(mapped, fSize, MADV_SEQUENTIAL);
    fMapped = mapped;
    return true;
  }

  bool Copy(std::vector<char>* buffer) {
    if (buffer == nullptr) buffer = &fOwnBuffer;
    if (buffer->size() < fSize + 1) buffer->resize(fSize + 1);
    fCopy = buffer->data();
    fCopy[fSize] = '\0';
    for (size_t done = 0; done < fSize;) {
      ssize_t count = ::read(fDescriptor, fCopy + done, fSize - done);
      if (count <= 0) return false;
      done += static_cast<size_t>(count);
    }
    return true;
  }

  int fDescriptor = -1;
  void* fMapped = nullptr;
  size_t fSize = 0;
  char* fCopy = nullptr;
  std::vector<char> fOwnBuffer;
};

// UTF-16 after its byte-order mark, as UTF-8; "" or the problem.
std::string DecodeUtf16(const unsigned char* bytes, size_t size, bool bigEndian, std::string& decoded) {
  if (size % 2 != 0) return "UTF-16 text with an odd number of bytes";
  decoded.reserve(size + size / 2);
  auto unit = [&](size_t i) -> uint32_t {
    return bigEndian ? (bytes[i] << 8) | bytes[i + 1] : bytes[i] | (bytes[i + 1] << 8);
  };
  for (size_t i = 2; i < size; i += 2) {
    uint32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF && i + 2 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      return "invalid UTF-16: an unpaired surrogate at byte " + std::to_string(i);
    }
    AppendUtf8(code, decoded);
  }
  return "";
}

// Makes text UTF-8: UTF-8 is read as it is, UTF-16 with a byte-order mark
// is decoded into decoded (and text points there). Answers "" or the
// encoding problem.
std::string TakeUtf8(const char*& text, size_t& size, std::string& decoded) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  auto startsWith = [&](const char* mark, size_t length) { return size >= length && std::memcmp(text, mark, length) == 0; };
  if (startsWith("\xFF\xFE\0\0", 4) || startsWith("\0\0\xFE\xFF", 4)) {
    return "the file is in UTF-32, which MOF files are not written in; save it as UTF-8 or UTF-16";
  }
  bool little = startsWith("\xFF\xFE", 2);
  if (little || startsWith("\xFE\xFF", 2)) {
    std::string problem = DecodeUtf16(bytes, size, !little, decoded);
    if (!problem.empty()) return problem;
    text = decoded.c_str();
    size = decoded.size();
    return "";
  }
  if (size >= 2 && (bytes[0] == 0 || bytes[1] == 0)) {
    return "the file starts with a NUL byte: UTF-16 without a byte-order mark? Save it as UTF-8 or with a byte-order mark";
  }
  return "";
}

// The key that tells two names of one file apart from two files: the file's
// identity, or for a name that is no file its normal absolute form.
std::string FileKey(const fs::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) == 0) {
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
  }
  std::error_code error;
  return fs::absolute(path, error).lexically_normal().string();
}

}  // namespace

TMofError::TMofError(const std::string& file, int line, int column, const std::string& problem)
    : std::runtime_error(PlaceText(file, line, column) + problem),
      fFile(file),
      fLine(line),
      fColumn(column),
      fProblem(problem) {}

namespace {

// What the reader checks of a qualifier type, worked out once per load.
struct TQualifierTraits {
  unsigned fScopes = 0;  // a bit per entry of kScopes
  bool fRestricted = false;
  bool fDisableOverride = false;
};

struct TPropertyInfo {
  std::string fName;  // as declared
  ECIMType fType;
  bool fIsArray;
  bool fIsKey;
  bool fAffectsPath;  // a key, or any property of a class without keys
  size_t fSlot;       // index into the class's fLastSet
};
struct TClassInfo {
  boost::shared_ptr<ICIMClass> fClass;
  std::string fName;
  // The rest is learnt when the first instance of the class is read.
  bool fPrepared = false;
  bool fAbstract = false;
  // By the spelling in the MOF text; filled as instances name properties.
  std::unordered_map<std::string, TPropertyInfo> fProperties;
  // Per declared property, by lower-case name: its slot.
  std::unordered_map<std::string, size_t> fSlots;
  // Per slot: the serial number of the last instance that set the property.
  std::vector<uint64_t> fLastSet;
  std::vector<bool> fIsKey;
  std::vector<bool> fAffectsPath;
  // Key properties without a default, which every instance must set.
  std::vector<std::pair<size_t, std::string>> fRequiredKeys;
  // The most values an instance read ahead has set: room made at once.
  size_t fMostValues = 0;
};

// What the reader learns of classes as their instances are read, by the
// class name as written. Each thread that reads instances keeps its own.
class TClassCache {
 public:
  TClassCache(boost::shared_ptr<TMemoryNamespace> ns, const TCIMContext& context)
      : fNamespace(std::move(ns)), fContext(context) {}

  // Empty pointer for a class not declared.
  TClassInfo* Find(const std::string& name);
  void Prepare(TClassInfo& cls);
  // Class declarations changed: what was learnt is stale. Infos of classes
  // with instances live on with the cache, as those instances and their
  // references by alias still point into them.
  void Clear() {
    for (auto& known : fClasses) {
      if (known.second->fPrepared) fStale.push_back(std::move(known.second));
    }
    fClasses.clear();
  }
  uint64_t NextInstanceSerial() { return ++fInstanceSerial; }

 private:
  boost::shared_ptr<TMemoryNamespace> fNamespace;
  const TCIMContext& fContext;
  std::unordered_map<std::string, std::unique_ptr<TClassInfo>> fClasses;
  std::vector<std::unique_ptr<TClassInfo>> fStale;
  uint64_t fInstanceSerial = 0;
};

// A property value as read: a value, or a reference by alias.
struct TRecordedValue {
  const TPropertyInfo* fProperty;
  TCIMValue fValue;
  std::string fAlias;  // "" unless a reference by alias
  TPosition fAt;
};

// An instance read ahead of the thread that adds it.
struct TInstanceRecord {
  TClassInfo* fClass = nullptr;  // none: of an undeclared class, skipped
  std::string fClassName;        // of an undeclared class
  TPosition fClassAt;
  std::string fAlias;  // "" for none
  TPosition fAliasAt;
  std::vector<TPropertySetting> fSettings;  // by position
  std::vector<TRecordedValue> fReferences;  // by alias, in text order
};

// A piece of a text read ahead: its instances from fBegin up to the first
// production at or after fLimit, or up to fStop, where something other than
// an instance, or an error, leaves the rest to the reader.
struct TTextPiece {
  TTextPiece(const char* begin, const char* limit, TPosition at) : fBegin(begin), fLimit(limit), fAt(at) {}

  const char* fBegin;
  const char* fLimit;
  TPosition fAt;  // of fBegin: the text's own for the first piece, line 1 for the others
  std::vector<TInstanceRecord> fRecords;
  const char* fStop = nullptr;
  TPosition fStopAt;
  bool fComplete = false;
  bool fRead = false;
};

// Thrown where text read ahead needs the reader's own state.
struct TLeftToReader {};

// Pieces of about pieceBytes from begin, each after the first starting at a
// line that starts with "instance": where a production most likely begins.
// The pieces are checked against each other as they are read.
std::vector<TTextPiece> SplitText(const char* begin, TPosition at, const char* end, size_t pieceBytes) {
  std::vector<TTextPiece> pieces{TTextPiece(begin, end, at)};
  static const char kStart[] = "\ninstance";
  const size_t startSize = sizeof kStart - 1;
  const size_t size = end - begin;
  for (size_t from = pieceBytes; from < size && size - from > pieceBytes / 2;) {
    const void* found = ::memmem(begin + from, size - from, kStart, startSize);
    if (found == nullptr) break;
    const char* start = static_cast<const char*>(found) + 1;
    from = start - begin;
    if (!HasClass(start[startSize - 1], kBlank) && start[startSize - 1] != '\n') continue;
    pieces.back().fLimit = start;
    pieces.emplace_back(start, end, TPosition{1, 1});
    from += pieceBytes;
  }
  return pieces;
}

}  // namespace

// The state of one Load call: the files being read, aliases, references
// waiting for the end of the load, the instances made and their classes.
class TMofReader::TLoad {
 public:
  typedef ::NVKXQZA20::TPropertyInfo TPropertyInfo;
  typedef ::NVKXQZA20::TClassInfo TClassInfo;

  explicit TLoad(TMofReader& reader, const std::string& start);

  TMofReader& Reader() { return fReader; }
  // text[size] must be '\0'; key is the file's FileKey.
  // mapped: text is a mapping of the file, whose pages read may be let go.
  void ReadSource(const char* text, size_t size, const std::string& file, const std::string& key, bool mapped);
  void Include(const std::string& relative, const TLexer& from, TPosition at);
  // After the last source: sets the references by alias and replaces
  // instances by later ones of the same path.
  void Finish();

  TClassCache& Classes() { return fClasses; }
  // A cache for a thread that reads instances ahead; it lives as long as
  // the load, as the property infos of the instances it read must.
  TClassCache& NewReaderCache();

  struct TPlace {
    size_t fFile;  // index into fFiles
    TPosition fAt;
  };
  TPlace Place(const std::string& file, TPosition at) { return TPlace{FileIndex(file), at}; }
  void DefineAlias(const std::string& name, boost::shared_ptr<ICIMInstance> instance, const TPlace& place);
  // property lives as long as the load (it is a TPropertyInfo's name).
  void AddPendingReference(boost::shared_ptr<ICIMInstance> instance, const TPropertyInfo& property,
                           const std::string& alias, const TPlace& place);
  void AddInstance(boost::shared_ptr<ICIMInstance> instance, const TClassInfo& cls, const TPlace& place);
  const TQualifierTraits& Traits(const TQualifierType& type);
  // A qualifier type was replaced.
  void ForgetQualifierTraits() { fQualifierTraits.clear(); }

 private:
  struct TAlias {
    enum EState { kOpen, kResolving, kDone };
    boost::shared_ptr<ICIMInstance> fInstance;
    std::string fName;     // as written
    TCIMValue fReference;  // its path, taken once its reference keys are set
    EState fState = kOpen;
    int fDepth = 0;        // how deep references nest in its keys
  };
  struct TPendingReference {
    boost::shared_ptr<ICIMInstance> fInstance;
    const TPropertyInfo* fProperty;
    std::string fAlias;
    // Found when the alias was defined before its use, while the map is
    // still in the cache; forward references are looked up at the end.
    TAlias* fTarget;
    TPlace fPlace;
    bool fDone;
  };
  struct TCreated {
    boost::shared_ptr<ICIMInstance> fInstance;
    const std::string* fClassName;
    TPlace fPlace;
  };

  size_t FileIndex(const std::string& file);
  TAlias* FindAlias(const std::string& name);
  bool MayInclude(const fs::path& path) const;
  bool IsBelowAllowed(const std::string& path) const;
  [[noreturn]] void Refuse(const std::string& relative, const TLexer& from, TPosition at) const;
  [[noreturn]] void Fail(const TPlace& place, const std::string& problem) const;
  std::string PlaceText(const TPlace& place) const;
  void SetReference(TPendingReference& pending, int depth);
  const TAlias& ResolvedAlias(TAlias& alias, const TPendingReference& use, int depth);
  void ReplaceDuplicates();

  TMofReader& fReader;
  std::vector<std::string> fAllowedFolders;  // canonical: the start's folder and the reader's
  std::vector<std::string> fIncludeKeys;     // the files being read, outermost first
  std::vector<std::string> fIncludeNames;    // the same as messages name them
  std::vector<TPlace> fIncludeSites;         // the include of each file but the first
  std::vector<std::string> fFiles;           // every file read, for places named later
  TClassCache fClasses;
  std::vector<std::unique_ptr<TClassCache>> fReaderCaches;
  std::unordered_map<std::string, TAlias> fAliases;  // by lower-case name
  std::deque<TPendingReference> fPending;
  // For each instance with references by alias among its path's
  // properties, the positions of those in fPending.
  std::unordered_map<const ICIMInstance*, std::vector<size_t>> fKeyReferences;
  std::vector<TCreated> fCreated;
  std::unordered_map<std::string, TQualifierTraits> fQualifierTraits;  // by declared name
  // The text of each include depth, reused by the files read at that depth.
  std::deque<std::vector<char>> fBuffers;
};

namespace {

// A qualifier list as written, with the place of each qualifier, the
// scopes its type allows (all for an undeclared one) and whether its flavor
// is DisableOverride.
struct TQualifierList {
  std::vector<TQualifierValue> fValues;
  std::vector<TPosition> fPositions;
  std::vector<unsigned> fScopes;
  std::vector<bool> fFixed;
};

// Where the parts of a property declaration are, for messages, with its
// qualifiers' DisableOverride flavors.
struct TFeaturePlaces {
  TPosition fType;
  TPosition fName;
  std::vector<TPosition> fQualifiers;
  std::vector<bool> fFixed;
};

bool IsTrue(const TCIMValue& value) {
  try {
    return !value.IsNull() && value.ToBool();
  } catch (const TQZAException&) {
    return false;
  }
}

bool IsNamed(const std::string& text, const char* name) { return EqualsNoCase(text.data(), text.data() + text.size(), name); }

bool HasTrueQualifier(const std::vector<boost::shared_ptr<ICIMQualifier>>& qualifiers, const char* name) {
  for (const boost::shared_ptr<ICIMQualifier>& qualifier : qualifiers) {
    if (IsNamed(qualifier->GetName(), name)) return IsTrue(qualifier->GetValue());
  }
  return false;
}

bool HasTrueQualifier(const std::vector<TQualifierValue>& qualifiers, const char* name) {
  for (const TQualifierValue& qualifier : qualifiers) {
    if (IsNamed(qualifier.fName, name)) return IsTrue(qualifier.fValue);
  }
  return false;
}

bool ClassQualifierIsTrue(const ICIMClass& cls, const char* name, const TCIMContext& context) {
  bool found = false;
  try {
    return IsTrue(cls.GetQualifier(name, found, context)->GetValue(context));
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZANotFound) return false;
    throw;
  }
}

bool HasName(const std::vector<std::string>& names, const char* name) {
  for (const std::string& each : names) {
    if (IsNamed(each, name)) return true;
  }
  return false;
}

unsigned ScopeBit(const std::string& scope) {
  for (size_t i = 0; i < sizeof kScopes / sizeof kScopes[0]; ++i) {
    if (IsNamed(scope, kScopes[i])) return IsNamed(scope, "any") ? ~0u : 1u << i;
  }
  return 0;
}

TQualifierTraits TraitsOf(const TQualifierType& type) {
  TQualifierTraits traits;
  for (const std::string& scope : type.fScopes) traits.fScopes |= ScopeBit(scope);
  traits.fRestricted = HasName(type.fFlavors, "Restricted");
  traits.fDisableOverride = HasName(type.fFlavors, "DisableOverride");
  return traits;
}

// Whether a subclass may declare property over an inherited one of this
// type: only with the same type (references to any class).
bool MayOverride(ECIMType type, bool isArray, const TPropertyDeclaration& property) {
  return type == property.fType && (isArray == property.fIsArray || type == CIMTypeReference);
}

// The field of a DMTF date-time that no calendar or clock has ("month 13"),
// or "". A timestamp of zeros is the null date-time producers write; a
// field of asterisks is one a producer leaves unused, as DSP0004 allows.
std::string ImpossibleField(const TCIMDateTime& value) {
  const std::string& text = value.ToDMTFString();
  struct TRange {
    const char* fName;
    size_t fAt;
    int fLow;
    int fHigh;
  };
  static const TRange kTimestamp[] = {{"month", 4, 1, 12}, {"day", 6, 1, 31},     {"hour", 8, 0, 23},
                                      {"minute", 10, 0, 59}, {"second", 12, 0, 60}};
  static const TRange kInterval[] = {{"hour", 8, 0, 23}, {"minute", 10, 0, 59}, {"second", 12, 0, 59}};
  bool interval = value.IsInterval();
  if (interval && text.compare(22, 3, "000") != 0) return "an interval whose last field is not 000";
  bool zeroDate = !interval && text.compare(0, 8, "00000000") == 0;
  for (const TRange& range : interval ? std::vector<TRange>(std::begin(kInterval), std::end(kInterval))
                                      : std::vector<TRange>(std::begin(kTimestamp), std::end(kTimestamp))) {
    if (zeroDate && range.fAt < 8) continue;
    const char tens = text[range.fAt];
    const char ones = text[range.fAt + 1];
    if (tens == '*' && ones == '*') continue;
    if (!IsDigit(tens) || !IsDigit(ones)) return "a " + std::string(range.fName) + " field partly of '*'";
    int number = (tens - '0') * 10 + (ones - '0');
    if (number < range.fLow || number > range.fHigh) return "no " + std::string(range.fName) + " " + std::to_string(number);
  }
  return "";
}

}  // namespace

// Reads the productions of one source text.
class TMofReader::TSourceParser {
 public:
  TSourceParser(TLoad& load, const char* text, size_t size, const std::string& file)
      : fLoad(load), fReader(load.Reader()), fClasses(load.Classes()), fNamespace(fReader.fNamespace),
        fLexer(text, size, file) {}
  // Reads on from a token of a text (see TLexer), learning of classes in classes.
  TSourceParser(TLoad& load, TClassCache& classes, const char* token, TPosition at, const char* end,
                const std::string& file)
      : fLoad(load), fReader(load.Reader()), fClasses(classes), fNamespace(fReader.fNamespace),
        fLexer(token, at, end, file) {}

  // The text is a file's mapping: pages read ahead and added are let go.
  void SetMapped(bool mapped) { fMapped = mapped; }

  // Where reading ahead handed the text back, this thread reads alone for
  // a piece's length, so that productions the threads leave to it cost no
  // more than a piece read ahead again.
  void Run() {
    try {
      const char* readAlone = nullptr;
      while (Current().fKind != ETokenKind::End) {
        if (fLexer.TokenStart() >= readAlone && MayReadAhead()) {
          ReadAhead();
          const size_t rest = fLexer.End() - fLexer.TokenStart();
          readAlone = fLexer.TokenStart() + std::min(rest, fReader.fReadAheadBytes);
          continue;
        }
        ParseProduction();
      }
    } catch (const TQZAException& e) {
      // A refusal that no production turned into a message of its own.
      std::string detail = e.GetDetail().empty() ? "" : " (" + e.GetDetail() + ")";
      Fail(Current().fAt, std::string("repository error: ") + e.what() + detail);
    } catch (const std::logic_error& e) {
      // A fault of the reader's own still names the place it met.
      Fail(Current().fAt, std::string("cannot read on here: ") + e.what());
    }
  }

 private:
  // What a value is for, named in messages.
  struct TTarget {
    const char* fWhat;
    const std::string& fName;
    ECIMType fType;
    bool fIsArray;
  };

  const TToken& Current() const { return fLexer.Current(); }
  void Advance() { fLexer.Advance(); }
  [[noreturn]] void Fail(TPosition at, const std::string& problem) const { fLexer.Fail(at, problem); }
  std::string PlaceOf(TPosition at) const {
    return fLexer.GetFile() + ":" + std::to_string(at.fLine) + ":" + std::to_string(at.fColumn);
  }
  void Warn(EMofWarning kind, TPosition at, const std::string& problem) const {
    fReader.Warn(kind, TMofError(fLexer.GetFile(), at.fLine, at.fColumn, problem));
  }

  bool IsPunct(char c) const { return Current().fKind == ETokenKind::Punct && *Current().fBegin == c; }
  bool IsKeyword(const char* keyword) const {
    return Current().fKind == ETokenKind::Identifier && EqualsNoCase(Current().fBegin, Current().fEnd, keyword);
  }
  void Expect(char c, const char* context) {
    if (!IsPunct(c)) Fail(fLexer.AfterPrevious(), std::string("expected '") + c + "' " + context);
    Advance();
  }
  void ExpectKeyword(const char* keyword, const char* spelling, const char* context) {
    if (!IsKeyword(keyword)) Fail(Current().fAt, std::string("expected '") + spelling + "' " + context);
    Advance();
  }
  std::string TakeIdentifier(const char* expected) {
    if (Current().fKind != ETokenKind::Identifier) Fail(Current().fAt, std::string("expected ") + expected);
    std::string name(Current().fBegin, Current().fEnd);
    Advance();
    return name;
  }

  void ParseProduction();
  void ParsePragma();
  void SkipPragmaParameters(int open);
  void WarnOfNamespace(TPosition at);
  void ParseQualifierDeclaration();
  void DeclareQualifierType(const TQualifierType& type, TPosition at);
  template <size_t N>
  std::vector<std::string> ParseNameList(const char* const (&table)[N], const char* keyword, const char* item);
  TQualifierList ParseQualifierList();
  std::vector<std::string> ParseFlavors();
  void ParseQualifier(TQualifierList& list);
  TCIMValue UndeclaredQualifierValue(const std::string& name, TPosition at, bool hasValue,
                                     const TInitializer& initializer);
  void CheckScopes(const TQualifierList& list, const char* scope) const;
  void ParseClass(TQualifierList qualifiers);
  const char* ClassScope(const TClassDeclaration& declaration);
  void ParseFeature(TClassDeclaration& declaration, std::vector<TFeaturePlaces>& places);
  void ParseTypeSpec(ECIMType& type, std::string& referenceClass, const char* expected);
  bool ParseArraySuffix();
  void SkipMethodParameters();
  void DeclareClass(TClassDeclaration declaration, TPosition namePosition, TPosition superPosition,
                    const TQualifierList& qualifiers, const std::vector<TFeaturePlaces>& places);
  void CheckOverrides(const TClassDeclaration& declaration, const TQualifierList& qualifiers,
                      const std::vector<TFeaturePlaces>& places);
  void CheckSubclasses(const TClassDeclaration& declaration, TPosition at);
  // The qualifier a superclass or overridden property has, by name.
  typedef std::function<boost::shared_ptr<ICIMQualifier>(const std::string&, bool&)> TInheritedQualifier;
  void CheckFixedQualifiers(const std::vector<TQualifierValue>& own, const std::vector<TPosition>& positions,
                            const std::vector<bool>& fixed, const std::string& property, const std::string& super,
                            const TInheritedQualifier& inherited);
  void ParseInstance();
  TClassInfo* ParseInstanceClass(TPosition& classPosition);
  // With the values read ahead, if any.
  boost::shared_ptr<ICIMInstance> CreateInstance(const TClassInfo& cls, TPosition at,
                                                 std::vector<TPropertySetting> settings = {});
  std::string ParseAlias(TPosition& at);
  template <typename TTake>
  void ParseInstanceBody(TClassInfo& cls, TPosition classPosition, const TTake& take);
  void ParseUndeclaredInstance(TPosition classPosition, TInstanceRecord* record);
  void WarnOfUndeclared(const std::string& className, TPosition at) const;
  void SkipValueQualifiers();
  template <typename TTake>
  void ParsePropertyValue(TClassInfo& cls, uint64_t serial, const TTake& take);
  const TPropertyInfo& FindProperty(TClassInfo& cls);
  void Apply(const boost::shared_ptr<ICIMInstance>& instance, TRecordedValue& value);

  bool MayReadAhead() const;
  void ReadAhead();
  void ReadPiece(TTextPiece& piece, TClassCache& classes);
  void RecordPiece(TTextPiece& piece);
  void Commit(TInstanceRecord& record, int lineShift);
  void LetGo(const char* begin, const char* end);

  void ParseInitializer(TInitializer& initializer);
  void ParseLiteral(TLiteral& literal);
  void ParseStringLiteral(std::string& text);

  TCIMValue Value(const TInitializer& initializer, const TTarget& target, bool scalarMayFillArray = false);
  TCIMValue ScalarValue(const TLiteral& literal, const TTarget& target);
  TCIMValue TextValue(const TLiteral& literal, const TTarget& target);
  TCIMValue UntypedValue(const TInitializer& initializer, const std::string& qualifier);
  ECIMType CommonType(const std::vector<TLiteral>& elements);
  [[noreturn]] void FailValue(TPosition at, const TTarget& target, const std::string& reason) const;

  TLoad& fLoad;
  TMofReader& fReader;
  TClassCache& fClasses;
  boost::shared_ptr<ICIMNamespace> fNamespace;  // for object paths
  TLexer fLexer;
  bool fReadingAhead = false;  // on a thread of its own, recording instances
  bool fMapped = false;
  // Reused for every property of the instances, so that reading one
  // allocates only what the repository keeps.
  std::string fName;
  TInitializer fValue;
  TInitializer fQualifierValue;  // likewise for each qualifier
};

// ------------------------------------------------------------------ productions

void TMofReader::TSourceParser::ParseProduction() {
  if (Current().fKind == ETokenKind::Pragma) return ParsePragma();
  if (IsKeyword("qualifier")) return ParseQualifierDeclaration();
  TQualifierList qualifiers;
  if (IsPunct('[')) qualifiers = ParseQualifierList();
  if (IsKeyword("class")) return ParseClass(std::move(qualifiers));
  if (IsKeyword("instance")) return ParseInstance();
  Fail(Current().fAt, "expected 'class', 'instance', 'Qualifier' or '#pragma'");
}

void TMofReader::TSourceParser::ParsePragma() {
  TPosition at = Current().fAt;
  Advance();
  bool isInclude = IsKeyword("include");
  bool isNamespace = IsKeyword("namespace");
  TakeIdentifier("a pragma name after '#pragma'");
  if (isNamespace) return WarnOfNamespace(at);
  if (!isInclude) return SkipPragmaParameters(0);
  Expect('(', "after 'include'");
  TPosition fileAt = Current().fAt;
  if (Current().fKind != ETokenKind::String) Fail(fileAt, "expected the file name of '#pragma include' as a string");
  std::string path;
  ParseStringLiteral(path);
  Expect(')', "after the file name of '#pragma include'");
  fLoad.Include(path, fLexer, fileAt);
}

// A collection is one data source: a namespace other than the repository's
// is read into it all the same, which is said once per reader.
void TMofReader::TSourceParser::WarnOfNamespace(TPosition at) {
  if (!IsPunct('(')) return;
  Advance();
  std::string name;
  if (Current().fKind == ETokenKind::String) ParseStringLiteral(name);
  SkipPragmaParameters(1);
  while (!name.empty() && name[0] == '/') name.erase(0, 1);
  if (fReader.fWarnedNamespace || Lower(name) == Lower(fReader.fNamespace->GetName())) return;
  fReader.fWarnedNamespace = true;
  Warn(EMofWarning::NamespacePragma, at,
       "#pragma namespace: every namespace of a collection is read into its one data source (" +
           fReader.fNamespace->GetName() + ")");
}

// namespace, locale and pragmas of other compilers: their parameters, if
// any, are read up to the closing parenthesis and dropped. open counts the
// parentheses already read.
void TMofReader::TSourceParser::SkipPragmaParameters(int open) {
  if (open == 0) {
    if (!IsPunct('(')) return;
    Advance();
    open = 1;
  }
  while (open > 0) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected ')' closing the pragma");
    if (IsPunct('(')) ++open;
    if (IsPunct(')')) --open;
    Advance();
  }
}

void TMofReader::TSourceParser::ParseQualifierDeclaration() {
  Advance();
  TPosition namePosition = Current().fAt;
  TQualifierType type;
  type.fName = TakeIdentifier("a qualifier name after 'Qualifier'");
  Expect(':', "after the qualifier name");
  std::string referenceClass;
  ParseTypeSpec(type.fType, referenceClass, "a data type after ':'");
  if (type.fType == CIMTypeReference) Fail(namePosition, "a qualifier type cannot be a reference");
  type.fIsArray = ParseArraySuffix();
  type.fDefault = TCIMValue::Null(type.fType, type.fIsArray);
  if (IsPunct('=')) {
    Advance();
    TInitializer initializer;
    ParseInitializer(initializer);
    type.fDefault = Value(initializer, TTarget{"qualifier type", type.fName, type.fType, type.fIsArray});
  }
  Expect(',', "before 'Scope'");
  ExpectKeyword("scope", "Scope", "in the qualifier declaration");
  type.fScopes = ParseNameList(kScopes, "Scope", "scope");
  if (IsPunct(',')) {
    Advance();
    ExpectKeyword("flavor", "Flavor", "after ','");
    type.fFlavors = ParseNameList(kFlavors, "Flavor", "flavor");
  }
  Expect(';', "after qualifier declaration");
  DeclareQualifierType(type, namePosition);
}

namespace {

// The place of an earlier declaration, as messages name it.
std::string EarlierPlace(const std::unordered_map<std::string, std::string>& places, const std::string& name) {
  auto found = places.find(Lower(name));
  return found == places.end() ? "made before" : "at " + found->second;
}

}  // namespace

// Declared again: an identical declaration is a no-op, another replaces it.
void TMofReader::TSourceParser::DeclareQualifierType(const TQualifierType& type, TPosition at) {
  const TQualifierType* known = fReader.fNamespace->FindQualifierType(type.fName, fReader.fContext);
  if (known != nullptr && *known == type) return;
  try {
    fReader.fNamespace->DeclareQualifierType(type, fReader.fContext, known != nullptr);
  } catch (const TQZAException& e) {
    Fail(at, "cannot declare qualifier '" + type.fName + "': " + e.what());
  }
  if (known != nullptr) {
    fLoad.ForgetQualifierTraits();
    Warn(EMofWarning::Redeclaration, at,
         "qualifier '" + type.fName + "' declared again differently: this declaration replaces the one " +
             EarlierPlace(fReader.fQualifierTypePlaces, type.fName));
  } else {
    ++fReader.fQualifierTypeCount;
  }
  fReader.fQualifierTypePlaces[Lower(type.fName)] = PlaceOf(at);
}

// "( name, name )" after Scope or Flavor, each name in the table's spelling.
template <size_t N>
std::vector<std::string> TMofReader::TSourceParser::ParseNameList(const char* const (&table)[N], const char* keyword,
                                                                  const char* item) {
  Expect('(', (std::string("after '") + keyword + "'").c_str());
  std::vector<std::string> names;
  do {
    if (!names.empty()) Advance();
    const TToken& token = Current();
    const char* name = token.fKind == ETokenKind::Identifier ? FindName(table, token.fBegin, token.fEnd) : nullptr;
    if (name == nullptr) Fail(token.fAt, std::string("expected a ") + item + " name");
    names.push_back(name);
    Advance();
  } while (IsPunct(','));
  Expect(')', (std::string("closing the ") + item + " list").c_str());
  return names;
}

// Room for the qualifiers a schema feature usually has, made at once: the
// lists grew one element at a time, a twentieth of a schema's load.
TQualifierList TMofReader::TSourceParser::ParseQualifierList() {
  Advance();
  TQualifierList list;
  const size_t kUsualCount = 4;
  list.fValues.reserve(kUsualCount);
  list.fPositions.reserve(kUsualCount);
  list.fScopes.reserve(kUsualCount);
  list.fFixed.reserve(kUsualCount);
  ParseQualifier(list);
  while (IsPunct(',')) {
    Advance();
    ParseQualifier(list);
  }
  Expect(']', "after qualifier");
  return list;
}

// Flavors of a qualifier value ("Description("x") : Translatable"), which
// DSP0004 separates by blanks.
std::vector<std::string> TMofReader::TSourceParser::ParseFlavors() {
  Advance();
  std::vector<std::string> flavors;
  do {
    const TToken& token = Current();
    const char* flavor = token.fKind == ETokenKind::Identifier ? FindName(kFlavors, token.fBegin, token.fEnd) : nullptr;
    if (flavor == nullptr) Fail(token.fAt, "expected a flavor name after ':'");
    flavors.push_back(flavor);
    Advance();
  } while (Current().fKind == ETokenKind::Identifier);
  return flavors;
}

// A qualifier without a value is a boolean true. A declared qualifier type
// gives the value its type; an undeclared qualifier keeps the literal's.
void TMofReader::TSourceParser::ParseQualifier(TQualifierList& list) {
  TPosition namePosition = Current().fAt;
  std::string name = TakeIdentifier("a qualifier name");
  TInitializer& initializer = fQualifierValue;
  bool hasValue = IsPunct('(') || IsPunct('{');
  if (IsPunct('(')) {
    Advance();
    ParseInitializer(initializer);
    if (initializer.fIsArray) Fail(initializer.fAt, "expected a single value in '( )'; arrays are written '{ }'");
    Expect(')', "after the qualifier value");
  } else if (hasValue) {
    ParseInitializer(initializer);
  }
  std::vector<std::string> flavors;
  if (IsPunct(':')) flavors = ParseFlavors();
  list.fPositions.push_back(namePosition);
  const TQualifierType* type = fReader.fNamespace->FindQualifierType(name, fReader.fContext);
  if (type == nullptr) {
    list.fValues.emplace_back(name, UndeclaredQualifierValue(name, namePosition, hasValue, initializer));
    list.fValues.back().fRestricted = HasName(flavors, "Restricted");
    list.fScopes.push_back(~0u);
    list.fFixed.push_back(false);
    return;
  }
  const TQualifierTraits& traits = fLoad.Traits(*type);
  list.fScopes.push_back(traits.fScopes);
  list.fFixed.push_back(traits.fDisableOverride);
  if (!hasValue && (type->fType != CIMTypeBoolean || type->fIsArray)) {
    Fail(namePosition, "qualifier '" + name + "' of type " + CIMTypeName(type->fType) +
                           (type->fIsArray ? "[]" : "") + " needs a value");
  }
  TCIMValue value = hasValue ? Value(initializer, TTarget{"qualifier", type->fName, type->fType, type->fIsArray}, true)
                             : TCIMValue(true);
  list.fValues.emplace_back(type->fName, std::move(value));
  list.fValues.back().fRestricted =
      HasName(flavors, "Restricted") || (traits.fRestricted && !HasName(flavors, "ToSubclass"));
}

// A flavor name in the place of a qualifier comes from flavors separated by
// commas; other undeclared qualifiers are errors when strict and warnings
// otherwise.
TCIMValue TMofReader::TSourceParser::UndeclaredQualifierValue(const std::string& name, TPosition at, bool hasValue,
                                                              const TInitializer& initializer) {
  if (FindName(kFlavors, name.data(), name.data() + name.size()) != nullptr) {
    Fail(at, "'" + name + "' is a flavor, not a qualifier: flavors after ':' are separated by blanks, not commas");
  }
  if (fReader.fStrict) Fail(at, "undeclared qualifier '" + name + "'");
  Warn(EMofWarning::UndeclaredQualifier, at, "undeclared qualifier '" + name + "' kept with the type of its value");
  return hasValue ? UntypedValue(initializer, name) : TCIMValue(true);
}

// Declared qualifiers apply where their scopes allow ("any" everywhere).
void TMofReader::TSourceParser::CheckScopes(const TQualifierList& list, const char* scope) const {
  const unsigned bit = ScopeBit(scope);
  for (size_t i = 0; i < list.fValues.size(); ++i) {
    if ((list.fScopes[i] & bit) != 0) continue;
    const TQualifierType* type = fReader.fNamespace->FindQualifierType(list.fValues[i].fName, fReader.fContext);
    std::string scopes;
    for (const std::string& each : type->fScopes) scopes += (scopes.empty() ? "" : ", ") + each;
    Fail(list.fPositions[i], "qualifier '" + type->fName + "' cannot be used on a " + scope +
                                 " (its scope: " + scopes + ")");
  }
}

void TMofReader::TSourceParser::ParseClass(TQualifierList qualifiers) {
  Advance();
  TClassDeclaration declaration;
  declaration.fQualifiers = qualifiers.fValues;
  TPosition namePosition = Current().fAt;
  declaration.fName = TakeIdentifier("a class name after 'class'");
  if (IsKeyword("as")) {
    Advance();
    if (Current().fKind != ETokenKind::Alias) Fail(Current().fAt, "expected an alias after 'as'");
    Advance();
  }
  TPosition superPosition;
  if (IsPunct(':')) {
    Advance();
    superPosition = Current().fAt;
    declaration.fSuperClass = TakeIdentifier("a superclass name after ':'");
    if (fClasses.Find(declaration.fSuperClass) == nullptr) {
      Fail(superPosition, "unknown superclass '" + declaration.fSuperClass + "'");
    }
  }
  CheckScopes(qualifiers, ClassScope(declaration));
  Expect('{', "to open the class body");
  std::vector<TFeaturePlaces> places;
  std::unordered_map<std::string, size_t> names;  // lower-case, for properties given twice
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) {
      Fail(fLexer.AfterPrevious(), "expected '}' closing class " + declaration.fName);
    }
    size_t before = declaration.fProperties.size();
    ParseFeature(declaration, places);
    if (declaration.fProperties.size() == before) continue;
    if (!names.emplace(Lower(declaration.fProperties.back().fName), before).second) {
      Fail(places.back().fName,
           "property '" + declaration.fProperties.back().fName + "' is declared twice in class " + declaration.fName);
    }
  }
  Advance();
  Expect(';', "after class declaration");
  DeclareClass(std::move(declaration), namePosition, superPosition, qualifiers, places);
}

// The scope a class's qualifiers must allow: association and indication
// are inherited, as their qualifiers are.
const char* TMofReader::TSourceParser::ClassScope(const TClassDeclaration& declaration) {
  bool association = HasTrueQualifier(declaration.fQualifiers, "Association");
  bool indication = HasTrueQualifier(declaration.fQualifiers, "Indication");
  if (!declaration.fSuperClass.empty()) {
    association = association || fClasses.Find(declaration.fSuperClass)->fClass->IsAssociation(fReader.fContext);
    for (const TClassDeclaration* super = fReader.fNamespace->FindClassDeclaration(declaration.fSuperClass, fReader.fContext);
         super != nullptr && !indication;
         super = super->fSuperClass.empty() ? nullptr
                                            : fReader.fNamespace->FindClassDeclaration(super->fSuperClass, fReader.fContext)) {
      indication = HasTrueQualifier(super->fQualifiers, "Indication");
    }
  }
  if (association) return "association";
  return indication ? "indication" : "class";
}

// A property, a reference or a method (read and dropped).
void TMofReader::TSourceParser::ParseFeature(TClassDeclaration& declaration, std::vector<TFeaturePlaces>& places) {
  TPropertyDeclaration property;
  TQualifierList qualifiers;
  if (IsPunct('[')) qualifiers = ParseQualifierList();
  TFeaturePlaces place;
  place.fType = Current().fAt;
  ParseTypeSpec(property.fType, property.fReferenceClass, "a property, reference or method declaration");
  place.fName = Current().fAt;
  property.fName = TakeIdentifier("a property name");
  if (IsPunct('(')) {
    CheckScopes(qualifiers, "method");
    SkipMethodParameters();
    Expect(';', "after method declaration");
    return;
  }
  bool isReference = property.fType == CIMTypeReference;
  CheckScopes(qualifiers, isReference ? "reference" : "property");
  if (isReference && fClasses.Find(property.fReferenceClass) == nullptr) {
    Fail(place.fType, "unknown class '" + property.fReferenceClass + "' of reference '" + property.fName + "'");
  }
  property.fQualifiers = std::move(qualifiers.fValues);
  place.fQualifiers = std::move(qualifiers.fPositions);
  place.fFixed = std::move(qualifiers.fFixed);
  if (!isReference) property.fIsArray = ParseArraySuffix();
  property.fDefault = TCIMValue::Null(property.fType, property.fIsArray);
  if (IsPunct('=')) {
    Advance();
    TInitializer initializer;
    ParseInitializer(initializer);
    property.fDefault =
        Value(initializer, TTarget{"default of property", property.fName, property.fType, property.fIsArray});
  }
  Expect(';', isReference ? "after reference declaration" : "after property declaration");
  declaration.fProperties.push_back(std::move(property));
  places.push_back(std::move(place));
}

// A data type, or a class name followed by REF.
void TMofReader::TSourceParser::ParseTypeSpec(ECIMType& type, std::string& referenceClass, const char* expected) {
  const TToken& token = Current();
  if (token.fKind != ETokenKind::Identifier) Fail(token.fAt, std::string("expected ") + expected);
  if (FindDataType(token, type)) return Advance();
  TPosition at = token.fAt;
  std::string name(token.fBegin, token.fEnd);
  Advance();
  if (!IsKeyword("ref")) Fail(at, "unknown data type '" + name + "' (a reference is written 'ClassName REF name')");
  Advance();
  type = CIMTypeReference;
  referenceClass = name;
}

// "[]" or a fixed size "[4]"; the size is dropped.
bool TMofReader::TSourceParser::ParseArraySuffix() {
  if (!IsPunct('[')) return false;
  Advance();
  if (Current().fKind == ETokenKind::Integer) Advance();
  Expect(']', "closing the array size");
  return true;
}

void TMofReader::TSourceParser::SkipMethodParameters() {
  Advance();
  if (IsPunct(')')) return Advance();
  for (;;) {
    if (IsPunct('[')) CheckScopes(ParseQualifierList(), "parameter");
    ECIMType type;  // dropped with the method
    std::string referenceClass;
    ParseTypeSpec(type, referenceClass, "a parameter declaration");
    TakeIdentifier("a parameter name");
    ParseArraySuffix();
    if (IsPunct('=')) {
      Advance();
      TInitializer ignored;
      ParseInitializer(ignored);
    }
    if (!IsPunct(',')) break;
    Advance();
  }
  Expect(')', "after method parameters");
}

// Declared again: an identical declaration is a no-op, another replaces the
// earlier one while no instance depends on it.
void TMofReader::TSourceParser::DeclareClass(TClassDeclaration declaration, TPosition namePosition,
                                             TPosition superPosition, const TQualifierList& qualifiers,
                                             const std::vector<TFeaturePlaces>& places) {
  const TClassDeclaration* known = fReader.fNamespace->FindClassDeclaration(declaration.fName, fReader.fContext);
  if (known != nullptr && *known == declaration) return;
  CheckOverrides(declaration, qualifiers, places);
  if (known != nullptr) CheckSubclasses(declaration, namePosition);
  const std::string name = declaration.fName;
  try {
    if (known == nullptr) {
      fReader.fNamespace->DeclareClass(std::move(declaration), fReader.fContext);
    } else {
      fReader.fNamespace->RedeclareClass(std::move(declaration), fReader.fContext);
    }
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZAFailed) {
      Fail(namePosition, "cannot declare class '" + name + "' again: it or a subclass already has instances");
    }
    if (e.GetStatusCode() == kQZAInvalidParameter) {
      Fail(superPosition, "class '" + name + "' cannot derive from its own subclass");
    }
    Fail(namePosition, "cannot declare class '" + name + "': " + e.what());
  }
  if (known != nullptr) {
    fClasses.Clear();
    Warn(EMofWarning::Redeclaration, namePosition,
         "class '" + name + "' declared again differently: this declaration replaces the one " +
             EarlierPlace(fReader.fClassPlaces, name));
  } else {
    ++fReader.fClassCount;
  }
  fReader.fClassPlaces[Lower(name)] = PlaceOf(namePosition);
}

// What a subclass may not change: the type of an inherited property, and
// qualifiers whose flavor is DisableOverride.
void TMofReader::TSourceParser::CheckOverrides(const TClassDeclaration& declaration, const TQualifierList& qualifiers,
                                               const std::vector<TFeaturePlaces>& places) {
  if (declaration.fSuperClass.empty()) return;
  const ICIMClass& super = *fClasses.Find(declaration.fSuperClass)->fClass;
  CheckFixedQualifiers(declaration.fQualifiers, qualifiers.fPositions, qualifiers.fFixed, "class", super.GetName(),
                       [&](const std::string& name, bool& found) { return super.GetQualifier(name, found); });
  for (size_t i = 0; i < declaration.fProperties.size(); ++i) {
    const TPropertyDeclaration& property = declaration.fProperties[i];
    boost::shared_ptr<ICIMPropertyDecl> base = super.GetPropertyDecl(property.fName, fReader.fContext);
    if (!base) continue;
    if (!MayOverride(base->GetType(), base->IsArray(), property)) {
      Fail(places[i].fType, "property '" + property.fName + "' is " + CIMTypeName(base->GetType()) +
                                (base->IsArray() ? "[]" : "") + " in class " + super.GetName() +
                                " and cannot be redeclared as " + CIMTypeName(property.fType) +
                                (property.fIsArray ? "[]" : ""));
    }
    CheckFixedQualifiers(property.fQualifiers, places[i].fQualifiers, places[i].fFixed, property.fName, super.GetName(),
                         [&](const std::string& name, bool& found) { return base->GetQualifier(name, found); });
  }
}

// A class declared again must fit its subclasses as a new subclass must
// fit it: none may change the type of a property the class now has.
void TMofReader::TSourceParser::CheckSubclasses(const TClassDeclaration& declaration, TPosition at) {
  std::unordered_map<std::string, std::pair<ECIMType, bool>> shapes;  // by lower-case name
  if (!declaration.fSuperClass.empty()) {
    for (const auto& inherited : fClasses.Find(declaration.fSuperClass)->fClass->GetPropertyDecls(fReader.fContext)) {
      shapes[Lower(inherited->GetName())] = std::make_pair(inherited->GetType(), inherited->IsArray());
    }
  }
  for (const TPropertyDeclaration& own : declaration.fProperties) {
    shapes[Lower(own.fName)] = std::make_pair(own.fType, own.fIsArray);
  }
  auto check = [&](boost::shared_ptr<ICIMClass> subclass) {
    const std::string name = subclass->GetName(fReader.fContext);
    const TClassDeclaration& own = *fReader.fNamespace->FindClassDeclaration(name, fReader.fContext);
    for (const TPropertyDeclaration& property : own.fProperties) {
      auto shape = shapes.find(Lower(property.fName));
      if (shape == shapes.end() || MayOverride(shape->second.first, shape->second.second, property)) continue;
      Fail(at, "class '" + declaration.fName + "' cannot be declared again with property '" + property.fName + "' " +
                   CIMTypeName(shape->second.first) + (shape->second.second ? "[]" : "") + ": its subclass " + name +
                   " declares it " + CIMTypeName(property.fType) + (property.fIsArray ? "[]" : ""));
    }
    return true;
  };
  fClasses.Find(declaration.fName)->fClass->EnumerateSubclasses(check, true, fReader.fContext);
}

void TMofReader::TSourceParser::CheckFixedQualifiers(const std::vector<TQualifierValue>& own,
                                                     const std::vector<TPosition>& positions,
                                                     const std::vector<bool>& fixed, const std::string& property,
                                                     const std::string& super, const TInheritedQualifier& inherited) {
  for (size_t i = 0; i < own.size(); ++i) {
    if (!fixed[i]) continue;
    bool found = false;
    boost::shared_ptr<ICIMQualifier> base;
    try {
      base = inherited(own[i].fName, found);
    } catch (const TQZAException& e) {
      if (e.GetStatusCode() != kQZANotFound) throw;
    }
    if (base && base->GetValue() != own[i].fValue) {
      std::string owner = property == "class" ? "class " + super : "property " + property + " of class " + super;
      Fail(positions[i], "qualifier '" + own[i].fName + "' of " + owner +
                             " cannot be overridden (its flavor is DisableOverride)");
    }
  }
}

void TMofReader::TSourceParser::ParseInstance() {
  TPosition classPosition;
  TClassInfo* cls = ParseInstanceClass(classPosition);
  if (cls == nullptr) return ParseUndeclaredInstance(classPosition, nullptr);
  boost::shared_ptr<ICIMInstance> instance = CreateInstance(*cls, classPosition);
  if (IsKeyword("as")) {
    TPosition at;
    std::string alias = ParseAlias(at);
    fLoad.DefineAlias(alias, instance, fLoad.Place(fLexer.GetFile(), at));
  }
  ParseInstanceBody(*cls, classPosition, [&](TRecordedValue& value) { Apply(instance, value); });
  fLoad.AddInstance(instance, *cls, fLoad.Place(fLexer.GetFile(), classPosition));
  ++fReader.fInstanceCount;
}

// Reads "instance of" and the class name; answers the class, or none for an
// undeclared class whose instances are skipped.
TClassInfo* TMofReader::TSourceParser::ParseInstanceClass(TPosition& classPosition) {
  Advance();
  ExpectKeyword("of", "of", "after 'instance'");
  classPosition = Current().fAt;
  if (Current().fKind != ETokenKind::Identifier) Fail(classPosition, "expected a class name after 'instance of'");
  fName.assign(Current().fBegin, Current().fEnd);
  TClassInfo* cls = fClasses.Find(fName);
  if (cls == nullptr && !fReader.fSkipUndeclared) Fail(classPosition, "unknown class '" + fName + "'");
  if (cls != nullptr && !cls->fPrepared) fClasses.Prepare(*cls);
  if (cls != nullptr && cls->fAbstract) {
    Fail(classPosition, "class " + cls->fName + " is abstract: it cannot have instances");
  }
  Advance();
  return cls;
}

boost::shared_ptr<ICIMInstance> TMofReader::TSourceParser::CreateInstance(const TClassInfo& cls, TPosition at,
                                                                          std::vector<TPropertySetting> settings) {
  try {
    return fReader.fNamespace->CreateInstance(*cls.fClass, std::move(settings), fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(at, "cannot create an instance of '" + cls.fName + "': " + e.what());
  }
}

std::string TMofReader::TSourceParser::ParseAlias(TPosition& at) {
  Advance();
  at = Current().fAt;
  if (Current().fKind != ETokenKind::Alias) Fail(at, "expected an alias after 'as'");
  std::string alias(Current().fBegin, Current().fEnd);
  Advance();
  return alias;
}

// From '{' to the closing ';': each value goes to take as it is read.
template <typename TTake>
void TMofReader::TSourceParser::ParseInstanceBody(TClassInfo& cls, TPosition classPosition, const TTake& take) {
  Expect('{', "to open the instance body");
  const uint64_t serial = fClasses.NextInstanceSerial();
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected '}' closing the instance");
    ParsePropertyValue(cls, serial, take);
  }
  Advance();
  Expect(';', "after instance declaration");
  for (const std::pair<size_t, std::string>& key : cls.fRequiredKeys) {
    if (cls.fLastSet[key.first] != serial) {
      Fail(classPosition, "instance of " + cls.fName + " has no value for its key property '" + key.second + "'");
    }
  }
}

// An instance of an undeclared class: read in full like any other, then
// skipped with a warning; its alias names no instance. Read ahead, the
// alias and the warning wait in record.
void TMofReader::TSourceParser::ParseUndeclaredInstance(TPosition classPosition, TInstanceRecord* record) {
  const std::string className = fName;
  if (IsKeyword("as")) {
    TPosition at;
    std::string alias = ParseAlias(at);
    if (record != nullptr) {
      record->fAlias = std::move(alias);
      record->fAliasAt = at;
    } else {
      fLoad.DefineAlias(alias, boost::shared_ptr<ICIMInstance>(), fLoad.Place(fLexer.GetFile(), at));
    }
  }
  Expect('{', "to open the instance body");
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected '}' closing the instance");
    SkipValueQualifiers();
    TakeIdentifier("a property name");
    Expect('=', "after the property name");
    ParseInitializer(fValue);
    Expect(';', "after property value");
  }
  Advance();
  Expect(';', "after instance declaration");
  if (record != nullptr) {
    record->fClassName = className;
  } else {
    WarnOfUndeclared(className, classPosition);
  }
}

void TMofReader::TSourceParser::WarnOfUndeclared(const std::string& className, TPosition at) const {
  Warn(EMofWarning::UndeclaredInstance, at, "instance of undeclared class '" + className + "' skipped");
}

// Qualifiers on an instance's values are read and dropped; their checks
// need the load's qualifier state, so text read ahead leaves them to the
// reader.
void TMofReader::TSourceParser::SkipValueQualifiers() {
  if (!IsPunct('[')) return;
  if (fReadingAhead) throw TLeftToReader();
  ParseQualifierList();
}

template <typename TTake>
void TMofReader::TSourceParser::ParsePropertyValue(TClassInfo& cls, uint64_t serial, const TTake& take) {
  SkipValueQualifiers();
  TPosition nameAt = Current().fAt;
  const TPropertyInfo& property = FindProperty(cls);
  if (cls.fLastSet[property.fSlot] == serial) Fail(nameAt, "property '" + property.fName + "' is given twice");
  cls.fLastSet[property.fSlot] = serial;
  Expect('=', "after the property name");
  ParseInitializer(fValue);
  TTarget target{"property", property.fName, property.fType, property.fIsArray};
  TRecordedValue value{&property, TCIMValue(), std::string(), fValue.fAt};
  if (!fValue.fIsArray && fValue.fScalar.fKind == ELiteralKind::Alias) {
    if (property.fType != CIMTypeReference) FailValue(fValue.fAt, target, "found an alias");
    value.fAlias = fValue.fScalar.fText;
  } else {
    if (property.fIsKey && !fValue.fIsArray && fValue.fScalar.fKind == ELiteralKind::Null) {
      FailValue(fValue.fAt, target, "a key property cannot be NULL");
    }
    value.fValue = Value(fValue, target);
  }
  take(value);
  Expect(';', "after property value");
}

// Sets a value read on the instance, or keeps its reference by alias for
// the end of the load.
void TMofReader::TSourceParser::Apply(const boost::shared_ptr<ICIMInstance>& instance, TRecordedValue& value) {
  const TPropertyInfo& property = *value.fProperty;
  if (!value.fAlias.empty()) {
    return fLoad.AddPendingReference(instance, property, value.fAlias, fLoad.Place(fLexer.GetFile(), value.fAt));
  }
  try {
    instance->SetPropertyValue(property.fName, std::move(value.fValue), fReader.fContext);
  } catch (const TQZAException& e) {
    FailValue(value.fAt, TTarget{"property", property.fName, property.fType, property.fIsArray}, e.what());
  }
}

const TPropertyInfo& TMofReader::TSourceParser::FindProperty(TClassInfo& cls) {
  if (Current().fKind != ETokenKind::Identifier) Fail(Current().fAt, "expected a property name");
  TPosition at = Current().fAt;
  fName.assign(Current().fBegin, Current().fEnd);
  Advance();
  auto known = cls.fProperties.find(fName);
  if (known != cls.fProperties.end()) return known->second;
  boost::shared_ptr<ICIMPropertyDecl> declaration = cls.fClass->GetPropertyDecl(fName, fReader.fContext);
  if (!declaration) Fail(at, "unknown property '" + fName + "' of class '" + cls.fName + "'");
  size_t slot = cls.fSlots.at(Lower(declaration->GetName()));
  TPropertyInfo info{declaration->GetName(), declaration->GetType(), declaration->IsArray(),
                     cls.fIsKey[slot],       cls.fAffectsPath[slot],  slot};
  return cls.fProperties.emplace(fName, std::move(info)).first->second;
}
// ----------------------------------------------------------------------- values

void TMofReader::TSourceParser::ParseInitializer(TInitializer& initializer) {
  initializer.fAt = Current().fAt;
  initializer.fIsArray = IsPunct('{');
  if (!initializer.fIsArray) return ParseLiteral(initializer.fScalar);
  Advance();
  initializer.fElements.clear();
  if (IsPunct('}')) return Advance();
  for (;;) {
    initializer.fElements.emplace_back();
    ParseLiteral(initializer.fElements.back());
    if (!IsPunct(',')) break;
    Advance();
  }
  Expect('}', "closing the array value");
}

void TMofReader::TSourceParser::ParseLiteral(TLiteral& literal) {
  const TToken& token = Current();
  literal.fAt = token.fAt;
  switch (token.fKind) {
    case ETokenKind::String:
      literal.fKind = ELiteralKind::String;
      literal.fText.clear();
      ParseStringLiteral(literal.fText);
      return;
    case ETokenKind::Char:
      literal.fKind = ELiteralKind::Char;
      literal.fText.clear();
      AppendDecoded(token.fBegin, token.fEnd, literal.fText);
      break;
    case ETokenKind::Integer:
      literal.fKind = ELiteralKind::Integer;
      literal.fNegative = token.fNegative;
      literal.fMagnitude = token.fMagnitude;
      break;
    case ETokenKind::Real:
      literal.fKind = ELiteralKind::Real;
      literal.fReal = token.fReal;
      break;
    case ETokenKind::Alias:
      literal.fKind = ELiteralKind::Alias;
      literal.fText.assign(token.fBegin, token.fEnd);
      break;
    case ETokenKind::Identifier:
      if (EqualsNoCase(token.fBegin, token.fEnd, "true") || EqualsNoCase(token.fBegin, token.fEnd, "false")) {
        literal.fKind = ELiteralKind::Boolean;
        literal.fBool = EqualsNoCase(token.fBegin, token.fEnd, "true");
        break;
      }
      if (EqualsNoCase(token.fBegin, token.fEnd, "null")) {
        literal.fKind = ELiteralKind::Null;
        break;
      }
      Fail(token.fAt, "expected a value");
    default:
      Fail(token.fAt, "expected a value");
  }
  Advance();
}

// Appends the string, whose adjacent literals make one.
void TMofReader::TSourceParser::ParseStringLiteral(std::string& text) {
  do {
    const TToken& token = Current();
    if (token.fEscaped) {
      AppendDecoded(token.fBegin, token.fEnd, text);
    } else {
      text.append(token.fBegin, token.fEnd);
    }
    Advance();
  } while (Current().fKind == ETokenKind::String);
}

// The value converted to the target's declared type. A qualifier may give one
// value for an array type ("Deprecated("x")"); property values may not.
TCIMValue TMofReader::TSourceParser::Value(const TInitializer& initializer, const TTarget& target,
                                           bool scalarMayFillArray) {
  if (!initializer.fIsArray && initializer.fScalar.fKind == ELiteralKind::Null) {
    return TCIMValue::Null(target.fType, target.fIsArray);
  }
  if (initializer.fIsArray && !target.fIsArray) FailValue(initializer.fAt, target, "found an array");
  if (!initializer.fIsArray && target.fIsArray && !scalarMayFillArray) {
    FailValue(initializer.fAt, target, "expected an array value '{ ... }'");
  }
  if (!target.fIsArray) return ScalarValue(initializer.fScalar, target);
  std::vector<TCIMValue> elements;
  if (!initializer.fIsArray) {
    elements.push_back(ScalarValue(initializer.fScalar, target));
  } else {
    elements.reserve(initializer.fElements.size());
    for (const TLiteral& element : initializer.fElements) elements.push_back(ScalarValue(element, target));
  }
  return TCIMValue::Array(target.fType, std::move(elements));
}

TCIMValue TMofReader::TSourceParser::ScalarValue(const TLiteral& literal, const TTarget& target) {
  ECIMType type = target.fType;
  if (!Accepts(type, literal.fKind)) FailValue(literal.fAt, target, std::string("found ") + KindText(literal.fKind));
  switch (literal.fKind) {
    case ELiteralKind::Null: return TCIMValue::Null(type);
    case ELiteralKind::Boolean: return TCIMValue(literal.fBool);
    case ELiteralKind::Integer: {
      bool fits = false;
      TCIMValue value = IntegerAs(literal.fNegative, literal.fMagnitude, type, fits);
      if (!fits) FailValue(literal.fAt, target, "out of range");
      return value;
    }
    case ELiteralKind::Real:
      if (type == CIMTypeReal64) return TCIMValue(literal.fReal);
      if (std::fabs(literal.fReal) > std::numeric_limits<float>::max()) FailValue(literal.fAt, target, "out of range");
      return TCIMValue::Real32(static_cast<float>(literal.fReal));
    default: return TextValue(literal, target);
  }
}

// Strings become strings, date-times or object paths; characters char16.
TCIMValue TMofReader::TSourceParser::TextValue(const TLiteral& literal, const TTarget& target) {
  if (target.fType == CIMTypeString) return TCIMValue(literal.fText);
  try {
    if (target.fType == CIMTypeChar16) return TCIMValue(literal.fText).ConvertTo(CIMTypeChar16, false);
  } catch (const TQZAException&) {
    FailValue(literal.fAt, target, "expected one character of UCS-2");
  }
  try {
    if (target.fType == CIMTypeDateTime) {
      TCIMDateTime value(literal.fText);
      std::string impossible = ImpossibleField(value);
      if (!impossible.empty()) FailValue(literal.fAt, target, "\"" + literal.fText + "\" has " + impossible);
      return TCIMValue(value);
    }
    return TCIMValue(TCIMReference(fNamespace, literal.fText, fReader.fContext));
  } catch (const TQZAException&) {
    FailValue(literal.fAt, target,
              "\"" + literal.fText + "\" is not " +
                  (target.fType == CIMTypeDateTime ? "a CIM datetime" : "an object path"));
  }
}

// The value of an undeclared qualifier, typed by its literals: integers as
// sint64 (uint64 beyond), reals real64, mixed integers and reals real64.
TCIMValue TMofReader::TSourceParser::UntypedValue(const TInitializer& initializer, const std::string& qualifier) {
  if (!initializer.fIsArray) {
    const TLiteral& literal = initializer.fScalar;
    if (literal.fKind == ELiteralKind::Null) return TCIMValue();
    ECIMType type = CommonType(std::vector<TLiteral>(1, literal));
    return ScalarValue(literal, TTarget{"qualifier", qualifier, type, false});
  }
  ECIMType type = CommonType(initializer.fElements);
  return Value(initializer, TTarget{"qualifier", qualifier, type, true});
}

ECIMType TMofReader::TSourceParser::CommonType(const std::vector<TLiteral>& elements) {
  ECIMType common = CIMTypeNone;
  for (const TLiteral& element : elements) {
    ECIMType type = CIMTypeNone;
    switch (element.fKind) {
      case ELiteralKind::Null: continue;
      case ELiteralKind::Boolean: type = CIMTypeBoolean; break;
      case ELiteralKind::Integer:
        type = !element.fNegative && element.fMagnitude > uint64_t(INT64_MAX) ? CIMTypeUInt64 : CIMTypeSInt64;
        break;
      case ELiteralKind::Real: type = CIMTypeReal64; break;
      case ELiteralKind::String: type = CIMTypeString; break;
      case ELiteralKind::Char: type = CIMTypeChar16; break;
      case ELiteralKind::Alias: Fail(element.fAt, "an alias cannot be a qualifier value");
    }
    bool bothNumbers = (IsIntegerType(common) || IsRealType(common)) && (IsIntegerType(type) || IsRealType(type));
    if (common == CIMTypeNone || common == type) {
      common = type;
    } else if (bothNumbers) {
      common = IsRealType(common) || IsRealType(type) ? CIMTypeReal64 : CIMTypeUInt64;
    } else {
      Fail(element.fAt, "array elements of one value must have one type");
    }
  }
  return common == CIMTypeNone ? CIMTypeString : common;
}

void TMofReader::TSourceParser::FailValue(TPosition at, const TTarget& target, const std::string& reason) const {
  Fail(at, std::string("bad value for ") + target.fWhat + " '" + target.fName + "' of type " +
               CIMTypeName(target.fType) + (target.fIsArray ? "[]" : "") + ": " + reason);
}

// ------------------------------------------------------------------- read ahead

// A long run of instances is read by threads ahead of this one, a piece
// each, while this one adds what they read in text order: so instances,
// warnings and errors come as reading alone gives them. A piece that meets
// anything else, or an error, ends there, and this thread reads on alone.
bool TMofReader::TSourceParser::MayReadAhead() const {
  return fReader.fReadAheadThreads > 0 && !fReadingAhead && IsKeyword("instance") &&
         static_cast<size_t>(fLexer.End() - fLexer.TokenStart()) >= 2 * fReader.fReadAheadBytes;
}

void TMofReader::TSourceParser::ReadAhead() {
  std::vector<TTextPiece> pieces =
      SplitText(fLexer.TokenStart(), Current().fAt, fLexer.End(), fReader.fReadAheadBytes);
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0;
  size_t committed = 0;
  bool stop = false;
  // Pieces read but not yet added hold their values: a few per thread.
  const size_t window = 2 * fReader.fReadAheadThreads;
  auto read = [&](TClassCache* classes) {
    for (;;) {
      size_t index;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return stop || next == pieces.size() || next < committed + window; });
        if (stop || next == pieces.size()) return;
        index = next++;
      }
      ReadPiece(pieces[index], *classes);
      std::lock_guard<std::mutex> lock(mutex);
      pieces[index].fRead = true;
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  auto stopThreads = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads) thread.join();
    threads.clear();
  };
  struct TStopper {
    const std::function<void()> fStop;
    ~TStopper() { fStop(); }
  } stopper{stopThreads};
  for (unsigned i = 0; i < fReader.fReadAheadThreads; ++i) threads.emplace_back(read, &fLoad.NewReaderCache());

  int lineShift = 0;
  for (size_t index = 0; index < pieces.size(); ++index) {
    TTextPiece& piece = pieces[index];
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return piece.fRead; });
    }
    for (TInstanceRecord& record : piece.fRecords) Commit(record, lineShift);
    std::vector<TInstanceRecord>().swap(piece.fRecords);
    if (fMapped) LetGo(piece.fBegin, piece.fStop);
    const TPosition stopAt{piece.fStopAt.fLine + lineShift, piece.fStopAt.fColumn};
    const bool last = index + 1 == pieces.size();
    if (last || !piece.fComplete || piece.fStop != pieces[index + 1].fBegin) {
      stopThreads();
      return fLexer.MoveTo(piece.fStop, stopAt);
    }
    lineShift = stopAt.fLine - 1;
    {
      std::lock_guard<std::mutex> lock(mutex);
      committed = index + 1;
    }
    changed.notify_all();
  }
}

// The pages of a mapped text wholly within [begin, end) leave the memory
// of the process; read again, they would come from the file again. A large
// collection's text is as large as a third of what its instances take.
void TMofReader::TSourceParser::LetGo(const char* begin, const char* end) {
  const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) / page * page;
  const uintptr_t last = reinterpret_cast<uintptr_t>(end) / page * page;
  if (page > 0 && first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

// On a thread of its own: never throws.
void TMofReader::TSourceParser::ReadPiece(TTextPiece& piece, TClassCache& classes) {
  piece.fStop = piece.fBegin;
  piece.fStopAt = piece.fAt;
  try {
    TSourceParser reader(fLoad, classes, piece.fBegin, piece.fAt, fLexer.End(), fLexer.GetFile());
    reader.fReadingAhead = true;
    reader.RecordPiece(piece);
  } catch (...) {
    // The reader meets the same failure at piece.fStop and reports it.
  }
}

void TMofReader::TSourceParser::RecordPiece(TTextPiece& piece) {
  while (Current().fKind != ETokenKind::End && fLexer.TokenStart() < piece.fLimit && IsKeyword("instance")) {
    TInstanceRecord record;
    record.fClass = ParseInstanceClass(record.fClassAt);
    if (record.fClass == nullptr) {
      ParseUndeclaredInstance(record.fClassAt, &record);
    } else {
      if (IsKeyword("as")) record.fAlias = ParseAlias(record.fAliasAt);
      record.fSettings.reserve(record.fClass->fMostValues);
      ParseInstanceBody(*record.fClass, record.fClassAt, [&record](TRecordedValue& value) {
        if (!value.fAlias.empty()) return record.fReferences.push_back(std::move(value));
        const TPropertyInfo& property = *value.fProperty;
        record.fSettings.push_back(TPropertySetting{static_cast<uint32_t>(property.fSlot),
                                                    std::move(value.fValue).ConvertTo(property.fType, property.fIsArray)});
      });
      std::sort(record.fSettings.begin(), record.fSettings.end(),
                [](const TPropertySetting& a, const TPropertySetting& b) { return a.fIndex < b.fIndex; });
      record.fClass->fMostValues = std::max(record.fClass->fMostValues, record.fSettings.size());
    }
    piece.fRecords.push_back(std::move(record));
    piece.fStop = fLexer.TokenStart();
    piece.fStopAt = Current().fAt;
  }
  piece.fComplete = Current().fKind == ETokenKind::End || fLexer.TokenStart() >= piece.fLimit;
}

// Adds an instance read ahead as reading it here would have; lineShift
// turns its piece's lines into the text's.
void TMofReader::TSourceParser::Commit(TInstanceRecord& record, int lineShift) {
  auto shifted = [lineShift](TPosition at) { return TPosition{at.fLine + lineShift, at.fColumn}; };
  const std::string& file = fLexer.GetFile();
  if (record.fClass == nullptr) {
    if (!record.fAlias.empty()) {
      fLoad.DefineAlias(record.fAlias, boost::shared_ptr<ICIMInstance>(), fLoad.Place(file, shifted(record.fAliasAt)));
    }
    return WarnOfUndeclared(record.fClassName, shifted(record.fClassAt));
  }
  boost::shared_ptr<ICIMInstance> instance =
      CreateInstance(*record.fClass, shifted(record.fClassAt), std::move(record.fSettings));
  if (!record.fAlias.empty()) fLoad.DefineAlias(record.fAlias, instance, fLoad.Place(file, shifted(record.fAliasAt)));
  for (TRecordedValue& value : record.fReferences) {
    value.fAt = shifted(value.fAt);
    Apply(instance, value);
  }
  fLoad.AddInstance(instance, *record.fClass, fLoad.Place(file, shifted(record.fClassAt)));
  ++fReader.fInstanceCount;
}

// ------------------------------------------------------------------------ load

namespace {

// The folder below which a path lies, in canonical form ("" when it cannot be told).
std::string CanonicalFolder(const fs::path& folder) {
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(fs::absolute(folder, error), error);
  return error ? "" : canonical.string();
}

// A folder as written (absolute) and with its links resolved: names are
// checked against the first before opening, real paths against the second.
void AddFolderForms(const fs::path& folder, std::vector<std::string>& folders) {
  std::error_code error;
  for (const std::string& form : {fs::absolute(folder, error).lexically_normal().string(), CanonicalFolder(folder)}) {
    std::string trimmed = form.size() > 1 && form.back() == '/' ? form.substr(0, form.size() - 1) : form;
    if (!trimmed.empty() && std::find(folders.begin(), folders.end(), trimmed) == folders.end()) {
      folders.push_back(trimmed);
    }
  }
}

bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  if (folder == "/") return true;
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

TMofReader::TLoad::TLoad(TMofReader& reader, const std::string& start)
    : fReader(reader), fAllowedFolders(reader.fAllowedFolders), fClasses(reader.fNamespace, reader.fContext) {
  // A bare file name lies in the current folder.
  const fs::path folder = fs::path(start).parent_path();
  AddFolderForms(folder.empty() ? fs::path(".") : folder, fAllowedFolders);
}

size_t TMofReader::TLoad::FileIndex(const std::string& file) {
  if (fFiles.empty() || fFiles.back() != file) fFiles.push_back(file);
  return fFiles.size() - 1;
}

std::string TMofReader::TLoad::PlaceText(const TPlace& place) const {
  return fFiles[place.fFile] + ":" + std::to_string(place.fAt.fLine) + ":" + std::to_string(place.fAt.fColumn);
}

void TMofReader::TLoad::Fail(const TPlace& place, const std::string& problem) const {
  throw TMofError(fFiles[place.fFile], place.fAt.fLine, place.fAt.fColumn, problem);
}

void TMofReader::TLoad::ReadSource(const char* text, size_t size, const std::string& file, const std::string& key,
                                   bool mapped) {
  std::string decoded;
  std::string problem = TakeUtf8(text, size, decoded);
  if (!problem.empty()) throw TMofError(file, 0, 0, problem);
  fReader.fReadFiles.insert(key);
  fIncludeKeys.push_back(key);
  fIncludeNames.push_back(file);
  TSourceParser parser(*this, text, size, file);
  parser.SetMapped(mapped && decoded.empty());
  parser.Run();
  fIncludeKeys.pop_back();
  fIncludeNames.pop_back();
}

// Symbolic links are followed before the check, so that none leads out.
bool TMofReader::TLoad::MayInclude(const fs::path& path) const { return IsBelowAllowed(CanonicalFolder(path)); }

bool TMofReader::TLoad::IsBelowAllowed(const std::string& path) const {
  for (const std::string& folder : fAllowedFolders) {
    if (IsBelow(path, folder)) return true;
  }
  return false;
}

void TMofReader::TLoad::Refuse(const std::string& relative, const TLexer& from, TPosition at) const {
  std::string folders;
  for (const std::string& folder : fAllowedFolders) folders += (folders.empty() ? "" : ", ") + folder;
  from.Fail(at, "include of '" + relative + "' refused: a collection reads only files below " + folders);
}

// Nothing of a refused file is read, and messages never tell whether it
// exists.
void TMofReader::TLoad::Include(const std::string& relative, const TLexer& from, TPosition at) {
  std::string portable(relative);
  for (char& c : portable) {
    if (c == '\\') c = '/';
  }
  fs::path path = fs::path(from.GetFile()).parent_path() / portable;
  if (fs::path(portable).is_absolute()) path = portable;
  std::string file = path.lexically_normal().string();
  // By name first, touching nothing; by the opened file's real path after,
  // so that no symbolic link leads out (resolving every name before opening
  // would cost a call per folder of each of the schema's many includes).
  std::error_code error;
  const std::string absolute = path.is_absolute() ? file : fs::absolute(path, error).lexically_normal().string();
  if (!IsBelowAllowed(absolute)) Refuse(relative, from, at);
  if (fIncludeSites.size() + 1 >= static_cast<size_t>(kMaxIncludeDepth)) {
    Fail(fIncludeSites.front(), "includes nest deeper than " + std::to_string(kMaxIncludeDepth) +
                                    " files, down to '" + file + "'");
  }
  std::string key = FileKey(path);
  for (size_t i = 0; i < fIncludeKeys.size(); ++i) {
    if (fIncludeKeys[i] != key) continue;
    std::string chain;
    for (size_t j = i; j < fIncludeNames.size(); ++j) chain += fIncludeNames[j] + " -> ";
    from.Fail(at, "include cycle: " + chain + file);
  }
  if (fReader.fReadFiles.count(key)) return;
  TFileText text;
  TFileText::EOpened opened = text.Open(file);
  const std::string real = text.RealPath();
  bool inside = opened != TFileText::kUnreadable && !real.empty() ? IsBelowAllowed(real) : MayInclude(path);
  if (!inside) Refuse(relative, from, at);
  if (opened == TFileText::kNotRegular) from.Fail(at, "include file '" + file + "' is not a regular file");
  if (fBuffers.size() <= fIncludeSites.size()) fBuffers.resize(fIncludeSites.size() + 1);
  if (opened == TFileText::kUnreadable || !text.Read(&fBuffers[fIncludeSites.size()])) {
    from.Fail(at, "cannot read include file '" + file + "'");
  }
  fIncludeSites.push_back(TPlace{FileIndex(from.GetFile()), at});
  ReadSource(text.Data(), text.Size(), file, key, text.IsMapped());
  fIncludeSites.pop_back();
}

TClassInfo* TClassCache::Find(const std::string& name) {
  auto known = fClasses.find(name);
  if (known != fClasses.end()) return known->second.get();
  std::unique_ptr<TClassInfo> info(new TClassInfo);
  try {
    info->fClass = fNamespace->GetClass(name, fContext);
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZANotFound) return nullptr;
    throw;
  }
  info->fName = info->fClass->GetName(fContext);
  return fClasses.emplace(name, std::move(info)).first->second.get();
}

// What instances of the class need: which properties are keys, which make
// the path, which keys must be given, whether it may have instances at all.
void TClassCache::Prepare(TClassInfo& cls) {
  const TCIMContext& context = fContext;
  cls.fAbstract = ClassQualifierIsTrue(*cls.fClass, "Abstract", context);
  std::vector<boost::shared_ptr<ICIMPropertyDecl>> declarations = cls.fClass->GetPropertyDecls(context);
  bool keyless = true;
  for (size_t slot = 0; slot < declarations.size(); ++slot) {
    const ICIMPropertyDecl& declaration = *declarations[slot];
    bool isKey = HasTrueQualifier(declaration.GetQualifiers(context), "Key");
    keyless = keyless && !isKey;
    cls.fSlots.emplace(Lower(declaration.GetName(context)), slot);
    cls.fIsKey.push_back(isKey);
    if (isKey && declaration.GetDefaultValue(context).IsNull()) {
      cls.fRequiredKeys.emplace_back(slot, declaration.GetName(context));
    }
  }
  cls.fAffectsPath = keyless ? std::vector<bool>(declarations.size(), true) : cls.fIsKey;
  cls.fLastSet.assign(declarations.size(), 0);
  cls.fPrepared = true;
}

const TQualifierTraits& TMofReader::TLoad::Traits(const TQualifierType& type) {
  auto known = fQualifierTraits.find(type.fName);
  if (known != fQualifierTraits.end()) return known->second;
  return fQualifierTraits.emplace(type.fName, TraitsOf(type)).first->second;
}

TClassCache& TMofReader::TLoad::NewReaderCache() {
  fReaderCaches.emplace_back(new TClassCache(fReader.fNamespace, fReader.fContext));
  return *fReaderCaches.back();
}

void TMofReader::TLoad::DefineAlias(const std::string& name, boost::shared_ptr<ICIMInstance> instance,
                                    const TPlace& place) {
  TAlias alias;
  alias.fInstance = std::move(instance);
  alias.fName = name;
  if (!fAliases.emplace(Lower(name), std::move(alias)).second) {
    Fail(place, "alias $" + name + " is already defined");
  }
}

TMofReader::TLoad::TAlias* TMofReader::TLoad::FindAlias(const std::string& name) {
  auto found = fAliases.find(Lower(name));
  return found == fAliases.end() ? nullptr : &found->second;
}

void TMofReader::TLoad::AddPendingReference(boost::shared_ptr<ICIMInstance> instance, const TPropertyInfo& property,
                                            const std::string& alias, const TPlace& place) {
  if (property.fAffectsPath) fKeyReferences[instance.get()].push_back(fPending.size());
  fPending.push_back(TPendingReference{instance, &property, alias, FindAlias(alias), place, false});
}

void TMofReader::TLoad::AddInstance(boost::shared_ptr<ICIMInstance> instance, const TClassInfo& cls,
                                    const TPlace& place) {
  fCreated.push_back(TCreated{std::move(instance), &cls.fName, place});
}

void TMofReader::TLoad::Finish() {
  for (TPendingReference& pending : fPending) {
    if (!pending.fDone) SetReference(pending, 0);
  }
  fPending.clear();
  fKeyReferences.clear();
  ReplaceDuplicates();
}

// Sets the reference to the path of the alias's instance. depth counts the
// paths being taken around it, each waiting for this one.
void TMofReader::TLoad::SetReference(TPendingReference& pending, int depth) {
  TAlias* alias = pending.fTarget != nullptr ? pending.fTarget : FindAlias(pending.fAlias);
  const std::string& property = pending.fProperty->fName;
  if (alias == nullptr) Fail(pending.fPlace, "unknown alias $" + pending.fAlias);
  if (!alias->fInstance) {
    pending.fDone = true;
    fReader.Warn(EMofWarning::UnsetReference,
                 TMofError(fFiles[pending.fPlace.fFile], pending.fPlace.fAt.fLine, pending.fPlace.fAt.fColumn,
                           "reference '" + property + "' to skipped $" + pending.fAlias + " left unset"));
    return;
  }
  // Done only now: meeting this reference again while its target's path is
  // being taken means that the keys form a cycle.
  const TAlias& target = ResolvedAlias(*alias, pending, depth);
  pending.fDone = true;
  try {
    pending.fInstance->SetPropertyValue(property, target.fReference, fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(pending.fPlace, "cannot set reference '" + property + "' to $" + pending.fAlias + ": " + e.what());
  }
}

// The alias with its path taken, once the references among its instance's
// keys are set: an association keyed by other associations gets their
// whole paths, whatever the order of the instances.
const TMofReader::TLoad::TAlias& TMofReader::TLoad::ResolvedAlias(TAlias& alias, const TPendingReference& use,
                                                                  int depth) {
  if (alias.fState == TAlias::kDone) return alias;
  if (alias.fState == TAlias::kResolving) {
    Fail(use.fPlace, "the keys of $" + alias.fName + " refer back to it through references (a cycle)");
  }
  if (depth > kMaxKeyReferenceDepth) {
    Fail(use.fPlace, "references nest more than " + std::to_string(kMaxKeyReferenceDepth) +
                         " deep in object paths (from $" + alias.fName + ")");
  }
  alias.fState = TAlias::kResolving;
  auto keys = fKeyReferences.find(alias.fInstance.get());
  if (keys != fKeyReferences.end()) {
    for (size_t index : keys->second) {
      TPendingReference& key = fPending[index];
      if (key.fDone) continue;
      SetReference(key, depth + 1);
    }
  }
  TCIMReference reference = alias.fInstance->GetReference(fReader.fContext);
  alias.fReference = TCIMValue(reference);
  if (alias.fReference.ToString().size() > kMaxReferencePathBytes) {
    Fail(use.fPlace, "the object path of $" + alias.fName + " exceeds " +
                         std::to_string(kMaxReferencePathBytes >> 20) + " MB");
  }
  alias.fState = TAlias::kDone;
  return alias;
}

// A later instance with the path of an earlier one replaces it, as a CIM
// server's create-then-modify would; strict reading refuses it.
// Paths are kept as hashes only, sorted: a million path strings, or a hash
// map node per instance, cost more than the paths themselves. Only
// instances whose hashes meet have their paths compared.
void TMofReader::TLoad::ReplaceDuplicates() {
  const std::hash<std::string> hash;
  auto pathOf = [this](size_t i) { return fCreated[i].fInstance->GetReference(fReader.fContext).GetPath(); };
  std::vector<std::pair<size_t, size_t>> byHash(fCreated.size());  // hash, index
  // Taking the paths reads the instances only: the read-ahead threads may share it.
  InParallel(fCreated.size(), fReader.fReadAheadThreads, 1024, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) byHash[i] = std::make_pair(hash(pathOf(i)), i);
  });
  std::sort(byHash.begin(), byHash.end());
  std::vector<std::pair<size_t, size_t>> replacing;  // later index, the index it replaces
  for (auto run = byHash.begin(); run != byHash.end();) {
    auto runEnd = std::find_if(run, byHash.end(),
                               [run](const std::pair<size_t, size_t>& each) { return each.first != run->first; });
    std::vector<std::pair<std::string, size_t>> latest;  // each path of the run, with its latest instance
    for (auto member = run; runEnd - run > 1 && member != runEnd; ++member) {
      std::string path = pathOf(member->second);
      auto same = std::find_if(latest.begin(), latest.end(),
                               [&path](const std::pair<std::string, size_t>& each) { return each.first == path; });
      if (same == latest.end()) {
        latest.emplace_back(std::move(path), member->second);
      } else {
        replacing.emplace_back(member->second, same->second);
        same->second = member->second;
      }
    }
    run = runEnd;
  }
  std::sort(replacing.begin(), replacing.end());
  std::vector<boost::shared_ptr<ICIMInstance>> replaced;
  for (const std::pair<size_t, size_t>& pair : replacing) {
    const TCreated& created = fCreated[pair.first];
    const TCreated& earlier = fCreated[pair.second];
    std::string problem = "instance of " + *created.fClassName + " has the object path of the instance at " +
                          PlaceText(earlier.fPlace);
    if (fReader.fStrict) Fail(created.fPlace, problem);
    fReader.Warn(EMofWarning::DuplicateInstance,
                 TMofError(fFiles[created.fPlace.fFile], created.fPlace.fAt.fLine, created.fPlace.fAt.fColumn,
                           problem + ", which it replaces"));
    replaced.push_back(earlier.fInstance);
  }
  fReader.fNamespace->DeleteInstances(replaced, fReader.fContext);
  fReader.fInstanceCount -= replaced.size();
  fCreated.clear();
}

// ---------------------------------------------------------------------- reader

TMofReader::TMofReader(boost::shared_ptr<TMemoryNamespace> ns, TCIMContext context)
    : fNamespace(std::move(ns)), fContext(std::move(context)) {}

TMofReader::~TMofReader() {}

void TMofReader::AllowIncludesBelow(const std::string& folder) { AddFolderForms(folder, fAllowedFolders); }

void TMofReader::LoadFile(const std::string& path) {
  TFileText text;
  TFileText::EOpened opened = text.Open(path);
  if (opened == TFileText::kNotRegular) throw TMofError(path, 0, 0, "not a regular file");
  if (opened == TFileText::kUnreadable || !text.Read()) throw TMofError(path, 0, 0, "cannot read the file");
  Load(text.Data(), text.Size(), path, text.IsMapped());
}

void TMofReader::LoadText(const std::string& text, const std::string& name) {
  Load(text.c_str(), text.size(), name, false);
}

void TMofReader::Load(const char* text, size_t size, const std::string& name, bool mapped) {
  TLoad load(*this, name);
  load.ReadSource(text, size, name, FileKey(name), mapped);
  load.Finish();
}

}  // namespace NVKXQZA20
