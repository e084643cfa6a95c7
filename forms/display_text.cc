#include "forms/display_text.h"

#include <cstdio>

namespace {

// The length of the UTF-8 sequence at text[at], 0 when it is not one
// (overlong forms, surrogates and code points beyond U+10FFFF are not).
size_t SequenceLength(const std::string& text, size_t at) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

std::string Escaped(const char* format, unsigned value) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, value);
  return escape;
}

// The code point of the two- or three-byte UTF-8 sequence at text[at].
unsigned CodePoint(const std::string& text, size_t at, size_t length) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]) & 0x3Fu; };
  if (length == 2) return (static_cast<unsigned char>(text[at]) & 0x1Fu) << 6 | byte(at + 1);
  return (static_cast<unsigned char>(text[at]) & 0x0Fu) << 12 | byte(at + 1) << 6 | byte(at + 2);
}


bool KeptLineEnd(const std::string& text, size_t at) {
  const char c = text[at];
  return c == '\n' || c == '\t' || (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n');
}

}  // namespace

std::string BidiControlEscape(const std::string& text, size_t at, size_t length) {
  if (length != 2 && length != 3) return "";
  const unsigned codePoint = CodePoint(text, at, length);
  const bool reorders = codePoint == 0x061C || codePoint == 0x200E || codePoint == 0x200F ||
                        (codePoint >= 0x202A && codePoint <= 0x202E) || (codePoint >= 0x2066 && codePoint <= 0x2069);
  return reorders ? Escaped("\\u%04x", codePoint) : "";
}

std::string VisibleText(const std::string& text, ELineEnds lineEnds) {
  std::string visible;
  visible.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    const size_t length = SequenceLength(text, at);
    if (length == 0) {
      visible += Escaped("\\x%02x", byte);
      ++at;
    } else if (byte < 0x20 || byte == 0x7F) {
      visible += lineEnds == ELineEnds::kKept && KeptLineEnd(text, at) ? std::string(1, text[at])
                                                                       : Escaped("\\x%02x", byte);
      ++at;
    } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
      visible += Escaped("\\u%04x", static_cast<unsigned char>(text[at + 1]));
      at += 2;
    } else if (const std::string escape = BidiControlEscape(text, at, length); !escape.empty()) {
      visible += escape;
      at += length;
    } else {
      visible.append(text, at, length);
      at += length;
    }
  }
  return visible;
}

TVisibleLines::int_type TVisibleLines::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  xsputn(&byte, 1);
  return c;
}

std::streamsize TVisibleLines::xsputn(const char* text, std::streamsize count) {
  fPending.append(text, static_cast<size_t>(count));
  PassLines(false);
  return count;
}

int TVisibleLines::sync() {
  PassLines(true);
  fSink.flush();
  return fSink ? 0 : -1;
}

void TVisibleLines::PassLines(bool unfinishedToo) {
  const size_t end = unfinishedToo ? fPending.size() : fPending.rfind('\n') + 1;
  if (end == 0 || end > fPending.size()) return;
  fSink << VisibleText(fPending.substr(0, end), ELineEnds::kKept);
  fPending.erase(0, end);
}

std::string HeadingText(const std::string& text) {
  size_t characters = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    const bool starts = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
    if (starts && characters++ == kMaxHeadingLength) return text.substr(0, at) + "...";
  }
  return text;
}
