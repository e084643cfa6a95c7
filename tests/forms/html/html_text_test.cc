#include "forms/html/html_text.h"
#include "comparison/line_diff.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct TTextCase {
  const char* fText;
  const char* fExpected;
};

TEST(EncodeHtmlText, EscapesMarkupCharactersAndRepairsBytes) {
  const TTextCase cases[] = {
      {"plain text", "plain text"},
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"a & b \"c\" 'd'", "a &amp; b &quot;c&quot; &#39;d&#39;"},
      {"&lt; stays visible", "&amp;lt; stays visible"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},  // UTF-8 kept
      {"caf\xE9", "caf\xC3\xA9"},      // Latin-1 read as such
      {"\x80 5", "\xE2\x82\xAC 5"},    // Windows-1252 euro sign
      {"\xC3", "\xC3\x83"},            // a cut sequence
      {"a\tb\nc\rd\x01\x1e"
       "e\x7f",
       "a\tb\ncde"},  // controls and the marker dropped
      {"invoice\xE2\x80\xAEgpj.exe", "invoice\\u202egpj.exe"},  // a right-to-left override shown
      {"x\xE2\x81\xA6y", "x\\u2066y"},                        // so is an isolate
  };
  for (const TTextCase& test : cases) EXPECT_EQ(test.fExpected, EncodeHtmlText(test.fText)) << test.fText;
}

TEST(TLibraryMarkup, KeepsOnlyTheLibrarysOwnMarkup) {
  const std::set<std::string> files = {"LSI_RawData_Results_0.txt"};
  TLibraryMarkup markup([&](const std::string& file) { return files.count(file) != 0; });
  const TTextCase cases[] = {
      {"a\x1e"
       "b",
       "a<br>b"},
      {"<font face=\"Courier\">ls &lt;x&gt;</font>", "<span class=\"mono\">ls &lt;x&gt;</span>"},
      {"<font face=\"Courier\">open", "<span class=\"mono\">open</span>"},
      {"</font>", "&lt;/font&gt;"},
      {"<a href=\"LSI_RawData_Results_0.txt\">View Results</a>",
       "<a class=\"result-file\" href=\"LSI_RawData_Results_0.txt\">View Results</a>"},
      {"<a href=\"missing.txt\">View Results</a>", "&lt;a href=&quot;missing.txt&quot;&gt;View Results&lt;/a&gt;"},
      {"<a href=\"javascript:alert(1)\">x</a>", "&lt;a href=&quot;javascript:alert(1)&quot;&gt;x&lt;/a&gt;"},
      {"<a href=\"LSI_RawData_Results_0.txt\"><b>x</b></a>",
       "&lt;a href=&quot;LSI_RawData_Results_0.txt&quot;&gt;&lt;b&gt;x&lt;/b&gt;&lt;/a&gt;"},
      {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;"},
  };
  for (const TTextCase& test : cases) EXPECT_EQ(test.fExpected, markup.Of(test.fText).fHtml) << test.fText;
  EXPECT_EQ("ls <x>", markup.Of("<font face=\"Courier\">ls &lt;x&gt;</font>").fPlain);
  EXPECT_EQ("a\nb", markup
                        .Of("a\x1e"
                            "b")
                        .fPlain);
}

// Each line of the difference led by ' ' (kept), '-' (removed) or '+' (added).
std::string Script(const TLineDiff& diff) {
  std::string script;
  for (const TDiffLine& line : diff.fLines) {
    script += (line.fChange == ELineChange::kKept ? " " : line.fChange == ELineChange::kRemoved ? "-" : "+");
    script += std::string(line.fText) + "\n";
  }
  return script;
}

TEST(DiffLines, GivesTheShortestScript) {
  const struct {
    const char* fBase;
    const char* fOther;
    const char* fScript;
  } cases[] = {
      {"a\nb\nc\n", "a\nb\nc\n", " a\n b\n c\n"},
      {"DEVICE=eno2\nMTU=1500\n", "DEVICE=eno2\nMTU=9000\n", " DEVICE=eno2\n-MTU=1500\n+MTU=9000\n"},
      {"a\nb\nc\nd", "a\nc\nd\ne", " a\n-b\n c\n d\n+e\n"},
      {"x\ny\nz", "y\nx\nz", "-x\n y\n+x\n z\n"},
      {"", "new\n", "+new\n"},
      {"old", "", "-old\n"},
  };
  for (const auto& test : cases) EXPECT_EQ(test.fScript, Script(DiffLines(test.fBase, test.fOther))) << test.fBase;
}

// Two unrelated logs: past the bound the middle is removed, then added, at once.
TEST(DiffLines, StopsPairingLinesPastTheBound) {
  std::string base, other;
  for (int i = 0; i < 100000; ++i) base += "a" + std::to_string(i) + "\n", other += "b" + std::to_string(i) + "\n";
  const TLineDiff diff = DiffLines("same\n" + base, "same\n" + other);
  EXPECT_FALSE(diff.fShortest);
  ASSERT_EQ(200001u, diff.fLines.size());
  EXPECT_EQ(ELineChange::kRemoved, diff.fLines[100000].fChange);
  EXPECT_EQ(ELineChange::kAdded, diff.fLines[100001].fChange);
}

TEST(SafeIdentifier, KeepsOnlyNameCharacters) {
  EXPECT_EQ("s-krHardEventLog", SafeIdentifier("krHardEventLog"));
  EXPECT_EQ("s-a__b_", SafeIdentifier("a\"'b>"));
}

}  // namespace
