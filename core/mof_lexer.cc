// The MOF reader's lexer: what of it is not inline in mof_lexer.h, the
// decoding of literals into UTF-8.
#include "core/mof_lexer.h"

namespace NVKXQZA20 {
namespace NMofReading {

std::string Lower(std::string text) {
  for (char& c : text) c = LowerChar(c);
  return text;
}

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

}  // namespace NMofReading
}  // namespace NVKXQZA20
