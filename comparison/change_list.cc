#include "comparison/change_list.h"

#include <algorithm>

#include "comparison/line_diff.h"

namespace {

// The labels of the columns that name an instance best, best first; an
// instance without them is named by its first value.
const char* const kNamingLabels[] = {"Name",      "Tag",       "Product Name", "File Path", "Device ID",
                                     "Bank Label", "Element Name", "Caption",   "Description"};

// A value longer than this, or of several lines, is shown as a line diff.
const size_t kLongValue = 160;
// Unchanged lines shown around a changed one.
const size_t kContextLines = 2;
// A line diff shows at most this many lines; the list stays readable.
const size_t kMaxShownDiffLines = 400;
const char kStep[] = " \xE2\x80\xBA ";

const char kDifferencesTitle[] = "Differences";
const char kMissingPrefix[] = "Missing from ";
const char kUniquePrefix[] = "Unique to ";

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

const std::string& Text(const TPlainGrid& grid, size_t row, size_t column) {
  static const std::string kNone;
  if (row >= grid.fRows.size() || column >= grid.fRows[row].size()) return kNone;
  return grid.fRows[row][column].fText;
}

// The name of the instance in a row of a table with labels in row 0.
std::string NameInRow(const TPlainGrid& grid, size_t row) {
  for (const char* label : kNamingLabels) {
    for (size_t c = 0; c < grid.fRows[0].size(); ++c) {
      if (Text(grid, 0, c) == label && !Text(grid, row, c).empty()) return Text(grid, row, c);
    }
  }
  return Text(grid, row, 0);
}

// The name of the instance of a table with labels in column 0; "" when it
// has no naming label (a table of one instance, named by its title).
std::string NameInColumn(const TPlainGrid& grid) {
  for (const char* label : kNamingLabels) {
    for (size_t r = 0; r < grid.fRows.size(); ++r) {
      if (Text(grid, r, 0) == label && !Text(grid, r, 1).empty()) return Text(grid, r, 1);
    }
  }
  return "";
}

std::string InstanceName(const TPlainGrid& grid) {
  if (grid.fRows.empty()) return "";
  if (grid.fLabelRow) return grid.fRows.size() > 1 ? NameInRow(grid, 1) : "";
  return grid.fLabelColumn ? NameInColumn(grid) : Text(grid, 0, 0);
}

}  // namespace

TChangeList::TChangeList(std::set<std::string> volatileLabels, std::string baseLabel)
    : fVolatileLabels(std::move(volatileLabels)), fBaseLabel(std::move(baseLabel)) {}

void TChangeList::BeginPage(const std::string& file) {
  fPages.push_back(TPageChanges{file, "", {}});
  fTable.clear();
  for (auto& unpaired : fUnpaired) unpaired.clear();
  Separator();
}

void TChangeList::PageTitle(const std::string& title) {
  if (!fPages.empty() && fPages.back().fTitle.empty()) fPages.back().fTitle = title;
}

void TChangeList::TableTitle(const std::string& title, bool comparisonTitle) {
  if (!comparisonTitle) {
    fTable = title;
    Separator();
  } else if (title == kDifferencesTitle) {
    fState = EState::kDifferences;
  } else if (StartsWith(title, kMissingPrefix) || StartsWith(title, kUniquePrefix)) {
    fState = StartsWith(title, kMissingPrefix) ? EState::kMissing : EState::kUnique;
    fWhere = title;
  }
}

void TChangeList::Separator() {
  fState = EState::kInstance;
  fInstance.clear();
}

void TChangeList::Grid(const TPlainGrid& grid) {
  if (fPages.empty()) return;
  switch (fState) {
    case EState::kInstance:
      fInstance = InstanceName(grid);
      break;
    case EState::kDifferences:
      AddDifferences(grid);
      break;
    case EState::kMissing:
      AddInstances(grid, EChangeKind::kMissing);
      break;
    case EState::kUnique:
      AddInstances(grid, EChangeKind::kUnique);
      break;
  }
}

TChange& TChangeList::Add(EChangeKind kind, const std::string& instance) {
  TChange change;
  change.fKind = kind;
  change.fTable = fTable;
  change.fInstance = instance;
  fPages.back().fChanges.push_back(std::move(change));
  return fPages.back().fChanges.back();
}

// Row 0: "Data Source" and the changed columns' labels; then the base
// (absent for values the page reaches through an association) and one row
// per other collection.
void TChangeList::AddDifferences(const TPlainGrid& grid) {
  if (grid.fRows.size() < 2) return;
  const bool baseShown = Text(grid, 1, 0) == fBaseLabel;
  for (size_t column = 1; column < grid.fRows[0].size(); ++column) {
    TChange& change = Add(EChangeKind::kChanged, fInstance);
    change.fProperty = Text(grid, 0, column);
    change.fBaseShown = baseShown;
    if (baseShown) change.fBaseValue = Text(grid, 1, column);
    change.fVolatile = fVolatileLabels.count(change.fProperty) != 0;
    for (size_t row = baseShown ? 2 : 1; row < grid.fRows.size(); ++row) {
      if (column < grid.fRows[row].size() && !grid.fRows[row][column].fSame) {
        change.fOthers.push_back(TChangedValue{Text(grid, row, 0), Text(grid, row, column)});
      }
    }
  }
}

void TChangeList::AddInstances(const TPlainGrid& grid, EChangeKind kind) {
  if (!grid.fLabelRow) {
    Add(kind, InstanceName(grid)).fWhere = fWhere;
    PairWithCounterpart(kind, LastingContent(grid, 0));
    return;
  }
  for (size_t row = 1; row < grid.fRows.size(); ++row) {
    Add(kind, NameInRow(grid, row)).fWhere = fWhere;
    PairWithCounterpart(kind, LastingContent(grid, row));
  }
}

// The table and the values of the instance's columns that are not
// volatile: of the row, or of the whole table when labels run down column 0.
std::string TChangeList::LastingContent(const TPlainGrid& grid, size_t row) const {
  std::string content = fTable;
  auto add = [&](const std::string& label, const std::string& value) {
    if (fVolatileLabels.count(label) == 0) content += '\x1f' + label + '\x1e' + value;
  };
  if (grid.fLabelRow) {
    for (size_t c = 0; c < grid.fRows[0].size(); ++c) add(Text(grid, 0, c), Text(grid, row, c));
  } else {
    for (size_t r = 0; r < grid.fRows.size(); ++r) add(Text(grid, r, 0), Text(grid, r, 1));
  }
  return content;
}

// The latest entry is the instance just added.
void TChangeList::PairWithCounterpart(EChangeKind kind, const std::string& content) {
  std::vector<TChange>& changes = fPages.back().fChanges;
  const size_t own = kind == EChangeKind::kMissing ? 0 : 1;
  auto counterpart = fUnpaired[1 - own].find(content);
  if (counterpart == fUnpaired[1 - own].end() || counterpart->second.empty()) {
    fUnpaired[own][content].push_back(changes.size() - 1);
    return;
  }
  changes[counterpart->second.back()].fVolatile = true;
  changes.back().fVolatile = true;
  counterpart->second.pop_back();
}

size_t TChangeList::Count(EChangeKind kind, bool volatileOnes) const {
  size_t count = 0;
  for (const TPageChanges& page : fPages) {
    count += static_cast<size_t>(std::count_if(page.fChanges.begin(), page.fChanges.end(), [&](const TChange& c) {
      return c.fKind == kind && c.fVolatile == volatileOnes;
    }));
  }
  return count;
}

TPlainGrid PlainGridOf(const TTableGrid& grid, const std::function<std::string(const TTableCell&)>& plainText) {
  TPlainGrid plain;
  plain.fLabelRow = grid.fColumnReport;
  plain.fLabelColumn = grid.fRowReport;
  for (int32_t r = 0; r < grid.fRows; ++r) {
    plain.fRows.emplace_back();
    for (int32_t c = 0; c < grid.fColumns; ++c) {
      const TTableCell& cell = grid.Cell(r, c);
      plain.fRows.back().push_back(TPlainCell{plainText(cell), cell.fMarkers[0]});
    }
  }
  return plain;
}

TChangeCounts CountsOf(const TChangeList& changes, size_t newLogRecords) {
  TChangeCounts counts;
  counts.fChanged = changes.Count(EChangeKind::kChanged, false);
  counts.fMissing = changes.Count(EChangeKind::kMissing, false);
  counts.fUnique = changes.Count(EChangeKind::kUnique, false);
  for (EChangeKind kind : {EChangeKind::kChanged, EChangeKind::kMissing, EChangeKind::kUnique}) {
    counts.fFolded += changes.Count(kind, true);
  }
  counts.fNewLogRecords = newLogRecords;
  return counts;
}

TChangeCounts CountsOf(const TPageChanges& page) {
  TChangeCounts counts;
  for (const TChange& change : page.fChanges) {
    if (change.fVolatile) {
      ++counts.fFolded;
    } else {
      ++(change.fKind == EChangeKind::kChanged ? counts.fChanged
         : change.fKind == EChangeKind::kMissing ? counts.fMissing : counts.fUnique);
    }
  }
  return counts;
}

std::string PageChangesSummary(const TChangeCounts& counts) {
  std::string summary;
  auto add = [&](size_t count, const std::string& text) {
    if (count) summary += (summary.empty() ? "" : ", ") + text;
  };
  add(counts.fChanged, CountedNoun(counts.fChanged, "changed value", "changed values"));
  add(counts.fMissing, std::to_string(counts.fMissing) + " missing");
  add(counts.fUnique, std::to_string(counts.fUnique) + " unique");
  if (summary.empty()) summary = "no differences";
  return counts.fFolded ? summary + " (" + CountedNoun(counts.fFolded, "volatile value", "volatile values") + ")"
                        : summary;
}

std::string CountedNoun(size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string ChangesSummary(const TChangeCounts& counts) {
  return CountedNoun(counts.fChanged, "changed value", "changed values") + ", " + std::to_string(counts.fMissing) +
         " missing, " + std::to_string(counts.fUnique) + " unique, " +
         CountedNoun(counts.fNewLogRecords, "new log record", "new log records") + " (" +
         CountedNoun(counts.fFolded, "volatile value", "volatile values") + " folded)";
}

const char kChangeArrow[] = " \xE2\x86\x92 ";

std::string ChangePlace(const TChange& change) {
  std::string place;
  for (const std::string* part : {&change.fTable, &change.fInstance, &change.fProperty}) {
    if (!part->empty()) place += (place.empty() ? "" : kStep) + *part;
  }
  return place;
}

namespace {

bool IsLong(const std::string& text) { return text.size() > kLongValue || text.find('\n') != std::string::npos; }

// Which lines of the difference are changed or near a changed one.
std::vector<bool> LinesInContext(const std::vector<TDiffLine>& lines) {
  std::vector<bool> shown(lines.size(), false);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].fChange == ELineChange::kKept) continue;
    const size_t first = i < kContextLines ? 0 : i - kContextLines;
    for (size_t j = first; j < lines.size() && j <= i + kContextLines; ++j) shown[j] = true;
  }
  return shown;
}

TShownLine Skipped(size_t count) {
  return TShownLine{EShownLine::kSkipped, "\xE2\x80\xA6 " + CountedNoun(count, "line", "lines")};
}

TShownLine Shown(const TDiffLine& line) {
  switch (line.fChange) {
    case ELineChange::kAdded:
      return TShownLine{EShownLine::kAdded, "+ " + std::string(line.fText)};
    case ELineChange::kRemoved:
      return TShownLine{EShownLine::kRemoved, "- " + std::string(line.fText)};
    case ELineChange::kKept:
      break;
  }
  return TShownLine{EShownLine::kKept, "  " + std::string(line.fText)};
}

}  // namespace

bool ShownAsLineDiff(const TChange& change) {
  if (!change.fBaseShown) return false;
  if (IsLong(change.fBaseValue)) return true;
  return std::any_of(change.fOthers.begin(), change.fOthers.end(),
                     [](const TChangedValue& other) { return IsLong(other.fValue); });
}

TSortedChanges SortedChanges(const TPageChanges& page) {
  TSortedChanges sorted;
  for (const TChange& change : page.fChanges) (change.fVolatile ? sorted.fVolatile : sorted.fLasting).push_back(&change);
  return sorted;
}

std::vector<TShownLine> ShownLineDiff(const std::string& base, const std::string& other) {
  const TLineDiff diff = DiffLines(base, other);
  const std::vector<bool> inContext = LinesInContext(diff.fLines);
  std::vector<TShownLine> shown;
  size_t skipped = 0;
  size_t written = 0;
  for (size_t i = 0; i < diff.fLines.size(); ++i) {
    if (!inContext[i] || written >= kMaxShownDiffLines) {
      ++skipped;
      continue;
    }
    if (skipped) shown.push_back(Skipped(skipped));
    skipped = 0;
    ++written;
    shown.push_back(Shown(diff.fLines[i]));
  }
  if (skipped) shown.push_back(Skipped(skipped));
  if (!diff.fShortest) {
    shown.push_back(TShownLine{EShownLine::kSkipped, "(too many changes to pair the lines: all changed lines are listed)"});
  }
  return shown;
}
