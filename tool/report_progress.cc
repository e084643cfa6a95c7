#include "tool/report_progress.h"

#include "core/root.h"
#include "forms/display_text.h"

namespace {

// Wider lines would wrap, and '\r' returns only to the start of the last row.
const size_t kMaxLineLength = 79;

std::string LinkNameOf(const std::string& pagePath) {
  const size_t separator = pagePath.rfind(NVKXQZA20::TOSSpecific::kFileSeparator);
  return separator == std::string::npos ? pagePath : pagePath.substr(separator + 1);
}

}  // namespace

std::string CountOfPages(size_t count) { return std::to_string(count) + (count == 1 ? " page" : " pages"); }

TReportProgress::TReportProgress(std::ostream& terminal, bool show) : fTerminal(terminal), fShow(show) {}

TReportProgress::~TReportProgress() { Clear(); }

// The error-log category has no title: its pages show without one.
void TReportProgress::CategoryOpened() { fCategory.clear(); }

void TReportProgress::CategoryTitled(const std::string& title) { fCategory = title; }

void TReportProgress::PageOpened(const std::string& pagePath) {
  std::string line = "qzareport: " + CountOfPages(PagesWritten()) + " done, writing ";
  if (!fCategory.empty()) line += fCategory + ": ";
  Show(line + LinkNameOf(pagePath));
}

void TReportProgress::StepStarted(const std::string& step) { Show("qzareport: " + step); }

void TReportProgress::PageRegistered(const std::string& linkName, bool hasContent) {
  fHasContent[linkName] = hasContent;
}

size_t TReportProgress::PagesWithoutContent() const {
  size_t count = 0;
  for (const auto& page : fHasContent) count += page.second ? 0 : 1;
  return count;
}

void TReportProgress::Show(const std::string& line) {
  if (!fShow) return;
  const std::string shown = VisibleText(line).substr(0, kMaxLineLength);
  fTerminal << '\r' << shown;
  if (shown.size() < fShownLength) fTerminal << std::string(fShownLength - shown.size(), ' ');
  fTerminal << std::flush;
  fShownLength = shown.size();
}

void TReportProgress::Clear() {
  if (fShownLength == 0) return;
  fTerminal << '\r' << std::string(fShownLength, ' ') << '\r' << std::flush;
  fShownLength = 0;
}
