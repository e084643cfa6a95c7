// The MOF reader's first stage: character classes, places in the text, the
// lexer that cuts a text into tokens, and literals decoded into UTF-8.
#ifndef QZA_CORE_MOF_LEXER_H
#define QZA_CORE_MOF_LEXER_H

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/mof_reader.h"

namespace NVKXQZA20 {
namespace NMofReading {

// ASCII only: identifiers compare case-insensitively in their ASCII letters.
inline char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Lower(std::string text);

inline bool EqualsNoCase(const char* begin, const char* end, const char* keyword) {
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

inline constexpr TCharClasses kCharClasses;

inline bool HasClass(char c, uint8_t classes) {
  return (kCharClasses.fClasses[static_cast<unsigned char>(c)] & classes) != 0;
}
inline bool IsIdentifierStart(char c) { return HasClass(c, kIdentifierStart); }
inline bool IsIdentifierChar(char c) { return HasClass(c, kIdentifierStart | kDigit); }
inline bool IsDigit(char c) { return HasClass(c, kDigit); }

inline int HexDigitValue(char c) {
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

void AppendUtf8(uint32_t code, std::string& out);

// Decodes the escapes of a string or char literal; \xHHHH above 0x7F is
// written as UTF-8.
void AppendDecoded(const char* begin, const char* end, std::string& out);

}  // namespace NMofReading
}  // namespace NVKXQZA20

#endif
