#include "forms/html/html_text.h"

#include <cctype>
#include <cstring>

#include "forms/display_text.h"
#include "forms/file_names.h"

const char kHtmlLineBreakMarker[] = "\x1e";

namespace {

// Windows-1252 in 0x80-0x9F, where Latin-1 has only control characters:
// collections made on Windows carry such text. 0 marks an unused code.
const unsigned kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

const char* const kKeptEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&#39;"};
const char kKeptCharacters[] = "&<>\"'";

void AppendUtf8(unsigned codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

bool IsContinuation(const std::string& text, size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
  if (i >= text.size()) return false;
  unsigned char byte = static_cast<unsigned char>(text[i]);
  return byte >= low && byte <= high;
}

// The length of the valid UTF-8 sequence of a non-ASCII character at i, 0 when
// the bytes there are not one.
size_t Utf8SequenceLength(const std::string& text, size_t i) {
  unsigned char lead = static_cast<unsigned char>(text[i]);
  if (lead >= 0xC2 && lead <= 0xDF) return IsContinuation(text, i + 1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : 0xBF;
    return IsContinuation(text, i + 1, low, high) && IsContinuation(text, i + 2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    return IsContinuation(text, i + 1, low, high) && IsContinuation(text, i + 2) && IsContinuation(text, i + 3) ? 4 : 0;
  }
  return 0;
}

bool IsC1Control(const std::string& text, size_t i) {
  return static_cast<unsigned char>(text[i]) == 0xC2 && IsContinuation(text, i + 1, 0x80, 0x9F);
}

// Appends the non-ASCII character at i as UTF-8 and answers the bytes it took.
size_t AppendNonAscii(const std::string& text, size_t i, std::string& out) {
  if (size_t length = Utf8SequenceLength(text, i)) {
    if (const std::string escape = BidiControlEscape(text, i, length); !escape.empty()) {
      out += escape;
    } else if (!IsC1Control(text, i)) {
      out.append(text, i, length);
    }
    return length;
  }
  unsigned char byte = static_cast<unsigned char>(text[i]);
  unsigned codePoint = byte >= 0xA0 ? byte : kWindows1252High[byte - 0x80];
  if (codePoint != 0) AppendUtf8(codePoint, out);
  return 1;
}

bool IsDroppedControl(unsigned char byte) { return (byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F; }

const char* EntityOf(char c) {
  const char* found = std::strchr(kKeptCharacters, c);
  return found ? kKeptEntities[found - kKeptCharacters] : nullptr;
}

// The character an entity of kKeptEntities at i stands for, '\0' when none starts there.
char KeptEntityAt(const std::string& text, size_t i) {
  for (size_t k = 0; k < sizeof(kKeptEntities) / sizeof(kKeptEntities[0]); ++k) {
    if (text.compare(i, std::strlen(kKeptEntities[k]), kKeptEntities[k]) == 0) return kKeptCharacters[k];
  }
  return '\0';
}

// Printable ASCII that markup takes as it is; a table, as every byte of
// every value passes here.
struct TVerbatimBytes {
  TVerbatimBytes() {
    for (unsigned byte = 0; byte < 0x80; ++byte) {
      fVerbatim[byte] = !IsDroppedControl(static_cast<unsigned char>(byte)) &&
                        std::strchr(kKeptCharacters, static_cast<char>(byte)) == nullptr;
    }
  }
  bool fVerbatim[256] = {};
};

bool IsVerbatim(char c) {
  static const TVerbatimBytes kBytes;
  return kBytes.fVerbatim[static_cast<unsigned char>(c)];
}

// Appends the run of verbatim characters, one character (or kept entity) of
// text at i to the markup and the plain text, and answers the bytes it took.
size_t AppendTextUnit(const std::string& text, size_t i, bool keepEntities, std::string& html, std::string& plain) {
  size_t end = i;
  while (end < text.size() && IsVerbatim(text[end])) ++end;
  if (end > i) {
    html.append(text, i, end - i);
    plain.append(text, i, end - i);
    return end - i;
  }
  unsigned char byte = static_cast<unsigned char>(text[i]);
  if (byte >= 0x80) {
    size_t start = html.size();
    size_t length = AppendNonAscii(text, i, html);
    plain.append(html, start, std::string::npos);
    return length;
  }
  if (IsDroppedControl(byte)) return 1;
  if (char entity = keepEntities ? KeptEntityAt(text, i) : '\0') {
    html += EntityOf(entity);
    plain += entity;
    return std::strlen(EntityOf(entity));
  }
  html += EntityOf(text[i]);
  plain += text[i];
  return 1;
}

// A file name the writer itself could have made: result links keep only such.
bool IsSafeFileName(const std::string& name) {
  return !name.empty() && name[0] != '.' && SafeFileName(name, "") == name;
}

const char kFontOpen[] = "<font face=\"Courier\">";
const char kFontClose[] = "</font>";
const char kLinkOpen[] = "<a href=\"";
const char kLinkClose[] = "</a>";

bool StartsAt(const std::string& text, size_t i, const char* part) {
  return text.compare(i, std::strlen(part), part) == 0;
}

}  // namespace

std::string EncodeHtmlText(const std::string& text) {
  std::string html;
  std::string plain;
  html.reserve(text.size());
  for (size_t i = 0; i < text.size();) i += AppendTextUnit(text, i, false, html, plain);
  return html;
}

std::string TextMarkup(const std::string& text) {
  std::string html;
  std::string plain;
  html.reserve(text.size());
  for (size_t i = 0; i < text.size();) i += AppendTextUnit(text, i, true, html, plain);
  return html;
}

std::string PlainTextOf(const std::string& markup) {
  std::string html;
  std::string plain;
  for (size_t i = 0; i < markup.size();) i += AppendTextUnit(markup, i, true, html, plain);
  return plain;
}

TLibraryMarkup::TLibraryMarkup(TFileCheck fileExists) : fFileExists(std::move(fileExists)) {}

TCellText TLibraryMarkup::Of(const std::string& text) const {
  TCellText cell;
  int openSpans = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == kHtmlLineBreakMarker[0]) {
      cell.fHtml += "<br>";
      cell.fPlain += '\n';
      ++i;
    } else if (StartsAt(text, i, kFontOpen)) {
      cell.fHtml += "<span class=\"mono\">";
      ++openSpans;
      i += std::strlen(kFontOpen);
    } else if (openSpans > 0 && StartsAt(text, i, kFontClose)) {
      cell.fHtml += "</span>";
      --openSpans;
      i += std::strlen(kFontClose);
    } else if (StartsAt(text, i, kLinkOpen)) {
      // <a href="FILE">TEXT</a>, FILE a file of the report.
      size_t fileStart = i + std::strlen(kLinkOpen);
      size_t fileEnd = text.find("\">", fileStart);
      size_t textEnd = fileEnd == std::string::npos ? fileEnd : text.find(kLinkClose, fileEnd + 2);
      std::string file = fileEnd == std::string::npos ? "" : text.substr(fileStart, fileEnd - fileStart);
      if (textEnd == std::string::npos || !IsSafeFileName(file) || !fFileExists(file) ||
          text.find('<', fileEnd + 2) != textEnd) {
        i += AppendTextUnit(text, i, true, cell.fHtml, cell.fPlain);
        continue;
      }
      cell.fHtml += "<a class=\"result-file\" href=\"" + file + "\">";
      for (size_t k = fileEnd + 2; k < textEnd;) k += AppendTextUnit(text, k, true, cell.fHtml, cell.fPlain);
      cell.fHtml += "</a>";
      i = textEnd + std::strlen(kLinkClose);
    } else {
      i += AppendTextUnit(text, i, true, cell.fHtml, cell.fPlain);
    }
  }
  for (; openSpans > 0; --openSpans) cell.fHtml += "</span>";
  return cell;
}

std::string SafeIdentifier(const std::string& text) {
  std::string id = "s-";
  for (char c : text) {
    id += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
  }
  return id;
}
