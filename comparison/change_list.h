// The "What changed" list of a comparison report: one entry per difference
// that the comparison pages show, gathered as the library writes them (page
// title, table title, the instance's own table, then its "Differences"
// grids, or the tables under "Missing from ..." and "Unique to ..."), so that
// the list and the pages never disagree. Values of volatile properties
// (clocks, counters, free memory...) are marked so, by the column labels
// those properties get; so is an instance missing from a collection when an
// instance unique to it in the same table shows the same values but for
// volatile ones (a process restarted with a new id, a highlight renumbered).
//
//   TChangeList changes({"Up Time", "RX Packets"}, "2026-11-20 14:30:05");
//   changes.BeginPage("firmware.html");  changes.PageTitle("Firmware/VPD");
//   changes.TableTitle("BIOS/uEFI", false);  changes.Grid(instanceTable);
//   changes.TableTitle("Differences", true); changes.Grid(differenceGrid);
//
// Cost: one entry per difference shown, made as its grid passes.
#ifndef QZA_HOST_CHANGE_LIST_H
#define QZA_HOST_CHANGE_LIST_H

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "writer/table_grid.h"

enum class EChangeKind { kChanged, kMissing, kUnique };

struct TChangedValue {
  std::string fCollection;
  std::string fValue;
};

struct TChange {
  EChangeKind fKind;
  std::string fTable;
  std::string fInstance;
  std::string fProperty;               // kChanged
  std::string fBaseValue;              // kChanged
  bool fBaseShown = true;              // false: the page shows only the others' values
  std::vector<TChangedValue> fOthers;  // kChanged: the collections whose value differs
  std::string fWhere;                  // kMissing, kUnique: the title, "Missing from ..."
  bool fVolatile = false;
};

struct TPageChanges {
  std::string fFile;
  std::string fTitle;
  std::vector<TChange> fChanges;
};

// A table's cells as plain text; fSame marks the comparison pages' cells of
// a collection whose value equals the base's.
struct TPlainCell {
  std::string fText;
  bool fSame = false;
};
struct TPlainGrid {
  std::vector<std::vector<TPlainCell>> fRows;
  bool fLabelRow = false;     // row 0 holds the column labels
  bool fLabelColumn = false;  // column 0 holds the row labels
};

class TChangeList {
 public:
  // baseLabel: the base collection's label in the "Data Source" column.
  TChangeList(std::set<std::string> volatileLabels, std::string baseLabel);

  void BeginPage(const std::string& file);
  // The page's first title names it.
  void PageTitle(const std::string& title);
  void TableTitle(const std::string& title, bool comparisonTitle);
  void Grid(const TPlainGrid& grid);
  void Separator();

  const std::vector<TPageChanges>& Pages() const { return fPages; }
  // The name of the instance whose tables are being written; "" for none.
  const std::string& CurrentInstance() const { return fInstance; }
  size_t Count(EChangeKind kind, bool volatileOnes) const;

 private:
  enum class EState { kInstance, kDifferences, kMissing, kUnique };

  void AddDifferences(const TPlainGrid& grid);
  void AddInstances(const TPlainGrid& grid, EChangeKind kind);
  TChange& Add(EChangeKind kind, const std::string& instance);
  std::string LastingContent(const TPlainGrid& grid, size_t row) const;
  void PairWithCounterpart(EChangeKind kind, const std::string& content);

  std::set<std::string> fVolatileLabels;
  std::string fBaseLabel;
  // Of the page: missing and unique instances by lasting content, not yet paired.
  std::unordered_map<std::string, std::vector<size_t>> fUnpaired[2];
  std::vector<TPageChanges> fPages;
  std::string fTable;
  std::string fInstance;
  std::string fWhere;
  EState fState = EState::kInstance;
};

// A grid of the library as plain text, through the writer's plain text of each cell.
TPlainGrid PlainGridOf(const TTableGrid& grid, const std::function<std::string(const TTableCell&)>& plainText);

// What the indexes say of the list.
struct TChangeCounts {
  size_t fChanged = 0;
  size_t fMissing = 0;
  size_t fUnique = 0;
  size_t fFolded = 0;  // volatile changes of any kind
  size_t fNewLogRecords = 0;
};
TChangeCounts CountsOf(const TChangeList& changes, size_t newLogRecords);
TChangeCounts CountsOf(const TPageChanges& page);
// What a page shows, as its line in the index and its heading on the What
// changed page say it: "3 changed values, 1 missing (2 volatile values)",
// "no differences".
std::string PageChangesSummary(const TChangeCounts& counts);
// "1 line", "2 lines".
std::string CountedNoun(size_t count, const std::string& one, const std::string& many);
// "12 changed values, 1 missing, 1 unique, 3 new log records (40 volatile values folded)"
std::string ChangesSummary(const TChangeCounts& counts);

// How every form of the What changed list shows a change.
extern const char kChangeArrow[];  // between the base value and the other: " → "
// "Table › instance › property", of the parts the change has.
std::string ChangePlace(const TChange& change);
// Whether a value of the change is long or of several lines: shown as line
// differences from the base, when the base is shown.
bool ShownAsLineDiff(const TChange& change);
// A page's changes, the lasting ones first listed, the volatile ones folded apart.
struct TSortedChanges {
  std::vector<const TChange*> fLasting;
  std::vector<const TChange*> fVolatile;
};
TSortedChanges SortedChanges(const TPageChanges& page);
// The lines a line difference shows: changed ones with their context, each
// marked "+ ", "- " or "  "; runs of others as a skipped count
// ("… 12 lines"); a closing note when the lines could not be paired.
enum class EShownLine { kKept, kRemoved, kAdded, kSkipped };
struct TShownLine {
  EShownLine fKind;
  std::string fText;  // with its mark, without a line feed
};
std::vector<TShownLine> ShownLineDiff(const std::string& base, const std::string& other);

#endif
