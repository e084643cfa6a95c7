#include "forms/documents/changes_text.h"

#include "findings/report_problems.h"

namespace {

const char kTitle[] = "What changed";

std::string Underlined(const std::string& title, char mark) {
  return title + "\n" + std::string(title.size(), mark) + "\n";
}

std::string LineDiffText(const std::string& base, const std::string& other) {
  std::string text;
  for (const TShownLine& line : ShownLineDiff(base, other)) text += "    " + line.fText + "\n";
  return text;
}

std::string ChangeText(const TChange& change) {
  std::string text = "- " + ChangePlace(change);
  if (change.fKind != EChangeKind::kChanged) return text + ": " + change.fWhere + "\n";
  const bool several = change.fOthers.size() > 1;
  if (ShownAsLineDiff(change)) {
    text += ":\n";
    for (const TChangedValue& other : change.fOthers) {
      if (several) text += "  " + other.fCollection + ":\n";
      text += LineDiffText(change.fBaseValue, other.fValue);
    }
    return text;
  }
  text += ": " + (change.fBaseShown ? change.fBaseValue : std::string("(base not shown)")) + kChangeArrow;
  for (size_t i = 0; i < change.fOthers.size(); ++i) {
    text += (i ? "; " : "") + change.fOthers[i].fValue;
    if (several) text += " (" + change.fOthers[i].fCollection + ")";
  }
  return text + "\n";
}

std::string ListText(const std::vector<const TChange*>& changes) {
  std::string text;
  for (const TChange* change : changes) text += ChangeText(*change);
  return text;
}

std::string PageText(const TPageChanges& page) {
  const TSortedChanges sorted = SortedChanges(page);
  std::string text = "\n" + Underlined(page.fTitle + " (" + page.fFile + ")", '-') +
                     PageChangesSummary(CountsOf(page)) + "\n";
  text += ListText(sorted.fLasting);
  if (!sorted.fVolatile.empty()) {
    text += "\n" + CountedNoun(sorted.fVolatile.size(), "volatile value", "volatile values") +
            " (clocks, counters, free memory, process times):\n" + ListText(sorted.fVolatile);
  }
  return text;
}

std::string LogText(const TShownLogRecords& log) {
  std::string text = "\n" + log.fLog + ": " + CountedNoun(log.fRecords.size(), "new record", "new records") +
                     " since the base (" + log.fBase + "), in " + log.fCollection + "\n";
  for (const TShownRecord& record : log.fRecords) {
    text += "- " + SeverityWord(record.fSeverity) + "  " + record.fTime + "  " + record.fMessage + "\n";
  }
  return text;
}

}  // namespace

void WriteChangesText(std::ostream& out, const TChangeList& changes, const std::vector<TShownLogRecords>& logs,
                      const std::vector<std::string>& ignored,
                      const std::function<std::string(const std::string&)>& shown) {
  std::string text = Underlined(kTitle, '=') + ChangesSummary(CountsOf(changes, RecordCount(logs))) +
                     ". One line per difference from the base: where it is (table, instance, property), then the "
                     "base value and the other. Values that change by themselves (clocks, counters, free memory, "
                     "process times) are listed apart under each page.\n";
  if (!ignored.empty()) {
    std::string names;
    for (const std::string& name : ignored) names += (names.empty() ? "" : ", ") + name;
    text += "Not compared (--ignore): " + names + ".\n";
  }
  out << shown(text);
  bool any = false;
  for (const TPageChanges& page : changes.Pages()) {
    if (page.fChanges.empty()) continue;
    any = true;
    out << shown(PageText(page));
  }
  if (!any) out << shown("\nThe comparison pages show no difference.\n");
  out << shown("\n" + Underlined("New log records", '-'));
  if (logs.empty()) out << shown("No log has records newer than the base's.\n");
  for (const TShownLogRecords& log : logs) out << shown(LogText(log));
}
