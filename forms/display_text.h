// What the tool shows of untrusted text on a terminal and in its text
// files: every such text passes through VisibleText, so that a collection
// can neither retitle nor clear the reader's terminal; headings show a
// shortened value, the full value staying in the tables.
//
//   err << "qzareport: " << VisibleText(message) << "\n";   // ESC shows as \x1b
//   file << VisibleText(page, ELineEnds::kKept);             // lines and tabs stay
//   title = HeadingText(hostName);                           // at most 80 characters
//   TVisibleLines lines(file);  std::ostream log(&lines);    // a log file's lines
#ifndef QZA_HOST_DISPLAY_TEXT_H
#define QZA_HOST_DISPLAY_TEXT_H

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>

enum class ELineEnds {
  kEscaped,  // one line: line feeds, carriage returns and tabs show as escapes too
  kKept,     // line feeds, CR LF pairs and tabs stay; a lone carriage return, which
             // lets the next text overwrite the line, does not
};

// Control characters (C0, DEL) and bytes that are not UTF-8 become \xNN, the
// C1 control characters \u0080 to \u009f and the bidirectional marks and
// overrides (\u202e ...); every other character stays.
std::string VisibleText(const std::string& text, ELineEnds lineEnds = ELineEnds::kEscaped);

// The escape ("\u202e") of the bidirectional mark or override that the
// valid UTF-8 sequence of length bytes at text[at] encodes, "" for any other
// character: such invisible marks reorder the text around them, so that a
// value could make a line or a table cell read other than it is.
std::string BidiControlEscape(const std::string& text, size_t at, size_t length);

// A stream buffer passing each line written to it through VisibleText
// (line ends kept) on to sink; a flush passes on the unfinished line too.
//
//   TVisibleLines lines(file);  std::ostream log(&lines);
class TVisibleLines : public std::streambuf {
 public:
  explicit TVisibleLines(std::ostream& sink) : fSink(sink) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void PassLines(bool unfinishedToo);

  std::ostream& fSink;
  std::string fPending;
};

// The characters a heading shows of a data value before "...".
constexpr size_t kMaxHeadingLength = 80;

// The text cut after kMaxHeadingLength characters (never inside one), with
// "..." marking the cut.
std::string HeadingText(const std::string& text);

#endif
