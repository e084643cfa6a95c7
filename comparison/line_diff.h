// Line differences of two texts (file contents, command outputs), so that a
// comparison shows the lines that changed instead of both texts in full.
//
//   TLineDiff diff = DiffLines(baseText, otherText);
//   for (const TDiffLine& line : diff.fLines) ...   // kept, removed, added
//
// Myers' shortest edit script on the lines between the common first and last
// lines, bounded: past kMaxDiffEdits edits or kMaxDiffSteps steps the middle
// is given as removed and then added, with fShortest cleared. The cost is
// therefore linear in the texts' lengths times a constant, even for two
// unrelated 10 MB logs. The lines view the texts, which must outlive the result.
#ifndef QZA_HOST_LINE_DIFF_H
#define QZA_HOST_LINE_DIFF_H

#include <cstddef>
#include <string>
#include <vector>

#include <string_view>

enum class ELineChange { kKept, kRemoved, kAdded };

struct TDiffLine {
  ELineChange fChange;
  std::string_view fText;  // without its line feed
};

struct TLineDiff {
  std::vector<TDiffLine> fLines;
  bool fShortest = true;  // false: the bound was reached
};

const size_t kMaxDiffEdits = 1000;
const size_t kMaxDiffSteps = 20000000;

TLineDiff DiffLines(const std::string& base, const std::string& other);

#endif
