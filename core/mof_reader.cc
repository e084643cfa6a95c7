#include "core/mof_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

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
enum : uint8_t { kDigit = 1, kIdentifierStart = 2, kStringStop = 4, kBlank = 8, kPunct = 16 };

struct TCharClasses {
  uint8_t fClasses[256] = {};
  constexpr TCharClasses() {
    for (int c = 0; c < 256; ++c) {
      if (c >= '0' && c <= '9') fClasses[c] |= kDigit;
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80) fClasses[c] |= kIdentifierStart;
    }
    for (char c : {'"', '\\', '\n', '\r', '\0'}) fClasses[static_cast<unsigned char>(c)] |= kStringStop;
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

  const std::string& GetFile() const { return fFile; }
  const TToken& Current() const { return fToken; }
  // Just after the previous token: where a missing ';' belongs.
  TPosition AfterPrevious() const { return fAfterPrevious; }

  void Advance() {
    fAfterPrevious = TPosition{fLine, Column(fPos)};
    SkipBlanksAndComments();
    fToken = TToken();
    fToken.fAt = TPosition{fLine, Column(fPos)};
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

  // A string ends on its own line; the next literal may continue it.
  void LexString() {
    const char* p = fPos + 1;
    for (;;) {
      while (!HasClass(*p, kStringStop)) ++p;
      char c = *p;
      if (c == '"') break;
      if (c == '\\') {
        fToken.fEscaped = true;
        p = SkipEscape(p, "string");
      } else if (c == '\n' || c == '\r' || (c == '\0' && p == fEnd)) {
        Fail(fToken.fAt, "unterminated string");
      } else {
        ++p;
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
    } else if (*p != '\'' && *p != '\n' && *p != '\r' && !(*p == '\0' && p == fEnd)) {
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
    if (result.ec == std::errc::result_out_of_range) Fail(fToken.fAt, "real number out of range");
    if (result.ptr != p) FailNumber(p);
    fToken.fKind = ETokenKind::Real;
    fToken.fReal = fToken.fNegative ? -value : value;
    fToken.fEnd = fPos = p;
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
  TToken fToken;
  TPosition fAfterPrevious{1, 1};
};

// Decodes the escapes of a string or char literal; \xHHHH above 0x7F is
// written as UTF-8.
void AppendDecoded(const char* begin, const char* end, std::string& out) {
  for (const char* p = begin; p < end; ++p) {
    if (*p != '\\') {
      out += *p;
      continue;
    }
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
        if (code < 0x80) {
          out += static_cast<char>(code);
        } else if (code < 0x800) {
          out += static_cast<char>(0xC0 | (code >> 6));
          out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
          out += static_cast<char>(0xE0 | (code >> 12));
          out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (code & 0x3F));
        }
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
// files a schema is made of.
class TFileText {
 public:
  TFileText() = default;
  TFileText(const TFileText&) = delete;
  TFileText& operator=(const TFileText&) = delete;
  ~TFileText() {
    if (fMapped != nullptr) ::munmap(fMapped, fSize);
  }

  bool Open(const std::string& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat status;
    bool opened = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    if (opened) {
      fSize = static_cast<size_t>(status.st_size);
      opened = Map(descriptor) || Read(descriptor);
    }
    ::close(descriptor);
    return opened;
  }

  const char* Data() const { return fMapped != nullptr ? static_cast<const char*>(fMapped) : fCopy.get(); }
  size_t Size() const { return fSize; }

 private:
  bool Map(int descriptor) {
    long page = ::sysconf(_SC_PAGESIZE);
    const size_t kSmallestMapped = 1 << 20;
    if (fSize < kSmallestMapped || page <= 0 || fSize % static_cast<size_t>(page) == 0) return false;
    void* mapped = ::mmap(nullptr, fSize, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (mapped == MAP_FAILED) return false;
    ::madvise(mapped, fSize, MADV_SEQUENTIAL);
    fMapped = mapped;
    return true;
  }

  bool Read(int descriptor) {
    fCopy.reset(new char[fSize + 1]);
    fCopy[fSize] = '\0';
    for (size_t done = 0; done < fSize;) {
      ssize_t count = ::read(descriptor, fCopy.get() + done, fSize - done);
      if (count <= 0) return false;
      done += static_cast<size_t>(count);
    }
    return true;
  }

  void* fMapped = nullptr;
  size_t fSize = 0;
  std::unique_ptr<char[]> fCopy;
};

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

// The state of one Load call: the files being read, aliases, references
// waiting for the end of the load, and the classes instances were made of.
class TMofReader::TLoad {
 public:
  struct TPropertyInfo {
    std::string fName;  // as declared
    ECIMType fType;
    bool fIsArray;
  };
  struct TClassInfo {
    boost::shared_ptr<ICIMClass> fClass;
    std::string fName;
    // By the spelling in the MOF text; filled as instances name properties.
    std::unordered_map<std::string, TPropertyInfo> fProperties;
  };

  explicit TLoad(TMofReader& reader) : fReader(reader) {}

  TMofReader& Reader() { return fReader; }
  // text[size] must be '\0'.
  void ReadSource(const char* text, size_t size, const std::string& file);
  void Include(const std::string& relative, const TLexer& from, TPosition at);
  void ResolveReferences();

  TClassInfo* FindClass(const std::string& name);
  bool ClassExists(const std::string& name);
  void DefineAlias(const std::string& name, boost::shared_ptr<ICIMInstance> instance, const TLexer& lexer,
                   TPosition at);
  // property lives as long as the load (it is a TPropertyInfo's name).
  void AddPendingReference(boost::shared_ptr<ICIMInstance> instance, const std::string& property,
                           const std::string& alias, const TLexer& lexer, TPosition at);

 private:
  struct TAlias {
    boost::shared_ptr<ICIMInstance> fInstance;
    TCIMValue fReference;  // its path, taken once every value is set
  };
  struct TPendingReference {
    boost::shared_ptr<ICIMInstance> fInstance;
    const std::string* fProperty;
    std::string fAlias;
    // Found when the alias was defined before its use, while the map is
    // still in the cache; forward references are looked up at the end.
    TAlias* fTarget;
    size_t fFile;  // index into fFiles
    TPosition fAt;
  };

  size_t FileIndex(const std::string& file);
  TAlias* FindAlias(const std::string& name);

  TMofReader& fReader;
  std::vector<std::string> fIncludeKeys;   // the files being read, outermost first
  std::vector<std::string> fIncludeNames;  // the same as messages name them
  std::vector<std::string> fFiles;         // every file read, for pending references
  std::unordered_map<std::string, std::unique_ptr<TClassInfo>> fClasses;
  std::unordered_map<std::string, TAlias> fAliases;  // by lower-case name
  std::deque<TPendingReference> fPending;
};

// Reads the productions of one source text.
class TMofReader::TSourceParser {
 public:
  TSourceParser(TLoad& load, const char* text, size_t size, const std::string& file)
      : fLoad(load), fReader(load.Reader()), fNamespace(fReader.fNamespace), fLexer(text, size, file) {}

  void Run() {
    try {
      while (Current().fKind != ETokenKind::End) ParseProduction();
    } catch (const TQZAException& e) {
      // A refusal that no production turned into a message of its own.
      std::string detail = e.GetDetail().empty() ? "" : " (" + e.GetDetail() + ")";
      Fail(Current().fAt, std::string("repository error: ") + e.what() + detail);
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
  void SkipPragmaParameters();
  void ParseQualifierDeclaration();
  template <size_t N>
  std::vector<std::string> ParseNameList(const char* const (&table)[N], const char* keyword, const char* item);
  std::vector<TQualifierValue> ParseQualifierList();
  void ParseFlavors();
  TQualifierValue ParseQualifier();
  void ParseClass(std::vector<TQualifierValue> qualifiers);
  void ParseFeature(TClassDeclaration& declaration, std::vector<TPosition>& typePositions);
  void ParseTypeSpec(ECIMType& type, std::string& referenceClass, const char* expected);
  bool ParseArraySuffix();
  void SkipMethodParameters();
  void DeclareClass(const TClassDeclaration& declaration, TPosition namePosition, TPosition superPosition,
                    const std::vector<TPosition>& typePositions);
  void ParseInstance();
  void SkipInstance(TPosition classPosition);
  void ParsePropertyValue(TLoad::TClassInfo& cls, const boost::shared_ptr<ICIMInstance>& instance);
  const TLoad::TPropertyInfo& FindProperty(TLoad::TClassInfo& cls);

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
  boost::shared_ptr<ICIMNamespace> fNamespace;  // for object paths
  TLexer fLexer;
  // Reused for every property of the instances, so that reading one
  // allocates only what the repository keeps.
  std::string fName;
  TInitializer fValue;
};

// ------------------------------------------------------------------ productions

void TMofReader::TSourceParser::ParseProduction() {
  if (Current().fKind == ETokenKind::Pragma) return ParsePragma();
  if (IsKeyword("qualifier")) return ParseQualifierDeclaration();
  std::vector<TQualifierValue> qualifiers;
  if (IsPunct('[')) qualifiers = ParseQualifierList();
  if (IsKeyword("class")) return ParseClass(std::move(qualifiers));
  if (IsKeyword("instance")) return ParseInstance();
  Fail(Current().fAt, "expected 'class', 'instance', 'Qualifier' or '#pragma'");
}

void TMofReader::TSourceParser::ParsePragma() {
  Advance();
  bool isInclude = IsKeyword("include");
  TakeIdentifier("a pragma name after '#pragma'");
  if (!isInclude) return SkipPragmaParameters();
  Expect('(', "after 'include'");
  TPosition at = Current().fAt;
  if (Current().fKind != ETokenKind::String) Fail(at, "expected the file name of '#pragma include' as a string");
  std::string path;
  ParseStringLiteral(path);
  Expect(')', "after the file name of '#pragma include'");
  fLoad.Include(path, fLexer, at);
}

// namespace, locale and pragmas of other compilers: their parameters, if
// any, are read up to the closing parenthesis and dropped.
void TMofReader::TSourceParser::SkipPragmaParameters() {
  if (!IsPunct('(')) return;
  Advance();
  int depth = 1;
  while (depth > 0) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected ')' closing the pragma");
    if (IsPunct('(')) ++depth;
    if (IsPunct(')')) --depth;
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
  try {
    fReader.fNamespace->DeclareQualifierType(type, fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(namePosition, "cannot declare qualifier '" + type.fName + "': " + e.what());
  }
  ++fReader.fQualifierTypeCount;
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

std::vector<TQualifierValue> TMofReader::TSourceParser::ParseQualifierList() {
  Advance();
  std::vector<TQualifierValue> qualifiers;
  qualifiers.push_back(ParseQualifier());
  while (IsPunct(',')) {
    Advance();
    qualifiers.push_back(ParseQualifier());
  }
  Expect(']', "after qualifier");
  return qualifiers;
}

// Flavors of a qualifier value ("Description("x") : Translatable") are
// checked and dropped: the repository keeps none.
void TMofReader::TSourceParser::ParseFlavors() {
  Advance();
  do {
    const TToken& token = Current();
    if (token.fKind != ETokenKind::Identifier || !FindName(kFlavors, token.fBegin, token.fEnd)) {
      Fail(token.fAt, "expected a flavor name after ':'");
    }
    Advance();
  } while (Current().fKind == ETokenKind::Identifier);
}

// A qualifier without a value is a boolean true. A declared qualifier type
// gives the value its type; an undeclared qualifier keeps the literal's.
TQualifierValue TMofReader::TSourceParser::ParseQualifier() {
  TPosition namePosition = Current().fAt;
  std::string name = TakeIdentifier("a qualifier name");
  TInitializer initializer;
  bool hasValue = IsPunct('(') || IsPunct('{');
  if (IsPunct('(')) {
    Advance();
    ParseInitializer(initializer);
    if (initializer.fIsArray) Fail(initializer.fAt, "expected a single value in '( )'; arrays are written '{ }'");
    Expect(')', "after the qualifier value");
  } else if (hasValue) {
    ParseInitializer(initializer);
  }
  if (IsPunct(':')) ParseFlavors();
  const TQualifierType* type = fReader.fNamespace->FindQualifierType(name, fReader.fContext);
  if (type == nullptr) return TQualifierValue(name, hasValue ? UntypedValue(initializer, name) : TCIMValue(true));
  if (!hasValue) {
    if (type->fType != CIMTypeBoolean || type->fIsArray) {
      Fail(namePosition, "qualifier '" + name + "' of type " + CIMTypeName(type->fType) +
                             (type->fIsArray ? "[]" : "") + " needs a value");
    }
    return TQualifierValue(type->fName, TCIMValue(true));
  }
  return TQualifierValue(type->fName,
                         Value(initializer, TTarget{"qualifier", type->fName, type->fType, type->fIsArray}, true));
}

void TMofReader::TSourceParser::ParseClass(std::vector<TQualifierValue> qualifiers) {
  Advance();
  TClassDeclaration declaration;
  declaration.fQualifiers = std::move(qualifiers);
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
  }
  Expect('{', "to open the class body");
  std::vector<TPosition> typePositions;
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) {
      Fail(fLexer.AfterPrevious(), "expected '}' closing class " + declaration.fName);
    }
    ParseFeature(declaration, typePositions);
  }
  Advance();
  Expect(';', "after class declaration");
  DeclareClass(declaration, namePosition, superPosition, typePositions);
}

// A property, a reference or a method (read and dropped).
void TMofReader::TSourceParser::ParseFeature(TClassDeclaration& declaration, std::vector<TPosition>& typePositions) {
  TPropertyDeclaration property;
  if (IsPunct('[')) property.fQualifiers = ParseQualifierList();
  TPosition typePosition = Current().fAt;
  ParseTypeSpec(property.fType, property.fReferenceClass, "a property, reference or method declaration");
  property.fName = TakeIdentifier("a property name");
  if (IsPunct('(')) {
    SkipMethodParameters();
    Expect(';', "after method declaration");
    return;
  }
  bool isReference = property.fType == CIMTypeReference;
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
  typePositions.push_back(typePosition);
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
    if (IsPunct('[')) ParseQualifierList();
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

void TMofReader::TSourceParser::DeclareClass(const TClassDeclaration& declaration, TPosition namePosition,
                                             TPosition superPosition, const std::vector<TPosition>& typePositions) {
  if (!declaration.fSuperClass.empty() && !fLoad.ClassExists(declaration.fSuperClass)) {
    Fail(superPosition, "unknown superclass '" + declaration.fSuperClass + "'");
  }
  for (size_t i = 0; i < declaration.fProperties.size(); ++i) {
    const TPropertyDeclaration& property = declaration.fProperties[i];
    if (property.fType == CIMTypeReference && !fLoad.ClassExists(property.fReferenceClass)) {
      Fail(typePositions[i], "unknown class '" + property.fReferenceClass + "' of reference '" + property.fName + "'");
    }
  }
  try {
    fReader.fNamespace->DeclareClass(declaration, fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(namePosition, "cannot declare class '" + declaration.fName + "': " + e.what());
  }
  ++fReader.fClassCount;
}

void TMofReader::TSourceParser::ParseInstance() {
  Advance();
  ExpectKeyword("of", "of", "after 'instance'");
  TPosition classPosition = Current().fAt;
  if (Current().fKind != ETokenKind::Identifier) Fail(classPosition, "expected a class name after 'instance of'");
  fName.assign(Current().fBegin, Current().fEnd);
  TLoad::TClassInfo* cls = fLoad.FindClass(fName);
  if (cls == nullptr && !fReader.fWarn) Fail(classPosition, "unknown class '" + fName + "'");
  if (cls == nullptr) return SkipInstance(classPosition);
  Advance();
  boost::shared_ptr<ICIMInstance> instance;
  try {
    instance = cls->fClass->CreateInstance(fReader.fContext);
  } catch (const TQZAException& e) {
    Fail(classPosition, "cannot create an instance of '" + cls->fName + "': " + e.what());
  }
  if (IsKeyword("as")) {
    Advance();
    if (Current().fKind != ETokenKind::Alias) Fail(Current().fAt, "expected an alias after 'as'");
    fLoad.DefineAlias(std::string(Current().fBegin, Current().fEnd), instance, fLexer, Current().fAt);
    Advance();
  }
  Expect('{', "to open the instance body");
  while (!IsPunct('}')) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected '}' closing the instance");
    ParsePropertyValue(*cls, instance);
  }
  Advance();
  Expect(';', "after instance declaration");
  ++fReader.fInstanceCount;
}

// An instance of an undeclared class: warn, remember its alias as one
// without instance, and step over its body.
void TMofReader::TSourceParser::SkipInstance(TPosition classPosition) {
  fReader.fWarn(TMofError(fLexer.GetFile(), classPosition.fLine, classPosition.fColumn,
                          "instance of undeclared class '" + fName + "' skipped"));
  Advance();
  if (IsKeyword("as")) {
    Advance();
    if (Current().fKind != ETokenKind::Alias) Fail(Current().fAt, "expected an alias after 'as'");
    fLoad.DefineAlias(std::string(Current().fBegin, Current().fEnd), boost::shared_ptr<ICIMInstance>(), fLexer,
                      Current().fAt);
    Advance();
  }
  Expect('{', "to open the instance body");
  for (int depth = 1; depth > 0; Advance()) {
    if (Current().fKind == ETokenKind::End) Fail(fLexer.AfterPrevious(), "expected '}' closing the instance");
    if (IsPunct('{')) ++depth;
    if (IsPunct('}')) --depth;
  }
  Expect(';', "after instance declaration");
}

void TMofReader::TSourceParser::ParsePropertyValue(TLoad::TClassInfo& cls,
                                                   const boost::shared_ptr<ICIMInstance>& instance) {
  if (IsPunct('[')) ParseQualifierList();
  const TLoad::TPropertyInfo& property = FindProperty(cls);
  Expect('=', "after the property name");
  ParseInitializer(fValue);
  TTarget target{"property", property.fName, property.fType, property.fIsArray};
  if (!fValue.fIsArray && fValue.fScalar.fKind == ELiteralKind::Alias) {
    if (property.fType != CIMTypeReference) FailValue(fValue.fAt, target, "found an alias");
    fLoad.AddPendingReference(instance, property.fName, fValue.fScalar.fText, fLexer, fValue.fAt);
  } else {
    TCIMValue value = Value(fValue, target);
    try {
      instance->SetPropertyValue(property.fName, value, fReader.fContext);
    } catch (const TQZAException& e) {
      FailValue(fValue.fAt, target, e.what());
    }
  }
  Expect(';', "after property value");
}

const TMofReader::TLoad::TPropertyInfo& TMofReader::TSourceParser::FindProperty(TLoad::TClassInfo& cls) {
  if (Current().fKind != ETokenKind::Identifier) Fail(Current().fAt, "expected a property name");
  TPosition at = Current().fAt;
  fName.assign(Current().fBegin, Current().fEnd);
  Advance();
  auto known = cls.fProperties.find(fName);
  if (known != cls.fProperties.end()) return known->second;
  boost::shared_ptr<ICIMPropertyDecl> declaration = cls.fClass->GetPropertyDecl(fName, fReader.fContext);
  if (!declaration) Fail(at, "unknown property '" + fName + "' of class '" + cls.fName + "'");
  TLoad::TPropertyInfo info{declaration->GetName(), declaration->GetType(), declaration->IsArray()};
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
  if (target.fType == CIMTypeChar16) {
    if (literal.fText.size() != 1) FailValue(literal.fAt, target, "the character does not fit 8 bits");
    return TCIMValue::Char16(literal.fText[0]);
  }
  try {
    if (target.fType == CIMTypeDateTime) return TCIMValue(TCIMDateTime(literal.fText));
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

// ------------------------------------------------------------------------ load

size_t TMofReader::TLoad::FileIndex(const std::string& file) {
  if (fFiles.empty() || fFiles.back() != file) fFiles.push_back(file);
  return fFiles.size() - 1;
}

void TMofReader::TLoad::ReadSource(const char* text, size_t size, const std::string& file) {
  fReader.fReadFiles.insert(FileKey(file));
  fIncludeKeys.push_back(FileKey(file));
  fIncludeNames.push_back(file);
  TSourceParser(*this, text, size, file).Run();
  fIncludeKeys.pop_back();
  fIncludeNames.pop_back();
}

void TMofReader::TLoad::Include(const std::string& relative, const TLexer& from, TPosition at) {
  std::string portable(relative);
  for (char& c : portable) {
    if (c == '\\') c = '/';
  }
  fs::path path = fs::path(from.GetFile()).parent_path() / portable;
  if (fs::path(portable).is_absolute()) path = portable;
  std::string file = path.lexically_normal().string();
  std::string key = FileKey(path);
  for (size_t i = 0; i < fIncludeKeys.size(); ++i) {
    if (fIncludeKeys[i] != key) continue;
    std::string chain;
    for (size_t j = i; j < fIncludeNames.size(); ++j) chain += fIncludeNames[j] + " -> ";
    from.Fail(at, "include cycle: " + chain + file);
  }
  if (fReader.fReadFiles.count(key)) return;
  TFileText text;
  if (!text.Open(file)) from.Fail(at, "cannot read include file '" + file + "'");
  ReadSource(text.Data(), text.Size(), file);
}

TMofReader::TLoad::TClassInfo* TMofReader::TLoad::FindClass(const std::string& name) {
  auto known = fClasses.find(name);
  if (known != fClasses.end()) return known->second.get();
  std::unique_ptr<TClassInfo> info(new TClassInfo);
  try {
    info->fClass = fReader.fNamespace->GetClass(name, fReader.fContext);
  } catch (const TQZAException& e) {
    if (e.GetStatusCode() == kQZANotFound) return nullptr;
    throw;
  }
  info->fName = info->fClass->GetName(fReader.fContext);
  return fClasses.emplace(name, std::move(info)).first->second.get();
}

bool TMofReader::TLoad::ClassExists(const std::string& name) { return FindClass(name) != nullptr; }

void TMofReader::TLoad::DefineAlias(const std::string& name, boost::shared_ptr<ICIMInstance> instance,
                                    const TLexer& lexer, TPosition at) {
  if (!fAliases.emplace(Lower(name), TAlias{instance, TCIMValue()}).second) {
    lexer.Fail(at, "alias $" + name + " is already defined");
  }
}

TMofReader::TLoad::TAlias* TMofReader::TLoad::FindAlias(const std::string& name) {
  auto found = fAliases.find(Lower(name));
  return found == fAliases.end() ? nullptr : &found->second;
}

void TMofReader::TLoad::AddPendingReference(boost::shared_ptr<ICIMInstance> instance, const std::string& property,
                                            const std::string& alias, const TLexer& lexer, TPosition at) {
  fPending.push_back(TPendingReference{instance, &property, alias, FindAlias(alias), FileIndex(lexer.GetFile()), at});
}

// References by alias are set once every instance of the load exists, so an
// association may name instances declared after it.
void TMofReader::TLoad::ResolveReferences() {
  for (const TPendingReference& pending : fPending) {
    TAlias* alias = pending.fTarget != nullptr ? pending.fTarget : FindAlias(pending.fAlias);
    const std::string& file = fFiles[pending.fFile];
    if (alias == nullptr) throw TMofError(file, pending.fAt.fLine, pending.fAt.fColumn, "unknown alias $" + pending.fAlias);
    if (!alias->fInstance) {
      fReader.fWarn(TMofError(file, pending.fAt.fLine, pending.fAt.fColumn,
                              "reference '" + *pending.fProperty + "' to skipped $" + pending.fAlias + " left unset"));
      continue;
    }
    try {
      if (alias->fReference.IsNull()) alias->fReference = TCIMValue(alias->fInstance->GetReference(fReader.fContext));
      pending.fInstance->SetPropertyValue(*pending.fProperty, alias->fReference, fReader.fContext);
    } catch (const TQZAException& e) {
      throw TMofError(file, pending.fAt.fLine, pending.fAt.fColumn,
                      "cannot set reference '" + *pending.fProperty + "' to $" + pending.fAlias + ": " + e.what());
    }
  }
  fPending.clear();
}

// ---------------------------------------------------------------------- reader

TMofReader::TMofReader(boost::shared_ptr<TMemoryNamespace> ns, TCIMContext context)
    : fNamespace(std::move(ns)), fContext(std::move(context)) {}

TMofReader::~TMofReader() {}

void TMofReader::LoadFile(const std::string& path) {
  TFileText text;
  if (!text.Open(path)) throw TMofError(path, 0, 0, "cannot read the file");
  Load(text.Data(), text.Size(), path);
}

void TMofReader::LoadText(const std::string& text, const std::string& name) {
  Load(text.c_str(), text.size(), name);
}

void TMofReader::Load(const char* text, size_t size, const std::string& name) {
  TLoad load(*this);
  load.ReadSource(text, size, name);
  load.ResolveReferences();
}

}  // namespace NVKXQZA20
