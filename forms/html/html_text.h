// Text safety of the HTML writer: escaping repository text, turning the
// texts the library hands over (already escaped or not) into markup that
// cannot carry markup of its own.
//
//   EncodeHtmlText("a<b")                 // "a&lt;b": what EncodeValue gives
//   TextMarkup("x &lt; y & z")            // "x &lt; y &amp; z": never escaped twice
//   TLibraryMarkup cells(fileExists);     // cells may also hold line breaks,
//   cells.Of("<font face=\"Courier\">ls</font>")   // and the library's own
//                                         // Courier and result-file markup
//
// Every result is valid UTF-8 without control characters: bytes that are not
// UTF-8 are read as Latin-1.
#ifndef QZA_HOST_HTML_TEXT_H
#define QZA_HOST_HTML_TEXT_H

#include <functional>
#include <string>

// Placed between array elements where each element gets a line of its own;
// no escaped text can hold it, so only the writer's separators become <br>.
extern const char kHtmlLineBreakMarker[];

// The text with &, <, >, " and ' escaped, invalid UTF-8 repaired and control
// characters (the line-break marker among them) dropped, tabs and line feeds kept.
std::string EncodeHtmlText(const std::string& text);

// A text the library hands over as markup-free text: the five entities
// EncodeHtmlText makes are kept as they are, everything else is escaped.
// Idempotent, so that titles built from escaped values are not escaped twice.
std::string TextMarkup(const std::string& text);

// Markup and plain text of one table cell's text.
struct TCellText {
  std::string fHtml;
  std::string fPlain;  // what the reader sees, for sorting and searching
};

// Cell texts: as TextMarkup, plus the line-break marker and the library's
// own markup of its raw-data pages: <font face="Courier">...</font> becomes
// a monospaced span and <a href="FILE">TEXT</a> a link, but only for a FILE
// of safe characters that the file check finds. Anything else stays text.
class TLibraryMarkup {
 public:
  typedef std::function<bool(const std::string& fileName)> TFileCheck;

  explicit TLibraryMarkup(TFileCheck fileExists);
  TCellText Of(const std::string& text) const;

 private:
  TFileCheck fFileExists;
};

// The plain text of markup that TextMarkup made (its entities decoded).
std::string PlainTextOf(const std::string& markup);

// An id attribute value made of the link name's safe characters.
std::string SafeIdentifier(const std::string& text);

#endif
